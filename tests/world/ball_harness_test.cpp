// The world headless, frame by frame in the game's play order, with a bot
// steering the racket under the ball it watches: balls of every
// mode dropped onto the table bounce there, a ball thrown at the far wall
// keeps its speed and comes back again and again, and nothing anywhere
// turns into NaN.
#include "tests/world/block_test_fixture.h"

#include "render/mesh.h"
#include "render/mesh_draw.h"
#include "tests/common/world_harness.h"
#include "world/ball.h"
#include "world/ball_mode.h"
#include "world/ball_mode_draw.h"
#include "world/block_update.h"
#include "world/pipe.h"
#include "world/racket.h"
#include "world/racket_tacked.h"
#include "world/table.h"

using namespace blocktest;
using harness::balls;

namespace {

class Harness : public BlockTest {
protected:
    void SetUp() override
    {
        BlockTest::SetUp();
        ASSERT_TRUE(testutil::copyFromGame("mesh")) << "build the game content first";
        table = std::make_unique<YTable>();
        racket = std::make_unique<YRacket>(nullptr);
        // The bot keeps still until it is told which ball to follow, then
        // keeps the racket's centre under it; the test throws, not the bot.
        play.bot.steer = false;
        play.bot.launchWhenHolding = false;
    }

    void TearDown() override
    {
        destroyRacketObjectsQuietly();
        drawBackToFront();
        racket.reset();
        table.reset();
        gParticles().clearParticles();
        YPipe::releaseSharedInstance();
        releaseBallMeshInstances();
        clearMeshes();
        BlockTest::TearDown();
    }

    static bool alive(const YBall* ball) { return harness::isAlive(ball); }

    void frame(float dt) { play.run(dt); }

    // Everything that moves is a finite number.
    void expectAllFinite(int frameNumber)
    {
        const std::string bad = harness::firstNonFinite();
        ASSERT_TRUE(bad.empty()) << bad << " at frame " << frameNumber;
    }

    std::unique_ptr<YTable> table;
    std::unique_ptr<YRacket> racket;
    harness::PlayFrame play;
};

} // namespace

TEST_F(Harness, ThrownBallKeepsItsSpeedAndComesBackForThousandsOfFrames)
{
    // A small structure on the far half, settled as a level start does.
    std::vector<Cell> cells;
    for (int x = 0; x < 3; ++x)
        for (int z = 0; z < 2; ++z)
            cells.push_back({x, 0, z, 1, 1, 1, z ? "stone" : "plain", 35.0f});
    build(cells, at(YVec3(-7.5f, 5.0f, 0.02f)));
    for (int i = 0; i < 200; ++i)
        gPhysics->step(0.05f);

    racket->serve();
    auto* thrown = dynamic_cast<YBall*>(racket->held);
    ASSERT_TRUE(thrown);
    // A ball of every other mode dropped from above bounces where it falls.
    const YVec3 drops[] = {YVec3(6, 3, 6), YVec3(-2, 7, 7), YVec3(3, -3, 5),
                           YVec3(-6, -2, 4), YVec3(8, 7, 5), YVec3(-8, 8, 6)};
    std::vector<YBall*> dropped;
    for (const YVec3& p : drops) {
        dropped.push_back(new YBall(static_cast<int>(dropped.size()) + 1));
        dropped.back()->setBodyTransform(at(p));
        dropped.back()->body().setLinearVelocity(YVec3());
    }
    const float dt = YPhysicsWorld::STEP_TIME; // a solver step every frame
    for (int i = 0; i < 50; ++i)
        frame(dt);
    EXPECT_EQ(thrown, racket->held) << "held until thrown";
    for (size_t k = 0; k < dropped.size(); ++k) {
        ASSERT_TRUE(alive(dropped[k]));
        EXPECT_NEAR(drops[k].x, dropped[k]->position().x, 0.05f);
        EXPECT_NEAR(drops[k].y, dropped[k]->position().y, 0.05f);
        EXPECT_LT(dropped[k]->position().z, drops[k].z) << "fell";
    }

    racket->launch(0);
    ASSERT_EQ(nullptr, racket->held);
    play.bot.steer = true;
    play.bot.watched = thrown;
    int farVisits = 0, returns = 0;
    bool wasFar = false;
    int inFlight = 0, onSpeed = 0;
    double speedSum = 0.0;
    const int FRAMES = 4000;
    for (int i = 0; i < FRAMES && alive(thrown); ++i) {
        frame(dt);
        expectAllFinite(i);
        if (HasFatalFailure())
            return;
        if (!alive(thrown))
            break;
        const YVec3 p = thrown->position();
        if (p.y > 7.0f && !wasFar) {
            ++farVisits;
            wasFar = true;
        }
        if (p.y < -6.0f && wasFar) {
            ++returns;
            wasFar = false;
        }
        // The speed it steers to, measured in free flight above the table.
        if (p.z > 0.6f) {
            const float ratio = thrown->velocity().length() / (gPhysics->speedFactor * 10.0f);
            ++inFlight;
            speedSum += ratio;
            onSpeed += ratio > 0.75f && ratio < 1.25f ? 1 : 0;
        }
    }
    ASSERT_TRUE(alive(thrown)) << "the bot lost the ball after " << returns << " returns";
    // Each return after the first needs the racket's kick to go far again.
    EXPECT_GE(returns, 5) << "far " << farVisits;
    ASSERT_GT(inFlight, 500) << returns << " returns";
    EXPECT_NEAR(1.0, speedSum / inFlight, 0.1) << inFlight << " frames in flight, " << returns << " returns";
    EXPECT_GT(onSpeed, inFlight * 9 / 10);
    EXPECT_NEAR(YPhysicsWorld::SPEED_FACTOR_MAX, gPhysics->speedFactor, 1e-4f) << "100 s of play";
    // Balls knocked off the table are gone; those left are on it.
    for (const YBall* b : balls())
        EXPECT_FALSE(isOutsideTable(b->position(), 2.0f * b->radius()) && !b->isScheduled());
    EXPECT_EQ(YRacket::START_LIVES, racket->lives);
}
