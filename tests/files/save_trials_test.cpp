// Nothing the game saves is lost when the game is killed or the disk fills
// up. For every kind of file (file_kind.h):
//  - a child saves the two contents in turn, as fast as it can, and is
//    killed with SIGKILL at a random moment, a hundred times over: each time
//    the file holds one of the two contents, byte for byte, the game's reader
//    takes it, and nothing left behind shows up where the game lists files;
//  - a child saves with its file size limit lowered below the new file (a
//    full disk: every write past the limit fails): the save reports the
//    failure and logs it, the old file is untouched and no temporary file
//    is left, and the child goes on to read the old file.
#include "core/log.h"
#include "platform/sys/files.h"
#include "platform/sys/paths.h"
#include "platform/sys/random.h"
#include "tests/common/test_util.h"
#include "tests/files/file_kind.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <new>
#include <string>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

std::vector<std::string> kindNames()
{
    std::vector<std::string> names;
    for (const FileKind& k : fileKinds())
        names.push_back(k.name);
    return names;
}

class SaveTrial : public ::testing::TestWithParam<std::string> {
protected:
    void SetUp() override
    {
        for (const FileKind& k : fileKinds())
            if (k.name == GetParam())
                kind = &k;
        ASSERT_NE(nullptr, kind);
        if (kind->prepare)
            kind->prepare();
        // The bytes of each content as the game writes them; the file is
        // left holding content 0.
        ASSERT_TRUE(kind->save(1));
        bytes[1] = testutil::readText(kind->path);
        const auto start = std::chrono::steady_clock::now();
        ASSERT_TRUE(kind->save(0));
        saveTime = std::chrono::steady_clock::now() - start;
        bytes[0] = testutil::readText(kind->path);
        ASSERT_NE(bytes[0], bytes[1]);
        ASSERT_EQ(0, kind->read());
    }

    // The file holds one whole content that the game reads, and the game
    // lists nothing else; the content held, or -1.
    int checkFile(const std::string& when)
    {
        const std::string now = testutil::readText(kind->path);
        const int held = now == bytes[0] ? 0 : now == bytes[1] ? 1 : -1;
        EXPECT_NE(-1, held) << when << ": the file holds " << now.size() << " bytes of neither content";
        EXPECT_EQ(held, kind->read()) << when << ": the game's reader does not take the file";
        if (kind->listed) {
            std::vector<std::string> listed = kind->listed();
            const std::string name = kind->path.substr(kind->path.find_last_of('/') + 1);
            EXPECT_EQ(std::vector<std::string>{name}, listed) << when;
        }
        return held;
    }

    const FileKind* kind = nullptr;
    std::string bytes[2];
    std::chrono::steady_clock::duration saveTime{};
};

// Forks a child that runs body and ends with its result as exit code.
pid_t startChild(const std::function<int()>& body)
{
    pid_t pid = ::fork();
    if (pid == 0)
        ::_exit(body());
    return pid;
}

TEST_P(SaveTrial, KilledWhileSavingLeavesTheOldOrTheNewFile)
{
    // Saves completed by the child, shared with it.
    void* shared = ::mmap(nullptr, sizeof(std::atomic<int>), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
    ASSERT_NE(MAP_FAILED, shared);
    auto* saves = new (shared) std::atomic<int>(0);
    sys::srand(21);
    const auto cycle = std::max<std::chrono::steady_clock::duration>(saveTime, std::chrono::microseconds(200));
    int held[2] = {0, 0};
    for (int trial = 0; trial < 100; ++trial) {
        saves->store(0);
        const pid_t child = startChild([&] {
            for (int i = 1;; ++i) {
                if (!kind->save(i % 2))
                    return 3;
                saves->fetch_add(1);
            }
        });
        ASSERT_GT(child, 0);
        // Once a save has gone through, somewhere in the next two or three.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (saves->load() == 0 && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::microseconds(50));
        std::this_thread::sleep_for(cycle * 3 * sys::rand() / 32767);
        ::kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(child, ::waitpid(child, &status, 0));
        ASSERT_TRUE(WIFSIGNALED(status)) << "the saving child ended by itself, code " << WEXITSTATUS(status);
        const int content = checkFile("after kill " + std::to_string(trial));
        if (content < 0 || HasFailure())
            break;
        ++held[content];
    }
    ::munmap(saves, sizeof(std::atomic<int>));
    // Both contents turned up, so the kills met the saves at varied moments.
    EXPECT_GT(held[0], 0);
    EXPECT_GT(held[1], 0);
    // The next save of the game still goes through.
    EXPECT_TRUE(kind->save(1));
    EXPECT_EQ(1, checkFile("after the trials"));
}

// A log sink of the child: the lines reach the parent through a pipe, since
// the log file itself is past the child's size limit.
class PipeSink : public YLogSink {
public:
    explicit PipeSink(int fd) : mFd(fd) {}
    void print(const char* text) override
    {
        std::string line = std::string(text) + "\n";
        (void)!::write(mFd, line.data(), line.size());
    }

private:
    int mFd;
};

TEST_P(SaveTrial, AFullDiskKeepsTheOldFileAndTheGameGoesOn)
{
    const size_t size = bytes[1].size();
    for (size_t limit : {size_t(0), size / 2, size - 1}) {
        int fds[2];
        ASSERT_EQ(0, ::pipe(fds));
        const pid_t child = startChild([&] {
            ::close(fds[0]);
            PipeSink sink(fds[1]);
            YLog::setSink(&sink);
            // A write past the limit fails with EFBIG instead of ending the
            // process, as a full disk fails it with ENOSPC.
            std::signal(SIGXFSZ, SIG_IGN);
            const rlim_t bytes = static_cast<rlim_t>(limit);
            struct rlimit lowered = {bytes, bytes};
            if (::setrlimit(RLIMIT_FSIZE, &lowered) != 0)
                return 4;
            if (kind->save(1))
                return 3; // the save claims success
            return kind->read() == 0 ? 0 : 5; // the game goes on with the old file
        });
        ASSERT_GT(child, 0);
        ::close(fds[1]);
        std::string log;
        char buffer[4096];
        ssize_t n;
        while ((n = ::read(fds[0], buffer, sizeof(buffer))) > 0)
            log.append(buffer, static_cast<size_t>(n));
        ::close(fds[0]);
        int status = 0;
        ASSERT_EQ(child, ::waitpid(child, &status, 0));
        const std::string when = "size limit " + std::to_string(limit) + " of " + std::to_string(size);
        ASSERT_TRUE(WIFEXITED(status)) << when << ": the child died, signal " << WTERMSIG(status);
        EXPECT_EQ(0, WEXITSTATUS(status)) << when << " (3: the save claimed success, 5: the old file was lost)";
        EXPECT_NE(std::string::npos, log.find(kind->path.substr(kind->path.find_last_of('/') + 1)))
            << when << ": the failure is not logged with the file's name; the log said:\n" << log;
        EXPECT_EQ(0, checkFile(when));
        EXPECT_EQ(sys::PathKind::Missing, sys::pathKind(kind->path + ".tmp")) << when;
    }
    // Room again: the save goes through.
    EXPECT_TRUE(kind->save(1));
    EXPECT_EQ(1, checkFile("with room again"));
}

INSTANTIATE_TEST_SUITE_P(Files, SaveTrial, ::testing::ValuesIn(kindNames()),
                         [](const ::testing::TestParamInfo<std::string>& info) { return info.param; });

} // namespace
