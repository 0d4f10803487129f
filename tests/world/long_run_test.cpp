// A ball in play for minutes: it keeps its speed, returns from the far wall
// and never turns into NaN.
#include "tests/world/world_fixture.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

using namespace worldtest;

namespace {
class LongRun : public WorldTest {};
} // namespace

TEST_F(LongRun, BallLaunchedAtTheFarWallKeepsItsSpeedAndComesBack)
{
    RecordingListener hears;
    RecordingBallMode mode;
    auto k = ball(YVec3(), YVec3(), YRigidBall::KIND_NORMAL, &mode, &hears);
    k->launch(YVec3(0.2f, 0.7f, 0.3f), YVec3(0, -7.0f, 1.0f));

    const float dt = 1.0f / 60.0f;
    const int frames = 6000; // 100 s of play
    int farWall = 0, returns = 0, onTarget = 0;
    bool comingBack = false;
    for (int f = 0; f < frames; ++f) {
        k->keepSpeed(dt);
        gPhysics->step(dt);
        YVec3 p = k->getPosition();
        YVec3 v = k->getLinearVelocity();
        ASSERT_TRUE(finite(p) && finite(v) && finite(k->getAngularVelocity())) << "frame " << f;
        ASSERT_FALSE(isOutsideTable(p, 1.0f)) << "frame " << f << " at " << p.x << " " << p.y
                                              << " " << p.z;
        comingBack = comingBack || v.y < 0;
        // A racket at the near edge sends it back.
        if (p.y < -8.0f && v.y < 0) {
            k->setLinearVelocity(YVec3(v.x, -v.y, v.z));
            if (comingBack)
                ++returns;
            comingBack = false;
        }
        if (f > 600) {
            float target = gPhysics->speedFactor * 10.0f;
            if (std::fabs(v.length() - target) <= 0.15f * target)
                ++onTarget;
        }
        farWall = static_cast<int>(hears.bumps.size());
    }
    // The side walls make it zigzag, so a trip takes several seconds.
    EXPECT_GE(farWall, 10) << "many trips to the far wall";
    EXPECT_GE(returns, 8);
    EXPECT_GT(onTarget, (frames - 601) * 9 / 10) << "the speed stays near the target";
    EXPECT_FLOAT_EQ(1.2f, gPhysics->speedFactor) << "100 s of play reach the top speed";
    for (const Bump& b : hears.bumps) {
        EXPECT_EQ(nullptr, b.other);
        EXPECT_LT(b.normal.y, -0.99f);
    }
}

TEST_F(LongRun, SamePlayGivesTheSameWorld)
{
    // A ball thrown into a stack of blocks, played twice in fresh worlds.
    auto start = [](int i) {
        return YVec3(0.3f * static_cast<float>(i % 2), 2.0f, 0.52f + static_cast<float>(i));
    };
    auto play = [&] {
        std::vector<std::unique_ptr<YRigidBox>> blocks;
        for (int i = 0; i < 6; ++i)
            blocks.push_back(block(start(i)));
        auto k = ball(YVec3(), YVec3());
        k->launch(YVec3(0.05f, 1, 0.1f), YVec3(0, -1, 5.5f));
        for (int f = 0; f < 300; ++f) {
            k->keepSpeed(1.0f / 60.0f);
            gPhysics->step(1.0f / 60.0f);
        }
        std::vector<YVec3> out;
        for (auto& b : blocks)
            out.push_back(b->getPosition());
        out.push_back(k->getPosition());
        return out;
    };
    std::vector<YVec3> first = play();
    ASSERT_TRUE(YPhysicsWorld::shutdown());
    YPhysicsWorld::init();
    ASSERT_TRUE(gPhysics->buildTable(TABLE, TABLE, BACK_OFFSET));
    std::vector<YVec3> second = play();
    ASSERT_EQ(first.size(), second.size());
    for (size_t i = 0; i < first.size(); ++i) {
        EXPECT_NEAR(first[i].x, second[i].x, 1e-4f) << i;
        EXPECT_NEAR(first[i].y, second[i].y, 1e-4f) << i;
        EXPECT_NEAR(first[i].z, second[i].z, 1e-4f) << i;
    }
    float moved = 0;
    for (int i = 0; i < 6; ++i)
        moved = std::max(moved, (first[i] - start(i)).length());
    EXPECT_GT(moved, 0.3f) << "the ball knocked the stack about";
}
