// Explosions, the sweep box and line of sight.
#include "tests/world/world_fixture.h"

#include "world/rigid_body.h"
#include "world/world_queries.h"

using namespace worldtest;

namespace {
class WorldQueries : public WorldTest {};
} // namespace

TEST_F(WorldQueries, BlastPushesAwayAndFallsOffToNothingAtTheRadius)
{
    RecordingListener hears;
    auto b = block(YVec3(0, 0, 3.0f), &hears);
    // On the surface: along the negated contact normal, full strength.
    YColBox::blast(YVec3(0.5f, 0, 3.0f), 2.0f, 100.0f, 12);
    ASSERT_EQ(1u, hears.bumps.size());
    EXPECT_EQ(b.get(), hears.bumps[0].other) << "a blast is a hit by the body itself";
    EXPECT_NEAR(-100.0f, hears.bumps[0].force.x, 1e-3f);
    EXPECT_FLOAT_EQ(0.0f, hears.bumps[0].torque.length());
    EXPECT_LT(hears.bumps[0].normal.x, -0.99f);
    EXPECT_EQ(12, effects.blastSparks.at(0));
    // The face at x = 0.5 lies 2 from this centre.
    hears.bumps.clear();
    YColBox::blast(YVec3(2.5f, 0, 3.0f), 2.0f, 100.0f, 0);
    YColBox::blast(YVec3(2.5f, 0, 3.0f), 1.5f, 100.0f, 0);
    EXPECT_TRUE(hears.bumps.empty()) << "at the radius or beyond: no push";
    YColBox::blast(YVec3(2.5f, 0, 3.0f), 2.5f, 100.0f, 0);
    ASSERT_EQ(1u, hears.bumps.size());
    EXPECT_NEAR(-100.0f * 0.2f * 0.2f, hears.bumps[0].force.x, 1e-3f);
    EXPECT_EQ(4u, effects.blasts.size()) << "the explosion shows even when it hits nothing";
    run(2);
    EXPECT_LT(b->getLinearVelocity().x, -0.5f);
    // A radius ODE cannot take does nothing.
    for (float r : {0.0f, -1.0f, std::nanf(""), INFINITY})
        YColBox::blast(YVec3(0, 0, 3.0f), r, 100.0f, 3);
    EXPECT_EQ(4u, effects.blasts.size());
}

TEST_F(WorldQueries, BlastPassesBallsAndWakesSleepers)
{
    // The explosion sphere meets blocks only.
    RecordingListener bombHears;
    auto bomb = ball(YVec3(0, 2, 3.0f), YVec3(), YRigidBall::KIND_BONUS, nullptr, &bombHears);
    auto b = block(YVec3(0, -2, 3.0f));
    b->setEnabled(false);
    YColBox::blast(YVec3(0, 0, 3.0f), 3.0f, 50.0f, 0);
    EXPECT_TRUE(bombHears.bumps.empty());
    EXPECT_TRUE(b->isEnabled()) << "a resting block is blown away, not left holding the force";
    run(1);
    EXPECT_LT(b->getLinearVelocity().y, -0.1f);
    EXPECT_FLOAT_EQ(0.0f, bomb->getLinearVelocity().y);
}

TEST_F(WorldQueries, BlastSkipsGeomsItsListenersDestroy)
{
    // The first block to hear destroys every other block and a set outright:
    // their later contacts are skipped, and a nested blast does no harm.
    std::vector<std::unique_ptr<YRigidBox>> blocks;
    auto set = std::make_unique<YRigidBoxSet>();
    RecordingListener setHears;
    for (int i = 0; i < 3; ++i)
        set->setBoxOffset(set->addBox(YVec3(0.5f, 0.5f, 0.5f), nullptr),
                          YVec3(1.5f * static_cast<float>(i) - 1.5f, 0, 0));
    set->setTransform(at(YVec3(0, 1.5f, 3.0f)));
    set->setBumpListener(&setHears);
    struct Breaker : YRigidBumpEvent {
        std::vector<std::unique_ptr<YRigidBox>>* blocks;
        std::unique_ptr<YRigidBoxSet>* set;
        int heard = 0;
        void bump(void*, YRigidBody*, const YVec3&, const YVec3&, const YVec3&, const YVec3&,
                  float) override
        {
            ++heard;
            for (auto& b : *blocks)
                if (b && b->bumpListener() != this)
                    b.reset();
            set->reset();
            YColBox::blast(YVec3(0, 0, 30.0f), 1.0f, 1.0f, 0);
        }
    };
    Breaker breakers[4];
    for (int i = 0; i < 4; ++i) {
        breakers[i].blocks = &blocks;
        breakers[i].set = &set;
        blocks.push_back(block(YVec3(1.5f * static_cast<float>(i) - 2.25f, 0, 3.0f), &breakers[i]));
    }
    YColBox::blast(YVec3(0, 0, 3.0f), 4.0f, 100.0f, 0);
    int heard = 0;
    for (auto& b : breakers)
        heard += b.heard;
    EXPECT_EQ(1, heard);
    EXPECT_LE(setHears.bumps.size(), 3u) << "the set may hear before it goes, never after";
    EXPECT_EQ(nullptr, geomDestroyHook()) << "the hook is only set while a blast runs";
}

TEST_F(WorldQueries, LineOfSightFindsTheNearestBlock)
{
    auto target = block(YVec3(5, 0, 3.0f));
    YVec3 hit;
    const YVec3 start(0, 0, 3.0f), ahead(1, 0, 0);
    EXPECT_TRUE(lineOfSight(start, YVec3(2, 0, 0), 7.0f, target->geom(), hit));
    EXPECT_NEAR(4.5f, hit.x, 1e-4f);
    EXPECT_FALSE(lineOfSight(start, ahead, 4.0f, target->geom(), hit)) << "too short";
    EXPECT_FALSE(lineOfSight(start, ahead * -1.0f, 7.0f, target->geom(), hit));
    EXPECT_TRUE(lineOfSight(start, YVec3(0, 0, 1), 7.0f, nullptr, hit)) << "nothing in the way";
    EXPECT_TRUE(lineOfSight(start, YVec3(0, 0, -1), 7.0f, nullptr, hit)) << "the floor is no block";
    EXPECT_FALSE(lineOfSight(start, ahead, 7.0f, nullptr, hit));
    // A block in between hides the target; a set's box counts as a block.
    YRigidBoxSet set;
    dGeomID box = set.addBox(YVec3(0.5f, 0.5f, 0.5f), nullptr);
    set.setTransform(at(YVec3(2.5f, 0, 3.0f)));
    EXPECT_FALSE(lineOfSight(start, ahead, 7.0f, target->geom(), hit));
    EXPECT_TRUE(lineOfSight(start, ahead, 7.0f, box, hit));
    EXPECT_NEAR(2.0f, hit.x, 1e-4f);
    // Broken rays see nothing.
    EXPECT_FALSE(lineOfSight(start, YVec3(), 7.0f, box, hit));
    EXPECT_FALSE(lineOfSight(start, ahead, 0.0f, box, hit));
}

TEST_F(WorldQueries, SweepBoxPushesBlocksAndFlashesWalls)
{
    RecordingListener hears;
    auto b = block(YVec3(0, 0, 3.0f), &hears);
    YColBox sweep(0.6f, 0.6f, 0.07f);
    YVec3 hit;
    EXPECT_FALSE(sweep.sweepHit(at(YVec3(5, 0, 3.0f)), hit)) << "nothing there";
    ASSERT_TRUE(sweep.sweepHit(at(YVec3(-1.0f, 0, 3.0f)), hit));
    ASSERT_EQ(1u, hears.bumps.size());
    EXPECT_EQ(b.get(), hears.bumps[0].other);
    EXPECT_NEAR(500.0f, hears.bumps[0].force.length(), 1e-2f);
    EXPECT_GT(hears.bumps[0].force.x, 0.0f) << "pushed away from the box";
    EXPECT_FLOAT_EQ(hit.x, hears.bumps[0].position.x);
    ASSERT_EQ(1u, effects.sparks.size());
    EXPECT_GE(effects.sparks[0], 4);
    EXPECT_LE(effects.sparks[0], 8);
    // The far wall: a flash, no sparks. The floor: sparks, nobody pushed.
    ASSERT_TRUE(sweep.sweepHit(at(YVec3(0, 9.7f, 3.0f)), hit));
    ASSERT_EQ(1u, effects.walls.size());
    EXPECT_LT(effects.walls[0].normal.y, -0.99f);
    EXPECT_EQ(1u, effects.sparks.size());
    ASSERT_TRUE(sweep.sweepHit(at(YVec3(5, 0, 0.05f)), hit));
    EXPECT_EQ(2u, effects.sparks.size());
    EXPECT_EQ(1u, hears.bumps.size());
}
