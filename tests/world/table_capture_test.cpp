// The table on the real renderer (offscreen window, software GL): the
// pyramid in a table material, a light spot, an explosion's glow and two
// wall flashes, seen from above the racket's edge and captured to BMP.
#include "tests/world/world_fixture.h"

#include "platform/img/image.h"
#include "render/camera.h"
#include "render/draw_queue.h"
#include "render/mesh.h"
#include "render/render_d3d.h"
#include "render/shader.h"
#include "tests/common/render_util.h"
#include "world/table.h"
#include "world/table_material.h"

using namespace worldtest;

namespace {

constexpr int SIZE = 256;

// Mean brightness (0..765) of the 9 x 9 pixels where a world point lands.
float brightness(const img::Image& shot, const YVec3& p) { return testutil::brightnessAt(shot, p, 4); }

class TableCapture : public WorldTest {};

} // namespace

TEST_F(TableCapture, PyramidWallsAndLightSpotsFromAboveTheNearEdge)
{
    for (const char* folder : {"data", "textures", "mesh"})
        ASSERT_TRUE(testutil::copyFromGame(folder)) << "build the game content first: " << folder;
    std::string error;
    testutil::OffscreenDevice offscreen;
    ASSERT_TRUE(offscreen.open(SIZE, SIZE, &error)) << error;
    Render_D3D& render = *offscreen.render;
    loadShaders("data\\shaders_env.yml");
    loadTableMaterials("data\\env.yml");
    auto table = std::make_unique<YTable>();
    ASSERT_TRUE(table->setSize(24.0f, 20.0f, "marble"));
    gCamera().setTransform(testutil::lookAt(YVec3(0, -26.0f, 20.0f), YVec3(0, 2.0f, 0)));

    const YVec3 glow(-4.0f, -2.0f, 0.5f), blast(5.0f, 4.0f, 0.2f);
    auto frame = [&](bool decorated, const char* file) {
        if (decorated) {
            const float gold[4] = {1.0f, 0.7f, 0.3f, 1.0f}, fireEnd[4] = {1.0f, 0.3f, 0.0f, 0.05f};
            table->addLightSpot(glow, gold, 3.0f);
            table->addMovingLightSpot(0.75f, 1.0f, 5.0f, blast, getShader("blast"), gold, fireEnd);
            table->addWallContact(YVec3(12.0f, 2.0f, 0.8f), YVec3(-1, -0.01f, 0));
            table->addWallContact(YVec3(10.0f, 10.0f, 0.8f), YVec3(0, -1, 0)); // near the far corner
            table->update(0.05f);
        }
        return testutil::captureFrame(render, SIZE, SIZE, file, [&] {
            render.setPerspective(45.0f, 1.0f, 1.0f, 200.0f);
            render.setWorldMatrix(gCamera().view().m);
            table->draw(YTable::DRAW_ALL);
            render.setWorldMatrix(gCamera().view().m);
            drawBackToFront();
        });
    };
    ASSERT_TRUE(frame(false, "table_plain.bmp"));
    ASSERT_TRUE(frame(true, "table.bmp"));

    img::Image plain, shot;
    ASSERT_TRUE(img::loadImage("table_plain.bmp", plain, &error)) << error;
    ASSERT_TRUE(img::loadImage("table.bmp", shot, &error)) << error;
    // The table fills the picture, lit and textured.
    EXPECT_GT(brightness(plain, YVec3(0, 0, 0)), 90.0f);
    EXPECT_GT(brightness(plain, YVec3(11.0f, 5.0f, 0.0f)), 60.0f);
    // Each decoration brightens its place and leaves the rest alone.
    auto gain = [&](const YVec3& p) { return brightness(shot, p) - brightness(plain, p); };
    EXPECT_GT(gain(YVec3(glow.x, glow.y, 0)), 100.0f);
    EXPECT_GT(gain(YVec3(blast.x, blast.y, 0)), 30.0f);
    EXPECT_GT(gain(YVec3(12.0f, 2.0f, 0.6f)), 10.0f) << "the flash on the right wall";
    EXPECT_GT(gain(YVec3(10.5f, 10.0f, 0.6f)), 10.0f) << "the flash on the far wall";
    EXPECT_NEAR(0.0f, gain(YVec3(-8.0f, 6.0f, 0)), 1.0f);
    EXPECT_NEAR(0.0f, gain(YVec3(0.0f, -8.0f, 0)), 1.0f);
    EXPECT_FALSE(logged("failed") || logged("error")) << testutil::logText().substr(logStart);

    table.reset();
    drawBackToFront();
    clearTableMaterials();
    clearShaders();
    clearMeshes();
    testutil::deleteRenderResources();
}
