#include "core/log.h"
#include "tests/common/test_util.h"

#include <gtest/gtest.h>

#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

struct RecordingSink : YLogSink {
    std::vector<std::string> lines;
    void print(const char* text) override { lines.push_back(text); }
};

// Lines of log.txt after the system check's first line.
std::vector<std::string> logLines()
{
    std::vector<std::string> lines;
    std::istringstream in(testutil::logText());
    std::string line;
    while (std::getline(in, line))
        lines.push_back(line);
    return lines;
}

} // namespace

// The system check's lines open the log: the operating system, then the
// graphics and the sound interface that the machine offers (the test
// machine has both, as the offscreen driver needs EGL).
TEST(Log, SystemCheckComesFirstThenLinesInOrder)
{
    YLog::write("first");
    YLog::writef("%s %d", "second", 2);
    auto lines = logLines();
    ASSERT_GE(lines.size(), 5u);
    EXPECT_EQ(0u, lines[0].find("Operating system: "));
    EXPECT_EQ(0u, lines[1].find("Graphics interface: OpenGL through EGL ")) << lines[1];
    EXPECT_EQ(0u, lines[2].find("Sound interface: OpenAL ")) << lines[2];
    EXPECT_EQ("first", lines[lines.size() - 2]);
    EXPECT_EQ("second 2", lines.back());
}

TEST(Log, AppendPrefixesTheNextLineAndReachesTheSink)
{
    YLog::open(); // the system check's line is not part of this test
    RecordingSink sink;
    YLog::setSink(&sink);
    YLog::append("A");
    YLog::appendf("%d", 7);
    YLog::write("B");
    YLog::write("C"); // the prefix is used once
    YLog::write("one\ntwo");
    YLog::setSink(nullptr);
    YLog::write("not copied");

    ASSERT_EQ(3u, sink.lines.size());
    EXPECT_EQ("A7B", sink.lines[0]);
    EXPECT_EQ("C", sink.lines[1]);
    EXPECT_EQ("one\ntwo", sink.lines[2]); // the console splits it itself
    auto lines = logLines();
    ASSERT_GE(lines.size(), 5u);
    EXPECT_EQ("A7B", lines[lines.size() - 5]);
    EXPECT_EQ("one", lines[lines.size() - 3]);
    EXPECT_EQ("two", lines[lines.size() - 2]);
}

TEST(Log, LongMessagesAreCutAt1023Characters)
{
    std::string big(3000, 'x');
    YLog::writef("%s", big.c_str());
    auto lines = logLines();
    EXPECT_EQ(std::string(1023, 'x'), lines.back());
    YLog::write(big.c_str()); // plain writes are not cut
    EXPECT_EQ(big, logLines().back());
}

TEST(Log, ThreadsWriteWholeLinesWithTheirOwnPrefix)
{
    YLog::append("MAIN:"); // must not leak into other threads' lines
    const int perThread = 300;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([t] {
            for (int i = 0; i < perThread; ++i) {
                YLog::appendf("T%d:", t);
                YLog::writef("line %d of thread %d", i, t);
            }
        });
    }
    for (auto& th : threads)
        th.join();
    YLog::write("end");

    int counts[4] = {0, 0, 0, 0};
    for (const std::string& line : logLines()) {
        int prefixThread = -1, i = -1, t = -1;
        if (std::sscanf(line.c_str(), "T%d:line %d of thread %d", &prefixThread, &i, &t) == 3) {
            ASSERT_EQ(prefixThread, t) << line;
            std::string expected = "T" + std::to_string(t) + ":line " + std::to_string(i) + " of thread " +
                                   std::to_string(t);
            ASSERT_EQ(expected, line);
            ++counts[t];
        } else {
            ASSERT_EQ(std::string::npos, line.find("thread")) << "broken line: " << line;
        }
    }
    for (int t = 0; t < 4; ++t)
        EXPECT_EQ(perThread, counts[t]);
    EXPECT_EQ("MAIN:end", logLines().back());
}
