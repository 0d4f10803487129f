// Blocks on the real renderer (offscreen window, software GL): a small
// structure of every material, a glass block and a worn single, drawn from
// the game's shader file and captured to BMP.
#include "tests/world/block_test_fixture.h"

#include "platform/img/image.h"
#include "platform/wnd/window.h"
#include "render/camera.h"
#include "render/render_d3d.h"

#include <cmath>

using namespace blocktest;

namespace {

constexpr int SIZE = 256;

YMatrix lookAt(const YVec3& eye, const YVec3& target)
{
    YVec3 z = eye - target;
    z.normalize();
    YVec3 x = cross(YVec3(0, 0, 1), z);
    x.normalize();
    const YVec3 y = cross(z, x);
    const float m[16] = {x.x, y.x, z.x, 0, x.y,         y.y,         z.y,         0,
                         x.z, y.z, z.z, 0, -x.dot(eye), -y.dot(eye), -z.dot(eye), 1};
    return YMatrix(m);
}

// Mean brightness (0..765) of the pixels within r of where a world point
// lands.
float brightness(const img::Image& shot, const YVec3& p, int r = 2)
{
    const YVec3 c = gCamera().view().transformPoint(p);
    const float f = 1.0f / std::tan(22.5f * 3.14159265f / 180.0f);
    const int px = static_cast<int>((c.x * f / -c.z + 1.0f) * 0.5f * SIZE);
    const int py = static_cast<int>((1.0f - c.y * f / -c.z) * 0.5f * SIZE);
    float sum = 0;
    for (int dy = -r; dy <= r; ++dy)
        for (int dx = -r; dx <= r; ++dx) {
            const uint8_t* t = shot.texel(std::min(std::max(px + dx, 0), SIZE - 1),
                                          std::min(std::max(py + dy, 0), SIZE - 1));
            sum += static_cast<float>(t[0] + t[1] + t[2]);
        }
    return sum / static_cast<float>((2 * r + 1) * (2 * r + 1));
}

class BlockCapture : public BlockTest {};

} // namespace

TEST_F(BlockCapture, MaterialsCracksAndGlassFromTheRacketsSide)
{
    for (const char* folder : {"data", "textures"})
        ASSERT_TRUE(testutil::copyFromGame(folder)) << "build the game content first: " << folder;
    wnd::WindowDesc desc;
    desc.title = "Tarvelin";
    desc.width = desc.height = SIZE;
    std::string error;
    std::unique_ptr<wnd::Window> window = wnd::Window::create(desc, &error);
    ASSERT_TRUE(window) << error;
    {
        Render_D3D render;
        std::vector<YDisplayMode> modes;
        render.enumerateModes(modes);
        ASSERT_TRUE(render.createDevice(*window, false, -1));
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
        gCamera().setTransform(lookAt(YVec3(0, -9.0f, 4.0f), YVec3(0, 0, 0.8f)));
        const float light[3] = {0.3f, 0.6f, -0.74f};
        gCamera().setLightDirection(light);

        updateAllBlocks(0.0f, false);
        ASSERT_TRUE(render.beginCapture(SIZE, SIZE));
        render.beginFrame(true);
        render.setPerspective(45.0f, 1.0f, 1.0f, 100.0f);
        drawFrontToBack();
        drawBackToFront();
        render.endFrame();
        ASSERT_TRUE(render.saveCapture("blocks.bmp"));
        render.endCapture();
        testutil::keepShot("blocks.bmp");

        img::Image shot;
        ASSERT_TRUE(img::loadImage("blocks.bmp", shot, &error)) << error;
        // Front faces of each block are drawn (a wrong winding would cull
        // them and leave the cleared black).
        for (float x : {-2.5f, -1.5f, -0.5f, 0.5f, 1.5f})
            EXPECT_GT(brightness(shot, YVec3(x, -0.01f, 0.5f)), 40.0f) << x;
        EXPECT_GT(brightness(shot, YVec3(-0.5f, -0.01f, 1.5f)), 40.0f) << "the long block on top";
        // The worn single shows its cracks: darker than the whole one.
        float fresh = brightness(shot, YVec3(-2.5f, -3.51f, 0.5f), 10);
        float cracked = brightness(shot, YVec3(-0.5f, -3.51f, 0.5f), 10);
        EXPECT_GT(fresh, 40.0f);
        EXPECT_LT(cracked, fresh * 0.85f) << fresh << " " << cracked;
        // Nothing is drawn beside the blocks.
        EXPECT_LT(brightness(shot, YVec3(4.5f, 0, 0.5f)), 5.0f);
        EXPECT_FALSE(logged("failed") || logged("error")) << testutil::logText().substr(logStart);

        clearWorld();
        drawFrontToBack();
        drawBackToFront();
        gBlockFaces.clear();
        clearBlockMaterials();
        clearShaders();
        resources.reset();
    }
    window.reset();
}
