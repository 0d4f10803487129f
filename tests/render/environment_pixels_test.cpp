// The generated environments drawn by the real renderer (offscreen driver,
// software GL): looking straight at each of the cube's twelve edges, the
// picture must run on across the edge without a seam.
#include "render/environment.h"

#include "platform/img/image.h"
#include "platform/wnd/window.h"
#include "render/camera.h"
#include "render/render_d3d.h"
#include "render/shader.h"
#include "tests/common/render_util.h"
#include "tests/common/test_util.h"
#include "tests/render/render_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace {

constexpr int SIZE = 128;

// How far two columns differ in colour (per channel, 0..255): the mean over
// blocks of eight rows of the difference of the blocks' mean colours, so
// single stars average out while a mismatch of the picture stays.
float columnDifference(const img::Image& shot, int left, int right)
{
    float sum = 0;
    int blocks = 0;
    for (int y0 = 16; y0 < SIZE - 16; y0 += 8, ++blocks) {
        for (int c = 0; c < 3; ++c) {
            float l = 0, r = 0;
            for (int y = y0; y < y0 + 8; ++y) {
                l += shot.texel(left, y)[c];
                r += shot.texel(right, y)[c];
            }
            sum += std::fabs(l - r) / (8.0f * 3.0f);
        }
    }
    return sum / static_cast<float>(blocks);
}

class EnvironmentPixels : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string error;
        ASSERT_TRUE(testutil::openOffscreen(SIZE, SIZE, window, render, &error)) << error;
        saved = gCamera().view();

        ASSERT_TRUE(testutil::copyFromGame("data/shaders_env.yml")) << "build the game content first";
        for (const char* name : {"dusk", "nebula"})
            for (const YEnvironmentFaceFrame& face : ENVIRONMENT_FACES)
                ASSERT_TRUE(testutil::copyFromGame(std::string("env/") + name + "/" + face.name + ".jpg"))
                    << "run gen_textures first";
        loadShaders("data\\shaders_env.yml");
        environment = std::make_unique<YEnvironment>();
    }
    void TearDown() override
    {
        rendertest::releaseEnvironment(environment, saved);
        render.reset();
        window.reset();
    }

    // Looks from the centre at the middle of an edge, the edge upright on
    // the screen through its centre; an eye position far from the origin
    // must not matter. Returns the captured picture.
    img::Image look(const YVec3& middle, const YVec3& along, const std::string& file)
    {
        YVec3 ahead = middle;
        ahead.normalize();
        YVec3 z = -ahead, y = along, x = cross(ahead, along);
        YMatrix view;
        for (int i = 0; i < 3; ++i) {
            view(i, 0) = x[i];
            view(i, 1) = y[i];
            view(i, 2) = z[i];
        }
        view.setTranslation(YVec3(3.0f, -40.0f, 25.0f));
        gCamera().setTransform(view);

        img::Image shot;
        const bool ok = testutil::captureFrame(*render, SIZE, SIZE, file, [&] {
            render->setPerspective(90.0f, 1.0f, 0.1f, 2.0f);
            environment->draw();
        });
        std::string error;
        if (ok)
            img::loadImage(file, shot, &error);
        return shot;
    }

    std::unique_ptr<wnd::Window> window;
    std::unique_ptr<Render_D3D> render;
    std::unique_ptr<YEnvironment> environment;
    YMatrix saved;
};

} // namespace

TEST_F(EnvironmentPixels, TwelveEdgesOfBothEnvironmentsShowNoSeam)
{
    for (const char* name : {"dusk", "nebula"}) {
        environment->load(name);
        ASSERT_EQ(name, environment->name());
        for (int f = 0; f < YEF_COUNT; ++f)
            ASSERT_NE(nullptr, environment->faceShader(f)->stages[0]->texture->deviceTexture);
        int edge = 0;
        for (int axis = 0; axis < 3; ++axis) {
            for (int a = -1; a <= 1; a += 2) {
                for (int b = -1; b <= 1; b += 2, ++edge) {
                    YVec3 middle, along;
                    middle[(axis + 1) % 3] = static_cast<float>(a);
                    middle[(axis + 2) % 3] = static_cast<float>(b);
                    along[axis] = 1.0f;
                    std::string file = std::string("edge_") + name + "_" + std::to_string(edge) + ".bmp";
                    img::Image shot = look(middle, along, file);
                    ASSERT_EQ(SIZE, shot.width) << file;
                    // Something was drawn: the cube is around the eye even
                    // though the eye is far from the origin.
                    std::set<uint32_t> colours;
                    for (size_t i = 0; i < shot.rgba.size(); i += 4)
                        colours.insert(shot.rgba[i] << 16 | shot.rgba[i + 1] << 8 | shot.rgba[i + 2]);
                    EXPECT_GT(colours.size(), 100u) << file;

                    // The step across the edge (between x = 62 and 65, the
                    // edge lying at 64) against the same steps just beside
                    // it: the picture changes no faster across the edge.
                    float seam = columnDifference(shot, 62, 65);
                    float inside = std::max(columnDifference(shot, 59, 62), columnDifference(shot, 65, 68));
                    EXPECT_LT(seam, inside * 1.5f + 2.0f) << file << ": seam " << seam << ", inside " << inside;
                }
            }
        }
    }
}

// Every face's picture is on the device once the environment is loaded,
// whether a view shows the face or not: looking straight at the front face,
// the back face lies behind the eye and is not drawn.
TEST_F(EnvironmentPixels, EveryFaceIsLoadedWithTheEnvironmentWhetherItIsDrawnOrNot)
{
    environment->load("dusk");
    auto loaded = [&](int face) { return environment->faceShader(face)->stages[0]->texture->deviceTexture != nullptr; };
    for (int f = 0; f < YEF_COUNT; ++f)
        EXPECT_TRUE(loaded(f)) << ENVIRONMENT_FACES[f].name;
    img::Image shot = look(YVec3(0, 1, 0), YVec3(0, 0, 1), "front_only.bmp");
    ASSERT_EQ(SIZE, shot.width);
    EXPECT_TRUE(loaded(YEF_FRONT));
    EXPECT_TRUE(loaded(YEF_BACK));
}
