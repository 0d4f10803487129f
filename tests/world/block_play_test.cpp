// Blocks under the running physics: a structure settles and stands, and
// balls that damage what they touch wear it down to nothing, with every
// bump, split and deletion going through the real step.
#include "tests/world/block_test_fixture.h"

using namespace blocktest;

namespace {

// What the damage modes do: a hit of the contact force.
class DamageMode : public RecordingBallMode {
public:
    bool bumpSet(YBlockSet* set, YBlockItem* item, const YVec3& force, const YVec3&,
                 const YVec3& position, const YVec3&, float) override
    {
        ++hits;
        return set->hitItem(item, force.length(), position);
    }
    bool bumpSingle(YBlockSingle* single, const YVec3& force, const YVec3&, const YVec3& position,
                    const YVec3&, float) override
    {
        ++hits;
        return single->hit(force.length(), position);
    }
    int hits = 0;
};

class BlockPlayTest : public BlockTest {
protected:
    void frame(float dt = 0.05f)
    {
        gPhysics->step(dt);
        drawFrontToBack();
        drawBackToFront();
        updateAllBlocks(dt, false);
        gParticles().update(dt);
        drawBackToFront();
    }
    static size_t itemsLeft()
    {
        size_t n = 0;
        for (YBlockSet* s : all<YBlockSet>())
            n += s->itemCount();
        return n + all<YBlockSingle>().size();
    }
};

} // namespace

TEST_F(BlockPlayTest, AWallSettlesAndStandsInOnePiece)
{
    std::vector<Cell> cells;
    for (int x = 0; x < 4; ++x)
        for (int z = 0; z < 3; ++z)
            cells.push_back({x, 0, z, 1, 1, 1, z == 1 ? "stone" : "plain", 35.0f});
    YBlockSet* wall = build(cells, turned(0.0f, YVec3(-2, 0, 0.02f)));
    for (int i = 0; i < 200; ++i)
        frame();
    ASSERT_EQ(1u, all<YBlockSet>().size());
    EXPECT_EQ(12u, wall->itemCount());
    EXPECT_TRUE(all<YBlockSingle>().empty());
    EXPECT_FALSE(wall->isScheduled());
    YVec3 p = worldPosition(wall, wall->item(0));
    EXPECT_TRUE(finite(p));
    EXPECT_NEAR(0.5f, p.z, 0.1f) << "standing on the floor";
    EXPECT_EQ(12, blockItemsCounted());
    expectConsistent(wall);
}

TEST_F(BlockPlayTest, BallsWearAStructureDownToNothing)
{
    std::vector<Cell> cells;
    for (int x = 0; x < 3; ++x)
        for (int y = 0; y < 2; ++y)
            for (int z = 0; z < 2; ++z)
                cells.push_back({x, y, z, 1, 1, 1, "plain", 35.0f});
    cells.push_back({0, 2, 0, 3, 1, 1, "glass", 35.0f});
    build(cells, turned(0.0f, YVec3(-1.5f, -1, 0.02f)));
    DamageMode mode;
    std::vector<std::unique_ptr<YRigidBall>> balls;
    const YVec3 starts[3] = {YVec3(-6, 0, 1), YVec3(6, 0.5f, 1.5f), YVec3(0, -7, 0.8f)};
    for (const YVec3& s : starts)
        balls.push_back(ball(s, YVec3(-s.x, -s.y, 0) * 2.0f, YRigidBall::KIND_NORMAL, &mode));

    size_t start = itemsLeft();
    for (int i = 0; i < 2000 && !noBlocksLeft(); ++i) {
        // Keep the balls coming back at the blocks.
        for (auto& k : balls) {
            YVec3 p = k->getPosition();
            if (!finite(p) || p.length() > 12.0f || p.z < -1.0f) {
                k->setTransform(at(starts[&k - &balls[0]]));
                k->setLinearVelocity(starts[&k - &balls[0]] * -2.0f);
            }
            YVec3 v = k->getLinearVelocity();
            if (v.length() < 5.0f) {
                YVec3 towards = YVec3(0, 0, 0.5f) - p;
                k->setLinearVelocity(towards * (12.0f / std::max(towards.length(), 0.1f)));
            }
        }
        frame(0.03f);
        for (YBlockSet* s : all<YBlockSet>())
            expectConsistent(s);
        if (HasFatalFailure())
            return;
    }
    EXPECT_GT(mode.hits, 0);
    EXPECT_LT(itemsLeft(), start) << "something broke";
    EXPECT_GT(events.played("def_destroy") + events.played("glass_destroy"), 0);
    EXPECT_EQ(static_cast<size_t>(events.played("def_destroy") + events.played("glass_destroy")),
              events.scores.size())
        << "one score per destroyed block";
}
