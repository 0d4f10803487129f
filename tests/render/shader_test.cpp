#include "render/shader.h"

#include "render/recording_render.h"
#include "render/resource.h"
#include "tests/common/test_util.h"
#include "tests/render/render_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

namespace {

// (u, v, 1) through rows 0, 1 and 2 of a texture matrix.
YVec2 transformUV(const YMatrix& m, float u, float v)
{
    return YVec2(u * m[0] + v * m[4] + m[8], u * m[1] + v * m[5] + m[9]);
}

bool allFinite(const YMatrix& m)
{
    return std::all_of(m.m, m.m + 16, [](float f) { return std::isfinite(f); });
}

// Shader files written and loaded by the test, on the recording renderer.
class ShaderTest : public rendertest::RecordingRenderTest {
protected:
    void load(const std::string& file, const std::string& text)
    {
        testutil::writeText(file, text);
        loadShaders(file.c_str());
    }

    YShader* shader(const char* name)
    {
        YShader* s = findShader(name);
        EXPECT_NE(nullptr, s) << name;
        return s;
    }
};

class ShaderRenderTest : public ShaderTest {};

} // namespace

// ---------------------------------------------------------------------------
// Registry and files

TEST_F(ShaderTest, ShaderAskedForEarlyIsFilledInPlaceByALaterFile)
{
    YShader* early = getShader("ball");
    EXPECT_EQ(early, getShader("ball"));
    EXPECT_EQ(nullptr, findShader("Ball")); // names compare byte for byte
    EXPECT_FALSE(early->isAlphaBlended());
    EXPECT_TRUE(early->stages.empty());

    load("data\\shaders.yml", "<shader name=\"ball\">\n"
                              "  <blend src=\"srcalpha\" dest=\"invsrcalpha\"/>\n"
                              "  <map texture=\"textures\\ball.png\"/>\n"
                              "</shader>\n");
    EXPECT_TRUE(logHas("Parse shaders from file, data\\shaders.yml"));
    EXPECT_EQ(1u, gShaders().size());
    ASSERT_EQ(early, findShader("ball"));
    EXPECT_TRUE(early->isAlphaBlended());
    EXPECT_EQ(5u, early->renderStates[YRS_SRCBLEND]);
    EXPECT_EQ(6u, early->renderStates[YRS_DESTBLEND]);
    ASSERT_EQ(1u, early->stages.size());
    EXPECT_EQ(getTexture("textures\\ball.png"), early->stages[0]->texture);
    EXPECT_EQ(1u, render->callsStartingWith("load textures\\ball.png").size()); // as the file was read
}

TEST_F(ShaderTest, RedefinitionDropsOldStagesButKeepsTheMaterialOfAShaderWithout)
{
    load("a.yml", "<shader name=\"staged\"><material diffuse=\"ff0000\" power=\"5\"/><lighting/>"
                  "<map texture=\"t\\a.png\"><mod_scroll x=\"1\"/></map><map/></shader>"
                  "<shader name=\"bare\"><material diffuse=\"00ff00\" power=\"3\"/><lighting/>"
                  "<state cull=\"none\"/></shader>");
    YShader* staged = shader("staged");
    YShader* bare = shader("bare");
    ASSERT_EQ(2u, staged->stages.size());

    load("b.yml", "<shader name=\"staged\"><map/></shader><shader name=\"bare\"></shader>");
    EXPECT_EQ(staged, findShader("staged"));
    ASSERT_EQ(1u, staged->stages.size());
    EXPECT_EQ(nullptr, staged->stages[0]->texture);
    EXPECT_TRUE(staged->stages[0]->mods.empty());
    EXPECT_FLOAT_EQ(0.0f, staged->material.diffuse.x);
    EXPECT_FLOAT_EQ(0.0f, staged->material.power);
    EXPECT_FALSE(staged->lighting);

    EXPECT_FLOAT_EQ(1.0f, bare->material.diffuse.y);
    EXPECT_FLOAT_EQ(3.0f, bare->material.power);
    EXPECT_TRUE(bare->lighting);
    EXPECT_EQ(2u, bare->renderStates[YRS_CULLMODE]); // states start from the defaults again
}

TEST_F(ShaderTest, InheritanceCopiesStatesMaterialAndStagesButNoAnimators)
{
    load("inherit.yml",
         "<shader name=\"base\"><blend src=\"srcalpha\" dest=\"one\"/><material emissive=\"00ff00\" power=\"2\"/>"
         "<lighting/><map texture=\"t\\base.png\" wrap_x=\"clamp\"><filter min=\"linear\"/><mod_rotate angle=\"90\"/>"
         "</map></shader>\n"
         "<shader name=\"child\" inherited=\"base\"><map texture=\"t\\extra.png\"/></shader>");
    YShader* base = shader("base");
    YShader* child = shader("child");
    updateShaders(1.0f);
    ASSERT_EQ(2u, child->stages.size());
    EXPECT_TRUE(std::equal(base->renderStates.values, base->renderStates.values + YRS_COUNT,
                           child->renderStates.values));
    EXPECT_TRUE(base->material == child->material);
    EXPECT_TRUE(child->lighting);

    YShaderStage* copied = child->stages[0];
    EXPECT_NE(base->stages[0], copied);
    EXPECT_EQ(base->stages[0]->texture, copied->texture);
    EXPECT_TRUE(std::equal(copied->states, copied->states + YSS_COUNT, base->stages[0]->states));
    EXPECT_TRUE(copied->mods.empty());
    EXPECT_TRUE(copied->identity);
    EXPECT_FALSE(base->stages[0]->identity);
    EXPECT_EQ(getTexture("t\\extra.png"), child->stages[1]->texture);
}

TEST_F(ShaderTest, MissingOrSelfInheritanceIsReportedAndGivesDefaultStates)
{
    load("first.yml", "<shader name=\"orphan\"><state cull=\"none\"/></shader>"
                      "<shader name=\"self\"><state cull=\"none\"/><lighting/></shader>"
                      "<shader name=\"selfstaged\"><map/><map/></shader>");
    load("second.yml", "<shader name=\"orphan\" inherited=\"nobody\"/>\n"
                       "<shader name=\"self\" inherited=\"self\"/>\n"
                       "<shader name=\"selfstaged\" inherited=\"selfstaged\"><map/></shader>");
    EXPECT_TRUE(logHas("Shader parser error, Super shader don't find., file: second.yml, line: 0\n"));
    EXPECT_TRUE(logHas("Shader parser error, Shader can't inherit from itself., file: second.yml, line: 1\n"));
    EXPECT_TRUE(logHas("Shader parser error, Shader can't inherit from itself., file: second.yml, line: 2\n"));
    EXPECT_EQ(2u, shader("orphan")->renderStates[YRS_CULLMODE]);
    EXPECT_EQ(2u, shader("self")->renderStates[YRS_CULLMODE]);
    EXPECT_TRUE(shader("self")->lighting); // no stages: the rest of the old definition stays
    EXPECT_EQ(1u, shader("selfstaged")->stages.size());
}

TEST_F(ShaderTest, BadWordsKeepThePreviousValueAndAreLogged)
{
    load("words.yml", "<shader name=\"w\">\n"
                      "<blend src=\"srcalpha\" color=\"ff0000ff\"/>\n"
                      "<blend src=\"bogus\" dest=\"one\" color=\"00ff0000\"/>\n"
                      "<blend src=\"SrcAlpha\" dest=\"destcolor\" color=\"12\"/>\n"
                      "<state cull=\"CW\" zfunc=\"greater\"/>\n"
                      "<map><colorblend op=\"subtract\" arg1=\"diffuse\"/></map>\n"
                      "</shader>\n");
    YShader* w = shader("w");
    EXPECT_EQ(5u, w->renderStates[YRS_SRCBLEND]);
    EXPECT_EQ(9u, w->renderStates[YRS_DESTBLEND]);
    EXPECT_EQ(0x0000FF00u, w->renderStates[YRS_TEXTUREFACTOR]); // bad colour: previous kept
    EXPECT_EQ(2u, w->renderStates[YRS_CULLMODE]);
    EXPECT_EQ(5u, w->renderStates[YRS_ZFUNC]);
    ASSERT_EQ(1u, w->stages.size());
    EXPECT_EQ(1u, w->stages[0]->states[YSS_COLOROP]);
    EXPECT_EQ(0u, w->stages[0]->states[YSS_COLORARG1]);

    EXPECT_TRUE(logHas("Shader parser, error value \"bogus\", file: words.yml, line: 2\n"));
    EXPECT_TRUE(logHas("Shader parser, error value \"SrcAlpha\", file: words.yml, line: 3\n"));
    EXPECT_TRUE(logHas("Shader parser error, Error color format., file: words.yml, line: 3\n"));
    EXPECT_TRUE(logHas("Shader parser, error value \"CW\", file: words.yml, line: 4\n"));
    EXPECT_TRUE(logHas("Shader parser, error value \"subtract\", file: words.yml, line: 5\n"));
}

TEST_F(ShaderTest, WordTablesAreExactAndPerState)
{
    struct Row {
        bool render;
        int state;
        const char* word;
        uint32_t value;
    };
    const Row rows[] = {
        {true, YRS_ALPHABLENDENABLE, "true", 1},   {true, YRS_STENCILENABLE, "false", 0},
        {true, YRS_ZWRITEENABLE, "1", YSTATE_UNKNOWN}, {true, YRS_SRCBLEND, "zero", 1},
        {true, YRS_DESTBLEND, "scrcolor", 3},       {true, YRS_DESTBLEND, "srccolor", YSTATE_UNKNOWN},
        {true, YRS_SRCBLEND, "srcalphasat", 11},    {true, YRS_ZFUNC, "never", 1},
        {true, YRS_STENCILFUNC, "always", 8},       {true, YRS_ZFUNC, "keep", YSTATE_UNKNOWN},
        {true, YRS_CULLMODE, "none", 1},            {true, YRS_CULLMODE, "cww", 3},
        {true, YRS_CULLMODE, "ccw", YSTATE_UNKNOWN}, {true, YRS_STENCILFAIL, "zero", 2},
        {true, YRS_STENCILPASS, "decr", 8},         {true, YRS_TEXTUREFACTOR, "ffffff", YSTATE_UNKNOWN},
        {true, YRS_STENCILREF, "0", YSTATE_UNKNOWN}, {true, YRS_STENCILMASK, "true", YSTATE_UNKNOWN},
        {true, YRS_STENCILWRITEMASK, "keep", YSTATE_UNKNOWN},
        {false, YSS_COLOROP, "disable", 1},         {false, YSS_ALPHAOP, "substract", 10},
        {false, YSS_COLOROP, "modulateinvcolor_addalpha", 21}, {false, YSS_COLOROP, "dotproduct3", 24},
        {false, YSS_ALPHAOP, "lerp", 26},           {false, YSS_COLOROP, "Modulate", YSTATE_UNKNOWN},
        {false, YSS_COLORARG1, "diffuse", 0},       {false, YSS_ALPHAARG2, "color", 3},
        {false, YSS_COLORARG2, "selectmask", 15},   {false, YSS_ALPHAARG1, "tfactor", YSTATE_UNKNOWN},
        {false, YSS_MAGFILTER, "none", 0},          {false, YSS_MIPFILTER, "gaussiancubic", 5},
        {false, YSS_MINFILTER, "repeat", YSTATE_UNKNOWN}, {false, YSS_ADDRESSU, "repeat", 1},
        {false, YSS_ADDRESSV, "mirroronce", 5},     {false, YSS_ADDRESSU, "wrap", YSTATE_UNKNOWN},
        {false, YSS_ADDRESSV, "", YSTATE_UNKNOWN},
    };
    for (const Row& r : rows) {
        uint32_t got = r.render ? render->parseRenderStateValue(static_cast<YRenderState>(r.state), r.word)
                                : render->parseStageStateValue(static_cast<YStageState>(r.state), r.word);
        EXPECT_EQ(r.value, got) << (r.render ? "render " : "stage ") << r.state << " \"" << r.word << "\"";
    }
}

TEST_F(ShaderTest, FilterAttributesCrossAndStagesWithoutTextureStillApply)
{
    load("filter.yml", "<shader name=\"f\"><map wrap_x=\"clamp\" wrap_y=\"mirroronce\"><filter min=\"linear\"/></map>"
                       "<map texture=\"\"><filter mag=\"anisotropic\" mip=\"linear\"/></map></shader>");
    YShader* f = shader("f");
    ASSERT_EQ(2u, f->stages.size());
    const uint32_t* s0 = f->stages[0]->states;
    EXPECT_EQ(2u, s0[YSS_MAGFILTER]);
    EXPECT_EQ(1u, s0[YSS_MINFILTER]);
    EXPECT_EQ(0u, s0[YSS_MIPFILTER]);
    EXPECT_EQ(3u, s0[YSS_ADDRESSU]);
    EXPECT_EQ(5u, s0[YSS_ADDRESSV]);
    const uint32_t* s1 = f->stages[1]->states;
    EXPECT_EQ(1u, s1[YSS_MAGFILTER]);
    EXPECT_EQ(3u, s1[YSS_MINFILTER]);
    EXPECT_EQ(2u, s1[YSS_MIPFILTER]);

    render->beginFrame(false);
    render->calls.clear();
    render->setShader(f, true);
    EXPECT_TRUE(render->callsStartingWith("texture").empty());
    const std::vector<std::string> expected = {"stage 0 6 2", "stage 0 9 3", "stage 0 10 5", "stage 1 7 3",
                                               "stage 1 8 2"};
    EXPECT_EQ(expected, render->callsStartingWith("stage"));
}

TEST_F(ShaderTest, MaterialMaterialColorAndLighting)
{
    load("mat.yml", "<shader name=\"m\"><material diffuse=\"ff0000\" ambient=\"00ff00\" power=\"12.5f\"/>"
                    "<lighting enable=\"1\"/><materialcolor color=\"ff000080\"/></shader>"
                    "<shader name=\"full\"><material diffuse=\"ff0000\" specular=\"0000ff\" power=\"12.5f\"/>"
                    "<material diffuse=\"00ff00\" emissive=\"zz\" power=\"1\"/><lighting enable=\"7\"/></shader>"
                    "<shader name=\"off\"><lighting/><lighting enable=\"0\"/></shader>");
    YVec4 c;
    c.parseColor("ff000080");
    const YMaterial& m = shader("m")->material;
    EXPECT_FLOAT_EQ(0.0f, m.diffuse.x);
    EXPECT_FLOAT_EQ(c.w, m.diffuse.w);
    EXPECT_FLOAT_EQ(0.0f, m.ambient.y);
    EXPECT_FLOAT_EQ(1.0f, m.ambient.w);
    EXPECT_FLOAT_EQ(0.0f, m.specular.z);
    EXPECT_FLOAT_EQ(1.0f, m.emissive.x);
    EXPECT_FLOAT_EQ(c.w, m.emissive.w);
    EXPECT_FLOAT_EQ(0.0f, m.power);
    EXPECT_FALSE(shader("m")->lighting);

    // A material with a bad colour is dropped whole; the earlier one stays.
    const YMaterial& full = shader("full")->material;
    EXPECT_FLOAT_EQ(1.0f, full.diffuse.x);
    EXPECT_FLOAT_EQ(1.0f, full.specular.z);
    EXPECT_FLOAT_EQ(12.5f, full.power);
    EXPECT_TRUE(logHas("Shader parser error, Error color format., file: mat.yml"));
    EXPECT_TRUE(shader("full")->lighting);
    EXPECT_FALSE(shader("off")->lighting);
}

TEST_F(ShaderTest, StencilReferenceAndMasksAreHexadecimal)
{
    load("stencil.yml", "<shader name=\"s\"><stencil enable=\"true\" func=\"equal\" pass=\"replace\" ref=\"ff\" "
                        "mask=\"0\"/></shader><shader name=\"t\"><stencil ref=\"80\" writemask=\"0000ff00\"/></shader>");
    const YRenderStates& s = shader("s")->renderStates;
    EXPECT_EQ(1u, s[YRS_STENCILENABLE]);
    EXPECT_EQ(3u, s[YRS_STENCILFUNC]);
    EXPECT_EQ(3u, s[YRS_STENCILPASS]);
    EXPECT_EQ(1u, s[YRS_STENCILFAIL]);
    EXPECT_EQ(255u, s[YRS_STENCILREF]);
    EXPECT_EQ(0u, s[YRS_STENCILMASK]);
    EXPECT_EQ(0xFFFFFFFFu, s[YRS_STENCILWRITEMASK]);
    const YRenderStates& t = shader("t")->renderStates;
    EXPECT_EQ(0u, t[YRS_STENCILENABLE]);
    EXPECT_EQ(0x80u, t[YRS_STENCILREF]);
    EXPECT_EQ(0xFFFFFFFFu, t[YRS_STENCILMASK]);
    EXPECT_EQ(0xFF00u, t[YRS_STENCILWRITEMASK]);
}

TEST_F(ShaderTest, TagsOutsideTheirParentAreReportedAndIgnored)
{
    struct Row {
        const char* text;
        const char* message;
    };
    const Row rows[] = {
        {"<blend src=\"srcalpha\"/>", "Tag <blend> outside <shader>."},
        {"<map texture=\"t\\x.png\"/>", "Tag <map> outside <shader>."},
        {"<material diffuse=\"ff0000\"/>", "Tag <material> outside <shader>."},
        {"<materialcolor/>", "Tag <materialcolor> outside <shader>."},
        {"<lighting/>", "Tag <lighting> outside <shader>."},
        {"<state cull=\"none\"/>", "Tag <state> outside <shader>."},
        {"<stencil enable=\"true\"/>", "Tag <stencil> outside <shader>."},
        {"<shader name=\"o\"><colorblend op=\"add\"/></shader>", "Tag <colorblend> outside <map>."},
        {"<shader name=\"o\"><alphablend op=\"add\"/></shader>", "Tag <alphablend> outside <map>."},
        {"<shader name=\"o\"><filter min=\"linear\"/></shader>", "Tag <filter> outside <map>."},
        {"<mod_rotate/>", "Tag <mod_rotate> outside <map>."},
        {"<shader name=\"o\"><mod_scroll x=\"1\"/></shader>", "Tag <mod_scroll> outside <map>."},
        {"<shader name=\"o\"><mod_pulse/></shader>", "Tag <mod_pulse> outside <map>."},
        {"</shader>", "Expected <shader>."},
        {"<shader name=\"o\"></map></shader>", "Expected <map>."},
        {"<shader name=\"o\"><shader name=\"o\"></shader>", "Expected </shader>."},
    };
    int n = 0;
    for (const Row& r : rows) {
        std::string file = "outside" + std::to_string(n++) + ".yml";
        load(file, r.text);
        EXPECT_TRUE(logHas(std::string("Shader parser error, ") + r.message + ", file: " + file + ", line: 0\n"))
            << r.text;
    }
    EXPECT_EQ(1u, gShaders().size()); // only "o"
    YShader* o = shader("o");
    EXPECT_TRUE(o->stages.empty());
    EXPECT_FALSE(o->lighting);
    EXPECT_TRUE(std::equal(o->renderStates.values, o->renderStates.values + YRS_COUNT, gDefaultRenderStates));
    EXPECT_TRUE(render->callsStartingWith("load").empty());

    load("twomaps.yml", "<shader name=\"two\"><map><map></map></shader>");
    EXPECT_TRUE(logHas("Shader parser error, Expected </map>., file: twomaps.yml"));
    EXPECT_EQ(2u, shader("two")->stages.size());
}

TEST_F(ShaderTest, AMissingMapEndDoesNotLeakIntoTheNextShader)
{
    load("open.yml", "<shader name=\"first\"><map texture=\"t\\a.png\"></shader>\n"
                     "<shader name=\"second\"><filter min=\"linear\"/><mod_scroll x=\"1\"/></shader>\n");
    YShader* first = shader("first");
    ASSERT_EQ(1u, first->stages.size());
    EXPECT_EQ(1u, first->stages[0]->states[YSS_MAGFILTER]);
    EXPECT_TRUE(first->stages[0]->mods.empty());
    EXPECT_TRUE(shader("second")->stages.empty());
    EXPECT_TRUE(logHas("Shader parser error, Expected </map>., file: open.yml, line: 0\n"));
    EXPECT_TRUE(logHas("Shader parser error, Tag <filter> outside <map>., file: open.yml, line: 1\n"));

    // Redefining the open shader frees its stage: a later tag must not
    // reach it.
    load("again.yml", "<shader name=\"again\"><map>\n<shader name=\"again\"><filter min=\"linear\"/></shader>");
    EXPECT_TRUE(logHas("Shader parser error, Expected </shader>., file: again.yml, line: 1\n"));
    EXPECT_TRUE(logHas("Shader parser error, Tag <filter> outside <map>., file: again.yml, line: 1\n"));
    EXPECT_TRUE(shader("again")->stages.empty());
}

TEST_F(ShaderTest, LoadingWithoutARendererReadsNothing)
{
    render.reset();
    load("early.yml", "<shader name=\"ghost\"/>");
    EXPECT_TRUE(logHas("Shader parser error, render must be created.\n"));
    EXPECT_FALSE(logHas("Parse shaders from file, early.yml"));
    EXPECT_EQ(nullptr, findShader("ghost"));

    // Shaders made before the renderer still start from the default states.
    YShader* s = getShader("made early");
    EXPECT_TRUE(std::equal(s->renderStates.values, s->renderStates.values + YRS_COUNT, gDefaultRenderStates));
}

TEST_F(ShaderTest, CloneCopiesStagesWithoutAnimatorsAndOutlivesTheOriginal)
{
    load("clone.yml", "<shader name=\"orig\"><blend src=\"srcalpha\"/><materialcolor color=\"00ff00\"/>"
                      "<map texture=\"t\\c.png\"><colorblend op=\"add\"/><mod_scroll x=\"0.5\"/></map></shader>");
    YShader* orig = shader("orig");
    updateShaders(1.0f);
    YShader* copy = orig->clone("copy");
    EXPECT_EQ(copy, findShader("copy"));
    EXPECT_EQ("copy", copy->name);
    EXPECT_TRUE(std::equal(orig->renderStates.values, orig->renderStates.values + YRS_COUNT,
                           copy->renderStates.values));
    EXPECT_TRUE(orig->material == copy->material);
    ASSERT_EQ(1u, copy->stages.size());
    YShaderStage* stage = copy->stages[0];
    EXPECT_NE(orig->stages[0], stage);
    EXPECT_EQ(orig->stages[0]->texture, stage->texture);
    EXPECT_EQ(7u, stage->states[YSS_COLOROP]);
    EXPECT_TRUE(stage->mods.empty());
    EXPECT_TRUE(stage->identity);
    EXPECT_TRUE(stage->matrix == YMatrix());

    // Deleting a shader takes it off the registry and off the renderer.
    render->setShader(orig, true);
    delete orig;
    EXPECT_EQ(nullptr, render->currentShader());
    EXPECT_EQ(nullptr, findShader("orig"));
    ASSERT_EQ(1u, gShaders().size());
    EXPECT_EQ(copy, gShaders()[0]);
    EXPECT_EQ(7u, copy->stages[0]->states[YSS_COLOROP]);

    copy->reset();
    EXPECT_TRUE(copy->stages.empty());
    EXPECT_FALSE(copy->isAlphaBlended());
    EXPECT_FLOAT_EQ(0.0f, copy->material.emissive.y);
}

// ---------------------------------------------------------------------------
// Animators

TEST_F(ShaderTest, ScrollWrapsEachOffset)
{
    YShaderStage stage;
    stage.mods.push_back(new YModScroll(0.5f, -0.75f));
    const float u[] = {0.5f, 1.0f, 0.5f, 1.0f};
    const float v[] = {-0.75f, -0.5f, -0.25f, -1.0f};
    for (int i = 0; i < 4; ++i) {
        stage.update(1.0f);
        EXPECT_FLOAT_EQ(u[i], stage.matrix[8]) << i;
        EXPECT_FLOAT_EQ(v[i], stage.matrix[9]) << i;
        EXPECT_FALSE(stage.identity);
    }
    EXPECT_FLOAT_EQ(1.0f, stage.matrix[0]);
    EXPECT_FLOAT_EQ(0.0f, stage.matrix[12]); // not the 3D translation row
}

TEST_F(ShaderTest, RotationKeepsTheCentreAndWrapsTheAngle)
{
    YModRotate rotate(90.0f);
    YMatrix m;
    rotate.apply(1.0f, m);
    YVec2 corner = transformUV(m, 0, 0);
    EXPECT_NEAR(1.0f, corner.x, 1e-6f);
    EXPECT_NEAR(0.0f, corner.y, 1e-6f);

    YModRotate slow(100.0f);
    const float angles[] = {100, -160, -60, 40, 140, -120};
    for (float expected : angles) {
        YMatrix r;
        slow.apply(1.0f, r);
        EXPECT_FLOAT_EQ(expected, slow.angle);
        YVec2 centre = transformUV(r, 0.5f, 0.5f);
        EXPECT_NEAR(0.5f, centre.x, 1e-6f);
        EXPECT_NEAR(0.5f, centre.y, 1e-6f);
    }
}

TEST_F(ShaderTest, PulseScalesAboutTheCentreAndStaysFiniteAtZero)
{
    struct Row {
        float vel, min, max, k;
    };
    // After one second: phase 90 (sin 1), 180 (sin 0), 270 -> -90 (sin -1).
    const Row rows[] = {{90, 0.5f, 1.0f, 1.0f}, {180, 0.5f, 1.0f, 1.0f / 0.75f}, {270, 0.5f, 1.0f, 2.0f}};
    for (const Row& r : rows) {
        YModPulse pulse(r.vel, r.min, r.max);
        YMatrix m;
        pulse.apply(1.0f, m);
        EXPECT_NEAR(r.k, m[0], 1e-5f) << r.vel;
        EXPECT_NEAR(r.k, m[5], 1e-5f) << r.vel;
        YVec2 centre = transformUV(m, 0.5f, 0.5f);
        EXPECT_NEAR(0.5f, centre.x, 1e-5f);
        EXPECT_NEAR(0.5f, centre.y, 1e-5f);
    }
    YModPulse trough(270.0f, 0.0f, 1.0f); // min 0: the trough would divide by zero
    YMatrix m;
    trough.apply(1.0f, m);
    EXPECT_FLOAT_EQ(-90.0f, trough.phase);
    EXPECT_TRUE(allFinite(m));
    EXPECT_GT(m[0], 1.0f);
}

TEST_F(ShaderTest, AnimatorsComposeInListOrderAndHugeStepsStayFinite)
{
    YShaderStage stage;
    stage.mods.push_back(new YModRotate(90.0f));
    stage.mods.push_back(new YModScroll(0.25f, 0.0f));
    stage.update(1.0f);
    // The later animator acts first: scroll (0.25, 0), then rotate.
    YVec2 p = transformUV(stage.matrix, 0, 0);
    EXPECT_NEAR(1.0f, p.x, 1e-6f);
    EXPECT_NEAR(0.25f, p.y, 1e-6f);

    // A stage without animators keeps whatever matrix it was given.
    YShaderStage still;
    still.matrix[8] = 0.3f;
    still.identity = false;
    still.update(1.0f);
    EXPECT_FLOAT_EQ(0.3f, still.matrix[8]);
    EXPECT_FALSE(still.identity);

    YShaderStage wild;
    wild.mods.push_back(new YModRotate(1e30f));
    wild.mods.push_back(new YModScroll(INFINITY, 3.5f));
    wild.mods.push_back(new YModPulse(-1e30f, 0.0f, 0.0f));
    for (int i = 0; i < 3; ++i) {
        wild.update(1000.0f);
        EXPECT_TRUE(allFinite(wild.matrix));
    }
    EXPECT_LE(std::fabs(static_cast<YModRotate*>(wild.mods[0])->angle), 180.0f);
    EXPECT_LE(std::fabs(static_cast<YModScroll*>(wild.mods[1])->offsetV), 1.0f);
}

TEST_F(ShaderTest, AnimatorTagsAndUpdateShaders)
{
    load("anim.yml", "<shader name=\"a\"><map><mod_rotate/><mod_scroll x=\"0.5\" y=\"-inf\"/><mod_pulse/></map>"
                     "<map/></shader>");
    YShader* a = shader("a");
    ASSERT_EQ(2u, a->stages.size());
    const auto& mods = a->stages[0]->mods;
    ASSERT_EQ(3u, mods.size());
    auto* rotate = dynamic_cast<YModRotate*>(mods[0]);
    auto* scroll = dynamic_cast<YModScroll*>(mods[1]);
    auto* pulse = dynamic_cast<YModPulse*>(mods[2]);
    ASSERT_TRUE(rotate && scroll && pulse);
    EXPECT_FLOAT_EQ(360.0f, rotate->speed);
    EXPECT_FLOAT_EQ(0.5f, scroll->speedX);
    EXPECT_FLOAT_EQ(360.0f, pulse->vel);
    EXPECT_FLOAT_EQ(0.5f, pulse->min); // "0.5f": the trailing f is ignored
    EXPECT_FLOAT_EQ(1.0f, pulse->max);

    updateShaders(0.25f);
    EXPECT_FALSE(a->stages[0]->identity);
    EXPECT_TRUE(allFinite(a->stages[0]->matrix));
    EXPECT_TRUE(a->stages[1]->identity);

    render->beginFrame(false);
    render->calls.clear();
    render->setShader(a, false);
    // Only the animated stage sends a texture matrix, and not the "off" one.
    const std::vector<std::string> matrices = render->callsStartingWith("texmatrix");
    ASSERT_EQ(1u, matrices.size());
    EXPECT_EQ(0u, matrices[0].find("texmatrix 0 "));
    EXPECT_EQ(std::string::npos, matrices[0].find("off"));
}

// ---------------------------------------------------------------------------
// The renderer with real shaders

TEST_F(ShaderRenderTest, SameShaderSendsNothingUntilTheNextFrame)
{
    load("r.yml", "<shader name=\"r\"><blend src=\"srcalpha\" dest=\"invsrcalpha\"/><state zwrite=\"false\"/>"
                  "<material diffuse=\"ff0000\"/><map texture=\"t\\r.png\"><colorblend/></map></shader>");
    YShader* r = shader("r");
    render->beginFrame(false);
    render->calls.clear();
    render->setShader(r, true);
    const std::vector<std::string> first = render->calls;
    EXPECT_EQ("shader r", first.front());
    EXPECT_EQ(4u, render->callsStartingWith("state").size()); // alpha, src, dest, zwrite
    EXPECT_EQ(1u, render->callsStartingWith("texture 0 t\\r.png").size());
    EXPECT_EQ(1u, render->callsStartingWith("material").size());

    render->calls.clear();
    render->setShader(r, true);
    EXPECT_TRUE(render->calls.empty());

    render->beginFrame(false);
    render->calls.clear();
    render->setShader(r, true);
    EXPECT_EQ(first, render->calls);
}

TEST_F(ShaderRenderTest, StageCountIsClampedAndLoweringDisablesTheStagesAbove)
{
    std::string six = "<shader name=\"six\">";
    for (int i = 0; i < 6; ++i)
        six += "<map texture=\"t\\" + std::to_string(i) + ".png\"/>";
    load("stages.yml", six + "</shader><shader name=\"one\"><map texture=\"t\\0.png\"/></shader>");
    render->beginFrame(false);
    render->calls.clear();
    render->setShader(shader("six"), false);
    EXPECT_EQ(4u, render->stageCount());
    const std::vector<std::string> bound = {"texture 0 t\\0.png", "texture 1 t\\1.png", "texture 2 t\\2.png",
                                            "texture 3 t\\3.png"};
    EXPECT_EQ(bound, render->callsStartingWith("texture"));

    render->calls.clear();
    render->setShader(shader("one"), false);
    EXPECT_EQ(1u, render->stageCount());
    const std::vector<std::string> unbound = {"texture 1 null", "texture 2 null", "texture 3 null"};
    EXPECT_EQ(unbound, render->callsStartingWith("texture"));
    const std::vector<std::string> disabled = {"stage 1 0 1", "stage 1 3 1", "stage 2 0 1",
                                               "stage 2 3 1", "stage 3 0 1", "stage 3 3 1"};
    EXPECT_EQ(disabled, render->callsStartingWith("stage"));
}

TEST_F(ShaderRenderTest, SetTextureOutsideTheStagesDoesNothing)
{
    YTexture* t = getTexture("t\\x.png");
    render->calls.clear();
    for (int stage : {-1, 4, YMAX_STAGES, 100})
        render->setTexture(t, stage);
    render->setTexture(nullptr, 0);
    EXPECT_TRUE(render->calls.empty());
    render->setTexture(t, 3);
    render->setTexture(t, 3);
    const std::vector<std::string> expected = {"texture 3 t\\x.png"};
    EXPECT_EQ(expected, render->calls);
}

TEST_F(ShaderRenderTest, TexturesLoadWhenAskedForAndOnEveryRestoreNeverAtADraw)
{
    struct Step {
        const char* action;
        std::vector<std::string> calls; // loads and releases it makes
    };
    const Step steps[] = {
        {"get", {"load t\\m.png"}},
        {"draw", {}},
        {"get", {}}, // found in the cache
        {"restore", {"release t\\m.png", "load t\\m.png"}},
        {"invalidate", {"release t\\m.png"}},
        {"draw", {}}, // released stays released until restored
        {"get", {}},
        {"restore", {"load t\\m.png"}},
        {"draw", {}},
    };
    YTexture* t = nullptr;
    for (const Step& step : steps) {
        render->calls.clear();
        const std::string action = step.action;
        if (action == "get")
            t = getTexture("t\\m.png");
        else if (action == "restore")
            t->restore();
        else if (action == "invalidate")
            t->invalidate();
        else
            render->setTexture(t, 0);
        std::vector<std::string> calls;
        for (const std::string& c : render->calls)
            if (c.rfind("load ", 0) == 0 || c.rfind("release ", 0) == 0)
                calls.push_back(c);
        EXPECT_EQ(step.calls, calls) << action;
    }
}

TEST_F(ShaderRenderTest, PackColorTruncatesEachChannel)
{
    struct Row {
        float rgba[4];
        uint32_t packed;
    };
    const Row rows[] = {
        {{1, 0.5f, 0, 1}, 0xFFFF7F00u},
        {{0, 0, 0, 0}, 0u},
        {{1, 1, 1, 1}, 0xFFFFFFFFu},
        {{0, 0, 1, 0.5f}, 0x7F0000FFu},
    };
    for (const Row& r : rows)
        EXPECT_EQ(r.packed, render->packColor(r.rgba));
}

TEST_F(ShaderRenderTest, AFullStencilMaskIsNotSentAfterTheFrameReset)
{
    load("masks.yml", "<shader name=\"full\"><stencil enable=\"true\"/></shader>"
                      "<shader name=\"byte\"><stencil enable=\"true\" mask=\"ff\"/></shader>");
    render->beginFrame(false);
    render->calls.clear();
    render->setShader(shader("full"), false);
    const std::vector<std::string> enableOnly = {"state 8 1"};
    EXPECT_EQ(enableOnly, render->callsStartingWith("state"));

    render->beginFrame(false);
    render->calls.clear();
    render->setShader(shader("byte"), false);
    const std::vector<std::string> withMask = {"state 8 1", "state 14 255"};
    EXPECT_EQ(withMask, render->callsStartingWith("state"));
}
