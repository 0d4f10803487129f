// The weapons on the real renderer (offscreen window, software GL): the hero
// at the table's edge with a grenade in his hand, a bomb in flight trailing
// its fuse sparks, and the boomerang spinning over the table, captured to
// BMP.
#include "tests/world/block_test_fixture.h"

#include "platform/img/image.h"
#include "render/camera.h"
#include "render/mesh.h"
#include "render/mesh_draw.h"
#include "render/render_d3d.h"
#include "tests/common/render_util.h"
#include "world/bomb.h"
#include "world/boomer.h"
#include "world/grenade.h"
#include "world/racket.h"
#include "world/table.h"
#include "world/table_material.h"
#include "world/weapons.h"

using namespace blocktest;

namespace {

constexpr int SIZE = 384;

using testutil::colourAt;

class WeaponsCapture : public BlockTest {};

} // namespace

TEST_F(WeaponsCapture, ABombInFlightWithItsFuseAndTheBoomerangOverTheTable)
{
    for (const char* folder : {"data", "textures", "mesh", "fonts"})
        ASSERT_TRUE(testutil::copyFromGame(folder)) << "build the game content first: " << folder;
    std::string error;
    testutil::OffscreenDevice offscreen;
    ASSERT_TRUE(offscreen.open(SIZE, SIZE, &error)) << error;
    Render_D3D& render = *offscreen.render;
    for (const char* file : {"data\\shaders.yml", "data\\shaders_env.yml", "data\\shaders_blocks.yml"})
        loadShaders(file);
    for (const char* name : {"bomb", "bomb_fuse", "grenade", "boomer", "bomb_fuse_particles"})
        EXPECT_NE(nullptr, findShader(name)) << name;
    loadTableMaterials("data\\env.yml");
    clearBlockMaterials();
    loadBlockMaterials("data\\blocks.yml");

    auto table = std::make_unique<YTable>();
    ASSERT_TRUE(table->setSize(20.0f, 20.0f, "marble"));
    build({{-2, 4, 0, 1, 1, 1, "wood"}, {-1, 4, 0, 1, 1, 1, "stone"}, {-2, 4, 1, 2, 1, 1, "plain"}});
    gCamera().setTransform(testutil::lookAt(YVec3(0, -17.0f, 9.0f), YVec3(0, -2.0f, 1.5f)));
    const float light[3] = {0.3f, 0.6f, -0.74f};
    gCamera().setLightDirection(light);

    // The hero with a grenade in his hand, the ball he served put away.
    auto racket = std::make_unique<YRacket>(nullptr);
    racket->serve();
    {
        YWorldTearDown quiet;
        delete racket->held;
    }
    auto* grenade = new YGrenade(YGrenade::BONUS_THROWS);
    ASSERT_TRUE(holdWeapon(*racket, grenade, false));

    // A bomb thrown and on its way over the table, tumbling, its fuse
    // sparkling behind it; and a boomerang out on its loop.
    auto* bomb = new YBomb();
    bomb->launch(1);
    for (int f = 0; f < 20 && !bomb->isFlying(); ++f)
        bomb->update(0.01f);
    ASSERT_TRUE(bomb->isFlying());
    auto* boomer = new YBoomer();
    boomer->setTransform(worldtest::at(YVec3(1.0f, -8.0f, 2.5f)));
    boomer->buildPath(YVec3(0, 1, 0));
    YRender* device = gRender;
    gRender = nullptr; // the warm-up frames draw nothing
    const float dt = 0.01f;
    for (int f = 0; f < 30; ++f) {
        YMatrix m;
        m.makeRotationY(25.0f * static_cast<float>(f));
        m.setTranslation(YVec3(-2.5f, -5.0f + 0.08f * static_cast<float>(f), 2.2f));
        bomb->body().setTransform(m);
        bomb->body().setLinearVelocity(YVec3(0, 8.0f, 0));
        bomb->update(dt);
        boomer->update(dt);
        gParticles().update(dt);
        drawBackToFront();
    }
    gRender = device;
    ASSERT_GT(gParticles().particleCount(), 5u) << "the fuse sparkles";

    const YVec3 bombAt = bomb->matrix.translation();
    const YVec3 tipAt = bomb->fuseTip();
    const YVec3 boomerAt = boomer->position();
    auto frame = [&](bool withWeapons, const char* file) {
        bomb->visible = boomer->visible = withWeapons;
        table->clearLightSpots();
        gParticles().update(0.0f);
        updateAllBlocks(0.0f, false);
        return testutil::captureFrame(render, SIZE, SIZE, file, [&] {
            render.setPerspective(45.0f, 1.0f, 1.0f, 200.0f);
            render.setWorldMatrix(gCamera().view().m);
            table->draw(YTable::DRAW_ALL);
            drawFrontToBack();
            drawMeshDraws();
            render.setWorldMatrix(gCamera().view().m);
            if (withWeapons)
                drawBackToFront();
        });
    };
    ASSERT_TRUE(frame(false, "weapons_plain.bmp"));
    ASSERT_TRUE(frame(true, "weapons.bmp"));
    drawBackToFront();

    img::Image plain, shot;
    ASSERT_TRUE(img::loadImage("weapons_plain.bmp", plain, &error)) << error;
    ASSERT_TRUE(img::loadImage("weapons.bmp", shot, &error)) << error;
    // The bomb and the boomerang show where they are; the fuse's sparks
    // glow yellow.
    EXPECT_GT((colourAt(shot, bombAt) - colourAt(plain, bombAt)).length(), 25.0f) << "the bomb";
    EXPECT_GT((colourAt(shot, boomerAt) - colourAt(plain, boomerAt)).length(), 25.0f) << "the boomerang";
    EXPECT_GT((colourAt(shot, tipAt, 1) - colourAt(plain, tipAt, 1)).length(), 25.0f) << "the fuse";
    size_t yellow = 0;
    for (const YParticle& p : gParticles().particles()) {
        const YVec3 c = colourAt(shot, p.position, 0);
        yellow += c.x > 180.0f && c.y > 110.0f && c.z < c.x - 50.0f;
    }
    EXPECT_GT(yellow * 2, gParticles().particleCount()) << "most fuse sparks glow yellow";
    EXPECT_FALSE(logged("failed") || logged("error")) << testutil::logText().substr(logStart);

    racket.reset();
    destroyRacketObjectsQuietly();
    clearWorld();
    table.reset();
    drawFrontToBack();
    drawBackToFront();
    gBlockFaces.clear();
    gParticles().clearParticles();
    releaseBallMeshInstances();
    releaseWeaponAssets();
    YPipe::releaseSharedInstance();
    clearMeshes();
    clearTableMaterials();
    clearBlockMaterials();
    clearShaders();
    resources.reset();
}
