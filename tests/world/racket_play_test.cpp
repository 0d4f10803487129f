// The racket in play: steering and its limits, the walk, kicks and throws,
// catching with the gloves, the timers, lives, serving and game over.
#include "tests/world/world_fixture.h"

#include "render/mesh.h"
#include "render/particles.h"
#include "render/recording_render.h"
#include "render/resource.h"
#include "render/shader.h"
#include "render/skel_instance.h"
#include "sound/named_sound.h"
#include "tests/common/render_util.h"
#include "world/ball.h"
#include "world/game_event.h"
#include "world/hero_clips.h"
#include "world/pipe.h"
#include "world/racket.h"
#include "world/racket_tacked.h"
#include "world/score_popups.h"
#include "world/table.h"
#include "world/world_events.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace worldtest;

class Listener : public YGameEvent {
public:
    void onGameOver() override { ++gameOvers; }
    void onLevelEnd() override { ++levelEnds; }
    void onCenterPointer() override { ++centres; }
    int gameOvers = 0, levelEnds = 0, centres = 0;
};

// The world's events, with the sounds written down.
class SoundLog : public YWorldEvents {
public:
    void onSound(const YNamedSound& sound, const YVec3&, float volume, const YVec3&) override
    {
        names.push_back(sound.name());
        volumes.push_back(volume);
    }
    int count(const std::string& name) const
    {
        return static_cast<int>(std::count(names.begin(), names.end(), name));
    }
    std::vector<std::string> names;
    std::vector<float> volumes;
};

class RacketTest : public WorldTest {
protected:
    void SetUp() override
    {
        WorldTest::SetUp();
        setBlockEvents(&sounds);
    }

    void TearDown() override
    {
        racket.reset();
        releaseRacketLeftovers();
        setBlockEvents(nullptr);
        physics().resetSpeedFactor();
        WorldTest::TearDown();
    }

    // The generated hero, or (false) an empty hero mesh.
    void make(bool withHero = true, bool withListener = true)
    {
        if (withHero) {
            ASSERT_TRUE(testutil::copyFromGame("mesh")) << "the content was not built";
        }
        racket = std::make_unique<YRacket>(withListener ? &listener : nullptr);
    }

    void frames(int n, float dt = 0.01f)
    {
        for (int i = 0; i < n; ++i)
            racket->update(dt);
    }

    YBall* heldBall() const { return dynamic_cast<YBall*>(racket->held); }

    // Elevation of a velocity above the table, in degrees.
    static float elevation(const YVec3& v)
    {
        return std::atan2(v.z, std::sqrt(v.x * v.x + v.y * v.y)) * 57.29578f;
    }

    Listener listener;
    SoundLog sounds;
    std::unique_ptr<YRacket> racket;
};

TEST_F(RacketTest, TheThrowAngleStaysWithinItsRange)
{
    make(false);
    EXPECT_FLOAT_EQ(15.0f, racket->throwAngle);
    racket->throwAngle = 55.0f;
    racket->adjustBallAngle(5.0f);
    EXPECT_FLOAT_EQ(55.0f, racket->throwAngle);
    racket->throwAngle = 2.0f;
    racket->adjustBallAngle(-5.0f);
    EXPECT_FLOAT_EQ(0.0f, racket->throwAngle);
    racket->adjustBallAngle(120.0f / 24.0f); // one notch of the wheel
    EXPECT_FLOAT_EQ(5.0f, racket->throwAngle);
    racket->adjustBallAngle(std::nanf(""));
    EXPECT_FLOAT_EQ(5.0f, racket->throwAngle);
}

TEST_F(RacketTest, SteeringWorksInPlayOnlyAndStaysOnTheTable)
{
    make(false);
    // The racket stands half its width in from the near edge.
    EXPECT_FLOAT_EQ(-9.0f, racket->y);
    racket->moveTo(2.0f);
    EXPECT_FLOAT_EQ(9.0f, racket->targetX) << "2 is the right edge, less half the racket";
    racket->moveTo(-1.0f);
    EXPECT_FLOAT_EQ(-9.0f, racket->targetX);
    racket->moveTo(0.5f);
    EXPECT_FLOAT_EQ(4.5f, racket->targetX);
    racket->moveTo(std::nanf(""));
    EXPECT_FLOAT_EQ(4.5f, racket->targetX);
    for (YRacketState s : {YRACKET_DYING, YRACKET_RECENTRE, YRACKET_LEVEL_INTRO, YRACKET_MENU_RUN}) {
        racket->state = s;
        racket->moveTo(-0.5f);
        EXPECT_FLOAT_EQ(4.5f, racket->targetX) << "state " << s;
    }
}

TEST_F(RacketTest, ATableResizeTakesTheRacketLineAlongWithTheNearEdge)
{
    make();
    YTable table;
    ASSERT_TRUE(table.setSize(20.0f, 30.0f));
    EXPECT_FLOAT_EQ(-14.0f, racket->y);
    ASSERT_TRUE(table.setSize(40.0f, 12.0f));
    EXPECT_FLOAT_EQ(-5.0f, racket->y);
}

TEST_F(RacketTest, FrostKeepsTheRacketBelowFullSpeed)
{
    make();
    racket->serve();
    float turned = 0.0f;
    auto fastest = [&] {
        float top = 0.0f;
        turned = 0.0f;
        for (int i = 0; i < 60; ++i) {
            racket->update(0.01f);
            top = std::max(top, std::fabs(racket->velocity));
            if (std::fabs(racket->yaw) > std::fabs(turned))
                turned = racket->yaw;
        }
        return top;
    };
    racket->moveTo(1.0f);
    EXPECT_FLOAT_EQ(25.0f, fastest()) << "full speed without frost";
    EXPECT_FLOAT_EQ(-60.0f, turned) << "turned towards +x at full speed";

    racket->setFrostLook();
    racket->frostTimer = 20.0f;
    EXPECT_EQ("hero_frost", racket->hero->shaders[0]->name);
    EXPECT_EQ("hero3_frost", racket->hero->shaders[3]->name);
    racket->moveTo(-1.0f);
    EXPECT_NEAR(15.0f, fastest(), 1e-4f) << "0.6 of full speed";
    EXPECT_NEAR(36.0f, turned, 1e-4f);

    // The frost wears off and the look comes back with it.
    racket->frostTimer = 0.015f;
    frames(2);
    EXPECT_EQ("hero", racket->hero->shaders[0]->name);
    EXPECT_EQ("hero3", racket->hero->shaders[3]->name);
}

TEST_F(RacketTest, TurningRoundStartsFromAStandstill)
{
    make();
    racket->serve();
    racket->moveTo(1.0f);
    frames(15);
    ASSERT_GT(racket->velocity, 10.0f);
    const float before = racket->x;
    racket->moveTo(-1.0f);
    racket->update(0.01f);
    EXPECT_FLOAT_EQ(-1.0f, racket->velocity) << "one frame's acceleration the other way, from zero";
    EXPECT_GT(racket->yaw, 0.0f);
    EXPECT_LT(racket->x, before);

    // It slows down into the target and stands.
    racket->moveTo(0.0f);
    frames(200);
    EXPECT_NEAR(0.0f, racket->x, 0.01f);
    EXPECT_FLOAT_EQ(0.0f, racket->velocity);
    EXPECT_TRUE(racket->isPlaying(HERO_STAND));
    frames(50);
    EXPECT_FALSE(racket->isPlaying(HERO_RUN));
    EXPECT_FALSE(racket->isPlaying(HERO_WALK));
}

TEST_F(RacketTest, WalkingPutsTheFeetDownAudibly)
{
    make();
    racket->serve();
    racket->moveTo(1.0f);
    frames(40);
    EXPECT_GE(sounds.count("hero_step"), 1);
    EXPECT_TRUE(racket->isPlaying(HERO_RUN));
    EXPECT_TRUE(racket->isPlaying(HERO_STEP_RIGHT));
    EXPECT_FALSE(racket->isPlaying(HERO_STEP_LEFT));
    // The ball is carried in the hand.
    const YVec3 hand = (racket->hero->matrix * racket->hero->attachmentFrame(hero::ATTACH_BALL)).translation();
    const YVec3 ball = heldBall()->body().getTransform().translation();
    EXPECT_NEAR(hand.x, ball.x, 1e-4f);
    EXPECT_NEAR(hand.z, ball.z, 1e-4f);
}

TEST_F(RacketTest, TheLastBallLostCostsALifeThenTheRacketRecentresAndServes)
{
    make();
    racket->serve();
    const int centred = listener.centres;
    racket->moveTo(0.5f);
    frames(100);
    const float stood = racket->x;
    ASSERT_NEAR(4.5f, stood, 0.01f);
    racket->setBallMode(YBallFireId, 20.0f);
    delete racket->held;
    EXPECT_EQ(nullptr, racket->held);

    racket->update(0.01f);
    EXPECT_EQ(1, sounds.count("bonus_death"));
    EXPECT_EQ(2, racket->lives);
    EXPECT_EQ(YRACKET_DYING, racket->state);
    EXPECT_TRUE(racket->isPlaying(HERO_DEATH));
    EXPECT_EQ(YBallNormalId, racket->ballMode);
    EXPECT_FLOAT_EQ(-1.0f, racket->ballModeTimer);
    EXPECT_EQ(0, listener.gameOvers);

    // While the hero dies he stays put and nothing more is lost.
    racket->moveTo(-1.0f);
    frames(20);
    EXPECT_FLOAT_EQ(stood, racket->x);
    EXPECT_EQ(2, racket->lives);

    int n = 0;
    while (racket->state != YRACKET_PLAY && n++ < 1000)
        racket->update(0.01f);
    ASSERT_EQ(YRACKET_PLAY, racket->state);
    EXPECT_FLOAT_EQ(0.0f, racket->x) << "back in the middle before the serve";
    ASSERT_NE(nullptr, heldBall()) << "a new ball in the hand";
    EXPECT_EQ(2, racket->lives);
    EXPECT_GT(listener.centres, centred);
    EXPECT_EQ(1, sounds.count("bonus_death"));
}

TEST_F(RacketTest, TheLastLifeEndsTheGame)
{
    make();
    racket->serve();
    racket->lives = 1;
    delete racket->held;
    racket->update(0.01f);
    EXPECT_EQ(0, racket->lives);
    EXPECT_EQ(1, listener.gameOvers);
    EXPECT_EQ(1, sounds.count("game_over"));
    // Dying is not play: no further life goes.
    frames(10);
    EXPECT_EQ(1, listener.gameOvers);
    EXPECT_EQ(0, racket->lives);
}

TEST_F(RacketTest, WithoutAListenerTheLivesRefillAndPlayGoesOn)
{
    make(true, false);
    racket->serve();
    racket->lives = 1;
    racket->x = racket->targetX = 3.0f;
    delete racket->held;
    racket->update(0.01f);
    EXPECT_EQ(3, racket->lives);
    EXPECT_EQ(YRACKET_RECENTRE, racket->state);
    EXPECT_FLOAT_EQ(0.0f, racket->targetX);
    EXPECT_EQ(1, sounds.count("game_over"));
    int n = 0;
    while (racket->state != YRACKET_PLAY && n++ < 1000)
        racket->update(0.01f);
    EXPECT_EQ(YRACKET_PLAY, racket->state);
    EXPECT_NE(nullptr, heldBall());
}

TEST_F(RacketTest, AFasterGameKicksFlatterUpToSixtyDegrees)
{
    make();
    racket->serve();
    YBall* ball = heldBall();
    ASSERT_NE(nullptr, ball);
    racket->throwAngle = 40.0f;
    const YVec3 at(1.0f, -8.0f, 1.0f);

    physics().speedFactor = 0.5f;
    racket->kickBall(ball, YVec3(0, 1, 0), at);
    YVec3 v = ball->body().getLinearVelocity();
    EXPECT_NEAR(60.0f, elevation(v), 0.01f) << "80 degrees is clamped";
    EXPECT_NEAR(15.0f, v.length(), 1e-3f) << "1.5 x the base speed";
    EXPECT_NEAR(at.x, ball->body().getTransform().translation().x, 1e-5f);

    physics().speedFactor = 1.0f;
    racket->kickBall(ball, YVec3(0, 2, 0), at);
    v = ball->body().getLinearVelocity();
    EXPECT_NEAR(40.0f, elevation(v), 0.01f);

    // Sideways parts stay flat; only the forward part is raised.
    racket->kickBall(ball, YVec3(1, 1, 7), at);
    v = ball->body().getLinearVelocity();
    EXPECT_NEAR(15.0f * 0.70710678f, v.x, 1e-3f);
    EXPECT_NEAR(v.y * std::tan(40.0f / 57.29578f), v.z, 1e-3f);
    EXPECT_TRUE(racket->isPlaying(HERO_AIM_RIGHT)) << "a ball to the hero's right";
    EXPECT_FALSE(racket->isPlaying(HERO_AIM_LEFT));

    // No direction at all still sends the ball somewhere sane.
    racket->kickBall(ball, YVec3(), at);
    EXPECT_TRUE(finite(ball->body().getLinearVelocity()));
}

TEST_F(RacketTest, ThrowingLetsTheHeldBallGoTheWayTheHeroFaces)
{
    make();
    racket->serve();
    YBall* ball = heldBall();
    racket->launch(0);
    EXPECT_EQ(nullptr, racket->held);
    EXPECT_FLOAT_EQ(0.5f, ball->launchTimer);
    const YVec3 v = ball->body().getLinearVelocity();
    EXPECT_NEAR(0.0f, v.x, 1e-4f);
    EXPECT_GT(v.y, 0.0f);
    EXPECT_NEAR(15.0f / 0.7f, elevation(v), 0.01f);
    const YVec3 p = ball->body().getTransform().translation();
    EXPECT_NEAR(racket->y + racket->width, p.y, 1e-4f);
    EXPECT_NEAR(2.0f * ball->radius(), p.z, 1e-4f);
    // Nothing in the hand: nothing happens.
    racket->launch(0);
    EXPECT_EQ(nullptr, racket->held);
}

TEST_F(RacketTest, GlovesCatchABallAndLetGoWhenTheyWearOff)
{
    make();
    racket->serve();
    racket->launch(0);
    auto* ball = dynamic_cast<YBall*>(gRacketTacked().front());
    ASSERT_NE(nullptr, ball);
    EXPECT_FALSE(racket->catchBall(ball, YVec3(0, 1, 0))) << "no gloves";
    racket->glovesTimer = 0.05f;
    ASSERT_TRUE(racket->catchBall(ball, YVec3(-1, 1, 0)));
    EXPECT_EQ(ball, racket->held);
    EXPECT_TRUE(racket->isPlaying(HERO_CATCH));
    EXPECT_TRUE(racket->isPlaying(HERO_AIM_LEFT));
    auto* other = new YBall(YBallNormalId);
    EXPECT_FALSE(racket->catchBall(other, YVec3(0, 1, 0))) << "the hand is full";

    frames(10);
    EXPECT_EQ(nullptr, racket->held) << "the gloves wore off";
    EXPECT_GT(ball->launchTimer, 0.0f);
}

TEST_F(RacketTest, ExpiredTimersGoBackToNormal)
{
    make(false);
    racket->serve();
    racket->setBallMode(YBallPhantomId, 0.05f);
    frames(4);
    EXPECT_EQ(YBallPhantomId, racket->ballMode);
    frames(2);
    EXPECT_EQ(YBallNormalId, racket->ballMode);
    EXPECT_FLOAT_EQ(-1.0f, racket->ballModeTimer);
    // No timeout: the mode stays.
    racket->setBallMode(YBallHeavyId, -1.0f);
    frames(100);
    EXPECT_EQ(YBallHeavyId, racket->ballMode);
}

TEST_F(RacketTest, HoldingLetsGoOfWhatIsHeldFirst)
{
    make();
    racket->serve();
    YBall* first = heldBall();
    auto* second = new YBall(YBallNormalId);
    racket->hold(second);
    EXPECT_EQ(second, racket->held);
    EXPECT_FLOAT_EQ(0.5f, first->launchTimer) << "thrown";
    EXPECT_TRUE(racket->isPlaying(HERO_HOLD));

    // Taking again what is held keeps it in the hand.
    racket->holdQuietly(second);
    EXPECT_EQ(second, racket->held);
    EXPECT_FLOAT_EQ(0.0f, second->launchTimer);

    // Outside play the hand cannot be emptied, so nothing new is taken.
    racket->state = YRACKET_LEVEL_INTRO;
    auto* third = new YBall(YBallNormalId);
    racket->holdQuietly(third);
    EXPECT_EQ(second, racket->held);
    racket->hold(nullptr);
    EXPECT_EQ(second, racket->held);
}

TEST_F(RacketTest, AnEmptyHeroMeshStandsStillWithoutHarm)
{
    make(false);
    EXPECT_TRUE(logged("the hero stands still"));
    racket->serve();
    ASSERT_NE(nullptr, heldBall());
    racket->moveTo(1.0f);
    frames(50);
    EXPECT_GT(racket->x, 0.0f);
    racket->launch(0);
    delete gRacketTacked().front();
    frames(3);
    EXPECT_EQ(2, racket->lives);
    racket->startLevel();
    frames(5);
    racket->startMenuRun();
    frames(5);
    EXPECT_FALSE(racket->isPlaying(HERO_MENU_RUN));
    racket.reset();
    // A second racket finds the hero already set up.
    racket = std::make_unique<YRacket>(&listener);
    EXPECT_EQ(static_cast<size_t>(HERO_CHANNEL_COUNT), racket->hero->skelMesh->channels.size());
}

TEST_F(RacketTest, TheTargetMarkerLiesUnderTheTargetInPlayOnly)
{
    YRecordingRender render;
    make(false);
    racket->targetX = 3.0f;
    racket->draw();
    auto quads = render.callsStartingWith("quadUV2");
    ASSERT_EQ(1u, quads.size());
    // The first corner: (target x - 1, y - 1, 0.1).
    EXPECT_EQ(0u, quads[0].find("quadUV2 2 -10 0.1")) << quads[0];
    racket->state = YRACKET_LEVEL_INTRO;
    racket->draw();
    EXPECT_EQ(1u, render.callsStartingWith("quadUV2").size());
    racket.reset();
    clearMeshes();
}

} // namespace

namespace {

// The game's own shaders for the hero, his pipe and the target marker load
// without a fault, and frost gives the hero a look of its own.
TEST(RacketContent, TheHeroPipeAndTargetShadersLoadCleanly)
{
    YRecordingRender render;
    const std::vector<YRenderResource*> before = gRenderResources();
    ASSERT_TRUE(testutil::copyFromGame("data"));
    ASSERT_TRUE(testutil::copyFromGame("textures"));
    const size_t start = testutil::logText().size();
    loadShaders("data\\shaders.yml");
    const std::string log = testutil::logText().substr(start);
    EXPECT_NE(std::string::npos, log.find("Parse shaders from file, data\\shaders.yml"));
    EXPECT_EQ(std::string::npos, log.find("rror")) << log;
    for (const char* name :
         {"hero", "hero1", "hero2", "hero3", "hero_frost", "hero3_frost", "target", "pipe", "pipe_smoke"}) {
        const YShader* s = findShader(name);
        ASSERT_NE(nullptr, s) << name;
        EXPECT_FALSE(s->stages.empty()) << name;
    }
    EXPECT_TRUE(findShader("target")->isAlphaBlended());
    EXPECT_TRUE(findShader("pipe_smoke")->isAlphaBlended());
    EXPECT_FALSE(findShader("hero")->isAlphaBlended());
    EXPECT_FALSE(findShader("hero_frost")->material == findShader("hero")->material);
    clearShaders();
    testutil::deleteRenderResourcesSince(before);
}

} // namespace
