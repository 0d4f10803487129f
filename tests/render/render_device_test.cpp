// The renderer on the real graphics device (offscreen driver, software GL):
// a small scene captured to a BMP file and read back, and the recovery from
// a lost device, and a driver the device cannot run on.
#include "core/framework.h"
#include "platform/gfx/device.h"
#include "platform/img/image.h"
#include "platform/wnd/window.h"
#include "render/camera.h"
#include "render/render_d3d.h"
#include "render/resource.h"
#include "render/shader.h"
#include "tests/common/render_util.h"
#include "tests/common/test_util.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <cstdlib>
#include <functional>
#include <memory>
#include <vector>

namespace {

const char* SCENE_SHADERS = R"(
<shader name="backdrop">
  <state zenable="false" cull="none"/>
  <materialcolor color="0000ff"/>
  <map>
    <colorblend op="selectarg2" arg1="texture" arg2="diffuse"/>
    <alphablend op="selectarg2" arg1="texture" arg2="diffuse"/>
  </map>
</shader>
<shader name="scene">
  <blend alpha="true" src="srcalpha" dest="invsrcalpha"/>
  <state zenable="false" cull="none"/>
  <material diffuse="ffffff80" ambient="000000" specular="000000" emissive="000000"/>
  <map texture="tex.bmp">
    <colorblend op="modulate" arg1="texture" arg2="diffuse"/>
    <alphablend op="selectarg2" arg1="texture" arg2="diffuse"/>
  </map>
</shader>
)";

// A quad of 10-float vertices (position, normal, two texture pairs) facing
// the viewer, in the 2D frame of setOrtho2D (y down).
void quad(YRender& r, float x0, float y0, float x1, float y1)
{
    const float v[40] = {
        x0, y0, 0, 0, 0, 1, 0, 0, 0, 0, //
        x1, y0, 0, 0, 0, 1, 1, 0, 1, 0, //
        x1, y1, 0, 0, 0, 1, 1, 1, 1, 1, //
        x0, y1, 0, 0, 0, 1, 0, 1, 0, 1,
    };
    r.drawQuadNormalUV2(v);
}

class RenderDevice : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string error;
        ASSERT_TRUE(testutil::openOffscreen(128, 128, window, render, &error)) << error;

        img::Image texture(4, 4);
        for (int i = 0; i < 16; ++i) {
            uint8_t* t = &texture.rgba[i * 4];
            t[0] = 200;
            t[1] = 100;
            t[2] = 50;
            t[3] = 255;
        }
        ASSERT_TRUE(img::saveBmp("tex.bmp", texture));
        testutil::writeText("scene.yml", SCENE_SHADERS);
        loadShaders("scene.yml");
    }
    void TearDown() override
    {
        clearShaders();
        testutil::deleteRenderResources();
        render.reset();
        window.reset();
    }

    // Draws the scene into a 128 x 128 capture and saves it.
    bool capture(const char* file)
    {
        return testutil::captureShot(*render, 128, 128, file, [&] {
            const float down[3] = {0, 0, -1}; // straight onto the quad
            gCamera().setTransform(YMatrix());
            gCamera().setLightDirection(down);
            render->beginFrame(true);
            render->setOrtho2D(0, 0, 128, 128);
            render->setShader(getShader("backdrop"), true);
            quad(*render, 0, 0, 128, 64); // blue over the top half
            render->setShader(getShader("scene"), true);
            quad(*render, 32, 32, 96, 96); // lit, textured, half transparent
            render->endFrame();
        });
    }

    void expectPixel(const img::Image& image, int x, int y, int r, int g, int b)
    {
        const uint8_t* t = image.texel(x, y);
        EXPECT_NEAR(r, t[0], 3) << "red at " << x << "," << y;
        EXPECT_NEAR(g, t[1], 3) << "green at " << x << "," << y;
        EXPECT_NEAR(b, t[2], 3) << "blue at " << x << "," << y;
    }

    void expectScene(const char* file)
    {
        img::Image shot;
        std::string error;
        ASSERT_TRUE(img::loadImage(file, shot, &error)) << error;
        ASSERT_EQ(128, shot.width);
        ASSERT_EQ(128, shot.height);
        // The light's colour (1, 0.95, 0.8) times the texture (200, 100, 50)
        // is (200, 95, 40); drawn at half alpha over blue and over black.
        expectPixel(shot, 8, 8, 0, 0, 255);    // top: the backdrop
        expectPixel(shot, 8, 120, 0, 0, 0);    // bottom: cleared
        expectPixel(shot, 64, 48, 100, 47, 148); // quad over the backdrop
        expectPixel(shot, 64, 80, 100, 47, 20);  // quad over black
    }

    std::unique_ptr<wnd::Window> window;
    std::unique_ptr<Render_D3D> render;
};

} // namespace

TEST_F(RenderDevice, CapturedSceneMatchesItsPixels)
{
    ASSERT_TRUE(capture("scene_capture.bmp"));
    expectScene("scene_capture.bmp");
    // Without a capture there is nothing to save.
    EXPECT_FALSE(render->saveCapture("none.bmp"));
}

TEST_F(RenderDevice, QuadsInOneDrawShowTheSamePixels)
{
    // The scene's two quads as one draw of two: the same pixels as two draws.
    ASSERT_TRUE(testutil::captureShot(*render, 128, 128, "quads_capture.bmp", [&] {
        const float down[3] = {0, 0, -1};
        gCamera().setTransform(YMatrix());
        gCamera().setLightDirection(down);
        render->beginFrame(true);
        render->setOrtho2D(0, 0, 128, 128);
        render->setShader(getShader("backdrop"), true);
        quad(*render, 0, 0, 128, 64);
        render->setShader(getShader("scene"), true);
        float both[80];
        for (int q = 0; q < 2; ++q) {
            const float x0 = q ? 64.0f : 32.0f, x1 = q ? 96.0f : 64.0f;
            const float v[40] = {x0, 32, 0, 0, 0, 1, 0, 0, 0, 0, x1, 32, 0, 0, 0, 1, 1, 0, 1, 0,
                                 x1, 96, 0, 0, 0, 1, 1, 1, 1, 1, x0, 96, 0, 0, 0, 1, 0, 1, 0, 1};
            std::copy(v, v + 40, both + q * 40);
        }
        render->drawQuadsNormalUV2(both, 2);
        render->drawQuadsNormalUV2(both, 0); // nothing
        render->endFrame();
    }));
    expectScene("quads_capture.bmp");
}

TEST_F(RenderDevice, LostDeviceComesBackWithItsTextures)
{
    YTexture* texture = getTexture("tex.bmp");
    ASSERT_TRUE(texture->deviceTexture);
    render->device()->simulateLoss();
    EXPECT_FALSE(render->restoreDevice()); // lost: the frame is skipped
    render->device()->allowReset();
    EXPECT_TRUE(render->restoreDevice());
    EXPECT_TRUE(render->restoreDevice());
    ASSERT_TRUE(capture("after.bmp"));
    expectScene("after.bmp");

    // A full release and restore of every resource reloads the texture.
    invalidateRenderResources(YRK_ALL);
    EXPECT_FALSE(texture->deviceTexture);
    restoreRenderResources(YRK_ALL);
    EXPECT_TRUE(texture->deviceTexture);
    ASSERT_TRUE(capture("reloaded.bmp"));
    expectScene("reloaded.bmp");
}

TEST_F(RenderDevice, MissingTextureFileIsLoggedAndDrawsWithout)
{
    YTexture* missing = getTexture("textures\\nothing.png");
    for (int i = 0; i < 3; ++i)
        render->setTexture(missing, 0); // tried when asked for only
    EXPECT_FALSE(missing->deviceTexture);
    const std::string log = testutil::logText(), line = "Load texture textures\\nothing.png, failed";
    EXPECT_NE(std::string::npos, log.find(line));
    EXPECT_EQ(log.find(line), log.rfind(line));
    EXPECT_EQ(missing, getTexture("textures\\nothing.png")); // asked once, kept
}

// Each request for a texture, in order: whether it gives a texture made
// before (the step's index) or a new one, the "Load texture" lines it logs,
// and whether the texture is on the device when the request returns.
TEST_F(RenderDevice, TexturesAreOnTheDeviceWhenTheRequestReturns)
{
    auto picture = [](const char* file, uint8_t red) {
        img::Image image(2, 2);
        for (int i = 0; i < 4; ++i) {
            uint8_t* t = &image.rgba[i * 4];
            t[0] = red;
            t[1] = 20;
            t[2] = 30;
            t[3] = 255;
        }
        ASSERT_TRUE(img::saveBmp(file, image));
    };
    picture("other.bmp", 10);
    picture("shape.bmp", 10);
    struct Mesh : YRenderResource {
        Mesh()
        {
            kind = YRK_MESH;
            name = "shape.bmp";
        }
    };
    Mesh* mesh = new Mesh(); // deleted with every other resource
    EXPECT_EQ(nullptr, findTexture(mesh->name));

    struct Step {
        const char* what;
        std::function<YTexture*()> ask;
        int sameAs;    // the step that gave the same texture, -1 for a new one
        size_t loaded; // "Load texture" lines logged, failed ones included
        size_t failed;
        bool onDevice;
    };
    std::vector<YTexture*> given;
    const Step steps[] = {
        {"a map tag, while its file is read",
         [] {
             testutil::writeText("other.yml", "<shader name=\"other\"><map texture=\"other.bmp\"/></shader>");
             loadShaders("other.yml");
             return getShader("other")->stages[0]->texture;
         },
         -1, 1, 0, true},
        {"the same name again", [] { return getTexture("other.bmp"); }, 0, 0, 0, true},
        {"the name in other letter case", [] { return getTexture("OTHER.bmp"); }, -1, 1, 0, true},
        {"the name of a mesh", [] { return getTexture("shape.bmp"); }, -1, 1, 0, true},
        {"a missing file", [] { return getTexture("missing.png"); }, -1, 1, 1, false},
        {"the missing file again", [] { return getTexture("missing.png"); }, 4, 0, 0, false},
        {"a draw of the missing file",
         [&] {
             render->setTexture(given[4], 0);
             return given[4];
         },
         4, 0, 0, false},
        {"everything invalidated",
         [&] {
             invalidateRenderResources(YRK_ALL);
             return given[0];
         },
         0, 0, 0, false},
        {"everything restored, a file changed meanwhile",
         [&] {
             picture("other.bmp", 250);
             restoreRenderResources(YRK_ALL);
             return given[0];
         },
         0, 5, 1, true}, // tex.bmp of the scene, other, OTHER, shape, missing
    };
    for (const Step& step : steps) {
        const size_t mark = testutil::logText().size();
        YTexture* texture = step.ask();
        ASSERT_NE(nullptr, texture) << step.what;
        if (step.sameAs >= 0)
            EXPECT_EQ(given[static_cast<size_t>(step.sameAs)], texture) << step.what;
        else
            EXPECT_EQ(given.end(), std::find(given.begin(), given.end(), texture)) << step.what;
        EXPECT_EQ(step.loaded, testutil::logCount("Load texture ", mark)) << step.what;
        EXPECT_EQ(step.failed, testutil::logCount(", failed", mark)) << step.what;
        EXPECT_EQ(step.onDevice, texture->deviceTexture != nullptr) << step.what;
        given.push_back(texture);
    }
    EXPECT_EQ(given[3], findTexture(mesh->name)); // the texture, not the mesh

    // The restored texture holds the file's new pixels.
    img::Image texels;
    ASSERT_TRUE(render->device()->readTexture(static_cast<gfx::Texture*>(given[0]->deviceTexture), texels));
    ASSERT_FALSE(texels.empty());
    EXPECT_EQ(250, texels.rgba[0]);
}

TEST_F(RenderDevice, FilteredTextureComesBackAfterAnEarlierResourceWentAway)
{
    struct Halve : YColorFilter {
        YVec4 filter(const YVec4& c) const override { return YVec4(c.x * 0.5f, c.y * 0.5f, c.z * 0.5f, c.w); }
    };
    YTexture* earlier = new YTexture();
    earlier->load("textures\\nothing.png");
    YTexture* source = new YTexture();
    source->load("tex.bmp");
    auto* filtered = new YFilterTexture(source, new Halve());
    filtered->restore();
    ASSERT_TRUE(filtered->deviceTexture);

    // Removing a resource made before both must not put the filtered
    // texture ahead of its source: restoring everything makes it again
    // from the reloaded source.
    delete earlier;
    invalidateRenderResources(YRK_ALL);
    restoreRenderResources(YRK_ALL);
    EXPECT_TRUE(source->deviceTexture);
    EXPECT_TRUE(filtered->deviceTexture);
}

// A driver below what the device needs ends the program with its message
// and a failure code, and the log says once that the device was not made.
// Mesa's overrides below make the context GL 2.1 without sampler objects;
// Mesa reads them once, when the process makes its first GL screen, so all
// of it happens in the child, and only where no test before this one in the
// process started the video system (CTest runs each test on its own).
TEST(RenderDeviceRefused, TheProgramEndsAndSaysItOnce)
{
    if (wnd::videoStarted())
        GTEST_SKIP() << "the GL driver has read its settings already: run this test on its own";
    setenv("MESA_GL_VERSION_OVERRIDE", "2.1", 1);
    setenv("MESA_EXTENSION_OVERRIDE", "-GL_ARB_sampler_objects", 1);
    const size_t from = testutil::logText().size();
    EXPECT_EXIT(
        {
            Render_D3D render;
            std::vector<YDisplayMode> modes;
            render.enumerateModes(modes);
            YFramework framework;
            framework.createWindowed("Tarvelin", 128, 128);
            std::exit(2); // the device was made after all
        },
        ::testing::ExitedWithCode(1), "Could not create D3D device");
    unsetenv("MESA_GL_VERSION_OVERRIDE");
    unsetenv("MESA_EXTENSION_OVERRIDE");
    EXPECT_TRUE(testutil::logHas("sampler objects are missing", from));
    EXPECT_EQ(1u, testutil::logCount("Could not create D3D device.", from));
}
