#include "world/level_file.h"

#include "core/streams.h"
#include "platform/sys/paths.h"
#include "tests/common/test_util.h"
#include "tests/common/unsized_stream.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>

namespace {

const int32_t I32_MAX = std::numeric_limits<int32_t>::max();
const int32_t I32_MIN = std::numeric_limits<int32_t>::min();
const float INF = std::numeric_limits<float>::infinity();

// Level bytes made by hand, little-endian, independent of the writer.
struct Bytes {
    std::string s;
    Bytes& u8(unsigned v) { s += static_cast<char>(v & 0xFF); return *this; }
    Bytes& i32(int32_t v)
    {
        for (int i = 0; i < 4; ++i)
            u8(static_cast<uint32_t>(v) >> (8 * i));
        return *this;
    }
    Bytes& f32(float v)
    {
        int32_t bits;
        std::memcpy(&bits, &v, 4);
        return i32(bits);
    }
    Bytes& str(const std::string& t) { u8(t.size()).u8(t.size() >> 8); s += t; return *this; }
    // Everything before the bonus counts.
    Bytes& pre(float cell = 1, float width = 20, float depth = 20)
    {
        return f32(cell).f32(cell).f32(cell).f32(width).f32(depth).str("stone").str("sky").u8(0);
    }
    // The same, no bonus counts, then M.
    Bytes& head(int32_t m, float cell = 1, float width = 20, float depth = 20)
    {
        return pre(cell, width, depth).i32(0).i32(m);
    }
    Bytes& item(int32_t x, int32_t y, int32_t z, int32_t w, int32_t h, int32_t d, const std::string& mat = "m",
                float glue = 35, int32_t bonus = -1)
    {
        return i32(x).i32(y).i32(z).i32(w).i32(h).i32(d).str(mat).f32(glue).i32(bonus);
    }
};

size_t logMark() { return testutil::logText().size(); }
bool loggedSince(size_t mark, const std::string& text)
{
    return testutil::logText().find(text, mark) != std::string::npos;
}

bool readBytes(const std::string& bytes, YLevelFile& level, const YMaterialFilter& known = nullptr)
{
    InMemStream in(bytes);
    return readLevelFile(in, level, known, "test");
}

YLevelFile sampleLevel()
{
    YLevelFile level;
    level.cellSize = YVec3(1.0f, 0.5f, 2.0f);
    level.tableWidth = 24.0f;
    level.tableDepth = 30.5f;
    level.tableMaterial = "marble";
    level.environment = "night";
    level.center = true;
    for (int id = 0; id < LEVEL_BONUS_ID_COUNT; ++id)
        level.bonusCounts[static_cast<size_t>(id)] = id % 3;
    level.items = {{0, 0, 0, 3, 3, 1, "brick", 35.0f, -1},
                   {-5, 7, 2, 1, 9, 1, "glass", 1.25f, 23},
                   {4, -3, 0, 3, 3, 3, "", 1000.0f, 0}};
    return level;
}

// A level no failed read may touch.
YLevelFile sentinel()
{
    YLevelFile level;
    level.environment = "untouched";
    level.items.push_back({1, 2, 3, 1, 1, 1, "keep", 5.0f, 4});
    return level;
}

} // namespace

TEST(LevelFile, WritesTheDocumentedBytesAndReadsThemBack)
{
    YLevelFile level;
    level.cellSize = YVec3(1.0f, 0.5f, 2.0f);
    level.tableDepth = 24.0f;
    level.tableMaterial = "ab";
    level.center = true;
    level.bonusCounts[0] = 2;
    level.bonusCounts[23] = 7;
    level.items.push_back({-1, 2, 0, 2, 1, 3, "c", 35.5f, 23});
    OutMemStream out;
    ASSERT_TRUE(writeLevelFile(out, level));

    Bytes expected;
    expected.f32(1).f32(0.5f).f32(2).f32(20).f32(24).str("ab").str("").u8(1).i32(24).i32(2);
    for (int id = 1; id < 23; ++id)
        expected.i32(0);
    expected.i32(7).i32(1).item(-1, 2, 0, 2, 1, 3, "c", 35.5f, 23);
    EXPECT_EQ(expected.s, out.data());
    EXPECT_EQ(std::string("\x00\x00\x80\x3f" "\x00\x00\x00\x3f", 8), out.data().substr(0, 8));

    YLevelFile back;
    ASSERT_TRUE(readBytes(out.data(), back));
    EXPECT_TRUE(back == level);
}

TEST(LevelFile, EveryFieldRoundTripsThroughAFile)
{
    ASSERT_TRUE(sys::makeDirectories("levels"));
    ASSERT_TRUE(saveLevelFile(std::string(gLevelDir) + "one", sampleLevel()));
    YLevelFile back;
    ASSERT_TRUE(loadLevelFile("LEVELS\\One", back));
    EXPECT_TRUE(back == sampleLevel()); // items in the same order

    // No items, an unset flag, and names as long as a stored text can be.
    YLevelFile plain;
    plain.environment.assign(OutStream::MAX_STRING, 'e');
    ASSERT_TRUE(saveLevelFile("levels\\plain", plain));
    ASSERT_TRUE(loadLevelFile("levels\\plain", back));
    EXPECT_TRUE(back == plain);

    Bytes flag;
    flag.f32(1).f32(1).f32(1).f32(20).f32(20).str("").str("").u8(0x80).i32(0).i32(0);
    ASSERT_TRUE(readBytes(flag.s + "trailing bytes", back));
    EXPECT_TRUE(back.center);
}

TEST(LevelFile, TruncationAtEveryByteFailsAndChangesNothing)
{
    OutMemStream out;
    ASSERT_TRUE(writeLevelFile(out, sampleLevel()));
    const std::string full = out.data();
    for (size_t cut = 0; cut < full.size(); ++cut) {
        YLevelFile level = sentinel();
        EXPECT_FALSE(readBytes(full.substr(0, cut), level)) << cut;
        testutil::UnsizedStream unsized(full.substr(0, cut)); // cannot tell what is left
        EXPECT_FALSE(readLevelFile(unsized, level)) << cut;
        EXPECT_TRUE(level == sentinel()) << cut;
    }

    testutil::writeText("levels/short", full.substr(0, full.size() - 3));
    size_t mark = logMark();
    YLevelFile level = sentinel();
    EXPECT_FALSE(loadLevelFile("levels\\short", level));
    EXPECT_FALSE(loadLevelFile("levels\\missing", level));
    EXPECT_TRUE(level == sentinel());
    EXPECT_TRUE(loggedSince(mark, "Cannot load level levels\\short: the file ends inside the items"));
    EXPECT_TRUE(loggedSince(mark, "Cannot open level levels\\missing"));
}

TEST(LevelFile, HugeOrNegativeCountsFailAtOnce)
{
    for (int32_t n : {I32_MAX, 1 << 28, 3, -1, I32_MIN}) {
        Bytes counts; // N counts promised, two present
        counts.pre().i32(n).i32(1).i32(2);
        Bytes items;
        items.head(n).item(0, 0, 0, 1, 1, 1);
        YLevelFile level = sentinel();
        EXPECT_FALSE(readBytes(counts.s, level)) << n;
        EXPECT_FALSE(readBytes(items.s, level)) << n;
        EXPECT_TRUE(level == sentinel());
    }
    // Exactly enough bytes for one item.
    YLevelFile level;
    EXPECT_TRUE(readBytes(Bytes().head(1).item(0, 0, 0, 1, 1, 1, "").s, level));
    EXPECT_EQ(1u, level.items.size());
    // Without a known length the reader stops at the end of the data, not
    // after two billion items.
    testutil::UnsizedStream in(Bytes().head(I32_MAX).item(0, 0, 0, 1, 1, 1).s);
    EXPECT_FALSE(readLevelFile(in, level));
}

TEST(LevelFile, BonusCountsAndIdsAreKeptInRange)
{
    // 26 counts: the two beyond the ids are dropped and the items stay in step.
    Bytes many;
    many.pre().i32(26);
    for (int id = 0; id < 26; ++id)
        many.i32(id + 100);
    many.i32(1).item(1, 2, 3, 1, 1, 1, "m", 9, 5);
    YLevelFile level;
    ASSERT_TRUE(readBytes(many.s, level));
    EXPECT_EQ(100, level.bonusCounts[0]);
    EXPECT_EQ(123, level.bonusCounts[23]);
    ASSERT_EQ(1u, level.items.size());
    EXPECT_EQ(5, level.items[0].bonus);

    // Fewer counts leave the rest 0; wild ones are clamped so no sum overflows.
    Bytes wild;
    wild.pre().i32(3).i32(-4).i32(I32_MAX).i32(YLevelFile::MAX_BONUS_COUNT).i32(0);
    size_t mark = logMark();
    ASSERT_TRUE(readBytes(wild.s, level));
    EXPECT_EQ(0, level.bonusCounts[0]);
    EXPECT_EQ(YLevelFile::MAX_BONUS_COUNT, level.bonusCounts[1]);
    EXPECT_EQ(YLevelFile::MAX_BONUS_COUNT, level.bonusCounts[2]);
    EXPECT_EQ(0, level.bonusCounts[3]);
    EXPECT_TRUE(loggedSince(mark, "bonus count -4 of bonus id 0 taken as 0"));

    // Ids outside -1 .. 23 place no bonus; the item stays.
    const int32_t ids[] = {24, -2, 23, -1, I32_MIN};
    const int32_t kept[] = {-1, -1, 23, -1, -1};
    Bytes b;
    b.head(5);
    for (int i = 0; i < 5; ++i)
        b.item(i, 0, 0, 1, 1, 1, "m", 1, ids[i]);
    mark = logMark();
    ASSERT_TRUE(readBytes(b.s, level));
    ASSERT_EQ(5u, level.items.size());
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(kept[i], level.items[static_cast<size_t>(i)].bonus) << ids[i];
    EXPECT_TRUE(loggedSince(mark, "item 0 has bonus id 24"));
    EXPECT_TRUE(loggedSince(mark, "item 1 has bonus id -2"));
    EXPECT_FALSE(loggedSince(mark, "item 2 has"));
}

TEST(LevelFile, ItemsThatCannotBeBuiltAreSkipped)
{
    struct Case { int32_t x, y, z, w, h, d; float glue; bool kept; };
    const Case cases[] = {
        {0, 0, 0, 3, 3, 3, 1, true}, {0, 0, 0, 1, 9, 1, 1, true},    // faces of 9 cells
        {0, 0, 0, 0, 1, 1, 1, false}, {0, 0, 0, 1, -1, 1, 1, false}, // empty
        {0, 0, 0, 1, 1, 10, 1, false}, {0, 0, 0, 2, 5, 1, 1, false}, // too long, a face of 10
        {0, 0, 0, 1, 2, 5, 1, false}, {0, 0, 0, 5, 1, 2, 1, false},
        {-256, 0, 0, 1, 1, 1, 1, true}, {0, 0, 247, 1, 1, 9, 1, true}, // the coordinate limits
        {-257, 0, 0, 1, 1, 1, 1, false}, {0, 248, 0, 1, 9, 1, 1, false},
        {0, I32_MAX, 0, 1, 1, 1, 1, false}, {0, 0, I32_MIN, 1, 1, 1, 1, false},
        {0, 0, 0, 1, 1, 1, std::nanf(""), false}, {0, 0, 0, 1, 1, 1, INF, false}, // glue
    };
    for (const Case& c : cases) {
        // The bad item sits between two good ones, which are still read.
        Bytes b;
        b.head(3).item(-3, 0, 0, 1, 1, 1, "first").item(c.x, c.y, c.z, c.w, c.h, c.d, "mid", c.glue);
        b.item(3, 0, 0, 1, 1, 1, "last");
        SCOPED_TRACE(::testing::Message() << c.x << "," << c.y << "," << c.z << " " << c.w << "x" << c.h << "x" << c.d);
        size_t mark = logMark();
        YLevelFile level;
        ASSERT_TRUE(readBytes(b.s, level));
        ASSERT_EQ(c.kept ? 3u : 2u, level.items.size());
        EXPECT_EQ("last", level.items.back().material);
        EXPECT_EQ(!c.kept, loggedSince(mark, "item 1 at"));
    }
    // Items far apart would need a huge occupancy grid: the level fails.
    Bytes spread;
    spread.head(2).item(-256, -256, -256, 1, 1, 1).item(255, 255, 255, 1, 1, 1);
    size_t mark = logMark();
    YLevelFile level = sentinel();
    EXPECT_FALSE(readBytes(spread.s, level));
    EXPECT_TRUE(level == sentinel());
    EXPECT_TRUE(loggedSince(mark, "the items span 134217728 cells"));
}

TEST(LevelFile, CellAndTableSizesOutOfRangeFailTheLevel)
{
    const float nan = std::nanf("");
    for (float bad : {0.0f, -0.0f, -1.0f, nan, INF, 1e-30f, 0.0099f, 100.5f}) {
        for (int axis = 0; axis < 3; ++axis) {
            Bytes b;
            for (int a = 0; a < 3; ++a)
                b.f32(a == axis ? bad : 1.0f);
            b.f32(20).f32(20).str("").str("").u8(0).i32(0).i32(0);
            YLevelFile level = sentinel();
            EXPECT_FALSE(readBytes(b.s, level)) << bad << " on axis " << axis;
            EXPECT_TRUE(level == sentinel());
        }
    }
    for (float bad : {7.9f, 100.1f, 0.0f, -20.0f, nan, INF}) {
        YLevelFile level = sentinel();
        EXPECT_FALSE(readBytes(Bytes().head(0, 1, bad, 20).s, level)) << bad;
        EXPECT_FALSE(readBytes(Bytes().head(0, 1, 20, bad).s, level)) << bad;
        EXPECT_TRUE(level == sentinel());
    }
    YLevelFile level;
    for (float good : {0.01f, 0.25f, 10.0f, 100.0f})
        EXPECT_TRUE(readBytes(Bytes().head(0, good).s, level)) << good;
    for (float good : {8.0f, 100.0f})
        EXPECT_TRUE(readBytes(Bytes().head(0, 1, good, good).s, level)) << good;
}

TEST(LevelFile, ItemsOfUnknownMaterialsAreSkipped)
{
    Bytes b;
    b.head(4).item(0, 0, 0, 1, 1, 1, "brick", 1, 2).item(1, 0, 0, 1, 1, 1, "glass");
    b.item(2, 0, 0, 1, 1, 1, "Brick").item(3, 0, 0, 1, 1, 1, "stone");
    auto known = [](const std::string& name) { return name == "brick" || name == "stone"; };
    size_t mark = logMark();
    YLevelFile level;
    ASSERT_TRUE(readBytes(b.s, level, known));
    ASSERT_EQ(2u, level.items.size());
    EXPECT_EQ(2, level.items[0].bonus);
    EXPECT_EQ("stone", level.items[1].material);
    EXPECT_TRUE(loggedSince(mark, "item 1 at 1,0,0 skipped: no block material \"glass\""));
    EXPECT_TRUE(loggedSince(mark, "no block material \"Brick\"")); // names match exactly

    ASSERT_TRUE(readBytes(b.s, level)); // without a filter every name is taken
    EXPECT_EQ(4u, level.items.size());
}

TEST(LevelFile, RefusedOrFailedSavesKeepTheOldFile)
{
    // The writer refuses what the reader would not take back unchanged.
    const auto breakers = {
        +[](YLevelFile& l) { l.cellSize.z = 0; }, +[](YLevelFile& l) { l.tableWidth = std::nanf(""); },
        +[](YLevelFile& l) { l.bonusCounts[4] = -1; }, +[](YLevelFile& l) { l.items[2].bonus = 24; },
        +[](YLevelFile& l) { l.items[0].w = 4; }, +[](YLevelFile& l) { l.items[1].glue = INF; },
        +[](YLevelFile& l) { l.tableMaterial.assign(OutStream::MAX_STRING + 1, 't'); }};
    for (auto breakLevel : breakers) {
        YLevelFile bad = sampleLevel();
        breakLevel(bad);
        OutMemStream out;
        EXPECT_FALSE(writeLevelFile(out, bad));
        EXPECT_FALSE(out.good());
    }

    ASSERT_TRUE(sys::makeDirectories("levels"));
    ASSERT_TRUE(saveLevelFile("levels\\keep", sampleLevel()));
    const std::string old = testutil::readText("levels/keep");
    YLevelFile bad = sampleLevel();
    bad.cellSize.x = -1.0f;
    size_t mark = logMark();
    EXPECT_FALSE(saveLevelFile("levels\\keep", bad));
    EXPECT_EQ(old, testutil::readText("levels/keep"));
    EXPECT_TRUE(loggedSince(mark, "Cannot write level: cell size -1x0.5x2"));
    EXPECT_TRUE(loggedSince(mark, "Cannot save level levels\\keep"));

    // The temporary file cannot be made while a folder has its name.
    ASSERT_TRUE(sys::makeDirectories("levels/keep.tmp"));
    EXPECT_FALSE(saveLevelFile("levels\\keep", YLevelFile()));
    EXPECT_EQ(old, testutil::readText("levels/keep"));
    EXPECT_FALSE(saveLevelFile("nowhere\\level", YLevelFile()));
}
