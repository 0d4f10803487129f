// What the racket holds and drives: the list of racket-tacked objects and
// its lifetimes, the falling bonuses' list, the pipe of the level intro, the
// walk over objects that grow the list, and the menu run.
#include "tests/world/world_fixture.h"

#include "render/mesh.h"
#include "render/particles.h"
#include "render/shader.h"
#include "render/skel_instance.h"
#include "render/skel_mesh.h"
#include "sound/named_sound.h"
#include "world/ball.h"
#include "world/hero_clips.h"
#include "world/pipe.h"
#include "world/racket.h"
#include "world/racket_tacked.h"
#include "world/score_popups.h"

#include <cmath>
#include <memory>
#include <vector>

namespace {

using namespace worldtest;

// A thing in the hand that can leave more of its kind behind, as a grenade
// does.
class Splitter : public YRacketTacked {
public:
    explicit Splitter(int children = 0) : mChildren(children) { ++alive; }
    ~Splitter() override { --alive; }
    void update(float dt) override
    {
        YRacketTacked::update(dt);
        ++updates;
        for (; mChildren > 0; --mChildren)
            new Splitter();
    }
    void setTransform(const YMatrix& m) override { placed = m; }

    static int alive;
    int updates = 0;
    YMatrix placed;

private:
    int mChildren;
};
int Splitter::alive = 0;

class FakeBonus : public YFallingBonus {
public:
    FakeBonus() { ++alive; }
    ~FakeBonus() override { --alive; }
    void update(float) override { ++updates; }
    static int alive;
    int updates = 0;
};
int FakeBonus::alive = 0;

class RacketObjectsTest : public WorldTest {
protected:
    void TearDown() override
    {
        racket.reset();
        releaseRacketLeftovers();
        EXPECT_EQ(0, Splitter::alive);
        EXPECT_EQ(0, FakeBonus::alive);
        WorldTest::TearDown();
    }

    void make(bool withHero = true)
    {
        if (withHero) {
            ASSERT_TRUE(testutil::copyFromGame("mesh")) << "the content was not built";
        }
        racket = std::make_unique<YRacket>(nullptr);
    }

    void frames(int n, float dt = 0.02f)
    {
        for (int i = 0; i < n; ++i)
            racket->update(dt);
    }

    std::unique_ptr<YRacket> racket;
};

TEST_F(RacketObjectsTest, TheListFollowsEveryObjectsLife)
{
    auto* a = new Splitter();
    auto* b = new Splitter();
    auto* c = new Splitter();
    EXPECT_EQ((std::vector<YRacketTacked*>{a, b, c}), gRacketTacked());
    delete a;
    EXPECT_EQ((std::vector<YRacketTacked*>{c, b}), gRacketTacked()) << "the last one takes the freed place";
    b->launch(1);
    b->update(0.7f);
    b->update(0.5f);
    EXPECT_FLOAT_EQ(-0.2f, b->launchTimer) << "counts only while above 0";
    delete b;
    delete c;
    EXPECT_TRUE(gRacketTacked().empty());
}

TEST_F(RacketObjectsTest, DeletingTheHeldObjectEmptiesTheHand)
{
    make(false);
    racket->serve();
    ASSERT_NE(nullptr, dynamic_cast<YBall*>(racket->held));
    delete racket->held;
    EXPECT_EQ(nullptr, racket->held);

    auto* pipe = new YPipe();
    racket->holdQuietly(pipe);
    ASSERT_EQ(pipe, racket->held);
    delete pipe;
    EXPECT_EQ(nullptr, racket->held);

    // Without a racket an object still goes quietly.
    racket.reset();
    delete new Splitter();
}

TEST_F(RacketObjectsTest, DestroyingTheRacketsObjectsEmptiesBothLists)
{
    make(false);
    racket->serve();
    new YBall(YBallNormalId);
    new YBall(YBallHeavyId);
    new YPipe();
    new Splitter(3);
    new FakeBonus();
    new FakeBonus();
    ASSERT_EQ(5u, gRacketTacked().size());
    destroyRacketObjects();
    EXPECT_TRUE(gRacketTacked().empty());
    EXPECT_TRUE(gLiveBonuses().empty());
    EXPECT_EQ(nullptr, racket->held);
    EXPECT_EQ(0, FakeBonus::alive);
    EXPECT_EQ(0, Splitter::alive);
}

TEST_F(RacketObjectsTest, ObjectsAddedDuringTheWalkAreUpdatedInTheSameFrame)
{
    make(false);
    racket->serve();
    // Enough new entries to move the list's storage during the walk.
    auto* parent = new Splitter(64);
    auto* bonus = new FakeBonus();
    racket->update(0.01f);
    EXPECT_EQ(1, parent->updates);
    EXPECT_EQ(1, bonus->updates);
    ASSERT_EQ(66u, gRacketTacked().size());
    for (YRacketTacked* o : gRacketTacked()) {
        if (auto* s = dynamic_cast<Splitter*>(o)) {
            EXPECT_EQ(1, s->updates);
        }
    }
    racket->update(0.01f);
    EXPECT_EQ(2, parent->updates);
    EXPECT_EQ(3, racket->lives) << "the served ball is still there";
}

TEST_F(RacketObjectsTest, ObjectsThatAreNoBallsDoNotKeepALife)
{
    make(false);
    racket->serve();
    new Splitter();
    delete racket->held;
    racket->update(0.01f);
    EXPECT_EQ(2, racket->lives);
    // A small ball does not count either.
    racket->state = YRACKET_PLAY;
    new YBall(YBallSmallId);
    racket->update(0.01f);
    EXPECT_EQ(1, racket->lives);
}

TEST_F(RacketObjectsTest, TheLevelIntroHoldsThePipeAndLosesNoLife)
{
    make();
    racket->serve();
    new YBall(YBallNormalId);
    racket->startLevel();
    EXPECT_EQ(YRACKET_LEVEL_INTRO, racket->state);
    auto* pipe = dynamic_cast<YPipe*>(racket->held);
    ASSERT_NE(nullptr, pipe);
    EXPECT_EQ(1u, gRacketTacked().size()) << "the old level's balls are gone";
    EXPECT_TRUE(gWorldLive);
    EXPECT_EQ(4, pipe->holdLock);
    EXPECT_EQ(hero::ATTACH_PIPE, pipe->bone);
    EXPECT_EQ("pipe", pipe->shaders.at(0)->name);
    EXPECT_TRUE(racket->isPlaying(HERO_PIPE));

    racket->glovesTimer = 0.01f;
    racket->launch(0);
    frames(100);
    EXPECT_EQ(pipe, racket->held) << "neither the gloves nor a click let go of it";
    EXPECT_EQ(3, racket->lives);
    EXPECT_EQ(YRACKET_LEVEL_INTRO, racket->state);
    EXPECT_GT(gParticles().particleCount(), 0u) << "it smokes";
    // In his mouth: about 2 high, in front of his face.
    const YVec3 mouth = (racket->hero->matrix * racket->hero->attachmentFrame(hero::ATTACH_PIPE)).translation();
    const YVec3 at = pipe->matrix.translation();
    EXPECT_NEAR(mouth.x, at.x, 1e-4f);
    EXPECT_NEAR(mouth.y, at.y, 1e-4f);
    EXPECT_NEAR(mouth.z, at.z, 1e-4f);
    EXPECT_NEAR(2.0f, at.z, 0.15f);
    EXPECT_GT(at.y, racket->y) << "facing the table";

    // Play starts: the pipe makes way for a ball.
    racket->serve();
    EXPECT_EQ(1u, gRacketTacked().size());
    EXPECT_NE(nullptr, dynamic_cast<YBall*>(racket->held));
    EXPECT_EQ(YANIM_FADING_OUT, racket->hero->channelState(HERO_PIPE));
}

TEST_F(RacketObjectsTest, ThePipePuffsThreeTimesASecond)
{
    auto* pipe = new YPipe();
    YMatrix m;
    pipe->setTransform(m.makeTranslation(YVec3(1, 2, 3)));
    pipe->launch(0);
    const size_t before = gParticles().particleCount();
    pipe->update(1.0f);
    ASSERT_EQ(before + 3, gParticles().particleCount());
    for (size_t i = before; i < before + 3; ++i) {
        const YParticle& p = gParticles().particles()[i];
        EXPECT_FLOAT_EQ(1.0f, p.position.x);
        EXPECT_FLOAT_EQ(3.0f, p.position.z);
        EXPECT_FLOAT_EQ(3.0f, p.life);
        EXPECT_FLOAT_EQ(0.01f, p.sizeStart);
        EXPECT_FLOAT_EQ(0.5f, p.sizeEnd);
        EXPECT_NEAR(0.5f, p.velocity.z, 0.05f + 1e-5f);
        EXPECT_NEAR(0.05f, (p.velocity - YVec3(0, 0, 0.5f)).length(), 1e-5f);
        EXPECT_FLOAT_EQ(0.0f, p.colorStart.w);
        EXPECT_FLOAT_EQ(0.75f, p.colorEnd.w);
        EXPECT_EQ("pipe_smoke", p.shader->name);
    }
    EXPECT_FLOAT_EQ(0.5f, pipe->launchTimer) << "the pipe does not count it";

    // Short frames gather towards the next puff.
    for (int i = 0; i < 3; ++i)
        pipe->update(0.1f);
    EXPECT_EQ(before + 3, gParticles().particleCount());
    pipe->update(0.1f);
    EXPECT_EQ(before + 4, gParticles().particleCount());

    // A stall does not flood the particle system; nonsense is ignored.
    pipe->update(1000.0f);
    EXPECT_EQ(before + 4 + YPipe::MAX_PUFFS, gParticles().particleCount());
    pipe->update(std::nanf(""));
    pipe->update(-1.0f);
    pipe->update(0.2f);
    EXPECT_EQ(before + 4 + YPipe::MAX_PUFFS, gParticles().particleCount());
    delete pipe;
}

TEST_F(RacketObjectsTest, PipesShareOneInstanceThatCanBeReleased)
{
    auto* a = new YPipe();
    auto* b = new YPipe();
    ASSERT_NE(nullptr, a->instance);
    EXPECT_EQ(a->instance, b->instance);
    YPipe::releaseSharedInstance();
    EXPECT_EQ(nullptr, a->instance);
    a->draw(); // draws nothing, harmlessly
    auto* c = new YPipe();
    EXPECT_NE(nullptr, c->instance) << "made again";
    delete a;
    delete b;
    delete c;
}

TEST_F(RacketObjectsTest, TheMenuRunCarriesTheHeroRoundTheTable)
{
    make();
    racket->serve();
    racket->startMenuRun();
    EXPECT_EQ(YRACKET_MENU_RUN, racket->state);
    EXPECT_EQ(nullptr, racket->held);
    EXPECT_TRUE(gRacketTacked().empty());
    EXPECT_TRUE(racket->isPlaying(HERO_MENU_RUN));

    // The clip runs on the spot: its keys no longer move forward.
    const hero::Clip& run = hero::CLIPS[hero::CLIP_MENU_RUN];
    const YSkelMesh* mesh = racket->hero->skelMesh;
    for (int k = run.firstKey; k < run.firstKey + run.keyCount; ++k)
        EXPECT_FLOAT_EQ(0.0f, mesh->keys[static_cast<size_t>(k)].root[hero::MENU_RUN_FORWARD_AXIS]);

    auto angleOf = [&](const YVec3& p) { return std::atan2(p.y, p.x); };
    auto check = [&](float seconds) {
        frames(1);
        YVec3 p = racket->hero->matrix.translation();
        const float start = angleOf(p);
        float travelled = 0.0f, previous = start;
        const int n = static_cast<int>(seconds / 0.02f);
        for (int i = 0; i < n; ++i) {
            racket->update(0.02f);
            p = racket->hero->matrix.translation();
            EXPECT_NEAR(4.0f, std::sqrt(p.x * p.x + p.y * p.y), 1e-3f);
            EXPECT_NEAR(0.0f, p.z, 1e-6f);
            float step = angleOf(p) - previous;
            if (step > 3.14159f)
                step -= 6.2831853f;
            if (step < -3.14159f)
                step += 6.2831853f;
            EXPECT_LE(step, 1e-6f) << "always one way round";
            EXPECT_GT(step, -0.05f) << "no jump, frame " << i;
            travelled += step;
            previous = angleOf(p);
            // He faces the way he runs.
            const YVec3 facing = racket->hero->matrix.transformVector(YVec3(0, -1, 0));
            const YVec3 tangent(std::sin(previous), -std::cos(previous), 0.0f);
            EXPECT_GT(facing.dot(tangent), 0.999f);
        }
        // The clip's pace: 2.5 a second along the circle.
        EXPECT_NEAR(2.5f * seconds, -travelled * 4.0f, 0.25f);
    };
    check(12.0f); // more than a lap
    EXPECT_EQ(0.0f, racket->x);
    EXPECT_EQ(0.0f, racket->y);
    EXPECT_EQ(3, racket->lives) << "no ball, but no life is lost behind the menus";
    EXPECT_GT(racket->menuRunPhase(), -8.0f * 3.14159f) << "the phase is kept within a turn";

    // A new racket on the same mesh still knows how far the run goes.
    racket.reset();
    racket = std::make_unique<YRacket>(nullptr);
    racket->startMenuRun();
    check(1.0f);

    // Back to a level: the racket stands at its edge of the table again.
    racket->startLevel();
    EXPECT_FLOAT_EQ(-9.0f, racket->y);
}

} // namespace
