#include "game/progress.h"

#include "core/math.h"
#include "platform/sys/paths.h"
#include "tests/common/test_util.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

YMatrix numbered(float first)
{
    float v[16];
    for (int i = 0; i < 16; ++i)
        v[i] = first + static_cast<float>(i);
    return YMatrix(v);
}

std::string le32(int32_t v)
{
    std::string s;
    for (int i = 0; i < 4; ++i)
        s += static_cast<char>((static_cast<uint32_t>(v) >> (8 * i)) & 0xFF);
    return s;
}

bool loggedSince(size_t mark, const std::string& text)
{
    return testutil::logText().find(text, mark) != std::string::npos;
}

} // namespace

TEST(Progress, RoundTripsTheLevelBetweenTheTwoMatrices)
{
    ASSERT_TRUE(writeProgress(4, numbered(1), numbered(100)));
    std::string bytes = testutil::readText("ol.dat");
    ASSERT_EQ(132u, bytes.size());
    EXPECT_EQ(0, std::memcmp(bytes.data(), numbered(1).m, 64));
    EXPECT_EQ(le32(4), bytes.substr(64, 4));
    EXPECT_EQ(0, std::memcmp(bytes.data() + 68, numbered(100).m, 64));
    EXPECT_EQ(4, readProgress());

    ASSERT_TRUE(writeProgress(10000, "OL.DAT")); // replaces the file, whatever the case
    EXPECT_EQ(10000, readProgress("Ol.Dat"));
    ASSERT_EQ(1u, sys::listDirectory("*").size());
}

TEST(Progress, MissingShortOrNegativeGivesTheFirstLevel)
{
    size_t mark = testutil::logText().size();
    EXPECT_EQ(0, readProgress());
    EXPECT_EQ(mark, testutil::logText().size()); // a first start is no error

    const std::string full = std::string(64, '\x7f') + le32(9) + std::string(64, '\x01');
    for (size_t size : {0, 1, 64, 67}) {
        testutil::writeText("ol.dat", full.substr(0, size));
        mark = testutil::logText().size();
        EXPECT_EQ(0, readProgress()) << size;
        EXPECT_TRUE(loggedSince(mark, "Progress file ol.dat is too short")) << size;
    }
    testutil::writeText("ol.dat", full.substr(0, 68)); // only the level is needed
    EXPECT_EQ(9, readProgress());
    testutil::writeText("ol.dat", std::string(64, '\0') + le32(-5) + std::string(64, '\0'));
    EXPECT_EQ(0, readProgress());
}

TEST(Progress, AFailedWriteKeepsTheOldFile)
{
    ASSERT_TRUE(writeProgress(3, numbered(0), numbered(0)));
    const std::string old = testutil::readText("ol.dat");
    ASSERT_TRUE(sys::makeDirectories("ol.dat.tmp")); // the temporary file cannot be made
    size_t mark = testutil::logText().size();
    EXPECT_FALSE(writeProgress(7, numbered(0), numbered(0)));
    EXPECT_EQ(old, testutil::readText("ol.dat"));
    EXPECT_TRUE(loggedSince(mark, "Cannot save progress to ol.dat"));
}

TEST(LevelList, LevelFilesSortedWithoutFoldersOrTemporaryFiles)
{
    EXPECT_TRUE(listLevelNames().empty()); // no "levels" folder at all
    for (const char* name : {"levels/b_second", "levels/a_first", "levels/C_third", "levels/broken.tmp",
                             "levels/Half.TMP", "levels/thumb/a_first.bmp"})
        testutil::writeText(name, "x");
    EXPECT_EQ((std::vector<std::string>{"C_third", "a_first", "b_second"}), listLevelNames());
}
