// Every test process runs in a private temporary folder of its own, and every
// test in a fresh subfolder of it, so tests can write "config.yml" and data
// files without touching the tree or each other. The log goes to one file at
// the top of the process folder.
#include "core/log.h"
#include "platform/sys/instance_lock.h"
#include "platform/sys/paths.h"
#include "tests/common/test_util.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace testutil {
std::string& workDirStorage();
}

namespace {

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

    // No display, no sound card, no message box, whoever runs the tests.
    const std::string templ = testutil::makeHeadlessRunFolder("tarvelin-test");
    if (templ.empty()) {
        std::perror("mkdtemp");
        return 2;
    }
    testutil::workDirStorage() = templ;
    if (!sys::changeDirectory(templ)) {
        std::perror("chdir");
        return 2;
    }
    YLog::setFileName((templ + "/log.txt").c_str());
    ::testing::UnitTest::GetInstance()->listeners().Append(new FolderPerTest(templ));
    sys::InstanceLock::setDirectory(templ);

    int result = RUN_ALL_TESTS();

    sys::changeDirectory("/");
    testutil::removeRunFolder(templ);
    return result;
}
