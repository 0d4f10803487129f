// A stencil shadow on the real renderer (offscreen window, software GL) with
// the game's own pass shaders: a box floating over a floor darkens the
// floor where its shadow falls, and nowhere else.
#include "render/shadow_volume.h"

#include "core/init.h"
#include "platform/img/image.h"
#include "render/camera.h"
#include "render/mesh_draw.h"
#include "render/shader.h"
#include "tests/common/render_util.h"
#include "tests/render/mesh_fixtures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>

namespace {

constexpr int SIZE = 160;

const char* const TEST_SHADERS = "<shader name=\"floor\">\n  <materialcolor color=\"c0c0c0\"/>\n</shader>\n"
                                 "<shader name=\"box\">\n  <materialcolor color=\"4080ff\"/>\n</shader>\n";

class ShadowPixels : public rendertest::LoggedTest {
protected:
    void SetUp() override
    {
        std::string error;
        ASSERT_TRUE(device.open(SIZE, SIZE, &error)) << error;
        ASSERT_TRUE(testutil::copyFromGame("data/shaders.yml")) << "build the game content first";
        ASSERT_TRUE(testutil::copyFromGame("fonts")) << "build the game content first";
        testutil::writeText("data/test.yml", TEST_SHADERS);
        loadShaders("data\\shaders.yml");
        loadShaders("data\\test.yml");
        savedCamera = gCamera();
        savedShadows = gInit().shadows;
    }
    void TearDown() override
    {
        gShadows().begin(0.0f);
        gInit().shadows = savedShadows;
        gCamera() = savedCamera;
        clearMeshes();
        clearShaders();
        testutil::deleteRenderResources();
    }

    testutil::OffscreenDevice device;
    YCamera savedCamera;
    bool savedShadows = true;
};

} // namespace

TEST_F(ShadowPixels, ABoxDarkensTheFloorOnlyWhereItsShadowFalls)
{
    YMesh* cube = meshfix::buildMesh(meshfix::cubeText(), "cube");
    YMeshInstance box(cube, 1.0f);
    box.shaders = {getShader("box")};
    YMatrix place;
    box.matrix = place.makeTranslation(YVec3(-0.5f, -0.5f, 1.5f)); // x, y -0.5..0.5, z 1.5..2.5
    gCamera().setTransform(testutil::lookAt(YVec3(1, -8, 12), YVec3(1, 0, 0)));
    YVec3 light(1, 0, -1);
    light.normalize();
    gCamera().setLightDirection(&light.x);
    // Along the light the box lands on x 1..3, y -0.5..0.5 of the floor.

    auto shoot = [&](bool shadows, const char* file) {
        gInit().shadows = shadows;
        img::Image shot;
        const bool ok = testutil::captureFrame(*device.render, SIZE, SIZE, file, [&] {
            YRender& r = *device.render;
            r.setPerspective(45.0f, 1.0f, 1.0f, 100.0f);
            r.setWorldMatrix(gCamera().view().m);
            gShadows().begin(YShadowVolume::PLAY_FLOOR);
            r.setShader(getShader("floor"), true);
            const float floor[12] = {-6, -6, 0, 6, -6, 0, 6, 6, 0, -6, 6, 0};
            r.drawQuad(floor);
            box.draw();
            drawShadows(false);
        });
        std::string error;
        EXPECT_TRUE(ok && img::loadImage(file, shot, &error)) << error;
        return shot;
    };
    const img::Image lit = shoot(false, "shadow_off.bmp");
    const img::Image shaded = shoot(true, "shadow_on.bmp");
    ASSERT_EQ(SIZE, lit.width);
    ASSERT_EQ(SIZE, shaded.width);

    // Inside the shadow the floor keeps what the darkening pass leaves of
    // it; around it the floor is untouched (the floor hidden behind the box
    // is left out), and so is the box itself.
    int inside = 0, outside = 0;
    for (float x = -4.0f; x <= 4.0f; x += 0.5f)
        for (float y = -3.0f; y <= 3.0f; y += 0.5f) {
            const YVec3 p(x, y, 0);
            const float off = testutil::brightnessAt(lit, p, 1), on = testutil::brightnessAt(shaded, p, 1);
            if (x > 1.2f && x < 2.8f && std::fabs(y) < 0.3f) {
                EXPECT_NEAR(1.0f - 0x60 / 255.0f, on / off, 0.05f) << x << " " << y;
                ++inside;
            } else if (!(x > 0.7f && x < 3.3f && std::fabs(y) < 0.8f) && !(std::fabs(x) < 1.2f && y > -1.0f)) {
                EXPECT_NEAR(off, on, 3.0f) << x << " " << y;
                ++outside;
            }
        }
    EXPECT_EQ(3, inside);
    EXPECT_GT(outside, 120);
    for (const YVec3& p : {YVec3(0, 0, 2.5f), YVec3(0, -0.5f, 2.0f)})
        EXPECT_NEAR(testutil::brightnessAt(lit, p, 1), testutil::brightnessAt(shaded, p, 1), 3.0f);
    EXPECT_TRUE(device.render->hasStencil());
}
