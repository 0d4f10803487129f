#include "platform/sys/clock.h"
#include "platform/sys/files.h"
#include "platform/sys/instance_lock.h"
#include "platform/sys/paths.h"
#include "platform/sys/random.h"
#include "platform/sys/sync.h"
#include "tests/common/test_util.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <sys/stat.h>
#include <thread>
#include <sys/wait.h>
#include <unistd.h>

TEST(Random, SeedOneGivesTheClassicSequence)
{
    sys::Random r(1);
    const int expected[] = {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358};
    for (int value : expected)
        EXPECT_EQ(value, r.next());
}

TEST(Random, StaysInRangeAndReseedRepeats)
{
    sys::Random r(123456789u);
    int lowest = 1 << 20, highest = -1;
    for (int i = 0; i < 200000; ++i) {
        int v = r.next();
        lowest = std::min(lowest, v);
        highest = std::max(highest, v);
    }
    EXPECT_EQ(0, lowest);
    EXPECT_EQ(sys::RAND_LIMIT, highest);

    sys::srand(7);
    int a = sys::rand(), b = sys::rand();
    sys::srand(7);
    EXPECT_EQ(a, sys::rand());
    EXPECT_EQ(b, sys::rand());
    float u = sys::randUnit();
    EXPECT_GE(u, 0.0f);
    EXPECT_LE(u, 1.0f);
}

TEST(Clock, ManualClockDrivesTimeAndSleep)
{
    {
        sys::ManualClock clock(0xFFFFFFF0u);
        uint32_t before = sys::timeGetTime();
        sys::sleepMs(32); // wraps past zero
        uint32_t after = sys::timeGetTime();
        EXPECT_EQ(16u, after);
        EXPECT_EQ(32u, after - before); // differences survive the wrap
    }
    // The real clock is back and moves forward.
    uint32_t t0 = sys::timeGetTime();
    sys::sleepMs(2);
    EXPECT_GE(sys::timeGetTime() - t0, 1u);
}

TEST(Clock, AnotherThreadReadsTheManualClockWhileItMovesAndGoes)
{
    // The music player's thread reads the clock while a test advances it.
    auto clock = std::make_unique<sys::ManualClock>(1000);
    std::atomic<bool> monotonic{true};
    std::atomic<uint32_t> last{0};
    std::thread reader([&] {
        uint32_t previous = 1000;
        for (int i = 0; i < 10000000 && previous != 11000; ++i) {
            uint32_t now = sys::timeGetTime();
            if (now < previous)
                monotonic = false;
            previous = now;
        }
        last = previous;
    });
    for (int i = 0; i < 10000; ++i)
        clock->advance(1);
    reader.join();
    EXPECT_TRUE(monotonic);
    EXPECT_EQ(11000u, last);
    EXPECT_EQ(11000u, sys::timeGetTime());

    // Clocks come and go while the thread reads: it sees one of them or the
    // real clock, never a clock that is gone.
    std::atomic<bool> done{false};
    std::thread watcher([&] {
        while (!done)
            sys::timeGetTime();
    });
    for (int i = 0; i < 2000; ++i) {
        clock.reset();
        clock = std::make_unique<sys::ManualClock>(static_cast<uint32_t>(i));
    }
    done = true;
    watcher.join();
}

TEST(Paths, BackslashesAndCaseAreResolved)
{
    testutil::writeText("Data/Mesh/Ball2.MES", "x");
    EXPECT_EQ("Data/Mesh/Ball2.MES", sys::resolvePath("data\\mesh\\ball2.mes"));
    EXPECT_EQ("Data/Mesh/Ball2.MES", sys::resolvePath("DATA/MESH/BALL2.mes"));
    // Exact paths are returned unchanged.
    EXPECT_EQ("Data/Mesh/Ball2.MES", sys::resolvePath("Data\\Mesh\\Ball2.MES"));
    // A missing file keeps its name under the resolved folders.
    EXPECT_EQ("Data/Mesh/new.mes", sys::resolvePath("data\\mesh\\new.mes"));
    // A missing folder keeps the rest of the path as given.
    EXPECT_EQ("Data/Nope/Ball2.mes", sys::resolvePath("data\\Nope\\Ball2.mes"));
    EXPECT_EQ("", sys::resolvePath(""));
    std::string text;
    EXPECT_TRUE(sys::readFile("DATA\\mesh\\BALL2.mes", text));
    EXPECT_EQ("x", text);
}

TEST(Paths, AmbiguousCasePicksTheSmallestName)
{
    testutil::writeText("amb/File.txt", "upper");
    testutil::writeText("amb/file.TXT", "lower");
    // Neither spelling exists exactly; "File.txt" < "file.TXT" in bytes.
    EXPECT_EQ("amb/File.txt", sys::resolvePath("amb\\FILE.TXT"));
}

TEST(Paths, WildcardsIgnoreCase)
{
    EXPECT_TRUE(sys::wildcardMatch("*", "anything"));
    EXPECT_TRUE(sys::wildcardMatch("*", ""));
    EXPECT_TRUE(sys::wildcardMatch("*.ogg", "Track01.OGG"));
    EXPECT_FALSE(sys::wildcardMatch("*.ogg", "track01.ogg.bak"));
    EXPECT_TRUE(sys::wildcardMatch("a?c", "ABC"));
    EXPECT_FALSE(sys::wildcardMatch("a?c", "ac"));
    EXPECT_TRUE(sys::wildcardMatch("*a*b*", "xxaYYbzz"));
    EXPECT_FALSE(sys::wildcardMatch("*a*b", "xxaYYbzz"));
    EXPECT_FALSE(sys::wildcardMatch("", "x"));
}

TEST(Paths, ListingSortsByBytesAndMarksFolders)
{
    testutil::writeText("lst/b.lev", "");
    testutil::writeText("lst/A.lev", "");
    testutil::writeText("lst/c.txt", "");
    testutil::writeText("lst/sub/x", "");
    auto all = sys::listDirectory("LST\\*");
    ASSERT_EQ(4u, all.size());
    EXPECT_EQ("A.lev", all[0].name);
    EXPECT_EQ("b.lev", all[1].name);
    EXPECT_EQ("c.txt", all[2].name);
    EXPECT_EQ("sub", all[3].name);
    EXPECT_TRUE(all[3].directory);
    EXPECT_FALSE(all[0].directory);
    auto levels = sys::listDirectory("lst\\*.LEV");
    ASSERT_EQ(2u, levels.size());
    EXPECT_TRUE(sys::listDirectory("missing\\*").empty());
}

TEST(Files, AtomicWriteReplacesOrKeepsTheOldFile)
{
    std::string error;
    ASSERT_TRUE(sys::writeFileAtomic("safe.dat", "first", &error)) << error;
    ASSERT_TRUE(sys::writeFileAtomic("safe.dat", "second", &error)) << error;
    EXPECT_EQ("second", testutil::readText("safe.dat"));
    EXPECT_EQ(sys::PathKind::Missing, sys::pathKind("safe.dat.tmp"));

    // A folder that cannot be written: the write fails, says why, and the
    // old file is untouched.
    sys::makeDirectories("ro");
    testutil::writeText("ro/keep.dat", "old");
    ::chmod("ro", 0555);
    bool rootCanWrite = ::access("ro", W_OK) == 0; // root ignores permissions
    if (!rootCanWrite) {
        EXPECT_FALSE(sys::writeFileAtomic("ro/keep.dat", "new", &error));
        EXPECT_NE(std::string::npos, error.find("ro/keep.dat.tmp"));
        EXPECT_EQ("old", testutil::readText("ro/keep.dat"));
    }
    ::chmod("ro", 0755);

    // Writing into a missing folder fails cleanly.
    EXPECT_FALSE(sys::writeFileAtomic("nofolder/x.dat", "x", &error));
    EXPECT_FALSE(error.empty());
}

TEST(Files, AtomicWritersOfOneFileTakeTurns)
{
    // A writer that died before its rename left its temporary file behind,
    // longer than anything written below.
    testutil::writeText("shared.dat.tmp", std::string(100000, 'x'));

    // Two writers of different lengths: a shared temporary file would mix
    // their bytes, or one would rename the other's file away and fail.
    const std::string contents[2] = {std::string(40000, 'a'), std::string(3000, 'b')};
    std::atomic<int> failures{0};
    std::string firstError;
    std::mutex errorLock;
    auto writer = [&](int which) {
        for (int i = 0; i < 40; ++i) {
            std::string error;
            if (!sys::writeFileAtomic("shared.dat", contents[which], &error)) {
                ++failures;
                std::lock_guard<std::mutex> guard(errorLock);
                if (firstError.empty())
                    firstError = error;
            }
        }
    };
    std::thread one(writer, 0), two(writer, 1);
    one.join();
    two.join();
    EXPECT_EQ(0, failures.load()) << firstError;
    std::string last = testutil::readText("shared.dat");
    EXPECT_TRUE(last == contents[0] || last == contents[1]) << last.size() << " bytes";
    EXPECT_EQ(sys::PathKind::Missing, sys::pathKind("shared.dat.tmp"));
}

TEST(InstanceLock, SecondHolderIsRefusedUntilRelease)
{
    sys::InstanceLock first, second;
    EXPECT_TRUE(first.acquire("TarvelinTest"));
    EXPECT_TRUE(first.held());
    EXPECT_FALSE(second.acquire("TarvelinTest"));
    first.release();
    EXPECT_TRUE(second.acquire("TarvelinTest"));
    // A different name is a different lock.
    sys::InstanceLock other;
    EXPECT_TRUE(other.acquire("TarvelinOther"));
}

TEST(InstanceLock, AnotherProcessSeesTheLock)
{
    sys::InstanceLock lock;
    ASSERT_TRUE(lock.acquire("TarvelinFork"));
    pid_t child = ::fork();
    if (child == 0) {
        sys::InstanceLock inChild;
        ::_exit(inChild.acquire("TarvelinFork") ? 1 : 0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(0, WEXITSTATUS(status));
}

TEST(Sync, AutoResetEventWakesOneWaitThenClears)
{
    sys::AutoResetEvent event;
    EXPECT_FALSE(event.wait(5));
    event.set();
    EXPECT_TRUE(event.wait(0));
    EXPECT_FALSE(event.wait(0)); // cleared itself

    std::atomic<int> woke{0};
    std::thread waiter([&] {
        if (event.wait(5000))
            ++woke;
    });
    event.set();
    waiter.join();
    EXPECT_EQ(1, woke.load());
}

TEST(Sync, CriticalSectionIsReentrant)
{
    sys::CriticalSection section;
    sys::Lock outer(section);
    sys::Lock inner(section); // would deadlock on a plain mutex
    SUCCEED();
}
