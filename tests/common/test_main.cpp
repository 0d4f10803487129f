// Every test process runs in a private temporary folder of its own, and every
// test in a fresh subfolder of it, so tests can write "config.yml" and data
// files without touching the tree or each other. The log goes to one file at
// the top of the process folder.
#include "core/log.h"
#include "platform/sys/instance_lock.h"
#include "platform/sys/paths.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <ftw.h>
#include <string>
#include <unistd.h>

namespace testutil {
std::string& workDirStorage();
}

namespace {

int removeEntry(const char* path, const struct stat*, int, struct FTW*)
{
    return std::remove(path);
}

// Gives each test a fresh working folder.
class FolderPerTest : public ::testing::EmptyTestEventListener {
public:
    explicit FolderPerTest(std::string top) : mTop(std::move(top)) {}
    void OnTestStart(const ::testing::TestInfo& info) override
    {
        std::string name = std::string(info.test_suite_name()) + "." + info.name();
        for (char& c : name)
            if (c == '/')
                c = '_'; // parameterised tests carry slashes in their names
        std::string dir = mTop + "/" + name;
        sys::makeDirectories(dir);
        sys::changeDirectory(dir);
    }
    void OnTestEnd(const ::testing::TestInfo&) override { sys::changeDirectory(mTop); }

private:
    std::string mTop;
};

} // namespace

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);

    const char* tmp = std::getenv("TMPDIR");
    std::string base = (tmp && *tmp) ? tmp : "/tmp";
    std::string templ = base + "/tarvelin-test-XXXXXX";
    if (!::mkdtemp(templ.data())) {
        std::perror("mkdtemp");
        return 2;
    }
    testutil::workDirStorage() = templ;
    if (!sys::changeDirectory(templ)) {
        std::perror("chdir");
        return 2;
    }
    // No display, no sound card, no message box, whoever runs the tests.
    ::setenv("TARVELIN_NO_MESSAGEBOX", "1", 1);
    ::setenv("SDL_VIDEODRIVER", "offscreen", 0);
    ::setenv("LIBGL_ALWAYS_SOFTWARE", "1", 0);
    ::setenv("ALSOFT_DRIVERS", "null", 0);
    YLog::setFileName((templ + "/log.txt").c_str());
    ::testing::UnitTest::GetInstance()->listeners().Append(new FolderPerTest(templ));
    sys::InstanceLock::setDirectory(templ);

    int result = RUN_ALL_TESTS();

    sys::changeDirectory(base);
    ::nftw(templ.c_str(), removeEntry, 16, FTW_DEPTH | FTW_PHYS);
    return result;
}
