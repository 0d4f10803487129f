// The bonus id registry and its builders: which id makes what, showing a
// bonus inside its block and releasing it (once, ownership handed on), the
// four small balls turned with their block, and the bonus content.
#include "tests/world/block_test_fixture.h"

#include "render/mesh.h"
#include "render/recording_render.h"
#include "render/resource.h"
#include "tests/common/render_util.h"
#include "tests/common/world_harness.h"
#include "world/ball.h"
#include "world/bonus.h"
#include "world/bonus_types.h"
#include "world/level_start.h"

#include <algorithm>
#include <climits>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace blocktest;
using harness::balls;

class BonusBuilderTest : public BlockTest {
protected:
    void SetUp() override
    {
        BlockTest::SetUp();
        registerBonusIds();
    }

    void TearDown() override
    {
        destroyRacketObjectsQuietly();
        registerBonusIds();
        setBonusBuilderMaker(nullptr);
        releaseBallMeshInstances();
        gParticles().clearParticles();
        clearMeshes();
        BlockTest::TearDown();
    }

    static YBonus* lastBonus()
    {
        return gLiveBonuses().empty() ? nullptr : dynamic_cast<YBonus*>(gLiveBonuses().back());
    }

    // Turned about two axes: offsets must turn with it.
    static YMatrix turnedAt(const YVec3& p)
    {
        YMatrix r, x, t;
        r.makeRotationZ(90.0f);
        x.makeRotationX(30.0f);
        t.makeTranslation(p);
        return t * r * x;
    }
};

TEST_F(BonusBuilderTest, TheRegistryHoldsTwentyFourIdsAndSixteenKinds)
{
    registerBonusIds(); // again: nothing is listed twice
    EXPECT_EQ(24, getBonusIdCount());
    const char* names[] = {"ballnormal", "ballheavy", "ballphantom", "ballfire", "ballelectro", "ballgenerative",
                           "hand",       "boomer",    "bomb",        "grenade",  "minspeed",    "maxspeed",
                           "death",      "life",      "frost",       "next"};
    const int scores[] = {1000, 200, 300, 250, 500, 400, 100, 100, 250, 150, 50, 500, 5000, 1000, 2500, 50};
    ASSERT_EQ(16u, gBonusKinds.size());
    for (size_t k = 0; k < gBonusKinds.size(); ++k) {
        EXPECT_EQ(std::string("bonus_") + names[k], gBonusKinds[k].name);
        EXPECT_EQ(scores[k], gBonusKinds[k].score) << names[k];
        EXPECT_EQ("", gBonusKinds[k].displayText) << "empty until the locale is loaded";
    }
    EXPECT_EQ(nullptr, bonusKindInfo(16));
    EXPECT_EQ(nullptr, getBonusKindShader(-1));

    // -1 is "no bonus"; nothing else outside the registry makes a builder.
    for (int id : {-1, -2, 24, 1000, INT_MIN, INT_MAX})
        EXPECT_EQ(nullptr, createBonusBuilder(id)) << id;
    setBonusBuilderMaker(createBonusBuilder); // as the level start asks
    EXPECT_EQ(nullptr, makeBonusBuilder(24));
    std::unique_ptr<YBonusBuilder> last(makeBonusBuilder(23));
    EXPECT_NE(nullptr, dynamic_cast<YBonusBuilderGive*>(last.get()));
    gBonusBuilders.clear();
    EXPECT_EQ(nullptr, createBonusBuilder(0)) << "nothing before registration";
}

TEST_F(BonusBuilderTest, EveryIdReleasesWhatItNames)
{
    // The kind of each falling bonus; -1 where the id releases balls.
    const int kinds[BONUS_ID_COUNT] = {
        BONUS_NEXT, BONUS_BALL_NORMAL, BONUS_BALL_HEAVY, BONUS_BALL_PHANTOM, BONUS_BALL_FIRE, BONUS_BALL_ELECTRO,
        BONUS_BALL_GENERATIVE, -1, -1, -1, -1, -1, -1, -1, -1, BONUS_HAND, BONUS_BOOMER, BONUS_BOMB,
        BONUS_GRENADE, BONUS_MIN_SPEED, BONUS_MAX_SPEED, BONUS_LIFE, BONUS_DEATH, BONUS_FROST};
    // The free balls' modes of ids 7..14 (8: four small ones).
    const int modes[] = {YBallSmallId, YBallSmallId, YBallNormalId, YBallHeavyId,
                         YBallPhantomId, YBallFireId, YBallElectroId, YBallGenerativeId};
    for (int id = 0; id < BONUS_ID_COUNT; ++id) {
        std::unique_ptr<YBonusBuilder> builder(createBonusBuilder(id));
        ASSERT_NE(nullptr, builder) << id;
        builder->release(at(YVec3(1.0f, 2.0f, 3.0f)), YVec3()); // never shown
        builder.reset();
        if (kinds[id] >= 0) {
            ASSERT_EQ(1u, gLiveBonuses().size()) << id;
            EXPECT_TRUE(balls().empty()) << id;
            EXPECT_EQ(kinds[id], lastBonus()->type()->kind()) << id;
        } else {
            EXPECT_TRUE(gLiveBonuses().empty()) << id;
            ASSERT_EQ(id == 8 ? 4u : 1u, balls().size()) << id;
            for (YBall* b : balls())
                EXPECT_EQ(modes[id - 7], b->mode()->id()) << id;
        }
        destroyRacketObjectsQuietly();
    }
}

TEST_F(BonusBuilderTest, AShownBonusIsHandedOnWhenReleased)
{
    std::unique_ptr<YBonusBuilder> builder(createBonusBuilder(21));
    auto* give = dynamic_cast<YBonusBuilderGive*>(builder.get());
    ASSERT_NE(nullptr, give);
    const YMatrix inBlock = turnedAt(YVec3(2.0f, 3.0f, 1.5f));
    give->show(inBlock);
    YBonusType* type = give->type();
    ASSERT_NE(nullptr, type);
    EXPECT_EQ(YSHADOW_NONE, type->shadowMode) << "no shadow inside the block";
    EXPECT_TRUE(inBlock == type->matrix);
    give->show(at(YVec3(0, 0, 1)));
    EXPECT_EQ(type, give->type()) << "the same type follows the block";
    // Its ball goes undrawn only behind faces that hide all of it.
    for (float hiding : {0.0f, 0.49f, 0.5f, 2.0f}) {
        give->showWithin(inBlock, hiding);
        EXPECT_EQ(hiding >= YBonusType::BALL_RADIUS, type->ballHidden) << hiding;
    }

    give->release(inBlock, YVec3(0.0f, 1.0f, 2.0f));
    EXPECT_EQ(nullptr, give->type());
    builder.reset(); // must not take the type along
    YBonus* bonus = lastBonus();
    ASSERT_NE(nullptr, bonus);
    EXPECT_EQ(type, bonus->type());
    EXPECT_EQ(YSHADOW_VOLUME, type->shadowMode);
    EXPECT_FALSE(type->ballHidden) << "a falling bonus shows its ball";
    EXPECT_NEAR(1.5f, bonus->body().getPosition().z, 1e-5f);
    EXPECT_NEAR(2.0f, bonus->body().getLinearVelocity().z, 1e-5f);
}

TEST_F(BonusBuilderTest, ABuilderDeletedUnreleasedTakesItsContentAlong)
{
    const size_t draws = gMeshDraws().size();
    {
        std::unique_ptr<YBonusBuilder> give(createBonusBuilder(15));
        std::unique_ptr<YBonusBuilder> ball(createBonusBuilder(12));
        std::unique_ptr<YBonusBuilder> four(createBonusBuilder(8));
        for (YBonusBuilder* b : {give.get(), ball.get(), four.get()})
            b->show(at(YVec3(0, 0, 1)));
        EXPECT_EQ(draws + 1 + 1 + 4, gMeshDraws().size());
    }
    EXPECT_EQ(draws, gMeshDraws().size());
    EXPECT_TRUE(gLiveBonuses().empty());
    EXPECT_TRUE(gRacketTacked().empty());
}

TEST_F(BonusBuilderTest, AFreeBallTakesOverTheModeShownInTheBlock)
{
    std::unique_ptr<YBonusBuilder> builder(createBonusBuilder(13));
    auto* ballBuilder = dynamic_cast<YBonusBuilderBall*>(builder.get());
    ASSERT_NE(nullptr, ballBuilder);
    ballBuilder->show(turnedAt(YVec3(-2.0f, 4.0f, 2.0f)));
    YBallMode* mode = ballBuilder->mode();
    ASSERT_NE(nullptr, mode);
    EXPECT_EQ(YBallElectroId, mode->id());
    EXPECT_EQ(YSHADOW_NONE, mode->shadowMode);

    ballBuilder->release(turnedAt(YVec3(-2.0f, 4.0f, 2.5f)), YVec3(0.0f, 0.0f, 9.0f));
    builder.reset();
    ASSERT_EQ(1u, balls().size());
    YBall* ball = balls()[0];
    EXPECT_EQ(mode, ball->mode());
    EXPECT_EQ(ball, mode->ball());
    EXPECT_EQ(YSHADOW_VOLUME, mode->shadowMode);
    EXPECT_NEAR(2.5f, ball->position().z, 1e-5f);
    EXPECT_NE(9.0f, ball->velocity().z) << "the block's velocity is not given to the ball";
}

TEST_F(BonusBuilderTest, FourSmallBallsSitAtATetrahedronTurnedWithTheBlock)
{
    // One corner straight up, three below it evenly round the vertical.
    const YVec3 corners[4] = {
        {0.0f, 0.0f, 0.35f}, {0.0f, 0.30311f, -0.175f}, {-0.2625f, -0.15155f, -0.175f}, {0.2625f, -0.15155f, -0.175f}};
    for (int i = 0; i < 4; ++i)
        expectNear(corners[i], gFourBallOffsets[i]);

    const YMatrix block = turnedAt(YVec3(1.0f, 5.0f, 2.0f));
    std::unique_ptr<YBonusBuilder> builder(createBonusBuilder(8));
    auto* four = dynamic_cast<YBonusFourBallSmall*>(builder.get());
    ASSERT_NE(nullptr, four);
    four->show(block);
    YBallMode* modes[4];
    for (int i = 0; i < 4; ++i) {
        modes[i] = four->mode(i);
        ASSERT_NE(nullptr, modes[i]);
        expectNear(block.transformPoint(gFourBallOffsets[i]), modes[i]->matrix.translation());
    }
    // The top corner leans with the block's own up.
    const YVec3 up = block.transformVector(YVec3(0, 0, 1));
    expectNear(block.translation() + up * 0.35f, modes[0]->matrix.translation());

    four->release(block, YVec3());
    builder.reset();
    const std::vector<YBall*> released = balls();
    ASSERT_EQ(4u, released.size());
    for (int i = 0; i < 4; ++i) {
        auto it = std::find_if(released.begin(), released.end(), [&](YBall* b) { return b->mode() == modes[i]; });
        ASSERT_NE(released.end(), it) << "ball " << i << " took its mode";
        expectNear(block.transformPoint(gFourBallOffsets[i]), (*it)->position());
        EXPECT_FALSE((*it)->countsAsBall()) << "small balls keep no life alive";
    }
}

TEST_F(BonusBuilderTest, ADestroyedBlockReleasesItsBonusAndAClearedOneNothing)
{
    YBlockSet* set = build({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, at(YVec3(0.0f, 2.0f, 0.5f)));
    ASSERT_EQ(3u, set->itemCount());
    set->item(1)->builder = createBonusBuilder(21);
    set->item(2)->builder = createBonusBuilder(9);
    set->update(0.0f);
    auto* give = dynamic_cast<YBonusBuilderGive*>(set->item(1)->builder);
    ASSERT_NE(nullptr, give->type()) << "shown in the standing block";
    expectNear(worldPosition(set, set->item(1)), give->type()->matrix.translation());

    YBlockSingle* single = set->breakOff(set->item(1), true);
    ASSERT_NE(nullptr, single);
    const YVec3 p = single->getTransform().translation();
    delete single; // destroyed in play
    ASSERT_EQ(1u, gLiveBonuses().size());
    EXPECT_EQ(BONUS_LIFE, lastBonus()->type()->kind());
    expectNear(p, lastBonus()->body().getPosition());

    clearWorld(); // the ball bonus goes with the world
    EXPECT_TRUE(balls().empty());
}

TEST_F(BonusBuilderTest, ADrawnBonusShowsItsBadgeInsideTheShell)
{
    YRecordingRender render;
    YBonusFrost frost;
    frost.setMatrix(at(YVec3(1.0f, 2.0f, 3.0f)).m);
    render.calls.clear();
    frost.draw();
    auto shaders = render.callsStartingWith("shader");
    ASSERT_FALSE(shaders.empty());
    EXPECT_EQ("shader bonus_frost", shaders[0]);
    EXPECT_EQ(1u, render.callsStartingWith("quadUV2").size()) << "one billboard";
    frost.visible = 0;
    render.calls.clear();
    frost.draw();
    EXPECT_TRUE(render.calls.empty()) << "a hidden bonus draws nothing";
}

// The bonus shaders load cleanly with their pictures; the timings file
// holds the defaults.
TEST(BonusContent, TheShadersAndTimingsLoadCleanly)
{
    YRecordingRender render;
    const std::vector<YRenderResource*> before = gRenderResources();
    ASSERT_TRUE(testutil::copyFromGame("data"));
    ASSERT_TRUE(testutil::copyFromGame("textures"));
    registerBonusIds();
    const size_t start = testutil::logText().size();
    loadShaders("data\\shaders.yml");
    EXPECT_EQ(std::string::npos, testutil::logText().find("rror", start)) << testutil::logText().substr(start);

    const std::pair<const char*, const char*> shells[] = {{"bonus", "bonus.png"}, {"spark2", "glow.png"}};
    for (const auto& s : shells) {
        const YShader* shader = findShader(s.first);
        ASSERT_TRUE(shader && !shader->stages.empty()) << s.first;
        EXPECT_TRUE(shader->isAlphaBlended()) << s.first;
        EXPECT_EQ(getTexture(std::string("textures\\") + s.second), shader->stages[0]->texture);
    }
    for (int k = 0; k < BONUS_KIND_COUNT; ++k) {
        const std::string& name = gBonusKinds[static_cast<size_t>(k)].name;
        const YShader* icon = getBonusKindShader(k);
        ASSERT_TRUE(icon && !icon->stages.empty()) << name;
        EXPECT_EQ(getTexture("textures\\" + name + ".png"), icon->stages[0]->texture) << name;
    }

    float saved[BONUS_TIMEOUT_COUNT];
    std::copy(gBonusTimeouts, gBonusTimeouts + BONUS_TIMEOUT_COUNT, saved);
    const size_t mark = testutil::logText().size();
    loadBonusConfig("data\\bonuses.yml");
    EXPECT_EQ(mark, testutil::logText().size());
    EXPECT_EQ((std::vector<float>{60, 45, 20, 30, 20, 30, 20}),
              std::vector<float>(gBonusTimeouts, gBonusTimeouts + BONUS_TIMEOUT_COUNT));
    std::copy(saved, saved + BONUS_TIMEOUT_COUNT, gBonusTimeouts);

    clearShaders();
    testutil::deleteRenderResourcesSince(before);
}

} // namespace
