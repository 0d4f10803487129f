// Light spots, moving light spots and wall flashes: when they are made,
// how they age, where they are drawn and when they go; and the table's
// draw through a recording renderer.
#include "tests/world/world_fixture.h"

#include "render/draw_queue.h"
#include "render/mesh.h"
#include "render/particles.h"
#include "render/recording_render.h"
#include "render/shader.h"
#include "tests/common/render_util.h"
#include "tests/common/test_util.h"
#include "world/table.h"
#include "world/table_effects.h"

#include <cstring>

using namespace worldtest;

namespace {

std::vector<std::string> gSounds;

using testutil::numbers;

class TableSpots : public WorldTest {
protected:
    void SetUp() override
    {
        WorldTest::SetUp();
        ASSERT_TRUE(testutil::copyFromGame("mesh"));
        render = std::make_unique<YRecordingRender>();
        table = std::make_unique<YTable>();
        ASSERT_TRUE(table->setSize(30.0f, 20.0f));
        gSounds.clear();
        mSoundHook = gTableSoundHook;
        gTableSoundHook = [](const char* name, const YVec3&) { gSounds.push_back(name); };
    }

    void TearDown() override
    {
        gTableSoundHook = mSoundHook;
        drawBackToFront(); // nothing queued outlives the test
        table.reset();
        gParticles().clearParticles();
        clearMeshes();
        clearShaders();
        testutil::deleteRenderResources();
        render.reset();
        WorldTest::TearDown();
    }

    // The quads drawn with two texture pairs (7 numbers a corner).
    std::vector<std::vector<float>> drawnQuads() const
    {
        std::vector<std::vector<float>> out;
        for (const std::string& c : render->callsStartingWith("quadUV2 "))
            out.push_back(numbers(c));
        return out;
    }

    // Each corner's x, y, z, u, v; the second texture pair equals the first.
    static void expectCorners(const std::vector<float>& q, const std::vector<std::vector<float>>& corners)
    {
        ASSERT_EQ(28u, q.size());
        for (size_t k = 0; k < 4; ++k) {
            for (size_t i = 0; i < 5; ++i)
                EXPECT_NEAR(corners[k][i], q[k * 7 + i], 1e-5f) << "corner " << k << " value " << i;
            EXPECT_EQ(q[k * 7 + 3], q[k * 7 + 5]);
            EXPECT_EQ(q[k * 7 + 4], q[k * 7 + 6]);
        }
    }

    std::unique_ptr<YRecordingRender> render;
    std::unique_ptr<YTable> table;
    YTableSoundHook mSoundHook = nullptr;
    const float white[4] = {1, 1, 1, 1};
};

} // namespace

TEST_F(TableSpots, LightSpotGrowsAndFadesAsItsSourceRises)
{
    const float orange[4] = {1.0f, 0.5f, 0.2f, 0.8f};
    table->addLightSpot(YVec3(2, 3, 0), orange, 2.0f);
    table->addLightSpot(YVec3(0, 0, 1.0f), orange, 2.0f);
    ASSERT_EQ(2u, table->lightSpots().size());
    EXPECT_EQ(2.0f, table->lightSpots()[0].size);
    EXPECT_EQ(0.8f, table->lightSpots()[0].color.w) << "full colour on the floor";
    EXPECT_EQ("lmap", table->lightSpots()[0].shader->name);
    EXPECT_EQ(3.0f, table->lightSpots()[1].size);
    EXPECT_FLOAT_EQ(0.4f, table->lightSpots()[1].color.w);

    // At the radius's height, below the floor, r past an edge, broken input: none.
    table->addLightSpot(YVec3(0, 0, 2.0f), orange, 2.0f);
    table->addLightSpot(YVec3(0, 0, -0.01f), orange, 2.0f);
    table->addLightSpot(YVec3(17.0f, 0, 0), orange, 2.0f);
    table->addLightSpot(YVec3(std::nanf(""), 0, 0), orange, 2.0f);
    table->addLightSpot(YVec3(), orange, 0.0f);
    table->queueLightSpot(YVec3(), nullptr, orange, 2.0f);
    EXPECT_EQ(2u, table->lightSpots().size());
    table->addLightSpot(YVec3(16.99f, -11.99f, 0), nullptr, 2.0f); // just inside; no colour is white
    ASSERT_EQ(3u, table->lightSpots().size());
    EXPECT_EQ(1.0f, table->lightSpots()[2].color.y);
}

TEST_F(TableSpots, TheQueueIsEmptiedByEveryDrawOfTheSpotsWithOrWithoutARenderer)
{
    table->addLightSpot(YVec3(), white, 1.0f);
    table->addLightSpot(YVec3(1, 1, 0), white, 1.0f);
    table->draw(YTable::DRAW_MESH);
    EXPECT_EQ(2u, table->lightSpots().size()) << "without the spots' bit the queue stays";
    EXPECT_TRUE(drawnQuads().empty());
    table->draw(YTable::DRAW_ALL);
    EXPECT_EQ(2u, drawnQuads().size());
    EXPECT_TRUE(table->lightSpots().empty());

    render.reset();
    for (bool nullRender : {true, false}) {
        std::unique_ptr<YNullRender> null = nullRender ? std::make_unique<YNullRender>() : nullptr;
        table->addLightSpot(YVec3(), white, 1.0f);
        table->draw(YTable::DRAW_LIGHT_SPOTS);
        EXPECT_TRUE(table->lightSpots().empty());
    }
    // A loop that never draws them cannot grow the queue without end.
    for (size_t i = 0; i < YTable::MAX_LIGHT_SPOTS + 10; ++i)
        table->addLightSpot(YVec3(), white, 1.0f);
    EXPECT_EQ(YTable::MAX_LIGHT_SPOTS, table->lightSpots().size());
    table->clearLightSpots();
    EXPECT_TRUE(table->lightSpots().empty());
}

TEST_F(TableSpots, SpotsAreCutAtTheTableEdgeKeepingTheirPicture)
{
    const float c[4] = {0.5f, 0.25f, 1.0f, 0.5f};
    table->addLightSpot(YVec3(14.0f, -9.5f, 0), c, 2.0f); // near the near right corner
    table->draw(YTable::DRAW_ALL);
    ASSERT_EQ(1u, drawnQuads().size());
    // x from 12 to 15 (cut at hw), y from -10 (cut) to -7.5, at height 0.01.
    expectCorners(drawnQuads()[0], {{12, -10, 0.01f, 0, 0.375f},
                                    {15, -10, 0.01f, 0.75f, 0.375f},
                                    {15, -7.5f, 0.01f, 0.75f, 1},
                                    {12, -7.5f, 0.01f, 0, 1}});
    // Black but for the diffuse alpha and the emissive colour.
    EXPECT_EQ(numbers("m 0 0 0 0.5 0 0 0 1 0 0 0 1 0.5 0.25 1 0.5 0"),
              numbers(render->callsStartingWith("material ").back()));
}

TEST_F(TableSpots, MovingSpotsRunFromStartToEndAndGo)
{
    const float c0[4] = {1.0f, 0.6f, 0.2f, 1.0f}, c1[4] = {0.0f, 0.2f, 0.0f, 0.0f};
    YShader* wave = getShader("blast_wave");
    table->addMovingLightSpot(1.0f, 1.0f, 3.0f, YVec3(1, 2, 0), wave, c0, c1);
    table->addMovingLightSpot(1.0f, 1.0f, 3.0f, YVec3(0, 0, 3.0f), wave, c0, c1); // at the larger size
    table->addMovingLightSpot(1.0f, 3.0f, 1.0f, YVec3(0, 0, -0.5f), wave, c0, c1);
    ASSERT_EQ(1u, table->movingLightSpots().size());
    EXPECT_TRUE(table->lightSpots().empty()) << "queued by update only";

    table->update(0.5f);
    ASSERT_EQ(1u, table->lightSpots().size());
    const YLightSpot mid = table->lightSpots()[0];
    EXPECT_EQ(2.0f, mid.size);
    EXPECT_FLOAT_EQ(0.4f, mid.color.y);
    EXPECT_FLOAT_EQ(0.5f, mid.color.w);
    EXPECT_EQ(wave, mid.shader);
    table->update(0.49f);
    EXPECT_EQ(2u, table->lightSpots().size());
    table->update(0.01f); // its age reaches its life
    EXPECT_TRUE(table->movingLightSpots().empty());
    EXPECT_EQ(2u, table->lightSpots().size());

    // Broken frame times age nothing.
    table->addMovingLightSpot(0.2f, 1.0f, 1.0f, YVec3(), wave, c0, c1);
    table->update(std::nanf(""));
    table->update(-1.0f);
    EXPECT_EQ(1u, table->movingLightSpots().size());
    table->clearLightSpots();
}

TEST_F(TableSpots, SideWallFlashStandsOnTheStruckWallAndGoesAfterAQuarterSecond)
{
    table->addWallContact(YVec3(15.2f, 3.0f, 1.0f), YVec3(-0.99995f, -0.01f, 0));
    table->addWallContact(YVec3(15.0f, 3.0f, -0.1f), YVec3(-1, 0, 0)); // below the floor
    ASSERT_EQ(1u, table->wallFlashes().size());
    EXPECT_TRUE(table->wallFlashes()[0].side);
    EXPECT_EQ(std::vector<std::string>{"wall_stroke"}, gSounds);

    table->update(0.125f); // half its time: 1.5 to either side
    drawBackToFront();
    ASSERT_EQ(1u, drawnQuads().size());
    // On x = 15 (clamped and kept), y 1.5..4.5, z cut at the floor (v from 1/6) to 2.5.
    expectCorners(drawnQuads()[0], {{15, 1.5f, 0, 0, 1.0f / 6},
                                    {15, 4.5f, 0, 1, 1.0f / 6},
                                    {15, 4.5f, 2.5f, 1, 1},
                                    {15, 1.5f, 2.5f, 0, 1}});
    EXPECT_EQ(15.0f, table->wallFlashes()[0].position.x);
    EXPECT_EQ("shader split", render->callsStartingWith("shader ").back());
    EXPECT_EQ(numbers("m 0 0 0 1 0 0 0 1 0 0 0 1 0.3 0.3 0.5 0.5 0"),
              numbers(render->callsStartingWith("material ").back()));

    table->update(0.12f);
    EXPECT_EQ(1u, table->wallFlashes().size());
    drawBackToFront();
    table->update(0.01f);
    EXPECT_TRUE(table->wallFlashes().empty());
    render->calls.clear();
    drawBackToFront();
    EXPECT_TRUE(drawnQuads().empty());
}

TEST_F(TableSpots, FarWallFlashNearACornerIsCroppedNotSqueezed)
{
    table->addWallContact(YVec3(14.5f, 10.3f, 1.0f), YVec3(0, -1, 0));
    table->addWallContact(YVec3(-14.5f, 10.0f, 1.0f), YVec3(0.02f, -0.9998f, 0)); // mostly -y: far wall
    ASSERT_EQ(2u, table->wallFlashes().size());
    EXPECT_FALSE(table->wallFlashes()[0].side);
    EXPECT_FALSE(table->wallFlashes()[1].side);
    table->update(0.125f);
    drawBackToFront();
    std::vector<std::vector<float>> q = drawnQuads();
    ASSERT_EQ(2u, q.size());
    if (q[0][0] < 0) // drawn far-first from the eye
        std::swap(q[0], q[1]);
    // x 13..15 on y = 10, u to 1 - 1/3; and x -15..-13, u from 1/3.
    expectCorners(q[0], {{13, 10, 0, 0, 1.0f / 6}, {15, 10, 0, 2.0f / 3, 1.0f / 6},
                         {15, 10, 2.5f, 2.0f / 3, 1}, {13, 10, 2.5f, 0, 1}});
    EXPECT_NEAR(-15.0f, q[1][0], 1e-5f);
    EXPECT_NEAR(1.0f / 3, q[1][3], 1e-5f);
}

TEST_F(TableSpots, QueuedFlashesOfAGoneTableDrawNothing)
{
    table->addWallContact(YVec3(15.0f, 0, 1.0f), YVec3(-1, 0, 0));
    table->update(0.1f);
    table.reset();
    drawBackToFront();
    table = std::make_unique<YTable>();
    YWallContactDraw().draw(reinterpret_cast<void*>(uintptr_t(5)));
    EXPECT_TRUE(drawnQuads().empty());
}

TEST_F(TableSpots, PhysicsStrikesFlashTheWallsAndBlastsGlowOnTheFloor)
{
    YTableEffects tableEffects;
    setWorldEffects(&tableEffects);
    auto k = ball(YVec3(11.0f, 0, 1.0f), YVec3(12, 0, 0));
    run(20);
    ASSERT_FALSE(table->wallFlashes().empty());
    EXPECT_TRUE(table->wallFlashes()[0].side);
    EXPECT_NEAR(15.0f, table->wallFlashes()[0].position.x, 0.2f);
    EXPECT_EQ("wall_stroke", gSounds.at(0));
    const size_t sideFlashes = table->wallFlashes().size();
    k->setTransform(at(YVec3(0, 6.0f, 1.0f)));
    k->setLinearVelocity(YVec3(0, 12, 0));
    run(20);
    ASSERT_GT(table->wallFlashes().size(), sideFlashes);
    EXPECT_FALSE(table->wallFlashes()[sideFlashes].side);
    EXPECT_NEAR(10.0f, table->wallFlashes()[sideFlashes].position.y, 0.2f);
    setWorldEffects(&effects);

    gParticles().clearParticles();
    tableEffects.blastEffects(YVec3(0, 0, 1.0f), 4.0f, 7);
    ASSERT_EQ(2u, table->movingLightSpots().size());
    EXPECT_EQ("blast", table->movingLightSpots()[0].shader->name);
    EXPECT_EQ("blast_wave", table->movingLightSpots()[1].shader->name);
    EXPECT_EQ(6.0f, table->movingLightSpots()[1].sizeEnd);
    EXPECT_EQ(8u, gParticles().particleCount()) << "the flash and seven sparks";
    tableEffects.blastEffects(YVec3(0, 0, 20.0f), 4.0f, 0); // too high to light the floor
    EXPECT_EQ(2u, table->movingLightSpots().size());
    table.reset();
    tableEffects.blastEffects(YVec3(), 4.0f, 0);
    tableEffects.addWallContact(YVec3(15, 0, 1), YVec3(-1, 0, 0));
    EXPECT_EQ(10u, gParticles().particleCount());
}

TEST_F(TableSpots, DrawFollowsTheBitsInOrder)
{
    static YMeshInstanceBase* shadowed = nullptr;
    const YShadowVolumeHook savedHook = gShadowVolumeHook;
    gShadowVolumeHook = [](YMeshInstanceBase& instance, const YMatrix&) { shadowed = &instance; };
    auto order = [&](int flags) {
        table->addLightSpot(YVec3(), white, 1.0f);
        render->calls.clear();
        table->draw(flags);
        std::string out;
        for (const std::string& c : render->calls) {
            for (const char* kind : {"update vertexbuffer", "shader pyr1", "mesh subset 8", "shader zonly",
                                     "quad ", "shader lmap", "quadUV2"}) {
                if (c.compare(0, std::strlen(kind), kind) == 0)
                    out += std::string(kind) + "|";
            }
        }
        return out;
    };
    // The refilled vertices, every subset with its shader, then the spots.
    EXPECT_EQ("update vertexbuffer|shader pyr1|mesh subset 8|shader lmap|quadUV2|", order(YTable::DRAW_ALL));
    EXPECT_EQ(table->pyramid(), shadowed) << "the table hands its shadow volume on";
    // The moving parts: the floor's depth, then the spots.
    EXPECT_EQ("shader zonly|quad |shader lmap|quadUV2|", order(YTable::DRAW_ALL & ~YTable::DRAW_MESH));
    EXPECT_EQ(numbers("q -15 -10 0 15 -10 0 15 10 0 -15 10 0"), numbers(render->callsStartingWith("quad ")[0]));
    gShadowVolumeHook = savedHook;
}
