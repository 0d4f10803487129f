#include "world/playfield.h"
#include "world/zdelete.h"

#include "tests/common/test_util.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

// Logs its name when it dies, then runs its action.
class Tracked : public YZDelete {
public:
    Tracked(std::string name, std::vector<std::string>& log) : mName(std::move(name)), mLog(log) {}
    ~Tracked() override
    {
        mLog.push_back(mName);
        if (onDestroy)
            onDestroy();
    }
    std::function<void()> onDestroy;

private:
    std::string mName;
    std::vector<std::string>& mLog;
};

class ZDeleteTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        YZDelete::deleteAllScheduled();
        EXPECT_TRUE(gZDeleteList.entries.empty());
        EXPECT_FALSE(gZDeleteList.sweeping);
        gWorldLive = true;
    }
    std::vector<std::string> deleted;
};

} // namespace

TEST_F(ZDeleteTest, CountsDownOncePerSweepAndTheFirstDelayStands)
{
    auto* now = new Tracked("now", deleted);
    auto* a = new Tracked("a", deleted);
    auto* b = new Tracked("b", deleted);
    now->deleteLater(0.0f);
    EXPECT_TRUE(deleted.empty()) << "never deleted at once";
    a->deleteLater(5.0f);
    a->deleteLater(0.25f); // ignored: the first delay stands
    b->deleteLater(0.75f);
    b->deleteLater(0.0f); // ignored
    // "now" goes at the next sweep; b moves into its place and is still
    // counted down in the same sweep, once.
    YZDelete::tickAll(0.25f);
    EXPECT_EQ(std::vector<std::string>{"now"}, deleted);
    YZDelete::tickAll(0.25f);
    EXPECT_EQ(1u, deleted.size());
    YZDelete::tickAll(0.25f);
    EXPECT_EQ((std::vector<std::string>{"now", "b"}), deleted);
    EXPECT_FLOAT_EQ(4.25f, a->remainingTime());
}

TEST_F(ZDeleteTest, ObjectsScheduledDuringTheSweepAreExaminedInIt)
{
    auto* parent = new Tracked("parent", deleted);
    Tracked* child = new Tracked("child", deleted);
    Tracked* late = new Tracked("late", deleted);
    parent->onDestroy = [&] {
        child->deleteLater(0.0f); // due now: goes in this sweep
        late->deleteLater(1.0f);  // counted down once in this sweep too
    };
    parent->deleteLater(0.0f);
    YZDelete::tickAll(0.25f);
    EXPECT_EQ((std::vector<std::string>{"parent", "child"}), deleted);
    ASSERT_EQ(1u, gZDeleteList.entries.size());
    EXPECT_FLOAT_EQ(0.75f, late->remainingTime());
}

TEST_F(ZDeleteTest, DirectDeleteLeavesTheList)
{
    auto* a = new Tracked("a", deleted);
    auto* b = new Tracked("b", deleted);
    auto* c = new Tracked("c", deleted);
    a->deleteLater(1.0f);
    b->deleteLater(1.0f);
    c->deleteLater(1.0f);
    delete a; // not through the sweep
    ASSERT_EQ(2u, gZDeleteList.entries.size());
    EXPECT_EQ(c, gZDeleteList.entries[0]) << "the last entry moves into the hole";
    // An unscheduled object never touches the list.
    delete new Tracked("x", deleted);
    EXPECT_EQ(2u, gZDeleteList.entries.size());
    YZDelete::tickAll(1.0f);
    EXPECT_EQ((std::vector<std::string>{"a", "x", "c", "b"}), deleted);
    // Tear-down takes also what the dying schedule.
    auto* p = new Tracked("p", deleted);
    auto* q = new Tracked("q", deleted);
    p->onDestroy = [&] { q->deleteLater(100.0f); };
    p->deleteLater(100.0f);
    YZDelete::deleteAllScheduled();
    EXPECT_EQ("q", deleted.back());
}

TEST_F(ZDeleteTest, ObjectDeletedDirectlyDuringTheSweepIsNotDeletedTwice)
{
    // A destructor that deletes another scheduled object outright, both
    // ahead of and behind it in the list. Without care the sweep would run
    // into the dead entries (ASan reports it).
    auto* before = new Tracked("before", deleted);
    auto* killer = new Tracked("killer", deleted);
    auto* after = new Tracked("after", deleted);
    before->deleteLater(5.0f);
    killer->deleteLater(0.0f);
    after->deleteLater(5.0f);
    killer->onDestroy = [&] {
        delete before;
        delete after;
    };
    YZDelete::tickAll(0.1f);
    EXPECT_EQ((std::vector<std::string>{"killer", "before", "after"}), deleted);
    EXPECT_TRUE(gZDeleteList.entries.empty());
    YZDelete::tickAll(10.0f);
    EXPECT_EQ(3u, deleted.size());
}

TEST_F(ZDeleteTest, TearDownIsSilentWithTheWorldLiveFlagOff)
{
    // Destructors read the flag to skip their effects.
    int effects = 0;
    Tracked* objs[3];
    for (Tracked*& o : objs) {
        o = new Tracked("o", deleted);
        o->onDestroy = [&] { effects += gWorldLive ? 1 : 0; };
        o->deleteLater(0.0f);
    }
    delete objs[0];
    EXPECT_EQ(1, effects) << "normal play shows the effect";
    {
        YWorldTearDown quiet;
        delete objs[1];
        YZDelete::tickAll(0.0f);
    }
    EXPECT_TRUE(gWorldLive) << "the flag comes back after the tear-down";
    EXPECT_EQ(1, effects);
    EXPECT_EQ(3u, deleted.size());
}

TEST(Playfield, OutsideBoundariesAreStrictAndBadSizesRefused)
{
    ASSERT_TRUE(setPlayfieldSize(20.0f, 30.0f));
    // Exactly on the widened edges (r = 1) or at the height limit: inside.
    for (YVec3 p : {YVec3(11, 0, 0), YVec3(-11, 0, 0), YVec3(0, 16, 0), YVec3(0, -16, 0),
                    YVec3(0, 0, -1), YVec3(0, 0, 100), YVec3(11, -16, -1)})
        EXPECT_FALSE(isOutsideTable(p, 1.0f)) << p.x << " " << p.y << " " << p.z;
    for (YVec3 p : {YVec3(11.001f, 0, 0), YVec3(-11.001f, 0, 0), YVec3(0, 16.001f, 0),
                    YVec3(0, -16.001f, 0), YVec3(0, 0, -1.001f), YVec3(0, 0, 100.01f)})
        EXPECT_TRUE(isOutsideTable(p, 1.0f)) << p.x << " " << p.y << " " << p.z;
    // Width along x, depth along y.
    EXPECT_FALSE(isOutsideTable(YVec3(0, 14.5f, 0), 0.0f));
    EXPECT_TRUE(isOutsideTable(YVec3(14.5f, 0, 0), 0.0f));

    size_t logStart = testutil::logText().size();
    for (float bad : {-4.0f, 0.0f, std::nanf(""), INFINITY}) {
        EXPECT_FALSE(setPlayfieldSize(bad, 18.0f));
        EXPECT_FALSE(setPlayfieldSize(24.0f, bad));
    }
    EXPECT_FLOAT_EQ(10.0f, gPlayfield.halfWidth);
    EXPECT_FLOAT_EQ(15.0f, gPlayfield.halfDepth);
    EXPECT_NE(std::string::npos, testutil::logText().find("Bad table size", logStart));
    ASSERT_TRUE(setPlayfieldSize(20.0f, 20.0f));
}
