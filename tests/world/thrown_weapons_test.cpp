// The bomb and the grenade with the real racket and physics: the fuse in the
// air and after an impact, what cuts it short, the grenade's series of
// throws, the catch on the way back, leaving the table, and a racket that
// will not take them outside play.
#include "tests/world/block_test_fixture.h"

#include "render/particles.h"
#include "world/ball.h"
#include "world/bomb.h"
#include "world/boomer.h"
#include "world/grenade.h"
#include "world/pipe.h"
#include "world/racket.h"
#include "world/racket_tacked.h"
#include "world/weapons.h"

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace blocktest;

class ThrownWeaponTest : public BlockTest {
protected:
    void SetUp() override
    {
        BlockTest::SetUp();
        ASSERT_TRUE(testutil::copyFromGame("mesh")) << "the content was not built";
        racket = std::make_unique<YRacket>(nullptr);
        racket->serve();
        // The served ball goes: the weapons are driven without the
        // racket's update, which would count the balls.
        YWorldTearDown quiet;
        delete racket->held;
        events.sounds.clear();
    }

    void TearDown() override
    {
        racket.reset();
        releaseRacketLeftovers();
        releaseWeaponAssets();
        BlockTest::TearDown();
    }

    // The game's order without the racket's walk and life count: physics,
    // the hand, every racket object, the deletion sweep.
    void frame(float dt = 0.01f, bool withPhysics = true)
    {
        if (withPhysics)
            gPhysics->step(dt);
        if (racket->held)
            racket->placeHeld(racket->held);
        auto& objects = gRacketTacked();
        for (size_t i = 0; i < objects.size(); ++i)
            objects[i]->update(dt);
        YZDelete::tickAll(dt);
    }

    static bool alive(const YRacketTacked* object)
    {
        const auto& list = gRacketTacked();
        return std::find(list.begin(), list.end(), object) != list.end();
    }

    // Frames until the weapon has left the hand; the seconds they took.
    float untilFlying(YThrownWeapon* weapon)
    {
        float t = 0.0f;
        while (!weapon->isFlying() && t < 1.0f) {
            frame(0.01f, false);
            t += 0.01f;
        }
        EXPECT_TRUE(weapon->isFlying());
        return t;
    }

    // Held (unless it is), launched and through its windup.
    float thrown(YThrownWeapon* weapon)
    {
        if (racket->held != weapon) {
            EXPECT_TRUE(holdWeapon(*racket, weapon, true));
        }
        racket->launch(1);
        return untilFlying(weapon);
    }

    // Puts a flying weapon at a place, still.
    static void put(YThrownWeapon* weapon, const YVec3& p, const YVec3& v = YVec3())
    {
        weapon->body().setTransform(at(p));
        weapon->body().setLinearVelocity(v);
        weapon->body().setAngularVelocity(YVec3());
    }

    size_t sparks(const char* shader) const
    {
        YShader* s = findShader(shader);
        return static_cast<size_t>(std::count_if(gParticles().particles().begin(), gParticles().particles().end(),
                                                  [&](const YParticle& p) { return p.shader == s; }));
    }

    // What the HUD shows: the grenades in the hand, -1 for none.
    int heldGrenades() const { return racket->held ? racket->held->grenadeCount() : -1; }

    std::unique_ptr<YRacket> racket;
};

TEST_F(ThrownWeaponTest, ABombThatTouchesNothingBurstsInTheAirAfterTenSeconds)
{
    auto* bomb = new YBomb();
    ASSERT_TRUE(holdWeapon(*racket, bomb, true));
    EXPECT_FALSE(bomb->body().isEnabled());
    // Its fuse sparkles in the hand too, at the fuse's tip.
    for (int i = 0; i < 100; ++i)
        frame(0.01f, false);
    EXPECT_NEAR(70.0, static_cast<double>(sparks(YThrownWeapon::FUSE_PARTICLES)), 1.0);
    EXPECT_NEAR(0.0f, (gParticles().particles().back().position - bomb->fuseTip()).length(), 1e-4f);
    EXPECT_EQ(0.0f, bomb->fuse) << "unlit while held";

    const YVec3 hand = bomb->matrix.translation();
    EXPECT_NEAR(0.15f, thrown(bomb), 0.011f);
    const YVec3 v = bomb->body().getLinearVelocity();
    EXPECT_NEAR(8.0f, v.y, 1e-3f) << "flat ahead at the bomb's speed";
    EXPECT_NEAR(0.0f, v.z, 1e-3f);
    EXPECT_NEAR(0.0f, (bomb->body().getPosition() - hand).length(), 0.5f);

    // In the air over the table, out of everyone's way.
    put(bomb, YVec3(0.0f, 0.0f, 8.0f));
    float flown = 0.0f;
    while (effects.blasts.empty() && flown < 11.0f) {
        frame(0.05f, false);
        flown += 0.05f;
    }
    EXPECT_NEAR(10.0f, flown, 0.051f);
    ASSERT_EQ(1u, effects.blasts.size());
    EXPECT_EQ(5.0f, effects.blasts[0]);
    EXPECT_EQ(50, effects.blastSparks[0]);
    EXPECT_EQ(1, events.played("bomb"));
    EXPECT_FALSE(alive(bomb)) << "gone in the sweep after it";
    EXPECT_EQ(0, events.played("destroy_ball")) << "an exploded bomb does not burst";
}

// What cuts a burning fuse short: blocks and the far wall do; the floor, a
// falling bonus and a splinter (bodies that hear no bumps) do not.
TEST_F(ThrownWeaponTest, OnlyBlocksAndTheFarWallCutTheFuseShort)
{
    struct Case {
        const char* what;
        YVec3 from, velocity;
        bool cut;
    };
    const Case cases[] = {
        {"the floor", YVec3(0, 0, 1.5f), YVec3(0, 0, -5.0f), false},
        {"a falling bonus", YVec3(-4.0f, 2.0f, 0.5f), YVec3(4.0f, 0, 0), false},
        {"a block", YVec3(4.0f, -2.0f, 0.5f), YVec3(4.0f, 0, 0), true},
        {"the far wall", YVec3(0, 8.0f, 0.5f), YVec3(0, 8.0f, 0), true},
    };
    // A bonus's ball and a block, in the paths of the bombs aimed at them.
    YRigidBall bonus(YRigidBall::KIND_BONUS, 7.0f);
    const float light[3] = {0.01f, 0.01f, 0.01f};
    bonus.setMass(0.3f, light, false);
    bonus.setTransform(at(YVec3(-2.0f, 2.0f, 0.52f)));
    bonus.setLinearVelocity(YVec3());
    build({{6, -3, 0}, {6, -2, 0}, {6, -1, 0}});

    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto* bomb = new YBomb();
        thrown(bomb);
        put(bomb, c.from, c.velocity);
        const size_t blasts = effects.blasts.size();
        float cutAt = -1.0f, t = 0.0f;
        while (alive(bomb) && t < 1.5f) {
            frame(0.01f);
            t += 0.01f;
            if (alive(bomb) && cutAt < 0.0f && bomb->fuse <= 0.1f)
                cutAt = t;
        }
        EXPECT_EQ(c.cut, effects.blasts.size() > blasts);
        EXPECT_EQ(c.cut, !alive(bomb));
        if (c.cut) {
            EXPECT_NEAR(0.1f, t - cutAt, 0.011f) << "0.1 s after the impact";
        } else if (alive(bomb)) {
            EXPECT_NEAR(10.0f - t, bomb->fuse, 0.02f); // less the release frame
            YWorldTearDown quiet;
            delete bomb;
        }
    }
    EXPECT_EQ(2u, effects.blasts.size());
}

TEST_F(ThrownWeaponTest, AGrenadeBonusGivesFiveThrowsAndAForcedReleaseEndsTheSeries)
{
    EXPECT_EQ(-1, heldGrenades()) << "nothing held";
    ASSERT_TRUE(holdWeapon(*racket, new YGrenade(YGrenade::BONUS_THROWS), false));
    // Unlit in the hand: no sparks.
    for (int i = 0; i < 50; ++i)
        frame(0.01f, false);
    EXPECT_EQ(0u, sparks(YThrownWeapon::FUSE_PARTICLES));
    for (int i = 0; i < YGrenade::BONUS_THROWS; ++i) {
        auto* grenade = dynamic_cast<YGrenade*>(racket->held);
        ASSERT_NE(nullptr, grenade) << "throw " << i;
        EXPECT_EQ(YGrenade::BONUS_THROWS - i, heldGrenades());
        racket->launch(1);
        frame(0.01f, false);
        EXPECT_EQ(i < 4 ? grenade : nullptr, racket->held) << "kept in the hand while more are to come";
        racket->launch(1); // during the windup: nothing
        EXPECT_EQ(YGrenade::BONUS_THROWS - i - 1, grenade->throwsLeft());
        EXPECT_NEAR(0.2f, untilFlying(grenade) + 0.01f, 0.011f);
        EXPECT_NE(grenade, racket->held);
        // Lobbed at the throw angle.
        const YVec3 v = grenade->body().getLinearVelocity();
        EXPECT_NEAR(15.0f * std::cos(degToRad(racket->throwAngle)), v.y, 1e-2f);
        EXPECT_NEAR(15.0f * std::sin(degToRad(racket->throwAngle)), v.z, 1e-2f);
        put(grenade, YVec3(-8.0f + 3.0f * static_cast<float>(i), 4.0f, 9.0f));
    }
    EXPECT_EQ(nullptr, racket->held);
    EXPECT_EQ(-1, heldGrenades());
    EXPECT_EQ(5u, gRacketTacked().size());
    EXPECT_GT(sparks(YThrownWeapon::FUSE_PARTICLES), 0u) << "lit in flight";
    // Each burns 3 s from its throw.
    for (int i = 0; i < 300 && effects.blasts.size() < 5u; ++i)
        frame(0.01f, false);
    frame(0.01f, false);
    EXPECT_EQ(5u, effects.blasts.size());
    EXPECT_EQ(2.75f, effects.blasts[0]);
    EXPECT_EQ(5, events.played("grenade"));
    EXPECT_TRUE(gRacketTacked().empty());
    EXPECT_EQ(0, events.played("destroy_ball")) << "grenades do not burst";

    auto* forced = new YGrenade(YGrenade::BONUS_THROWS);
    ASSERT_TRUE(holdWeapon(*racket, forced, false));
    forced->launch(0);
    EXPECT_EQ(0, forced->throwsLeft());
    thrown(forced);
    EXPECT_EQ(nullptr, racket->held) << "no next grenade";
    EXPECT_EQ(1u, gRacketTacked().size());
}

// Back at the racket after leaving the hand: the bomb is caught again 0.35 s
// after its release (the launch timer's 0.5 s less the windup), the grenade
// 0.3 s after, each with its fuse out and its body at rest.
TEST_F(ThrownWeaponTest, AWeaponComingBackIsCaughtAgainOnceItsLaunchTimerHasRunOut)
{
    struct Case {
        const char* what;
        YThrownWeapon* weapon;
        float after;
    };
    const Case cases[] = {{"bomb", new YBomb(), 0.35f}, {"grenade", new YGrenade(3), 0.3f}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        thrown(c.weapon);
        if (racket->held) { // the grenade's next one
            YWorldTearDown quiet;
            delete racket->held;
        }
        float t = 0.0f;
        while (racket->held != c.weapon && t < 1.0f) {
            put(c.weapon, YVec3(racket->x, racket->y, 1.5f));
            frame(0.01f, false);
            t += 0.01f;
        }
        EXPECT_EQ(c.weapon, racket->held);
        EXPECT_NEAR(c.after, t, 0.011f);
        EXPECT_EQ(0.0f, c.weapon->fuse);
        EXPECT_EQ(0.0f, c.weapon->throwTimer);
        EXPECT_FALSE(c.weapon->body().isEnabled());
        // It can be thrown once more.
        racket->launch(1);
        EXPECT_GT(c.weapon->throwTimer, 0.0f);
        YWorldTearDown quiet;
        delete c.weapon;
    }
}

TEST_F(ThrownWeaponTest, AWeaponThatLeavesTheTableGoesSoonTheBombWithABurst)
{
    struct Case {
        const char* what;
        YThrownWeapon* weapon;
        int bursts;
    };
    const Case cases[] = {{"bomb", new YBomb(), 1}, {"grenade", new YGrenade(1), 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        events.sounds.clear();
        thrown(c.weapon);
        put(c.weapon, YVec3(0.0f, 0.0f, -2.0f)); // under the floor
        frame(0.01f, false);
        ASSERT_TRUE(c.weapon->isScheduled());
        EXPECT_GE(c.weapon->remainingTime(), 0.1375f - 0.01f);
        EXPECT_LE(c.weapon->remainingTime(), 0.1625f);
        for (int i = 0; i < 20; ++i)
            frame(0.01f, false);
        EXPECT_FALSE(alive(c.weapon));
        EXPECT_EQ(c.bursts, events.played("destroy_ball"));
        EXPECT_TRUE(effects.blasts.empty()) << "no explosion";
    }
}

// Outside play the racket lets nothing go, so it may refuse what a weapon
// hands it: nothing may then be held twice, dragged along or left lying.
TEST_F(ThrownWeaponTest, ARacketOutOfPlayRefusesWeaponsWithoutLosingAnything)
{
    // The grenade's hand-over with the hand free: the flying grenade is let
    // go, the next one taken.
    auto* grenade = new YGrenade(YGrenade::BONUS_THROWS);
    ASSERT_TRUE(holdWeapon(*racket, grenade, false));
    racket->launch(1);
    racket->state = YRACKET_DYING;
    untilFlying(grenade);
    auto* spare = dynamic_cast<YGrenade*>(racket->held);
    ASSERT_NE(nullptr, spare);
    EXPECT_NE(grenade, spare);
    EXPECT_EQ(2u, gRacketTacked().size());
    const YVec3 from = grenade->body().getPosition();
    for (int i = 0; i < 10; ++i)
        frame(0.01f);
    EXPECT_GT((grenade->body().getPosition() - from).length(), 1.0f) << "it flies, not dragged to the hand";
    {
        YWorldTearDown quiet;
        destroyRacketObjects();
    }

    // With the pipe in the hand, which cannot be let go: the next grenade
    // is not made to lie about, and the bomb and boomerang coming back fly
    // on.
    racket->state = YRACKET_PLAY;
    grenade = new YGrenade(YGrenade::BONUS_THROWS);
    ASSERT_TRUE(holdWeapon(*racket, grenade, false));
    auto* bomb = new YBomb();
    auto* boomer = new YBoomer();
    racket->launch(1);
    bomb->launch(1);
    boomer->launch(1);
    auto* pipe = new YPipe();
    racket->held = pipe;
    racket->state = YRACKET_LEVEL_INTRO;
    for (int i = 0; i < 25; ++i)
        frame(0.01f, false);
    EXPECT_EQ(pipe, racket->held);
    EXPECT_EQ(4u, gRacketTacked().size()) << "the pipe and the three weapons, no spare";
    ASSERT_TRUE(grenade->isFlying() && bomb->isFlying());
    for (int i = 0; i < 50; ++i) {
        put(bomb, YVec3(racket->x, racket->y, 1.5f));
        boomer->setTransform(at(YVec3(racket->x, racket->y, 2.0f)));
        frame(0.01f, false);
    }
    EXPECT_EQ(pipe, racket->held);
    EXPECT_TRUE(bomb->isFlying());
    EXPECT_TRUE(bomb->body().isEnabled());
    EXPECT_TRUE(alive(boomer));
    EXPECT_GT((boomer->position() - YVec3(racket->x, racket->y, 2.0f)).length(), 0.05f) << "it flew on";

    // In play the boomerang takes the hand from what is there.
    racket->state = YRACKET_PLAY;
    {
        YWorldTearDown quiet;
        delete pipe;
        delete bomb;
        delete grenade;
    }
    EXPECT_EQ(nullptr, racket->held);
    auto* ball = new YBall(YBallNormalId);
    racket->held = ball;
    boomer->setTransform(at(YVec3(racket->x, racket->y, 2.0f)));
    frame(0.01f, false);
    EXPECT_EQ(boomer, racket->held);
    EXPECT_GT(ball->launchTimer, 0.0f) << "the ball was thrown";
}

} // namespace
