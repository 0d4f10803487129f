// The faces the blocks emit each frame, their queues, and the cracks.
#include "tests/world/block_test_fixture.h"

#include "render/camera.h"
#include "render/recording_render.h"
#include "render/resource.h"

#include <memory>
#include <sstream>

using namespace blocktest;

namespace {

class BlockFacesTest : public BlockTest {
protected:
    void SetUp() override
    {
        BlockTest::SetUp();
        render = std::make_unique<YRecordingRender>(4);
        savedView = gCamera().view();
    }
    void TearDown() override
    {
        gCamera().setTransform(savedView);
        BlockTest::TearDown(); // drains the queues and frees the crack textures
        render.reset();
    }
    static void eyeAt(const YVec3& eye)
    {
        YMatrix view;
        gCamera().setTransform(view.makeTranslation(-eye));
    }
    // One frame of the blocks: faces made and queued, nothing drawn.
    void frame()
    {
        drawFrontToBack();
        drawBackToFront();
        updateAllBlocks(0.0f, false);
    }
    static YVec3 faceCentre(const YBlockFaceQuad& f)
    {
        YVec3 c;
        for (int k = 0; k < 4; ++k)
            c = c + YVec3(f.vertices[k][0], f.vertices[k][1], f.vertices[k][2]) * 0.25f;
        return c;
    }

    std::unique_ptr<YRecordingRender> render;
    YMatrix savedView;
};

} // namespace

TEST_F(BlockFacesTest, CrackLevelsChooseOneOfTenDarkenedTextures)
{
    EXPECT_EQ(0, crackTextureIndex(0.05f));
    EXPECT_EQ(9, crackTextureIndex(0.95f));
    EXPECT_EQ(9, crackTextureIndex(1.0f));
    EXPECT_EQ(9, crackTextureIndex(7.0f));
    EXPECT_EQ(0, crackTextureIndex(-0.5f));
    EXPECT_EQ(0, crackTextureIndex(std::nanf("")));
    EXPECT_EQ(9, crackTextureIndex(INFINITY));
    EXPECT_EQ(4, crackTextureIndex(0.45f));

    YColorFilterSub sub(0.3f);
    YVec4 c = sub.filter(YVec4(0.5f, 0.2f, 1.0f, 0.25f));
    EXPECT_FLOAT_EQ(0.2f, c.x);
    EXPECT_FLOAT_EQ(0.0f, c.y) << "never below zero";
    EXPECT_FLOAT_EQ(0.7f, c.z);
    EXPECT_FLOAT_EQ(1.0f, c.w);

    // Made all at the first request, the picture read once for all ten.
    YTexture* first = getCrackTexture(0.5f);
    EXPECT_EQ(1u, render->callsStartingWith("load textures\\split.jpg").size());
    EXPECT_EQ(10u, render->callsStartingWith("filter textures\\split.jpg").size());
    for (int i = 0; i < 10; ++i) {
        auto* t = dynamic_cast<YFilterTexture*>(getCrackTexture(i * 0.1f + 0.05f));
        ASSERT_TRUE(t);
        EXPECT_EQ("textures\\split.jpg", t->source->name);
        auto* f = dynamic_cast<YColorFilterSub*>(t->filter);
        ASSERT_TRUE(f);
        EXPECT_FLOAT_EQ(i * 0.1f, f->amount);
        EXPECT_TRUE(t->deviceTexture);
    }
    EXPECT_EQ(first, getCrackTexture(0.55f));
    EXPECT_EQ(10u, render->callsStartingWith("filter").size()) << "made once";
}

TEST_F(BlockFacesTest, OpaqueBlocksShowOnlyTheFacesTurnedToTheEye)
{
    build({{0, 0, 0}, {1, 0, 0}});
    eyeAt(YVec3(10, 0.5f, 0.5f));
    frame();
    ASSERT_EQ(1u, gBlockFaces.size()) << "the face between the two is hidden, the rest look away";
    expectNear(YVec3(2, 0.5f, 0.5f), faceCentre(gBlockFaces[0]));
    EXPECT_FLOAT_EQ(1.0f, gBlockFaces[0].vertices[0][3]) << "normal +x";
    EXPECT_EQ(1u, gNearDrawQueue().count());
    EXPECT_EQ(0u, gDrawQueue().count());

    eyeAt(YVec3(10, 10, 10));
    frame();
    EXPECT_EQ(5u, gBlockFaces.size()) << "+x of one, +y and +z of both";
    EXPECT_EQ(5u, gNearDrawQueue().count());

    // The second texture coordinates carry the block's own offset.
    const YBlockFaceQuad& f = gBlockFaces[0];
    EXPECT_FLOAT_EQ(f.vertices[0][6] + 0.0f, 0.0f);
    EXPECT_FLOAT_EQ(f.vertices[0][7], 1.0f);
    float du = f.vertices[0][8] - f.vertices[0][6];
    EXPECT_TRUE(du >= 0.75f && du <= 1.25f) << du;
}

TEST_F(BlockFacesTest, BlendedBlocksShowEveryFaceFarFirstWithTheFarOnesInside)
{
    YBlockSet* set = build({{0, 0, 0, 1, 1, 1, "glass"}}, turned(90.0f, YVec3(0, 0, 1)));
    (void)set;
    eyeAt(YVec3(10, 0.5f, 1.5f));
    frame();
    ASSERT_EQ(6u, gBlockFaces.size());
    EXPECT_EQ(6u, gDrawQueue().count());
    EXPECT_EQ(0u, gNearDrawQueue().count());
    // Turned by 90 degrees the cube spans x in -1..0; its far face (-x in
    // the world) sits a little inside.
    int far = 0;
    for (const YBlockFaceQuad& q : gBlockFaces) {
        YVec3 c = faceCentre(q);
        if (q.vertices[0][3] < -0.99f) {
            ++far;
            EXPECT_GT(c.x, -1.0f + 1e-3f);
            EXPECT_LT(c.x, -0.9f);
        }
    }
    EXPECT_EQ(1, far);
    // Drawn far-first: the far face comes first.
    drawBackToFront();
    auto quads = render->callsStartingWith("quadNormalUV2");
    ASSERT_EQ(6u, quads.size());
    std::istringstream first(quads[0].substr(quads[0].find(' ')));
    float v[4];
    first >> v[0] >> v[1] >> v[2] >> v[3];
    EXPECT_LT(v[3], -0.99f) << quads[0];
}

TEST_F(BlockFacesTest, SinglesShowTheirHealthAsCracks)
{
    auto* stone = getShader("t_stone");
    stone->stages.push_back(new YShaderStage());
    stone->stages.push_back(new YShaderStage());
    YMatrix at;
    auto* single = new YBlockSingle(getBlockShape("stone", 1, 1, 1), nullptr,
                                    at.makeTranslation(YVec3(0, 0, 2)));
    single->health = 300.0f;
    auto* plain = new YBlockSingle(getBlockShape("plain", 1, 1, 1), nullptr,
                                   at.makeTranslation(YVec3(5, 0, 2)));
    plain->health = 10.0f;
    eyeAt(YVec3(2.5f, -20, 2));
    frame();
    ASSERT_FALSE(gBlockFaces.empty());
    for (const YBlockFaceQuad& f : gBlockFaces)
        EXPECT_FLOAT_EQ(f.shader == stone ? 1.0f : 0.05f, f.crack);

    // Two stages: the crack texture goes to the second, but a whole block's
    // (#9, black) is left out with its stage; one stage: none.
    render->calls.clear();
    drawFrontToBack();
    EXPECT_EQ(gBlockFaces.size(), render->callsStartingWith("quadNormalUV2").size());
    for (const std::string& c : render->calls)
        EXPECT_EQ(std::string::npos, c.find("split.jpg#")) << c;

    // Worn and whole in turn, one shader: the stage comes and goes with it.
    plain->health = 0.0f;
    frame(); // the plain block breaks and leaves
    const struct {
        float health;
        const char* crack; // the texture of the second stage
    } steps[] = {{0.0f, "textures\\split.jpg#0"}, {300.0f, "null"}, {260.0f, "textures\\split.jpg#8"}, {300.0f, "null"}};
    for (const auto& step : steps) {
        single->health = step.health;
        frame();
        render->calls.clear();
        drawFrontToBack();
        ASSERT_FALSE(render->callsStartingWith("texture 1").empty()) << step.health;
        EXPECT_EQ(std::string("texture 1 ") + step.crack, render->callsStartingWith("texture 1").back());
        EXPECT_EQ(step.health < 300.0f ? 2u : 1u, render->stageCount());
    }
}

TEST_F(BlockFacesTest, BonusesShowInsideTheirBlocks)
{
    BuilderLog& log = bonusLog;
    auto* set = new YBlockSet();
    add(set, {0, 0, 0});
    add(set, {1, 0, 0}, new RecordingBuilder(log));
    set->buildLinks();
    set->setTransform(turned(0.0f, YVec3(0, 0, 3)));
    set->updateMass();
    set->splitAll(true);
    frame();
    EXPECT_EQ(1, log.shows);
    expectNear(YVec3(1.5f, 0.5f, 3.5f), log.shownAt.translation());
    // Broken off, the single shows it from then on.
    YBlockSingle* single = set->breakOff(set->item(1), true);
    ASSERT_TRUE(single);
    EXPECT_TRUE(single->builder());
    frame();
    EXPECT_EQ(1u, all<YBlockSingle>().size());
    EXPECT_EQ(2, log.shows);
    EXPECT_EQ(0, log.deleted);

    // Opaque blocks hide what lies within their smallest half extent.
    const struct {
        Cell cell;
        float hiding;
    } blocks[] = {{{0, 0, 0}, 0.5f}, {{0, 0, 0, 3, 2, 4}, 1.0f}, {{0, 0, 0, 2, 2, 2, "glass"}, 0.0f}};
    for (const auto& b : blocks) {
        auto* holder = new YBlockSet();
        add(holder, b.cell, new RecordingBuilder(otherLog));
        holder->buildLinks();
        holder->setTransform(turned(0.0f, YVec3(10, 0, 3)));
        holder->updateMass();
        holder->splitAll(true);
        frame();
        EXPECT_FLOAT_EQ(b.hiding, otherLog.hiding) << b.cell.material << " " << b.cell.w;
        delete holder;
    }
}
