// Stepping, the speed factor, the table geometry and the world's lifetime.
#include "tests/world/world_fixture.h"

using namespace worldtest;

namespace {
class PhysicsWorld : public WorldTest {};
} // namespace

TEST_F(PhysicsWorld, ShortFramesGatherIntoOneStep)
{
    auto b = block(YVec3(0, 0, 10));
    gPhysics->step(0.01f);
    gPhysics->step(0.01f);
    EXPECT_FLOAT_EQ(0.0f, b->getLinearVelocity().z) << "two frames of 0.01 s step nothing";
    gPhysics->step(0.01f);
    EXPECT_NEAR(-9.8f * 0.03f, b->getLinearVelocity().z, 1e-4f) << "one step of 0.03 s";
    EXPECT_FLOAT_EQ(0.0f, gPhysics->pendingTime());
    gPhysics->step(0.1f); // a slow frame is one long step
    EXPECT_NEAR(-9.8f * 0.13f, b->getLinearVelocity().z, 1e-4f);
    // Broken frame times are no time at all.
    for (float dt : {-1.0f, std::nanf(""), INFINITY})
        gPhysics->step(dt);
    EXPECT_FLOAT_EQ(0.0f, gPhysics->pendingTime());
    EXPECT_NEAR(-9.8f * 0.13f, b->getLinearVelocity().z, 1e-4f);
}

TEST_F(PhysicsWorld, SpeedFactorGrowsOnlyWhileBallsRunAndStopsAtTheCap)
{
    auto k = ball(YVec3(0, 0, 0.52f), YVec3(7, 0, 0));
    run(4, 0.05f);
    EXPECT_FLOAT_EQ(0.7f, gPhysics->speedFactor) << "no ball kept its speed";
    k->keepSpeed(0.05f);
    gPhysics->step(0.01f); // gathers only: the flag waits for the solver step
    EXPECT_TRUE(gPhysics->ballsRunning());
    gPhysics->step(0.04f);
    EXPECT_FALSE(gPhysics->ballsRunning());
    EXPECT_NEAR(0.7f + 0.007f * 0.05f, gPhysics->speedFactor, 1e-6f);
    for (int i = 0; i < 1500; ++i) { // about 71 s of play reach the cap
        k->keepSpeed(0.05f);
        gPhysics->step(0.05f);
    }
    EXPECT_FLOAT_EQ(1.2f, gPhysics->speedFactor);
    gPhysics->resetSpeedFactor();
    EXPECT_FLOAT_EQ(0.7f, gPhysics->speedFactor);
    gPhysics->setMaxSpeedFactor();
    EXPECT_FLOAT_EQ(1.2f, gPhysics->speedFactor);
}

TEST_F(PhysicsWorld, TableIsRebuiltAndBadSizesKeepTheOldOne)
{
    // Past the open near edge: on the floor of a large table, far below on
    // the base of a small one.
    auto k = ball(YVec3(), YVec3());
    auto onFloorAt = [&](float y) {
        k->setTransform(at(YVec3(0, y, 2.0f)));
        k->setLinearVelocity(YVec3());
        k->setAngularVelocity(YVec3());
        run(60);
        return std::fabs(k->getPosition().z - 0.52f) < 0.1f;
    };
    EXPECT_FALSE(onFloorAt(-14.0f));
    ASSERT_TRUE(gPhysics->buildTable(40.0f, 40.0f, 2.5f));
    EXPECT_TRUE(onFloorAt(-14.0f));
    EXPECT_FALSE(gPhysics->buildTable(-2.0f, 40.0f, 2.5f));
    EXPECT_FALSE(gPhysics->buildTable(40.0f, 0.0f, 2.5f));
    EXPECT_FALSE(gPhysics->buildTable(std::nanf(""), 40.0f, 2.5f));
    EXPECT_FALSE(gPhysics->buildTable(40.0f, 40.0f, INFINITY));
    EXPECT_TRUE(logged("Bad table geometry"));
    EXPECT_TRUE(onFloorAt(-14.0f)) << "the 40 x 40 table stays";
}

TEST_F(PhysicsWorld, NewBlocksSettleAndFallAsleep)
{
    // The level start settles a structure with 200 steps of 0.05 s.
    auto lower = block(YVec3(0, 0, 0.6f));
    auto upper = block(YVec3(0.1f, 0, 1.7f));
    run(200, 0.05f);
    EXPECT_FALSE(lower->isEnabled());
    EXPECT_FALSE(upper->isEnabled());
    EXPECT_NEAR(1.52f, upper->getPosition().z, 0.03f);
}

TEST_F(PhysicsWorld, ShutdownWaitsForTheLastBody)
{
    EXPECT_EQ(&YPhysicsWorld::init(), gPhysics) << "init twice is the same world";
    auto k = ball(YVec3(), YVec3());
    EXPECT_FALSE(YPhysicsWorld::shutdown());
    EXPECT_TRUE(logged("bodies still live"));
    k.reset();
    EXPECT_TRUE(YPhysicsWorld::shutdown());
    EXPECT_EQ(nullptr, gPhysics);
    // The first body builds the world again, without a table.
    YRigidBox b(YVec3(0.5f, 0.5f, 0.5f));
    ASSERT_NE(nullptr, gPhysics);
    EXPECT_FLOAT_EQ(0.7f, gPhysics->speedFactor);
    EXPECT_EQ(nullptr, gPhysics->tableSpace());
}
