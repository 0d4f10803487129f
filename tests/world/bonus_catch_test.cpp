// Falling bonuses with the real racket: what a catch earns and shows, when
// a catch does nothing, that a bonus is caught once, how lost bonuses burst,
// every kind's effect, the weapon hook, the sparks and their fields, and
// the next-level bonus from above.
#include "tests/world/block_test_fixture.h"

#include "core/locale.h"
#include "render/mesh.h"
#include "render/skel_instance.h"
#include "world/ball.h"
#include "world/bonus.h"
#include "world/bonus_config.h"
#include "world/bonus_types.h"
#include "world/game_event.h"
#include "world/racket.h"
#include "world/racket_tacked.h"
#include "world/score_popups.h"
#include "world/world_events.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace blocktest;

class Listener : public YGameEvent {
public:
    void onGameOver() override { ++gameOvers; }
    void onLevelEnd() override { ++levelEnds; }
    void onCenterPointer() override {}
    int gameOvers = 0, levelEnds = 0;
};

// A stand-in for a weapon: it counts its launches and where it was put.
class FakeWeapon : public YRacketTacked {
public:
    void launch(int arg) override
    {
        YRacketTacked::launch(arg);
        ++launches;
    }
    void setTransform(const YMatrix&) override { ++placed; }
    int launches = 0, placed = 0;
};

YRacketTacked* makeFakeWeapon()
{
    return new FakeWeapon();
}

const float TIMEOUTS[BONUS_TIMEOUT_COUNT] = {61.0f, 46.0f, 21.0f, 31.0f, 22.0f, 33.0f, 19.0f};

class BonusCatchTest : public BlockTest {
protected:
    void SetUp() override
    {
        BlockTest::SetUp();
        registerBonusIds();
        std::copy(gBonusTimeouts, gBonusTimeouts + BONUS_TIMEOUT_COUNT, savedTimeouts);
        std::copy(TIMEOUTS, TIMEOUTS + BONUS_TIMEOUT_COUNT, gBonusTimeouts);
        racket = std::make_unique<YRacket>(&listener);
        racket->serve(); // in play, holding a ball
        listener = Listener();
        events.sounds.clear();
        gPopups.clearPopups();
        gParticles().clearParticles();
    }

    void TearDown() override
    {
        racket.reset();
        destroyRacketObjectsQuietly();
        for (int w = 0; w < BONUS_WEAPON_COUNT; ++w)
            setBonusWeaponMaker(static_cast<YBonusWeapon>(w), nullptr);
        std::copy(savedTimeouts, savedTimeouts + BONUS_TIMEOUT_COUNT, gBonusTimeouts);
        gLocale().load("no_such_locale.yml"); // empties the table
        for (YBonusKindInfo& k : gBonusKinds)
            k.displayText.clear();
        releaseBallMeshInstances();
        gPopups.clearPopups();
        gParticles().clearParticles();
        physics().resetSpeedFactor();
        clearMeshes();
        BlockTest::TearDown();
    }

    static YBonus* drop(YBonusType* type, const YVec3& p, const YVec3& v = YVec3())
    {
        return new YBonus(type, at(p), v);
    }

    YVec3 overRacket() const { return YVec3(racket->x, racket->y, 1.0f); }

    // The bonuses' part of a frame, then the deletion sweep.
    static void tick(float dt = 0.01f)
    {
        auto& bonuses = gLiveBonuses();
        for (size_t i = 0; i < bonuses.size(); ++i)
            bonuses[i]->update(dt);
        YZDelete::tickAll(dt);
    }

    static bool alive(const YBonus* bonus)
    {
        const auto& list = gLiveBonuses();
        return std::find(list.begin(), list.end(), static_cast<const YFallingBonus*>(bonus)) != list.end();
    }

    // Drops the type on the racket and lets it be caught.
    void catchIt(YBonusType* type)
    {
        YBonus* bonus = drop(type, overRacket());
        tick();
        EXPECT_FALSE(alive(bonus)) << "a caught bonus goes in the same frame";
    }

    YBall* heldBall() const { return dynamic_cast<YBall*>(racket->held); }

    size_t particlesWith(const char* shader) const
    {
        const YShader* s = findShader(shader);
        const auto& list = gParticles().particles();
        return static_cast<size_t>(std::count_if(list.begin(), list.end(),
                                                 [s](const YParticle& p) { return p.shader == s; }));
    }

    Listener listener;
    std::unique_ptr<YRacket> racket;
    float savedTimeouts[BONUS_TIMEOUT_COUNT] = {};
};

// ------------------------------------------------------------ the catch

TEST_F(BonusCatchTest, ACatchScoresAndShowsTheKindsTextScoreAndColour)
{
    testutil::writeText("ui/locale.yml", "<locale><str name='bonus_ballnormal'>Plain ball</str>"
                                         "<str name='bonus_life'>Extra life</str></locale>");
    gLocale().load("ui\\locale.yml");
    localizeBonusKinds();
    EXPECT_EQ("Plain ball", gBonusKinds[BONUS_BALL_NORMAL].displayText);
    EXPECT_EQ("", gBonusKinds[BONUS_DEATH].displayText) << "a name the locale lacks";

    catchIt(new YBonusBallNormal());
    EXPECT_EQ(1000, racket->score);
    ASSERT_EQ(1u, gPopups.popups().size());
    const YPopup& popup = gPopups.popups()[0];
    EXPECT_EQ("Plain ball: +1000", popup.text);
    EXPECT_FLOAT_EQ(1.0f, popup.color[0]);
    EXPECT_FLOAT_EQ(0.9f, popup.color[2]) << "pale";
    EXPECT_FLOAT_EQ(1.0f, popup.alpha);
    EXPECT_EQ(1, events.played("bonus"));
    EXPECT_EQ(0, events.played("destroy_ball")) << "a caught bonus makes no burst";

    // A second catch sends the first text off at once; life is green.
    catchIt(new YBonusLife());
    EXPECT_EQ(2000, racket->score);
    ASSERT_EQ(2u, gPopups.popups().size());
    EXPECT_EQ(YPopup::SLIDING_OUT, gPopups.popups()[0].phase);
    EXPECT_EQ("Extra life: +1000", gPopups.popups()[1].text);
    EXPECT_FLOAT_EQ(0.5f, gPopups.popups()[1].color[0]);
    EXPECT_EQ(1, events.played("bonus_life")) << "the life bonus has its own sound";
}

TEST_F(BonusCatchTest, ACatchOutsidePlayRemovesTheBonusSilently)
{
    for (YRacketState state : {YRACKET_DYING, YRACKET_RECENTRE, YRACKET_LEVEL_INTRO, YRACKET_MENU_RUN}) {
        racket->state = state;
        const size_t particles = gParticles().particleCount();
        YBonus* bonus = drop(new YBonusLife(), overRacket());
        tick();
        EXPECT_FALSE(alive(bonus)) << "state " << state;
        EXPECT_EQ(3, racket->lives) << "no effect in state " << state;
        EXPECT_EQ(0, racket->score);
        EXPECT_TRUE(gPopups.empty());
        EXPECT_EQ(particles, gParticles().particleCount()) << "no sparks and no burst";
    }
    EXPECT_TRUE(events.sounds.empty());
}

TEST_F(BonusCatchTest, ABonusAlreadyLeavingIsCaughtOnlyOnce)
{
    // Below the floor, away from the racket: it is to go in about 0.15 s.
    YBonus* bonus = drop(new YBonusLife(), YVec3(6.0f, 0.0f, -3.0f));
    tick();
    ASSERT_TRUE(bonus->isScheduled());
    // Still below the floor, but now within the racket's reach.
    bonus->body().setTransform(at(YVec3(racket->x, racket->y, -3.0f)));
    int frames = 0;
    while (alive(bonus) && frames < 100) {
        tick();
        ++frames;
    }
    EXPECT_GT(frames, 5) << "the first schedule stands";
    EXPECT_EQ(4, racket->lives) << "one life, not one a frame";
    EXPECT_EQ(1000, racket->score);
    EXPECT_EQ(1u, gPopups.popups().size());
    EXPECT_EQ(1, events.played("bonus_life"));
    EXPECT_EQ(0, events.played("destroy_ball")) << "caught: no burst";
}

TEST_F(BonusCatchTest, TheRacketsFrameCatchesAndTheHeldBallTakesTheMode)
{
    build({{0, 6, 0}}); // a block, so the level goes on
    drop(new YBonusBallFire(), overRacket());
    racket->update(0.01f);
    YZDelete::tickAll(0.0f);
    EXPECT_TRUE(gLiveBonuses().empty());
    EXPECT_EQ(250, racket->score);
    EXPECT_EQ(YBallFireId, racket->ballMode);
    racket->update(0.01f);
    ASSERT_NE(nullptr, heldBall());
    EXPECT_EQ(YBallFireId, heldBall()->mode()->id()) << "the held ball shows the racket's mode";
    EXPECT_EQ(0, listener.levelEnds);
}

// ------------------------------------------------------------ lost bonuses

TEST_F(BonusCatchTest, ABonusBelowTheFloorGoesAMomentLaterWithABurst)
{
    YBonus* bonus = drop(new YBonusGloves(), YVec3(4.0f, 2.0f, -1.0f));
    EXPECT_EQ(YRigidBall::KIND_BONUS, bonus->body().kind());
    EXPECT_FLOAT_EQ(7.0f, bonus->body().baseSpeed());
    tick(0.0f);
    ASSERT_TRUE(bonus->isScheduled());
    EXPECT_GE(bonus->remainingTime(), 0.1375f);
    EXPECT_LE(bonus->remainingTime(), 0.1625f);
    const size_t before = gParticles().particleCount();
    while (alive(bonus))
        tick(0.01f);
    EXPECT_EQ(1, events.played("destroy_ball"));
    EXPECT_EQ(before + 1 + 7, gParticles().particleCount()) << "a flash and 7 sparks";
    EXPECT_EQ(7u, particlesWith("spark"));
    EXPECT_EQ(-1.0f, racket->glovesTimer) << "no effect";
    EXPECT_EQ(0, racket->score);

    // At the very edge of the widened floor it is still in play.
    YBonus* edge = drop(new YBonusGloves(), YVec3(4.0f, 2.0f, -0.6f));
    // And a bonus without a type goes without harm.
    YBonus* empty = new YBonus(nullptr, at(YVec3(0, 0, 5)), YVec3());
    tick(0.0f);
    EXPECT_FALSE(edge->isScheduled());
    EXPECT_FALSE(alive(empty));
}

TEST_F(BonusCatchTest, TearingTheWorldDownTakesBonusesQuietly)
{
    YBonus* leaving = drop(new YBonusLife(), YVec3(4.0f, 0.0f, -2.0f));
    drop(new YBonusFrost(), YVec3(2.0f, 3.0f, 4.0f));
    tick();
    ASSERT_TRUE(leaving->isScheduled());
    destroyRacketObjectsQuietly();
    EXPECT_TRUE(gLiveBonuses().empty());
    EXPECT_TRUE(gZDeleteList.entries.empty()) << "the scheduled bonus left the deletion list";
    tick(1.0f); // the sweep must not meet the deleted bonus
    EXPECT_EQ(0, events.played("destroy_ball"));

    // In play a bonus cleared with the racket's objects bursts.
    drop(new YBonusFrost(), YVec3(2.0f, 3.0f, 4.0f));
    destroyRacketObjects();
    EXPECT_EQ(1, events.played("destroy_ball"));
}

// ------------------------------------------------------------ effects

TEST_F(BonusCatchTest, BallBonusesSetTheModeForTheirTimeout)
{
    struct Case {
        YBonusType* type;
        YBallModeId mode;
        float timeout;
    };
    const Case cases[] = {
        {new YBonusBallHeavy(), YBallHeavyId, TIMEOUTS[BONUS_TIMEOUT_BALL_HEAVY]},
        {new YBonusBallPhantom(), YBallPhantomId, TIMEOUTS[BONUS_TIMEOUT_BALL_PHANTOM]},
        {new YBonusBallFire(), YBallFireId, TIMEOUTS[BONUS_TIMEOUT_BALL_FIRE]},
        {new YBonusBallElectro(), YBallElectroId, TIMEOUTS[BONUS_TIMEOUT_BALL_ELECTRO]},
        {new YBonusBallGenerative(), YBallGenerativeId, TIMEOUTS[BONUS_TIMEOUT_BALL_GENERATIVE]},
        {new YBonusBallNormal(), YBallNormalId, -1.0f},
    };
    int score = 0;
    for (const Case& c : cases) {
        score += gBonusKinds[c.type->kind()].score;
        catchIt(c.type);
        EXPECT_EQ(c.mode, racket->ballMode);
        EXPECT_FLOAT_EQ(c.timeout, racket->ballModeTimer) << "mode " << c.mode;
    }
    EXPECT_EQ(1000 + 200 + 300 + 250 + 500 + 400, score);
    EXPECT_EQ(score, racket->score);
    EXPECT_EQ(6u * 20u, particlesWith("spark2")) << "the common sparks each time";
}

TEST_F(BonusCatchTest, GlovesSpeedLifeFrostAndNextLevel)
{
    catchIt(new YBonusGloves());
    EXPECT_FLOAT_EQ(61.0f, racket->glovesTimer);

    physics().speedFactor = 1.0f;
    catchIt(new YBonusMinSpeedup());
    EXPECT_FLOAT_EQ(0.7f, physics().speedFactor);
    catchIt(new YBonusMaxSpeedup());
    EXPECT_FLOAT_EQ(1.2f, physics().speedFactor);
    EXPECT_EQ(1, events.played("bonus_minspeed"));
    EXPECT_EQ(1, events.played("bonus_maxspeed"));

    gParticles().clearParticles();
    catchIt(new YBonusLife());
    EXPECT_EQ(4, racket->lives);
    ASSERT_EQ(30u, particlesWith("spark"));
    for (const YParticle& p : gParticles().particles()) {
        EXPECT_EQ(&gSpaceRacketIn, p.warp);
        const YVec3 d = p.position - YVec3(racket->x, racket->y, 2.5f);
        EXPECT_NEAR(5.0f, d.length(), 1e-4f) << "gathering from 5 round the point over the racket";
    }

    gParticles().clearParticles();
    catchIt(new YBonusFrost());
    EXPECT_FLOAT_EQ(19.0f, racket->frostTimer);
    EXPECT_EQ("hero_frost", racket->hero->shaders[0]->name);
    ASSERT_EQ(20u, particlesWith("spark2"));
    EXPECT_FLOAT_EQ(0.5f, gParticles().particles().front().colorStart.x) << "blue, not the common colours";

    catchIt(new YBonusNext());
    EXPECT_EQ(1, listener.levelEnds);
    EXPECT_EQ(100 + 50 + 500 + 1000 + 2500 + 50, racket->score);
}

TEST_F(BonusCatchTest, DeathTakesALifeAndTheLastOneEndsTheGame)
{
    YRacketTacked* held = racket->held;
    catchIt(new YBonusDeath());
    EXPECT_EQ(2, racket->lives);
    EXPECT_EQ(0, listener.gameOvers);
    EXPECT_EQ(held, racket->held) << "the ball in the hand stays";
    EXPECT_EQ(YRACKET_PLAY, racket->state);
    EXPECT_EQ(30u, particlesWith("spark")) << "red sparks over the racket";
    EXPECT_EQ(0u, particlesWith("spark2")) << "instead of the common ones";
    EXPECT_EQ(1, events.played("bonus_death"));

    racket->lives = 1;
    catchIt(new YBonusDeath());
    EXPECT_EQ(0, racket->lives);
    EXPECT_EQ(1, listener.gameOvers) << "at once";
    EXPECT_EQ(10000, racket->score);
}

TEST_F(BonusCatchTest, WeaponsLetTheHeldObjectGoFirstAndWithoutTheirMakerOnlyScore)
{
    YRacketTacked* served = racket->held;
    catchIt(new YBonusBoomer());
    catchIt(new YBonusBomb());
    catchIt(new YBonusGrenade());
    EXPECT_EQ(served, racket->held);
    EXPECT_EQ(100 + 250 + 150, racket->score);

    for (int w = 0; w < BONUS_WEAPON_COUNT; ++w)
        setBonusWeaponMaker(static_cast<YBonusWeapon>(w), makeFakeWeapon);
    YBall* ball = heldBall();
    ASSERT_NE(nullptr, ball);
    catchIt(new YBonusBoomer());
    auto* boomer = dynamic_cast<FakeWeapon*>(racket->held);
    ASSERT_NE(nullptr, boomer);
    EXPECT_EQ(1, boomer->placed) << "put in the hand";
    EXPECT_FLOAT_EQ(YRacketTacked::LAUNCH_TIME, ball->launchTimer) << "the ball was thrown first";
    EXPECT_TRUE(ball->body().isEnabled());

    catchIt(new YBonusBomb());
    auto* bomb = dynamic_cast<FakeWeapon*>(racket->held);
    ASSERT_NE(nullptr, bomb);
    EXPECT_NE(boomer, bomb);
    EXPECT_EQ(1, boomer->launches);
    catchIt(new YBonusGrenade());
    EXPECT_NE(bomb, racket->held);
    EXPECT_EQ(1, bomb->launches);
}

// What the hand holds puts something else in it when let go: the new
// weapon cannot be taken and must not be left lying about.
class Clinging : public FakeWeapon {
public:
    void launch(int arg) override
    {
        FakeWeapon::launch(arg);
        gRacket->held = &other;
    }
    FakeWeapon other;
};

TEST_F(BonusCatchTest, AWeaponTheHandCannotTakeIsDropped)
{
    setBonusWeaponMaker(BONUS_WEAPON_BOMB, makeFakeWeapon);
    auto clinging = std::make_unique<Clinging>();
    racket->held = clinging.get();
    const size_t objects = gRacketTacked().size();
    catchIt(new YBonusBomb());
    EXPECT_EQ(&clinging->other, racket->held);
    EXPECT_EQ(objects, gRacketTacked().size()) << "no stray weapon";
    racket->held = nullptr;
}

// ------------------------------------------------------------ sparks

TEST_F(BonusCatchTest, CatchSparksAreBrightColoursAroundTheCatch)
{
    const YVec3 p(1.0f, -3.0f, 2.0f);
    spawnBonusSparks(p);
    ASSERT_EQ(20u, particlesWith("spark2"));
    for (const YParticle& s : gParticles().particles()) {
        EXPECT_EQ(&gSpaceRacketVortex, s.warp);
        EXPECT_NEAR(2.0f, (s.position - p).length(), 1e-4f);
        // Saturation 0.75 at full value: one channel 1, one 0.25.
        EXPECT_FLOAT_EQ(1.0f, std::max({s.colorStart.x, s.colorStart.y, s.colorStart.z}));
        EXPECT_FLOAT_EQ(0.25f, std::min({s.colorStart.x, s.colorStart.y, s.colorStart.z}));
        EXPECT_FLOAT_EQ(0.1f, s.colorEnd.w);
    }
}

TEST_F(BonusCatchTest, TheFieldsSwirlAndPullTowardsTheRacket)
{
    racket->x = 1.0f;
    auto applied = [](YSpaceWarp& warp, const YVec3& position) {
        YParticle p;
        p.position = position;
        warp.apply(p, 0.1f);
        return p.velocity;
    };
    // Two to the side: swirl, a pull of L/2 and the lift, 50 per second.
    expectNear(YVec3(-5.0f, -5.0f, 0.25f), applied(gSpaceRacketVortex, YVec3(3.0f, racket->y, 7.0f)));
    // Right over the racket there is no way round and nothing to pull in,
    // and no division by zero: only the lift.
    expectNear(YVec3(0.0f, 0.0f, 0.25f), applied(gSpaceRacketVortex, YVec3(racket->x, racket->y, 4.0f)));
    // Straight in to the point 2.5 over the racket; none once there.
    expectNear(YVec3(-3.0f, 0.0f, -4.0f), applied(gSpaceRacketIn, YVec3(racket->x + 3.0f, racket->y, 6.5f)));
    expectNear(YVec3(), applied(gSpaceRacketIn, YVec3(racket->x, racket->y, 2.5f)));

    YParticle p;

    // Sparks that outlive the racket are left alone.
    racket.reset();
    p.position = YVec3(3.0f, 0.0f, 1.0f);
    p.velocity = YVec3(1.0f, 2.0f, 3.0f);
    gSpaceRacketVortex.apply(p, 0.1f);
    gSpaceRacketIn.apply(p, 0.1f);
    EXPECT_FLOAT_EQ(2.0f, p.velocity.y);
}

// ------------------------------------------------------------ next level

TEST_F(BonusCatchTest, TheNextLevelBonusFallsFromAboveTheMiddle)
{
    for (int i = 0; i < 20; ++i)
        worldEvents().spawnNextBonus();
    ASSERT_EQ(20u, gLiveBonuses().size());
    for (YFallingBonus* falling : gLiveBonuses()) {
        auto* bonus = dynamic_cast<YBonus*>(falling);
        ASSERT_NE(nullptr, bonus);
        EXPECT_EQ(BONUS_NEXT, bonus->type()->kind());
        const YVec3 p = bonus->body().getPosition();
        EXPECT_LE(std::fabs(p.x), 2.5f) << "within an eighth of the table's width";
        EXPECT_LE(std::fabs(p.y), 2.5f);
        EXPECT_GE(p.z, 17.5f);
        EXPECT_LE(p.z, 22.5f);
        const YVec3 v = bonus->body().getLinearVelocity();
        EXPECT_LE(std::max({std::fabs(v.x), std::fabs(v.y), std::fabs(v.z)}), 0.5f);
    }
}

} // namespace
