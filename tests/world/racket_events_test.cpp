// The world's answers to the blocks: a destroyed block's score reaches the
// racket, numbers rise over the table, and the racket's objects go with the
// level.
#include "tests/world/block_test_fixture.h"

#include "render/font.h"
#include "world/ball.h"
#include "world/pipe.h"
#include "world/racket.h"
#include "world/racket_tacked.h"
#include "world/world_events.h"

#include <memory>

namespace {

using namespace blocktest;

class RacketEventsTest : public BlockTest {
protected:
    void SetUp() override
    {
        BlockTest::SetUp();
        setBlockEvents(&worldEvents());
        racket = std::make_unique<YRacket>(nullptr);
    }

    void TearDown() override
    {
        racket.reset();
        destroyRacketObjectsQuietly();
        YPipe::releaseSharedInstance();
        releaseBallMeshInstances();
        gParticles().update(100.0f); // the rising numbers expire before their font goes
        clearFonts();
        BlockTest::TearDown();
    }

    std::unique_ptr<YRacket> racket;
};

TEST_F(RacketEventsTest, ADestroyedBlocksScoreReachesTheRacket)
{
    gInit().popupscores = true;
    YMatrix at;
    auto* block = new YBlockSingle(getBlockShape("stone", 1, 1, 1), nullptr, at.makeTranslation(YVec3(2, 3, 1)));
    block->deleteLater(0.0f);
    updateAllBlocks(0.01f, false);
    EXPECT_EQ(40, racket->score);
    ASSERT_EQ(1u, gParticles().textCount());
    const YTextParticle& number = gParticles().texts().front();
    EXPECT_EQ("40", number.text);
    EXPECT_NEAR(1.0f + 1.5f, number.position.z, 1e-4f) << "1.5 over the block";
    EXPECT_GT(number.velocity.z, 0.0f) << "rising";
    EXPECT_FLOAT_EQ(1.0f, number.colorEnd.x);
    EXPECT_FLOAT_EQ(1.0f, number.colorEnd.z);

    // Without a racket the points go nowhere, harmlessly.
    racket.reset();
    addScore(10, YVec3());
}

TEST_F(RacketEventsTest, ClearingTheWorldTakesTheRacketsObjects)
{
    racket->serve();
    new YBall(YBallNormalId);
    new YPipe();
    clearWorld();
    EXPECT_TRUE(gRacketTacked().empty());
    EXPECT_EQ(nullptr, racket->held);
}

} // namespace
