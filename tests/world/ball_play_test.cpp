// Balls in play: leaving the playfield, kick sounds, the racket's hold,
// reach and catch, the end with and without the world live; and the seven
// modes: looks, weights and sounds, what each does to the blocks it
// touches, trails, flares and light on the table.
#include "tests/world/block_test_fixture.h"

#include "render/camera.h"
#include "render/mesh.h"
#include "render/recording_render.h"
#include "tests/common/world_harness.h"
#include "world/ball.h"
#include "world/ball_mode.h"
#include "world/ball_mode_draw.h"
#include "world/ball_mode_super.h"
#include "world/block_update.h"
#include "world/racket.h"
#include "world/racket_tacked.h"
#include "world/table.h"

#include <algorithm>
#include <sstream>

using namespace blocktest;

namespace {

using harness::balls;

class BallPlay : public BlockTest {
protected:
    void SetUp() override
    {
        BlockTest::SetUp();
        ASSERT_TRUE(testutil::copyFromGame("mesh")) << "build the game content first";
        racket = std::make_unique<YRacket>(nullptr);
    }

    void TearDown() override
    {
        destroyRacketObjects();
        drawBackToFront();
        racket.reset();
        table.reset();
        gParticles().clearParticles();
        releaseBallMeshInstances();
        clearMeshes();
        BlockTest::TearDown();
    }

    static YBall* ballAt(const YVec3& p, const YVec3& v = YVec3(), int mode = YBallNormalId)
    {
        auto* ball = new YBall(mode);
        ball->setBodyTransform(at(p));
        ball->body().setLinearVelocity(v);
        return ball;
    }

    static bool alive(const YBall* ball)
    {
        const std::vector<YBall*> all = balls();
        return std::find(all.begin(), all.end(), ball) != all.end();
    }

    // A frame of play without the racket's walk: physics, balls, blocks.
    void frame(float dt = 0.025f)
    {
        gPhysics->step(dt);
        for (YBall* b : balls())
            b->update(dt);
        drawBackToFront();
        updateAllBlocks(dt, false);
        drawFrontToBack();
    }

    // The mode's bump of a block of one item, whatever its kind.
    static bool bumpBlock(YBallMode* mode, YBlock* block, float force, const YVec3& contact)
    {
        const YVec3 f(force, 0, 0), n(-1, 0, 0);
        if (auto* set = dynamic_cast<YBlockSet*>(block))
            return mode->bumpSet(set, set->item(0), f, YVec3(), contact, n, 0.01f);
        return mode->bumpSingle(static_cast<YBlockSingle*>(block), f, YVec3(), contact, n, 0.01f);
    }

    std::unique_ptr<YRacket> racket;
    std::unique_ptr<YTable> table;
};

struct ModeRow {
    YBallModeId id;
    float radius;
    const char* mesh;
    std::vector<std::string> shaders;
    const char* kick;
    float mass;
    int kind;
    bool countsAsBall;
};

const ModeRow MODES[] = {
    {YBallNormalId, 0.5f, "mesh\\ball_norm.mes", {"ball"}, "kick", 1.0f, 0, true},
    {YBallHeavyId, 0.5f, "mesh\\ball2.mes", {"ball_heavy"}, "kick_heavy", 10.0f, 0, true},
    {YBallPhantomId, 0.5f, "mesh\\ball_phant.mes", {"ball_phantom", "ball_phantom2"}, "kick", 1.0f, 2, true},
    {YBallFireId, 0.5f, "mesh\\ball2.mes", {"ball_fire"}, "kick_fire", 0.5f, 0, true},
    {YBallElectroId, 0.5f, "mesh\\ball2.mes", {"ball_electro"}, "kick_electro", 0.5f, 0, true},
    {YBallGenerativeId, 0.5f, "mesh\\ball_sat.mes", {"ball_generative"}, "kick", 1.0f, 0, true},
    {YBallSmallId, 0.33f, "mesh\\ball2.mes", {"ball_small"}, "kick_small", 0.3f, 0, false},
};

} // namespace

TEST_F(BallPlay, LostBelowTheTableGoesOnceAfterItsDelay)
{
    YBall* ball = ballAt(YVec3(0, 0, -1.01f));
    YBall* edge = ballAt(YVec3(0, 0, -1.0f)); // exactly a diameter down: still in
    ball->update(0.01f);
    edge->update(0.01f);
    EXPECT_FALSE(edge->isScheduled());
    ASSERT_TRUE(ball->isScheduled());
    const float delay = ball->remainingTime();
    EXPECT_GE(delay, 0.1375f);
    EXPECT_LE(delay, 0.1625f);
    ball->update(0.01f); // later frames do not put the deletion off
    EXPECT_FLOAT_EQ(delay, ball->remainingTime());
    YZDelete::tickAll(delay - 0.01f);
    ASSERT_TRUE(alive(ball));
    YZDelete::tickAll(0.02f);
    EXPECT_FALSE(alive(ball));
    EXPECT_EQ(1, events.played("destroy_ball"));
}

TEST_F(BallPlay, TwoKicksWithinAQuarterSecondGiveOneSound)
{
    YBall* ball = ballAt(YVec3(0, 4, 1));
    const YVec3 direction(0.6f, 0.8f, 0.0f), from(1, 3, 1);
    ball->kick(direction, from);
    expectNear(direction * 10.0f, ball->velocity());
    expectNear(from, ball->position());
    ball->update(0.1f);
    ball->kick(direction, from);
    ball->update(0.1f);
    ball->kick(direction, from);
    EXPECT_EQ(1, events.played("kick")) << "0.2 s after the first kick";
    ball->update(0.06f);
    ball->kick(direction, from);
    EXPECT_EQ(2, events.played("kick"));
    ball->setMode(YBallHeavyId);
    ball->update(0.3f);
    ball->kick(direction, from);
    EXPECT_EQ(1, events.played("kick_heavy")) << "the mode's own sound";
}

TEST_F(BallPlay, DyingBurstsAndSoundsOnlyWhileTheWorldIsLive)
{
    // The burst's size is twice the radius the ball had (the small ball's).
    delete ballAt(YVec3(2, 3, 1), YVec3(1, 0, 0), YBallSmallId);
    EXPECT_EQ(1, events.played("destroy_ball"));
    expectNear(YVec3(2, 3, 1), events.sounds.back().position);
    ASSERT_EQ(8u, gParticles().particleCount()) << "the flash and 7 sparks";
    EXPECT_FLOAT_EQ(0.66f, gParticles().particles()[0].sizeStart);

    gParticles().clearParticles();
    events.sounds.clear();
    {
        YWorldTearDown quiet;
        delete ballAt(YVec3(2, 3, 1), YVec3(1, 0, 0), YBallFireId);
        ballAt(YVec3(0, 0, -3))->update(0.0f);
        YZDelete::tickAll(1.0f);
    }
    EXPECT_TRUE(events.sounds.empty());
    EXPECT_EQ(0u, gParticles().particleCount());
    EXPECT_TRUE(gRacketTacked().empty());
}

TEST_F(BallPlay, HeldBallShowsTheRacketsModeAndNeverKeepsSpeed)
{
    const YVec3 hand(racket->x, racket->y, 1.5f);
    YBall* ball = ballAt(hand, YVec3(3, 0, 0));
    racket->held = ball;
    racket->ballMode = YBallFireId;
    gPhysics->step(0.025f); // clears the running flag
    ball->update(0.02f);
    EXPECT_EQ(YBallFireId, ball->mode()->id());
    EXPECT_FALSE(gPhysics->ballsRunning()) << "no keepSpeed";
    EXPECT_EQ(0, events.played("kick_fire")) << "the racket does not kick what it holds";
    racket->ballMode = YBallElectroId;
    // Ten seconds in the hand: the ball never builds up speed under gravity
    // between frames, and never strikes the floor.
    for (int i = 0; i < 400; ++i) {
        ball->setBodyTransform(at(hand));
        ball->update(0.025f);
        gPhysics->step(0.025f);
    }
    EXPECT_EQ(YBallElectroId, ball->mode()->id());
    EXPECT_EQ(2, events.played("mutation"));
    EXPECT_GT(ball->position().z, 1.4f);
    EXPECT_LT(ball->velocity().length(), 0.5f);
    EXPECT_EQ(0, events.played("kick_electro"));
    racket->held = nullptr;
    ball->update(0.02f);
    EXPECT_TRUE(gPhysics->ballsRunning());
}

TEST_F(BallPlay, ThrownFromTheHandWakesAndCannotBeCaughtAtOnce)
{
    YBall* ball = ballAt(YVec3(racket->x, racket->y, 1.5f));
    racket->glovesTimer = 10.0f;
    ASSERT_TRUE(racket->catchBall(ball, YVec3(0, 1, 0)));
    EXPECT_FALSE(ball->body().isEnabled());
    racket->launch(0);
    EXPECT_EQ(nullptr, racket->held);
    EXPECT_TRUE(ball->body().isEnabled());
    EXPECT_FLOAT_EQ(YRacketTacked::LAUNCH_TIME, ball->launchTimer);
    EXPECT_GT(ball->velocity().y, 0.0f) << "thrown forwards";
    // In reach while the launch timer runs: kicked, not caught; later caught.
    ball->setBodyTransform(at(YVec3(racket->x, racket->y + 1.0f, 0.5f)));
    ball->update(0.1f);
    EXPECT_EQ(nullptr, racket->held);
    ball->launchTimer = 0.0f;
    ball->setBodyTransform(at(YVec3(racket->x, racket->y + 1.0f, 0.5f)));
    ball->update(0.1f);
    EXPECT_EQ(ball, racket->held);
}

TEST_F(BallPlay, KickedOffTheRacketsRimTakingItsMode)
{
    gPhysics->speedFactor = 1.0f;
    racket->throwAngle = 30.0f;
    const float a = degToRad(30.0f);
    racket->ballMode = YBallHeavyId;
    // In reach: 1 + 0.5 around the racket's centre, in x and y only.
    YBall* ball = ballAt(YVec3(racket->x - 0.6f, racket->y + 0.8f, 2.0f));
    YBall* far = ballAt(YVec3(racket->x + 1.51f, racket->y, 0.5f), YVec3(0, -5, 0));
    ball->update(0.01f);
    far->update(0.01f);
    expectNear(YVec3(racket->x - 0.9f, racket->y + 1.2f, 2.0f), ball->position());
    expectNear(YVec3(-0.6f, 0.8f * std::cos(a), 0.8f * std::sin(a)) * 15.0f, ball->velocity(), 1e-3f);
    EXPECT_EQ(YBallHeavyId, ball->mode()->id());
    EXPECT_EQ(1, events.played("mutation"));
    EXPECT_EQ(1, events.played("kick_heavy"));
    EXPECT_EQ(YBallNormalId, far->mode()->id()) << "out of reach";
    EXPECT_LT(far->velocity().y, 0.0f);
}

TEST_F(BallPlay, KickedFromAPointPulledInsideNearASideWall)
{
    gPhysics->speedFactor = 1.0f;
    racket->throwAngle = 0.0f;
    for (float side : {1.0f, -1.0f}) {
        // Beside the racket, towards the wall: the rim point (x = 10.46)
        // lies beyond the wall, so it is pulled in to 9.5, and forward to
        // where the reach meets the racket's side.
        racket->x = 9.0f * side;
        YBall* ball = ballAt(YVec3(racket->x + 0.9f * side, racket->y + 0.2f, 0.5f));
        ball->update(0.01f);
        const YVec3 p = ball->position();
        EXPECT_NEAR(9.5f * side, p.x, 1e-4f);
        EXPECT_NEAR(racket->y + std::sqrt(1.5f * 1.5f - 1.0f), p.y, 1e-4f);
        YVec3 n(p.x - racket->x, p.y - racket->y, 0);
        n.normalize();
        expectNear(n * 15.0f, ball->velocity(), 1e-3f);
    }
    // Right over the racket's centre there is no side: straight ahead.
    racket->x = 0.0f;
    YBall* over = ballAt(YVec3(0, racket->y, 1.0f), YVec3(0, 0, -1));
    over->update(0.01f);
    ASSERT_TRUE(finite(over->velocity()) && finite(over->position()));
    EXPECT_NEAR(0.0f, over->velocity().x, 1e-5f);
    EXPECT_GT(over->velocity().y, 1.0f);
}

TEST_F(BallPlay, ABallAtRestStaysFiniteAndAwake)
{
    YBall* ball = ballAt(YVec3(0, 2, 0.5f));
    ball->update(0.02f); // no speed: nothing to steer along
    EXPECT_TRUE(finite(ball->velocity()));
    for (int i = 0; i < 200; ++i) { // far beyond the world's sleep time
        ball->body().setLinearVelocity(YVec3());
        gPhysics->step(0.025f);
    }
    EXPECT_TRUE(ball->body().isEnabled());
    ball->kick(YVec3(0, 1, 0), ball->position());
    run(8);
    EXPECT_GT(ball->position().y, 3.0f) << "a kick sets it moving";
}

TEST_F(BallPlay, ModeIdsOutsideTheTableMeanTheNormalBall)
{
    YBall* ball = ballAt(YVec3(0, 2, 1), YVec3(), 42);
    EXPECT_EQ(YBallNormalId, ball->mode()->id());
    ball->setMode(-1);
    ball->setMode(7);
    EXPECT_EQ(0, events.played("mutation")) << "already the normal ball";
    ball->setMode(YBallSmallId);
    ball->setMode(99);
    EXPECT_EQ(YBallNormalId, ball->mode()->id());
    EXPECT_EQ(2, events.played("mutation"));
    YBall* given = new YBall(createBallMode(YBallPhantomId));
    EXPECT_EQ(given, given->mode()->ball());
    EXPECT_EQ(YBallNormalId, (new YBall(static_cast<YBallMode*>(nullptr)))->mode()->id());
}

TEST_F(BallPlay, EachModeLooksWeighsAndSoundsAsItsRow)
{
    YBall* ball = ballAt(YVec3(1, 2, 3), YVec3(4, 0, 0));
    for (const ModeRow& row : MODES) {
        SCOPED_TRACE(row.id);
        ball->setMode(row.id);
        const YBallMode* mode = ball->mode();
        ASSERT_EQ(row.id, mode->id());
        EXPECT_EQ(ball, mode->ball());
        EXPECT_FLOAT_EQ(row.radius, ball->body().radius());
        EXPECT_EQ(row.kind, ball->body().kind());
        EXPECT_FLOAT_EQ(10.0f, ball->body().baseSpeed());
        EXPECT_NEAR(row.mass, ball->body().getMass(), 1e-5f) << "no compression";
        EXPECT_EQ(static_cast<const YBallBumpEvent*>(mode), ball->body().ballMode());
        ASSERT_TRUE(mode->instance);
        EXPECT_EQ(findMesh(row.mesh), mode->instance->mesh);
        EXPECT_FALSE(mode->instance->mesh->empty()) << row.mesh;
        std::vector<std::string> shaders;
        for (const YShader* s : mode->shaders)
            shaders.push_back(s->name);
        EXPECT_EQ(row.shaders, shaders);
        EXPECT_EQ(row.kick, mode->kickSound()->name());
        EXPECT_EQ(row.countsAsBall, ball->countsAsBall());
        expectNear(YVec3(1, 2, 3), mode->position()); // the switch keeps the place
        expectNear(YVec3(4, 0, 0), ball->velocity());
    }
    EXPECT_EQ(6, events.played("mutation"));
    ball->setMode(YBallSmallId);
    EXPECT_EQ(6, events.played("mutation")) << "the same mode again changes nothing";

    // Balls of one look share one instance; the small ball's is its own,
    // scaled to 0.66.
    YBall* heavy = ballAt(YVec3(0, 0, 1), YVec3(), YBallHeavyId);
    YBall* fire = ballAt(YVec3(1, 0, 1), YVec3(), YBallFireId);
    EXPECT_EQ(heavy->mode()->instance, fire->mode()->instance);
    EXPECT_NE(heavy->mode()->instance, ball->mode()->instance);
    EXPECT_EQ(heavy->mode()->instance->mesh, ball->mode()->instance->mesh);
    float largest = 0.0f;
    for (const YMeshVertex& v : ball->mode()->instance->vertices)
        largest = std::max(largest, YVec3(v.pos.x, v.pos.y, v.pos.z).length());
    EXPECT_NEAR(0.33f, largest, 0.01f);
}

TEST_F(BallPlay, AMeshInstanceDeletedElsewhereIsMadeAgain)
{
    delete ballAt(YVec3(0, 0, 1), YVec3(), YBallHeavyId);
    ASSERT_EQ(1u, ballMeshInstanceCount());
    delete ballMeshInstance("mesh\\ball2.mes", 1.0f); // a render resource sweep
    EXPECT_EQ(0u, ballMeshInstanceCount());
    YBall* again = ballAt(YVec3(0, 0, 1), YVec3(), YBallHeavyId);
    ASSERT_TRUE(again->mode()->instance);
    EXPECT_EQ(1u, ballMeshInstanceCount());
}

TEST_F(BallPlay, PhantomBallBreaksOffExactlyTheItemItTouches)
{
    std::vector<Cell> row;
    for (int x = 0; x < 5; ++x)
        row.push_back({x, 0, 0});
    YBlockSet* set = build(row, at(YVec3(-2.5f, 0, 0.02f)));
    ASSERT_EQ(5u, set->itemCount());
    YBallMode* phantom = ballAt(YVec3(0, 0, 3), YVec3(), YBallPhantomId)->mode();
    YBlockItem* touched = set->item(4);
    const YVec3 where = worldPosition(set, touched);
    EXPECT_TRUE(phantom->bumpSet(set, touched, YVec3(), YVec3(), where, YVec3(0, 0, 1), 0.1f));
    auto singles = all<YBlockSingle>();
    ASSERT_EQ(1u, singles.size());
    expectNear(where, singles[0]->getTransform().translation());
    ASSERT_TRUE(singles[0]->isScheduled());
    EXPECT_GE(singles[0]->remainingTime(), 0.1375f);
    EXPECT_LE(singles[0]->remainingTime(), 0.1625f);
    EXPECT_EQ(0, events.played("def_stroke")) << "no hit, no stroke";
    // Touched again before it goes, or through an item the set no longer
    // has: nothing more is destroyed, and none is reported.
    EXPECT_FALSE(phantom->bumpSingle(singles[0], YVec3(), YVec3(), where, YVec3(0, 0, 1), 0.1f));
    EXPECT_FALSE(phantom->bumpSet(set, touched, YVec3(), YVec3(), where, YVec3(0, 0, 1), 0.1f));
    EXPECT_FALSE(phantom->bumpSingle(nullptr, YVec3(), YVec3(), where, YVec3(), 0));
    YZDelete::tickAll(0.17f);
    EXPECT_TRUE(all<YBlockSingle>().empty());
    ASSERT_EQ(1u, all<YBlockSet>().size());
    EXPECT_EQ(4u, set->itemCount());
    EXPECT_FALSE(set->isScheduled());
    expectConsistent(set);

    // A set of one item goes whole, however soft the touch.
    build({{0, 0, 0}}, at(YVec3(3, 3, 0.02f)));
    YBlock* lone = gBlocks.back();
    EXPECT_TRUE(bumpBlock(ballAt(YVec3(3, 2, 1), YVec3(), YBallFireId)->mode(), lone, 0.0f, YVec3()));
    EXPECT_TRUE(lone->isScheduled());
}

TEST_F(BallPlay, DamageModesHitWithTheContactsForce)
{
    build({{0, 0, 0, 1, 1, 1, "stone"}, {1, 0, 0, 1, 1, 1, "stone"}}, at(YVec3(3, 3, 0.02f)));
    YBlockSet* set = all<YBlockSet>().at(0);
    YBallMode* heavy = ballAt(YVec3(0, 0, 1), YVec3(), YBallHeavyId)->mode();
    YBlockItem* item = set->item(0);
    const float glue = item->breakStrength;
    EXPECT_FALSE(heavy->bumpSet(set, item, YVec3(30, 0, 40), YVec3(), YVec3(), YVec3(), 0));
    EXPECT_FLOAT_EQ(glue - 50.0f, item->breakStrength) << "the force's length";
    EXPECT_EQ(1, events.played("stone_stroke"));
    EXPECT_TRUE(heavy->bumpSet(set, item, YVec3(0, 0, 1e5f), YVec3(), YVec3(), YVec3(), 0));
}

TEST_F(BallPlay, SmallBallBouncesOffBlocksWithoutHurtingThem)
{
    build({{0, 0, 0}}, at(YVec3(-0.5f, -0.5f, 0.02f)));
    for (int i = 0; i < 20; ++i)
        frame();
    YBall* small = ballAt(YVec3(0, 0, 4), YVec3(0, 0, -12), YBallSmallId);
    float rising = 0.0f;
    for (int i = 0; i < 16; ++i) {
        frame();
        rising = std::max(rising, small->velocity().z);
    }
    EXPECT_GT(rising, 3.0f) << "bounced off the block's top";
    EXPECT_EQ(0, events.played("def_stroke"));
    EXPECT_FALSE(gBlocks.at(0)->isScheduled());
    // A normal ball dropped the same way does hurt it.
    small->setMode(YBallNormalId);
    small->setBodyTransform(at(YVec3(0, 0, 4)));
    small->body().setLinearVelocity(YVec3(0, 0, -12));
    for (int i = 0; i < 16; ++i)
        frame();
    EXPECT_GT(events.played("def_stroke"), 0);
}

TEST_F(BallPlay, GenerativeBallSpawnsASmallBallOnItsFarSideWhenItDestroys)
{
    build({{0, 0, 0}}, at(YVec3(2, -0.5f, 0.02f)));
    YBall* ball = ballAt(YVec3(1.4f, 0, 1.5f), YVec3(3, 0, 0), YBallGenerativeId);
    const YVec3 contact(1.9f, 0, 1.0f);
    EXPECT_FALSE(bumpBlock(ball->mode(), gBlocks.at(0), 20.0f, contact));
    EXPECT_EQ(1u, balls().size()) << "a hit that destroys nothing spawns nothing";
    EXPECT_TRUE(bumpBlock(ball->mode(), gBlocks.at(0), 500.0f, contact));
    ASSERT_EQ(2u, balls().size());
    YBall* small = balls()[0] == ball ? balls()[1] : balls()[0];
    EXPECT_EQ(YBallSmallId, small->mode()->id());
    expectNear(YVec3(0.9f, 0, 2.0f), small->position());
    expectNear(YVec3(-1.0f, -0.5f, 0.0f), small->velocity());
    ASSERT_EQ(1, events.played("small_ball"));
    expectNear(YVec3(0.9f, 0, 2.0f), events.sounds.back().position);
}

TEST_F(BallPlay, PhantomAndFireTrailsAndLightAtTheirRates)
{
    table = std::make_unique<YTable>();
    // At the speed it steers to, so that its velocity stays as it is.
    YBall* phantom = ballAt(YVec3(0, 2, 3), YVec3(7, 0, 0), YBallPhantomId);
    phantom->update(0.12f);
    EXPECT_EQ(2u, gParticles().particleCount()) << "one per 0.05 s";
    phantom->update(0.031f);
    ASSERT_EQ(3u, gParticles().particleCount());
    for (const YParticle& p : gParticles().particles()) {
        EXPECT_NEAR(0.55f, (p.position - YVec3(0, 2, 3)).length(), 1e-4f);
        expectNear(YVec3(5.25f, 0, 0), p.velocity);
        EXPECT_TRUE(p.life >= 0.2425f && p.life <= 0.2575f) << p.life;
        EXPECT_EQ("ballphantom_particles", p.shader->name);
    }
    EXPECT_TRUE(table->lightSpots().empty()) << "the phantom casts no light";
    delete phantom;
    gParticles().clearParticles();

    YBall* fire = ballAt(YVec3(0, 2, 1), YVec3(4, 0, 0), YBallFireId);
    fire->update(0.1f);
    ASSERT_EQ(2u, gParticles().particleCount()) << "one per 0.04 s";
    for (const YParticle& p : gParticles().particles()) {
        EXPECT_NEAR(0.2f, (p.position - YVec3(0, 2, 1)).length(), 1e-4f);
        expectNear(YVec3(), p.velocity);
        EXPECT_TRUE(p.life >= 0.375f && p.life <= 0.425f) << p.life;
        EXPECT_EQ("ballfire_particles", p.shader->name);
    }
    ASSERT_EQ(1u, table->lightSpots().size());
    const YLightSpot& spot = table->lightSpots()[0];
    EXPECT_FLOAT_EQ(2.0f, spot.y);
    const float fade = 1.0f - 1.0f / YBallModeSuper::LIGHT_SPOT_RADIUS; // one unit up
    EXPECT_NEAR(0.7f * fade, spot.color.y, 1e-5f);

    // Held, the ball leaves no trail and casts no light.
    table->clearLightSpots();
    racket->held = fire;
    racket->ballMode = YBallFireId;
    fire->update(0.2f);
    EXPECT_EQ(2u, gParticles().particleCount());
    EXPECT_TRUE(table->lightSpots().empty());
}

TEST_F(BallPlay, FlaresDrawOverTheBallTowardsTheEye)
{
    auto render = std::make_unique<YRecordingRender>(4);
    YMatrix view;
    gCamera().setTransform(view.makeTranslation(YVec3(0, 0, -10))); // the eye at (0, 0, 10)
    YBall* fire = ballAt(YVec3(0, 0, 2), YVec3(), YBallFireId);
    YBall* normal = ballAt(YVec3(3, 0, 2));
    fire->update(0.0f);
    normal->update(0.0f);
    fire->mode()->draw();
    normal->mode()->draw();
    EXPECT_EQ(1u, pendingBallDraws()) << "only the super modes wear a flare";
    render->calls.clear();
    drawBackToFront();
    EXPECT_EQ(0u, pendingBallDraws());
    EXPECT_EQ(std::vector<std::string>{"shader ballfire_flare"}, render->callsStartingWith("shader"));
    auto quads = render->callsStartingWith("quadUV2");
    ASSERT_EQ(1u, quads.size());
    std::istringstream in(quads[0].substr(8));
    float v[28];
    for (float& f : v)
        in >> f;
    // Centred 1.1 x 0.5 from the ball's centre towards the eye; half
    // diagonal 1.75 x 0.5.
    const YVec3 centre((v[0] + v[14]) * 0.5f, (v[1] + v[15]) * 0.5f, (v[2] + v[16]) * 0.5f);
    expectNear(YVec3(0, 0, 2.55f), centre, 1e-3f);
    EXPECT_NEAR(0.875f, (YVec3(v[0], v[1], v[2]) - centre).length() / std::sqrt(2.0f), 1e-3f);

    racket->held = fire;
    racket->ballMode = YBallFireId;
    fire->mode()->draw();
    EXPECT_EQ(0u, pendingBallDraws()) << "no flare in the hand";
    racket->held = nullptr;
    destroyRacketObjects();
    render.reset();
    gCamera().setTransform(YMatrix());
}

TEST_F(BallPlay, QueuedRecordsAreCappedWhenNothingDraws)
{
    YShader* shader = getShader("lightning");
    size_t queued = 0;
    for (size_t i = 0; i < MAX_BALL_DRAWS + 10; ++i)
        queued += queueBlastLine(shader, YVec3(0, 0, 1), YVec3(1, 0, 1)) ? 1 : 0;
    EXPECT_EQ(MAX_BALL_DRAWS, queued);
    drawBackToFront();
    EXPECT_EQ(0u, pendingBallDraws());
    EXPECT_TRUE(queueBallCrown(shader, YVec3(), 0.5f, 1.0f)) << "a drawn list starts afresh";
    drawBackToFront();
}
