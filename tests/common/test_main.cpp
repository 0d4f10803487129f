// Every test process runs in a private temporary folder of its own, so tests
// can write "log.txt", "config.yml" and data files without touching the tree.
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
    ::setenv("TARVELIN_NO_MESSAGEBOX", "1", 1);
    sys::InstanceLock::setDirectory(templ);

    int result = RUN_ALL_TESTS();

    sys::changeDirectory(base);
    ::nftw(templ.c_str(), removeEntry, 16, FTW_DEPTH | FTW_PHYS);
    return result;
}
