// Blocks on the real renderer (offscreen window, software GL): a small
// structure of every material, a glass block and a worn single, drawn from
// the game's shader file and captured to BMP.
#include "tests/world/block_test_fixture.h"

#include "platform/img/image.h"
#include "render/camera.h"
#include "render/render_d3d.h"
#include "tests/common/render_util.h"

#include <cmath>

using namespace blocktest;

namespace {

constexpr int SIZE = 256;

using testutil::brightnessAt;

class BlockCapture : public BlockTest {};

} // namespace

TEST_F(BlockCapture, MaterialsCracksAndGlassFromTheRacketsSide)
{
    for (const char* folder : {"data", "textures"})
        ASSERT_TRUE(testutil::copyFromGame(folder)) << "build the game content first: " << folder;
    std::string error;
    testutil::OffscreenDevice offscreen;
    ASSERT_TRUE(offscreen.open(SIZE, SIZE, &error)) << error;
    Render_D3D& render = *offscreen.render;
    clearBlockMaterials();
    loadShaders("data\\shaders_blocks.yml");
    loadBlockMaterials("data\\blocks.yml");

    // A wall of four materials, a glass block in front of its right end
    // and two singles of stone: one whole, one nearly broken.
    build({{-3, 0, 0, 1, 1, 1, "plain"},
           {-2, 0, 0, 1, 1, 1, "wood"},
           {-1, 0, 0, 1, 1, 1, "stone"},
           {0, 0, 0, 1, 1, 1, "metal"},
           {1, 0, 0, 1, 1, 1, "rubber"},
           {-3, 0, 1, 5, 1, 1, "plain"},
           {1, -2, 0, 1, 1, 1, "glass"}});
    YMatrix at;
    auto* whole = new YBlockSingle(getBlockShape("stone", 1, 1, 1), nullptr,
                                   at.makeTranslation(YVec3(-2.5f, -3, 0.5f)));
    auto* worn = new YBlockSingle(getBlockShape("stone", 1, 1, 1), nullptr,
                                  at.makeTranslation(YVec3(-0.5f, -3, 0.5f)));
    worn->health = 0.0f;
    (void)whole;
    gCamera().setTransform(testutil::lookAt(YVec3(0, -9.0f, 4.0f), YVec3(0, 0, 0.8f)));
    const float light[3] = {0.3f, 0.6f, -0.74f};
    gCamera().setLightDirection(light);

    updateAllBlocks(0.0f, false);
    ASSERT_TRUE(testutil::captureFrame(render, SIZE, SIZE, "blocks.bmp", [&] {
        render.setPerspective(45.0f, 1.0f, 1.0f, 100.0f);
        drawFrontToBack();
        drawBackToFront();
    }));

    img::Image shot;
    ASSERT_TRUE(img::loadImage("blocks.bmp", shot, &error)) << error;
    // Front faces of each block are drawn (a wrong winding would cull
    // them and leave the cleared black).
    for (float x : {-2.5f, -1.5f, -0.5f, 0.5f, 1.5f})
        EXPECT_GT(brightnessAt(shot, YVec3(x, -0.01f, 0.5f)), 40.0f) << x;
    EXPECT_GT(brightnessAt(shot, YVec3(-0.5f, -0.01f, 1.5f)), 40.0f) << "the long block on top";
    // The worn single shows its cracks: darker than the whole one.
    float fresh = brightnessAt(shot, YVec3(-2.5f, -3.51f, 0.5f), 10);
    float cracked = brightnessAt(shot, YVec3(-0.5f, -3.51f, 0.5f), 10);
    EXPECT_GT(fresh, 40.0f);
    EXPECT_LT(cracked, fresh * 0.85f) << fresh << " " << cracked;
    // Nothing is drawn beside the blocks.
    EXPECT_LT(brightnessAt(shot, YVec3(4.5f, 0, 0.5f)), 5.0f);
    EXPECT_FALSE(logged("failed") || logged("error")) << testutil::logText().substr(logStart);

    clearWorld();
    drawFrontToBack();
    drawBackToFront();
    gBlockFaces.clear();
    clearBlockMaterials();
    clearShaders();
    resources.reset();
}
