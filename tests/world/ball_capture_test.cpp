// The balls on the real renderer (offscreen window, software GL): the table
// with its pyramid and walls, a little wall of blocks, and a ball of each
// mode in a row with their flares, trails, light on the floor and the
// electro ball's bolt, captured to BMP.
#include "tests/world/block_test_fixture.h"

#include "platform/img/image.h"
#include "platform/wnd/window.h"
#include "render/camera.h"
#include "render/mesh.h"
#include "render/mesh_draw.h"
#include "render/render_d3d.h"
#include "world/ball.h"
#include "world/ball_mode.h"
#include "world/ball_mode_draw.h"
#include "world/ball_mode_electro.h"
#include "world/block_update.h"
#include "world/racket_tacked.h"
#include "world/table.h"
#include "world/table_material.h"

#include <cmath>

using namespace blocktest;

namespace {

constexpr int SIZE = 384;

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

// Mean colour (0..255 per channel) of the pixels within r of where a world
// point lands (field of view 45 degrees, rows from the top).
YVec3 colourAt(const img::Image& shot, const YVec3& p, int r = 2)
{
    const YVec3 c = gCamera().view().transformPoint(p);
    const float f = 1.0f / std::tan(22.5f * 3.14159265f / 180.0f);
    const int px = static_cast<int>((c.x * f / -c.z + 1.0f) * 0.5f * SIZE);
    const int py = static_cast<int>((1.0f - c.y * f / -c.z) * 0.5f * SIZE);
    YVec3 sum;
    for (int dy = -r; dy <= r; ++dy)
        for (int dx = -r; dx <= r; ++dx) {
            const uint8_t* t = shot.texel(std::min(std::max(px + dx, 0), SIZE - 1),
                                          std::min(std::max(py + dy, 0), SIZE - 1));
            sum = sum + YVec3(t[0], t[1], t[2]);
        }
    return sum * (1.0f / static_cast<float>((2 * r + 1) * (2 * r + 1)));
}

float brightness(const img::Image& shot, const YVec3& p, int r = 2)
{
    const YVec3 c = colourAt(shot, p, r);
    return c.x + c.y + c.z;
}

class BallCapture : public BlockTest {};

} // namespace

TEST_F(BallCapture, EveryModeOnTheTableWithItsEffects)
{
    for (const char* folder : {"data", "textures", "mesh", "fonts"})
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
        for (const char* file : {"data\\shaders.yml", "data\\shaders_env.yml", "data\\shaders_blocks.yml"})
            loadShaders(file);
        loadTableMaterials("data\\env.yml");
        clearBlockMaterials();
        loadBlockMaterials("data\\blocks.yml");

        auto table = std::make_unique<YTable>();
        ASSERT_TRUE(table->setSize(24.0f, 20.0f, "marble"));
        build({{0, 0, 0, 1, 1, 1, "wood"},
               {1, 0, 0, 1, 1, 1, "stone"},
               {2, 0, 0, 1, 1, 1, "metal"},
               {0, 0, 1, 3, 1, 1, "plain"}},
              at(YVec3(1.5f, 3.0f, 0.02f)));
        gCamera().setTransform(lookAt(YVec3(0, -22.0f, 13.0f), YVec3(0, 1.0f, 0)));
        const float light[3] = {0.3f, 0.6f, -0.74f};
        gCamera().setLightDirection(light);

        // A ball of each mode in a row across the table.
        std::vector<YBall*> row;
        std::vector<YVec3> places;
        for (int m = 0; m < YBALL_MODE_COUNT; ++m) {
            places.push_back(YVec3(-9.0f + 3.0f * static_cast<float>(m), -2.0f, 1.2f));
            row.push_back(new YBall(m));
            row.back()->setBodyTransform(at(places.back()));
        }
        // The trails stream out behind the phantom and fire balls as they
        // fly towards the back; the electro ball strikes the blocks.
        const YVec3 flight(0, 5.0f, 0.6f);
        YRender* device = gRender;
        gRender = nullptr; // the warm-up frames draw nothing
        const float dt = 0.02f;
        auto strikes = [&] {
            const auto& electro = *static_cast<const YBallElectro*>(row[YBallElectroId]->mode());
            for (int s = 0; s < YBallElectro::SLOT_COUNT; ++s)
                if (electro.slot(s).state == YBallElectro::STRIKING && electro.slot(s).timer < 0.15f)
                    return true;
            return false;
        };
        for (int f = 0; f < 150 && !(f > 20 && strikes()); ++f) {
            table->clearLightSpots();
            for (int m = 0; m < YBALL_MODE_COUNT; ++m) {
                YBall* b = row[static_cast<size_t>(m)];
                const bool moving = m == YBallPhantomId || m == YBallFireId;
                const YVec3 p = moving ? places[static_cast<size_t>(m)] + flight * (dt * static_cast<float>(f - 20))
                                       : places[static_cast<size_t>(m)];
                b->setBodyTransform(at(p));
                b->body().setLinearVelocity(moving ? flight : YVec3());
                b->update(dt);
            }
            gParticles().update(dt);
            YZDelete::tickAll(dt);
            drawBackToFront();
        }
        ASSERT_TRUE(strikes()) << "the electro ball struck";
        gRender = device;

        auto frame = [&](bool withBalls, const char* file) {
            for (YBall* b : row)
                b->mode()->visible = withBalls;
            table->clearLightSpots();
            if (withBalls) {
                // This frame's effects: trails, light spots and the bolt.
                for (YBall* b : row)
                    b->mode()->updateEffects(*b, 0.0f);
                gParticles().update(0.0f);
                if (table->lightSpots().size() != 2u)
                    return false; // under the fire and electro balls
            }
            updateAllBlocks(0.0f, false);
            if (!render.beginCapture(SIZE, SIZE))
                return false;
            render.beginFrame(true);
            render.setPerspective(45.0f, 1.0f, 1.0f, 200.0f);
            render.setWorldMatrix(gCamera().view().m);
            table->draw(YTable::DRAW_ALL);
            drawFrontToBack();
            drawMeshDraws();
            render.setWorldMatrix(gCamera().view().m);
            if (withBalls)
                drawBackToFront();
            render.endFrame();
            const bool saved = render.saveCapture(file);
            render.endCapture();
            return saved;
        };
        std::vector<YVec3> where;
        for (YBall* b : row)
            where.push_back(b->position());
        ASSERT_TRUE(frame(false, "balls_plain.bmp"));
        ASSERT_TRUE(frame(true, "balls.bmp"));
        testutil::keepShot("balls_plain.bmp");
        testutil::keepShot("balls.bmp");
        EXPECT_EQ(0u, pendingBallDraws());

        img::Image plain, shot;
        ASSERT_TRUE(img::loadImage("balls_plain.bmp", plain, &error)) << error;
        ASSERT_TRUE(img::loadImage("balls.bmp", shot, &error)) << error;
        EXPECT_GT(brightness(plain, YVec3(0, 0, 0)), 90.0f) << "the table is lit";
        // Every ball shows where it is: something other than the table.
        for (int m = 0; m < YBALL_MODE_COUNT; ++m) {
            const YVec3 a = colourAt(shot, where[static_cast<size_t>(m)]);
            const YVec3 b = colourAt(plain, where[static_cast<size_t>(m)]);
            EXPECT_GT((a - b).length(), 25.0f) << "mode " << m;
        }
        // The fire ball glows warm, the electro ball cold.
        const YVec3 fire = colourAt(shot, where[YBallFireId]);
        const YVec3 electro = colourAt(shot, where[YBallElectroId]);
        EXPECT_GT(fire.x, fire.z + 40.0f);
        EXPECT_GT(electro.z, electro.x + 20.0f);
        // Their light on the floor beside them.
        auto floorGain = [&](const YVec3& p) {
            const YVec3 q(p.x + 1.2f, p.y - 1.2f, 0.0f);
            return brightness(shot, q) - brightness(plain, q);
        };
        EXPECT_GT(floorGain(where[YBallFireId]), 40.0f);
        EXPECT_GT(floorGain(where[YBallElectroId]), 30.0f);
        EXPECT_NEAR(0.0f, floorGain(where[YBallNormalId]), 2.0f);
        EXPECT_FALSE(logged("failed") || logged("error")) << testutil::logText().substr(logStart);

        {
            YWorldTearDown quiet;
            destroyRacketObjects();
        }
        clearWorld();
        table.reset();
        drawFrontToBack();
        drawBackToFront();
        gBlockFaces.clear();
        gParticles().clearParticles();
        releaseBallMeshInstances();
        clearMeshes();
        clearTableMaterials();
        clearBlockMaterials();
        clearShaders();
        resources.reset();
    }
    window.reset();
}
