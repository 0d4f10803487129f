#include "tests/world/block_test_fixture.h"
#include "platform/sys/random.h"
#include "world/level_start.h"

#include <gtest/gtest.h>

using namespace blocktest;

namespace {

BuilderLog gLog;
std::vector<int> gMadeIds;

YBonusBuilder* recordingMaker(int id)
{
    gMadeIds.push_back(id);
    return new RecordingBuilder(gLog);
}

class LevelStart : public BlockTest {
protected:
    void SetUp() override
    {
        BlockTest::SetUp();
        gLog = BuilderLog();
        gMadeIds.clear();
        setBonusBuilderMaker(recordingMaker);
        sys::srand(1);
    }
    void TearDown() override
    {
        setBonusBuilderMaker(nullptr);
        BlockTest::TearDown();
    }

    static YLevelItem item(int x, const char* material, int bonus = -1)
    {
        YLevelItem it;
        it.x = x;
        it.material = material;
        it.glue = 1000.0f;
        it.bonus = bonus;
        return it;
    }

    // Builds the level into a new set and counts the items holding bonuses,
    // opaque and see-through, over every block the set split into.
    void build(const YLevelFile& level, int& opaque, int& blended)
    {
        auto* set = new YBlockSet();
        buildLevelBlocks(*set, level);
        opaque = blended = 0;
        for (YBlockSet* s : all<YBlockSet>())
            for (size_t i = 0; i < s->itemCount(); ++i)
                if (s->item(i)->builder)
                    ++(s->item(i)->shape->material->name == "glass" ? blended : opaque);
    }
};

} // namespace

TEST_F(LevelStart, PlacedBonusesUseUpTheirCountsAndTheRestIsDealtOpaqueFirst)
{
    YLevelFile level;
    for (int x = 0; x < 2; ++x)
        level.items.push_back(item(x, "plain"));
    level.items.push_back(item(2, "plain", 5)); // placed: uses up one of id 5
    for (int x = 3; x < 5; ++x)
        level.items.push_back(item(x, "glass"));
    level.bonusCounts[5] = 1;
    int opaque, blended;
    build(level, opaque, blended);
    EXPECT_EQ((std::vector<int>{5}), gMadeIds); // nothing dealt at random
    EXPECT_EQ(1, opaque);
    EXPECT_EQ(0, blended);
    EXPECT_EQ(0, gBonusCounts[5]);

    clearWorld();
    gMadeIds.clear();
    level.bonusCounts[1] = 3; // two free opaque items, then one glass
    build(level, opaque, blended);
    EXPECT_EQ(3, opaque);
    EXPECT_EQ(1, blended);
    EXPECT_EQ(4u, gMadeIds.size());
}

TEST_F(LevelStart, MoreBonusesThanFreeItemsLoseTheExcessAndNegativeCountsGiveNothing)
{
    YLevelFile level;
    for (int x = 0; x < 3; ++x)
        level.items.push_back(item(x, x == 2 ? "glass" : "plain"));
    level.bonusCounts[0] = 2;
    level.bonusCounts[3] = 10;
    level.bonusCounts[7] = -4; // more placed than the level's total: nothing
    int opaque, blended;
    build(level, opaque, blended);
    EXPECT_EQ(2, opaque);
    EXPECT_EQ(1, blended);
    // Ids are dealt in increasing order: the two of id 0 first.
    ASSERT_EQ(3u, gMadeIds.size());
    EXPECT_EQ(0, gMadeIds[0]);
    EXPECT_EQ(0, gMadeIds[1]);
    EXPECT_EQ(3, gMadeIds[2]);
}

TEST_F(LevelStart, CentredLevelsAreShiftedToTheMiddleAndUnknownMaterialsSkipped)
{
    YLevelFile level;
    level.center = true;
    for (int x = 0; x < 10; ++x)
        level.items.push_back(item(x, "plain"));
    level.items.push_back(item(20, "unobtainium"));
    auto* set = new YBlockSet();
    buildLevelBlocks(*set, level);
    ASSERT_EQ(10u, set->itemCount());
    // The item of cell 0 has its centre at 0.5: shifted by -5.0.
    YVec3 first = set->itemTransform(set->item(0)).translation();
    EXPECT_NEAR(-4.5f, first.x, 1e-3f);
    EXPECT_NE(std::string::npos, testutil::logText().find("unobtainium"));
}

TEST_F(LevelStart, AnUnreadableLevelLeavesAnEmptyWorld)
{
    BlockTest::build({{0, 0, 0}});
    EXPECT_FALSE(loadLevelBlocks("levels\\missing"));
    EXPECT_TRUE(all<YBlockSingle>().empty());
    for (YBlockSet* s : all<YBlockSet>())
        EXPECT_EQ(0u, s->itemCount());
}

TEST_F(LevelStart, ANegativeCountDealsNothingOfItsIdAndLowersTheOthers)
{
    // The random total is the sum of every count, negative ones included.
    struct Case {
        std::vector<std::pair<int, int>> counts; // id, count
        int placedId;                            // one item holds it (-1 none)
        std::vector<int> made;                   // builders made, in order
    };
    const Case cases[] = {
        {{{2, 1}, {7, -1}}, -1, {}},             // total 0: nothing dealt
        {{{2, 1}}, 7, {7}},                      // placed beyond its count of 0
        {{{2, 1}, {7, -3}}, -1, {}},             // total below 0
        {{{2, 3}, {7, -1}}, -1, {2, 2}},         // id 2 gets 2 of its 3
        {{{1, -1}, {4, 1}, {6, 2}}, -1, {4, 6}}, // lower ids first
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.counts));
        clearWorld();
        gMadeIds.clear();
        YLevelFile level;
        for (int x = 0; x < 4; ++x)
            level.items.push_back(item(x, "plain"));
        if (c.placedId >= 0)
            level.items.push_back(item(4, "plain", c.placedId));
        for (auto [id, count] : c.counts)
            level.bonusCounts[id] = count;
        int opaque, blended;
        build(level, opaque, blended);
        EXPECT_EQ(c.made, gMadeIds);
        EXPECT_EQ(static_cast<int>(c.made.size()), opaque);
        EXPECT_EQ(0, blended);
    }
}
