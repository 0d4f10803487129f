// The backdrop cube through the recording renderer: which environment a
// name shows, what loading again costs, and the exact quads and transform
// drawn.
#include "render/environment.h"

#include "render/camera.h"
#include "render/recording_render.h"
#include "render/resource.h"
#include "render/shader.h"
#include "tests/common/test_util.h"
#include "tests/render/render_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

const char* ENV_SHADER = "<shader name=\"environment\">\n"
                         "  <state zenable=\"false\" zwrite=\"false\" cull=\"none\"/>\n"
                         "  <materialcolor color=\"ffffff\"/>\n"
                         "  <map wrap_x=\"clamp\" wrap_y=\"clamp\">\n"
                         "    <colorblend op=\"selectarg1\" arg1=\"texture\" arg2=\"diffuse\"/>\n"
                         "  </map>\n"
                         "</shader>\n";

std::vector<float> numbersAfter(const std::string& line, const std::string& prefix)
{
    std::istringstream in(line.substr(prefix.size()));
    in.imbue(std::locale::classic());
    std::vector<float> out;
    float f;
    while (in >> f)
        out.push_back(f);
    return out;
}

class EnvironmentTest : public rendertest::LoggedTest {
protected:
    void SetUp() override
    {
        render = std::make_unique<YRecordingRender>(4);
        saved = gCamera().view();
        markLog();
    }
    void TearDown() override
    {
        rendertest::releaseEnvironment(environment, saved);
        render.reset();
    }

    // Two environment folders, a stray file and the shader file; then the
    // environment object that lists them.
    void makeFolders(bool withShader = true)
    {
        testutil::writeText("env\\nebula\\front.jpg", "");
        testutil::writeText("env\\dusk\\front.jpg", "");
        testutil::writeText("env\\notes.txt", "not a folder");
        if (withShader) {
            testutil::writeText("shaders_env.yml", ENV_SHADER);
            loadShaders("shaders_env.yml");
        }
        environment = std::make_unique<YEnvironment>();
    }

    std::string faceTexture(int face) const
    {
        YShader* s = environment->faceShader(face);
        if (!s || s->stages.empty() || !s->stages[0]->texture)
            return "";
        return s->stages[0]->texture->name;
    }

    std::unique_ptr<YRecordingRender> render;
    std::unique_ptr<YEnvironment> environment;
    YMatrix saved;
};

} // namespace

TEST_F(EnvironmentTest, ListsFoldersOnlyAndDrawsNothingBeforeLoad)
{
    makeFolders();
    EXPECT_EQ((std::vector<std::string>{"dusk", "nebula"}), environment->knownNames());
    EXPECT_EQ(nullptr, environment->faceShader(YEF_FRONT));
    render->calls.clear();
    environment->draw();
    EXPECT_TRUE(render->calls.empty());
    EXPECT_EQ(nullptr, findShader("env_front"));
}

// A run that ends empties the shader registry: until the next load the
// cube draws nothing rather than the freed faces, then it draws again.
TEST_F(EnvironmentTest, DrawsNothingBetweenReleasedShadersAndTheNextLoad)
{
    makeFolders();
    environment->load("dusk");
    clearShaders();
    render->calls.clear();
    environment->draw();
    EXPECT_TRUE(render->callsStartingWith("quadUV2 ").empty());
    EXPECT_EQ(nullptr, environment->faceShader(YEF_FRONT));

    loadShaders("shaders_env.yml");
    environment->load("dusk");
    environment->draw();
    EXPECT_EQ(6u, render->callsStartingWith("quadUV2 ").size());
    EXPECT_EQ("env\\dusk\\front.jpg", faceTexture(YEF_FRONT));
}

TEST_F(EnvironmentTest, UnknownNameShowsTheFirstKnownAndCaseDoesNotMatter)
{
    makeFolders();
    environment->load("nowhere");
    EXPECT_EQ("dusk", environment->name());
    const char* faces[] = {"front", "back", "right", "left", "down", "up"};
    for (int f = 0; f < YEF_COUNT; ++f)
        EXPECT_EQ(std::string("env\\dusk\\") + faces[f] + ".jpg", faceTexture(f));

    // Paths ignore case: a level that names "NEBULA" gets the folder "nebula"
    // and the same textures as one that names it exactly.
    environment->load("NEBULA");
    EXPECT_EQ("nebula", environment->name());
    EXPECT_EQ("env\\nebula\\up.jpg", faceTexture(YEF_UP));
    environment->load("");
    EXPECT_EQ("dusk", environment->name());
}

TEST_F(EnvironmentTest, WithoutAnyFolderTheNameIsKept)
{
    testutil::writeText("shaders_env.yml", ENV_SHADER);
    loadShaders("shaders_env.yml");
    environment = std::make_unique<YEnvironment>();
    EXPECT_TRUE(environment->knownNames().empty());
    environment->load("Sky");
    EXPECT_EQ("Sky", environment->name());
    EXPECT_EQ("env\\Sky\\left.jpg", faceTexture(YEF_LEFT));
}

TEST_F(EnvironmentTest, LoadingTheSameNameAgainChangesAndLoadsNothing)
{
    makeFolders();
    // The pictures load with the environment, before any face is drawn.
    environment->load("nebula");
    EXPECT_EQ(6u, render->callsStartingWith("load env\\nebula\\").size());
    size_t shaders = gShaders().size();
    YShader* front = environment->faceShader(YEF_FRONT);
    YTexture* texture = front->stages[0]->texture;

    render->calls.clear();
    environment->load("nebula");
    EXPECT_TRUE(render->calls.empty());
    EXPECT_EQ(front, environment->faceShader(YEF_FRONT));
    EXPECT_EQ(texture, front->stages[0]->texture);
    EXPECT_EQ(shaders, gShaders().size()); // the face shaders are made once

    // Going elsewhere and back finds the first textures in the cache.
    environment->load("dusk");
    environment->load("nebula");
    EXPECT_EQ(6u, render->callsStartingWith("load ").size());
    EXPECT_EQ(texture, front->stages[0]->texture);
}

TEST_F(EnvironmentTest, FaceShadersAreCopiesOfTheEnvironmentShader)
{
    makeFolders();
    environment->load("dusk");
    YShader* base = findShader("environment");
    ASSERT_NE(nullptr, base);
    const char* names[] = {"env_front", "env_back", "env_right", "env_left", "env_down", "env_up"};
    for (int f = 0; f < YEF_COUNT; ++f) {
        YShader* face = environment->faceShader(f);
        ASSERT_NE(nullptr, face);
        EXPECT_EQ(face, findShader(names[f]));
        EXPECT_NE(base, face);
        EXPECT_TRUE(
            std::equal(base->renderStates.values, base->renderStates.values + YRS_COUNT, face->renderStates.values));
        EXPECT_TRUE(base->material == face->material);
        ASSERT_EQ(1u, face->stages.size());
        EXPECT_TRUE(std::equal(base->stages[0]->states, base->stages[0]->states + YSS_COUNT, face->stages[0]->states));
    }
    EXPECT_EQ(nullptr, base->stages[0]->texture); // the original keeps no face texture
}

TEST_F(EnvironmentTest, AnEnvironmentShaderWithoutMapStillShowsThePictures)
{
    // Asked for but never defined: no stage to put the texture in. The
    // stage the face gets must show the texture (the default stage state
    // would disable texturing).
    makeFolders(false);
    environment->load("dusk");
    for (int f = 0; f < YEF_COUNT; ++f) {
        EXPECT_EQ(std::string("env\\dusk\\") + ENVIRONMENT_FACES[f].name + ".jpg", faceTexture(f));
        const uint32_t* states = environment->faceShader(f)->stages[0]->states;
        EXPECT_EQ(2u, states[YSS_COLOROP]);   // select
        EXPECT_EQ(2u, states[YSS_COLORARG1]); // the texture
        EXPECT_EQ(3u, states[YSS_ADDRESSU]);  // clamped
    }
    EXPECT_TRUE(logHas("Environment shader env_front has no map, a stage is added."));
    environment->draw();
    EXPECT_EQ(6u, render->callsStartingWith("quadUV2 ").size());
    // A later load finds the stage and adds none.
    environment->load("nebula");
    EXPECT_EQ(1u, environment->faceShader(YEF_UP)->stages.size());
}

TEST_F(EnvironmentTest, DrawsSixFacesWithTheCameraRotationOnly)
{
    makeFolders();
    YMatrix turn, move;
    turn.makeRotationAxis(YVec3(0.3f, -0.5f, 0.8f), 37.0f);
    move.makeTranslation(YVec3(4.0f, -7.0f, 30.0f));
    gCamera().setTransform(move * turn);
    environment->load("dusk");
    render->calls.clear();
    environment->draw();

    ASSERT_FALSE(render->calls.empty());
    EXPECT_EQ(1u, render->callsStartingWith("world ").size());
    ASSERT_EQ(0u, render->calls[0].rfind("world ", 0));
    std::vector<float> world = numbersAfter(render->calls[0], "world ");
    ASSERT_EQ(16u, world.size());
    YMatrix expected = (move * turn).rotationPart();
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(expected[i], world[i], 1e-5f) << i;
    EXPECT_FLOAT_EQ(0.0f, world[12]);
    EXPECT_FLOAT_EQ(0.0f, world[14]);

    std::vector<std::string> shaders = render->callsStartingWith("shader ");
    EXPECT_EQ((std::vector<std::string>{"shader env_front", "shader env_back", "shader env_right", "shader env_left",
                                        "shader env_down", "shader env_up"}),
              shaders);
    // Each face's shader comes before its quad, with the material.
    size_t shaderAt = 0;
    int quads = 0;
    for (size_t i = 0; i < render->calls.size(); ++i) {
        if (render->calls[i].rfind("shader ", 0) == 0)
            shaderAt = i;
        if (render->calls[i].rfind("quadUV2 ", 0) == 0) {
            EXPECT_GT(i, shaderAt);
            ++quads;
        }
    }
    EXPECT_EQ(6, quads);
    // The faces share one material, so the renderer sends it once.
    EXPECT_EQ(1u, render->callsStartingWith("material ").size());
}

TEST_F(EnvironmentTest, QuadsAreTheTurnedCubeWithInsetCoordinatesMatchingTheFaceTable)
{
    makeFolders();
    environment->load("dusk");
    render->calls.clear();
    environment->draw();
    std::vector<std::string> lines = render->callsStartingWith("quadUV2 ");
    ASSERT_EQ(6u, lines.size());

    // Centre directions of front, back, right, left, down, up in the world
    // (z up): the front lies across the table.
    const YVec3 centres[6] = {{0, 1, 0}, {0, -1, 0}, {1, 0, 0}, {-1, 0, 0}, {0, 0, -1}, {0, 0, 1}};
    std::set<std::vector<int>> corners;
    YMatrix turn;
    turn.makeRotationX(90.0f);
    for (int f = 0; f < 6; ++f) {
        std::vector<float> v = numbersAfter(lines[f], "quadUV2 ");
        ASSERT_EQ(28u, v.size());
        YVec3 sum;
        for (int k = 0; k < 4; ++k) {
            const float* q = &v[k * 7];
            YVec3 p(q[0], q[1], q[2]);
            for (int i = 0; i < 3; ++i)
                EXPECT_FLOAT_EQ(1.0f, std::fabs(p[i])) << "face " << f << " vertex " << k;
            corners.insert({int(p.x), int(p.y), int(p.z)});
            sum = sum + p;
            // Both coordinate pairs alike, inset from the picture's edges.
            EXPECT_EQ(q[3], q[5]);
            EXPECT_EQ(q[4], q[6]);
            EXPECT_FLOAT_EQ(k == 0 || k == 3 ? 0.001f : 0.999f, q[3]);
            EXPECT_FLOAT_EQ(k < 2 ? 0.001f : 0.999f, q[4]);
            // The generator paints the texel at (u, v) from this position.
            YVec3 painted = environmentFaceDirection(f, q[3], q[4]);
            EXPECT_NEAR(0.0f, (painted - p).length(), 1e-5f);
            // The same corner turned by the matrix builder: the exact turn
            // agrees with the rotation about X.
            const YEnvironmentFaceFrame& frame = ENVIRONMENT_FACES[f];
            float s = k == 0 || k == 3 ? -1.0f : 1.0f, t = k < 2 ? -1.0f : 1.0f;
            YVec3 own(frame.centre[0] + s * frame.right[0] + t * frame.down[0],
                      frame.centre[1] + s * frame.right[1] + t * frame.down[1],
                      frame.centre[2] + s * frame.right[2] + t * frame.down[2]);
            EXPECT_NEAR(0.0f, (turn.transformPoint(own) - p).length(), 1e-5f);
        }
        YVec3 centre = sum * 0.25f;
        EXPECT_NEAR(0.0f, (centre - centres[f]).length(), 1e-6f) << "face " << f;

        // Seen from inside, every picture is upright and unmirrored: u runs
        // to the viewer's right, v downwards, the same turn on all faces.
        YVec3 p0(v[0], v[1], v[2]), p1(v[7], v[8], v[9]), p3(v[21], v[22], v[23]);
        YVec3 right = p1 - p0, down = p3 - p0;
        EXPECT_GT(cross(right, down).dot(centre), 0.0f) << "face " << f;
        if (f < 4) {
            EXPECT_FLOAT_EQ(1.0f, p0.z) << "top row of a side face is up";
            EXPECT_FLOAT_EQ(-1.0f, p3.z);
        }
    }
    EXPECT_EQ(8u, corners.size());
    // The top rows of the up and down faces meet the back and the front.
    EXPECT_FLOAT_EQ(-1.0f, numbersAfter(lines[YEF_UP], "quadUV2 ")[1]);
    EXPECT_FLOAT_EQ(1.0f, numbersAfter(lines[YEF_DOWN], "quadUV2 ")[1]);
}
