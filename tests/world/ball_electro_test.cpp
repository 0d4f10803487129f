// The electro ball's lightning: three strikes at most at once, each slot at
// most once per strike and rest, targets followed by serial so that a new
// block at a dead target's address is never struck in its place.
#include "tests/world/block_test_fixture.h"

#include "render/mesh.h"
#include "render/recording_render.h"
#include "world/ball.h"
#include "world/ball_mode_draw.h"
#include "world/ball_mode_electro.h"
#include "world/racket.h"
#include "world/racket_tacked.h"

#include <new>

using namespace blocktest;

namespace {

class Lightning : public BlockTest {
protected:
    void SetUp() override
    {
        BlockTest::SetUp();
        racket = std::make_unique<YRacket>(nullptr);
    }

    void TearDown() override
    {
        destroyRacketObjects();
        drawBackToFront();
        racket.reset();
        gParticles().clearParticles();
        releaseBallMeshInstances();
        clearMeshes();
        BlockTest::TearDown();
    }

    // An electro ball hanging still at p: the frames below place it there
    // again and again.
    YBall* electroAt(const YVec3& p)
    {
        home = p;
        ball = new YBall(YBallElectroId);
        ball->setBodyTransform(at(p));
        return ball;
    }

    const YBallElectro& mode() const { return *static_cast<const YBallElectro*>(ball->mode()); }

    // One frame: the ball's update, the deferred deletions, the drawing.
    void frame(float dt)
    {
        ball->setBodyTransform(at(home));
        ball->body().setLinearVelocity(YVec3());
        ball->update(dt);
        YZDelete::tickAll(dt);
        drawBackToFront();
    }

    int striking() const
    {
        int n = 0;
        for (int i = 0; i < YBallElectro::SLOT_COUNT; ++i)
            n += mode().slot(i).state == YBallElectro::STRIKING ? 1 : 0;
        return n;
    }

    // A single block of "plain" centred at p.
    static YBlockSingle* singleAt(const YVec3& p)
    {
        return new YBlockSingle(getBlockShape("plain", 1, 1, 1), nullptr, at(p));
    }

    std::unique_ptr<YRacket> racket;
    YBall* ball = nullptr;
    YVec3 home;
};

} // namespace

TEST_F(Lightning, WithNoBlocksNothingIsStruck)
{
    electroAt(YVec3(0, 0, 1));
    for (int i = 0; i < 300; ++i)
        frame(0.01f);
    EXPECT_EQ(0, events.played("lightning"));
    for (int i = 0; i < YBallElectro::SLOT_COUNT; ++i)
        EXPECT_EQ(YBallElectro::IDLE, mode().slot(i).state) << "rested and waiting";
    EXPECT_EQ(0u, pendingBallDraws());
}

TEST_F(Lightning, ThreeStrikesAtOnceEachAtMostOncePerStrikeAndRest)
{
    electroAt(YVec3(0, 0, 1));
    // Every slot rests first, 0..1 s.
    for (int i = 0; i < 110; ++i)
        frame(0.01f);
    // A ring of blocks within reach, each in plain sight of the ball.
    constexpr int RING = 16;
    for (int k = 0; k < RING; ++k) {
        const float a = 6.2831853f * static_cast<float>(k) / RING;
        singleAt(YVec3(3.0f * std::cos(a), 3.0f * std::sin(a), 0.52f));
    }
    std::vector<float> last(YBallElectro::SLOT_COUNT, -10.0f);
    std::vector<YBallElectro::SlotState> before(YBallElectro::SLOT_COUNT, YBallElectro::IDLE);
    int most = 0, strikes = 0;
    float t = 0.0f;
    bool boltsSeen = false;
    for (int i = 0; i < 500; ++i) {
        ball->setBodyTransform(at(home));
        ball->body().setLinearVelocity(YVec3());
        ball->update(0.01f);
        t += 0.01f;
        boltsSeen = boltsSeen || pendingBallDraws() > 0;
        for (int s = 0; s < YBallElectro::SLOT_COUNT; ++s) {
            const YBallElectro::Slot& slot = mode().slot(s);
            if (slot.state == YBallElectro::STRIKING && before[s] != YBallElectro::STRIKING) {
                EXPECT_GE(t - last[s], 1.25f - 1e-3f) << "slot " << s;
                last[s] = t;
                ++strikes;
                EXPECT_TRUE(slot.target->lightningTarget);
                EXPECT_LE((blockCentre(slot.target) - home).length(), YBallElectro::STRIKE_RADIUS);
            }
            before[s] = slot.state;
        }
        most = std::max(most, striking());
        // Two slots never strike the same block.
        for (int a = 0; a < YBallElectro::SLOT_COUNT; ++a) {
            for (int b = a + 1; b < YBallElectro::SLOT_COUNT; ++b) {
                if (mode().slot(a).state == YBallElectro::STRIKING && mode().slot(b).state == YBallElectro::STRIKING) {
                    EXPECT_NE(mode().slot(a).target, mode().slot(b).target);
                }
            }
        }
        YZDelete::tickAll(0.01f);
        drawBackToFront();
    }
    EXPECT_EQ(3, most) << "all three in flight together";
    EXPECT_EQ(strikes, events.played("lightning"));
    // In 5 s each slot strikes at most 4 times (once per 1.25 s), and every
    // struck block is gone.
    EXPECT_GE(strikes, 9);
    EXPECT_LE(strikes, 12);
    EXPECT_TRUE(boltsSeen);
    size_t singles = all<YBlockSingle>().size();
    EXPECT_EQ(static_cast<size_t>(RING - strikes + striking()), singles) << "the struck blocks are gone";
}

TEST_F(Lightning, ATargetThatDiedIsNotStruckThroughANewBlockAtItsAddress)
{
    electroAt(YVec3(0, 0, 1));
    // The block lives in storage of the test's own, so that a new block can
    // be made at exactly the dead one's address.
    alignas(YBlockSingle) unsigned char storage[sizeof(YBlockSingle)];
    auto* first = new (storage) YBlockSingle(getBlockShape("plain", 1, 1, 1), nullptr, at(YVec3(3, 0, 0.52f)));
    int slot = -1;
    for (int i = 0; i < 120 && slot < 0; ++i) {
        frame(0.01f);
        for (int s = 0; s < YBallElectro::SLOT_COUNT; ++s)
            if (mode().slot(s).state == YBallElectro::STRIKING)
                slot = s;
    }
    ASSERT_GE(slot, 0) << "the block was struck";
    ASSERT_EQ(static_cast<YBlock*>(first), mode().slot(slot).target);
    const uint64_t oldSerial = first->serial();
    {
        YWorldTearDown quiet; // no splinters
        first->~YBlockSingle();
    }
    auto* second = new (storage) YBlockSingle(getBlockShape("plain", 1, 1, 1), nullptr, at(YVec3(3, 0, 0.52f)));
    second->lightningTarget = true; // keeps the other slots off it
    ASSERT_EQ(static_cast<void*>(first), static_cast<void*>(second));
    ASSERT_NE(oldSerial, second->serial());

    ball->update(0.01f);
    EXPECT_EQ(YBallElectro::COOLING, mode().slot(slot).state) << "the target is gone";
    EXPECT_EQ(nullptr, mode().slot(slot).target);
    EXPECT_EQ(0u, pendingBallDraws()) << "no bolt to the newcomer";
    for (int i = 0; i < 40; ++i)
        ball->update(0.01f); // past the strike's end: nothing is destroyed
    EXPECT_FALSE(second->isScheduled());
    drawBackToFront();
    {
        YWorldTearDown quiet;
        second->~YBlockSingle();
    }
}

TEST_F(Lightning, ABallThatStopsBeingElectroLetsItsTargetGo)
{
    electroAt(YVec3(0, 0, 1));
    YBlockSingle* block = singleAt(YVec3(3, 0, 0.52f));
    for (int i = 0; i < 120 && !block->lightningTarget; ++i)
        frame(0.01f);
    ASSERT_TRUE(block->lightningTarget);
    ball->setMode(YBallNormalId);
    EXPECT_FALSE(block->lightningTarget) << "other lightning may strike it again";
    for (int i = 0; i < 50; ++i)
        frame(0.01f);
    EXPECT_FALSE(block->isScheduled());
    EXPECT_EQ(1u, all<YBlockSingle>().size());
}

TEST_F(Lightning, BoltsQueuedByABallThatIsDeletedBeforeTheDrawStillDraw)
{
    auto render = std::make_unique<YRecordingRender>(4);
    electroAt(YVec3(0, 0, 1));
    singleAt(YVec3(3.5f, 0, 0.52f));
    for (int i = 0; i < 120 && striking() == 0; ++i)
        frame(0.01f);
    ASSERT_EQ(1, striking());
    // The bolt is queued by the ball's update; the lost-ball sweep runs
    // before the frame draws.
    ball->update(0.01f);
    const size_t segments = pendingBallDraws();
    EXPECT_EQ(3u, segments) << "a bolt of 3.5 units: three segments";
    delete ball;
    ball = nullptr;
    render->calls.clear();
    drawBackToFront();
    EXPECT_EQ(1u, render->callsStartingWith("shader lightning").size());
    EXPECT_EQ(segments, render->callsStartingWith("quadUV2").size());
    EXPECT_EQ(0u, pendingBallDraws());
    render.reset();
}

TEST_F(Lightning, HeldElectroBallStrikesNothing)
{
    electroAt(YVec3(0, 0, 1));
    singleAt(YVec3(3, 0, 0.52f));
    racket->held = ball;
    racket->ballMode = YBallElectroId;
    for (int i = 0; i < 200; ++i)
        frame(0.01f);
    EXPECT_EQ(0, events.played("lightning"));
}

TEST_F(Lightning, BoltsAreCutIntoUnitSegmentsWithShakenInnerPoints)
{
    YVec3 points[YBallElectro::MAX_SEGMENTS + 1];
    const YVec3 from(1, 2, 3);
    struct Case {
        float length;
        int segments;
    };
    for (const Case& c : {Case{0.0f, 1}, Case{0.4f, 1}, Case{1.0f, 1}, Case{1.99f, 1}, Case{3.7f, 3},
                          Case{10.5f, 10}, Case{40.0f, 10}}) {
        const YVec3 to = from + YVec3(0.6f, 0.0f, 0.8f) * c.length;
        const int n = YBallElectro::boltPoints(from, to, points);
        ASSERT_EQ(c.segments, n) << c.length;
        expectNear(from, points[0], 0.0f);
        expectNear(to, points[n], 0.0f);
        for (int i = 1; i < n; ++i) {
            const YVec3 straight = from + (to - from) * (static_cast<float>(i) / n);
            for (int a = 0; a < 3; ++a)
                EXPECT_LE(std::fabs(points[i][a] - straight[a]), YBallElectro::JITTER + 1e-5f);
        }
    }
    const float nan = std::nanf("");
    EXPECT_EQ(1, YBallElectro::boltPoints(from, YVec3(nan, 0, 0), points));
}
