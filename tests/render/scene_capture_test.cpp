// A whole scene from the generated content on the real renderer: the
// environment cube, a lit ball mesh, particles, a line of text and the
// console half open, captured to BMP.
#include "platform/img/image.h"
#include "render/camera.h"
#include "render/console.h"
#include "render/draw_queue.h"
#include "render/environment.h"
#include "render/font.h"
#include "render/mesh.h"
#include "render/mesh_draw.h"
#include "render/particles.h"
#include "render/render_d3d.h"
#include "render/shader.h"
#include "tests/common/render_util.h"
#include "tests/common/test_util.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

const char* SCENE_SHADERS = R"(
<shader name="test_ball">
  <material diffuse="ffffff" ambient="404040" specular="ffffff" power="20"/>
  <map texture="textures\ball.png">
    <colorblend op="modulate" arg1="texture" arg2="diffuse"/>
    <alphablend op="selectarg2" arg1="texture" arg2="diffuse"/>
    <filter min="linear" mag="linear" mip="linear"/>
  </map>
</shader>
<shader name="test_spark">
  <blend alpha="true" src="srcalpha" dest="one"/>
  <state zwrite="false" cull="none"/>
  <materialcolor color="ffffff"/>
  <map texture="textures\spark.png">
    <colorblend op="modulate" arg1="texture" arg2="diffuse"/>
    <alphablend op="modulate" arg1="texture" arg2="diffuse"/>
    <filter min="linear" mag="linear" mip="linear"/>
  </map>
</shader>
)";

class NoCommands : public YConsoleCommand {
public:
    void onConsoleCommand(int) override {}
    void onConsoleVariable(int) override {}
};

int brightness(const uint8_t* t) { return t[0] + t[1] + t[2]; }

} // namespace

TEST(SceneCapture, EnvironmentBallParticlesTextAndConsole)
{
    const size_t logStart = testutil::logText().size();
    for (const char* folder : {"data", "fonts", "textures", "env", "mesh"})
        ASSERT_TRUE(testutil::copyFromGame(folder)) << "build the game content first: " << folder;
    testutil::writeText("scene.yml", SCENE_SHADERS);

    std::string error;
    testutil::OffscreenDevice offscreen;
    ASSERT_TRUE(offscreen.open(256, 256, &error)) << error;
    Render_D3D& render = *offscreen.render;
    loadFonts("data\\fonts.yml");
    loadShaders("data\\shaders.yml");
    loadShaders("data\\shaders_env.yml");
    loadShaders("scene.yml");
    gEnvironment().load("");

    YMesh* mesh = getMesh("mesh\\ball2.mes");
    ASSERT_FALSE(mesh->subsets.empty());
    auto ball = std::make_unique<YMeshInstance>(mesh, 2.0f);
    ball->shaders.push_back(getShader("test_ball"));

    NoCommands commands;
    YConsole console(&commands);
    console.print("Tarvelin console");
    console.print("> help");
    console.setHeight(300.0f); // half of the 600-unit screen

    // Looking at the ball from the near side of the table, a little above.
    YMatrix tilt, back;
    tilt.makeRotationX(-70.0f);
    back.makeTranslation(YVec3(0, 0, -5));
    gCamera().setTransform(back * tilt);
    YVec3 light(-0.1f, 0.2f, -0.3f); // the camera's own default light
    light.normalize();
    gCamera().setLightDirection(&light.x);

    for (int i = 0; i < 12; ++i) {
        float pos[3] = {-1.5f + 0.25f * i, -0.5f, 1.2f + 0.08f * (i % 4)};
        float vel[3] = {0, 0, 0};
        float c0[4] = {1.0f, 0.7f, 0.2f, 1.0f};
        float c1[4] = {1.0f, 0.2f, 0.0f, 0.0f};
        gParticles().emit(2.0f, 0.35f, 0.1f, pos, vel, -1.0f, nullptr, getShader("test_spark"), c0, c1);
    }
    gParticles().update(0.1f);

    ASSERT_TRUE(testutil::captureFrame(render, 256, 256, "scene.bmp", [&] {
        render.setPerspective(gCamera().fov(), 1.0f, 0.5f, 100.0f);
        gEnvironment().draw();
        drawMeshDraws();
        drawFrontToBack();
        drawBackToFront();
        render.setOrtho2D(0, 0, 800, 600);
        const float white[4] = {1, 1, 1, 1};
        getFont("sysfont")->drawText(20, 580, 28, "Score 12345", white);
        console.draw();
    }));

    img::Image shot;
    ASSERT_TRUE(img::loadImage("scene.bmp", shot, &error)) << error;
    // The ball in the middle is lit; the console covers the top half.
    EXPECT_GT(brightness(shot.texel(128, 180)), 120);
    // The environment shows behind everything: no pixel of the lower
    // corners is left at the cleared black.
    EXPECT_GT(brightness(shot.texel(4, 250)) + brightness(shot.texel(250, 250)), 30);
    EXPECT_EQ(std::string::npos, testutil::logText().find("failed", logStart));

    gParticles().clearParticles();
    drawBackToFront();
    ball.reset();
    clearShaders();
    clearMeshes();
    clearFonts();
    testutil::deleteRenderResources();
}
