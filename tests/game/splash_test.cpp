// The splash sequence: phase timing with the time carried over, skipping
// one screen or all of them, the end, and what one frame draws.
#include "game/splash.h"

#include "render/recording_render.h"
#include "render/resource.h"
#include "render/shader.h"
#include "tests/common/render_util.h"
#include "tests/common/test_util.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using testutil::numbers;

YSplash sequence(int screens)
{
    YSplash s;
    for (int i = 0; i < screens; ++i)
        s.addScreen(("pic" + std::to_string(i)).c_str(), "bg", 400, 300, YVec4(0.2f, 0.4f, 0.6f, 1));
    return s;
}

// Frames of 10 ms for that long.
void advance(YSplash& s, float seconds)
{
    for (int i = 0; i < static_cast<int>(seconds * 100.0f + 0.5f); ++i)
        s.update(0.01f);
}

// Runs frames of 50 ms until the sequence is over (or a limit): seconds.
float runToEnd(YSplash& s, float limit = 100.0f)
{
    float t = 0.0f;
    while (!s.over() && t < limit) {
        s.update(0.05f);
        t += 0.05f;
    }
    return t;
}

} // namespace

TEST(Splash, FadesInHoldsAndFadesOutCarryingTheTimeBetweenPhases)
{
    YSplash s = sequence(2);
    s.update(1.0f);
    EXPECT_EQ(YSplash::FADING_IN, s.phase);
    EXPECT_FLOAT_EQ(0.5f, s.alpha());
    s.update(1.5f); // 0.5 s into the hold
    EXPECT_EQ(YSplash::HOLDING, s.phase);
    EXPECT_FLOAT_EQ(0.5f, s.timer);
    EXPECT_FLOAT_EQ(1.0f, s.alpha());
    s.update(3.0f); // 0.5 s into the fade-out
    EXPECT_EQ(YSplash::FADING_OUT, s.phase);
    EXPECT_FLOAT_EQ(1.5f, s.timer);
    EXPECT_FLOAT_EQ(0.75f, s.alpha());
    s.update(2.0f); // 0.5 s into the next screen
    EXPECT_EQ(YSplash::FADING_IN, s.phase);
    EXPECT_EQ(1u, s.current);
    EXPECT_FLOAT_EQ(0.5f, s.timer);
    EXPECT_FALSE(s.over());

    // With default timings each screen lasts 2 + 3 + 2 seconds.
    YSplash one = sequence(1);
    EXPECT_NEAR(7.0f, runToEnd(one), 0.06f);
    YSplash two = sequence(2);
    EXPECT_NEAR(14.0f, runToEnd(two), 0.06f);
    // With no screen the sequence is over before it starts.
    YSplash none = sequence(0);
    EXPECT_TRUE(none.over());
    EXPECT_FALSE(none.draw());
    clearShaders();
}

TEST(Splash, SkipFadesTheScreenOutAndSkipAllEndsEveryScreen)
{
    struct Case {
        const char* what;
        float before; // seconds shown before the skip
        bool all;
        int screens;
        float fadeOut; // seconds until the screen is gone
        uint32_t next; // the screen after it
    };
    const Case cases[] = {
        {"key in the fade-in at alpha 0.5", 1.0f, false, 2, 1.0f, 1},
        {"key in the hold: a full fade-out", 3.0f, false, 2, 2.0f, 1},
        {"key in the fade-out changes nothing", 6.0f, false, 2, 1.0f, 1},
        {"Escape in the hold ends the sequence", 3.0f, true, 2, 2.0f, 2},
        {"Escape ends more than 100 screens", 3.0f, true, 150, 2.0f, 150},
        {"Escape at the very start", 0.05f, true, 3, 0.05f, 3},
    };
    for (const Case& c : cases) {
        YSplash s = sequence(c.screens);
        advance(s, c.before);
        const float alpha = s.alpha();
        if (c.all)
            s.skipAll();
        else
            s.skip();
        EXPECT_EQ(YSplash::FADING_OUT, s.phase) << c.what;
        if (c.before < 2.0f) {
            EXPECT_FLOAT_EQ(alpha, s.alpha()) << c.what << ": the fade-out starts where the fade-in was";
        }
        float t = 0.0f;
        while (s.current == 0 && t < 10.0f) {
            s.update(0.01f);
            t += 0.01f;
        }
        EXPECT_NEAR(c.fadeOut, t, 0.015f) << c.what;
        EXPECT_EQ(c.next, s.current) << c.what;
        EXPECT_EQ(c.next == static_cast<uint32_t>(c.screens), s.over()) << c.what;
    }
    clearShaders();
}

TEST(Splash, DrawsTheBackgroundAndThePictureFadedByTheirColours)
{
    YRecordingRender render;
    YSplash s = sequence(1); // a 400 x 300 picture
    // The shaders may be emptied and made again between frames (tests do):
    // the sequence finds them by name each time.
    clearShaders();
    s.update(1.0f); // alpha 0.5
    ASSERT_TRUE(s.draw());

    // Background over the whole screen, its colour times alpha on all four
    // channels; the picture in the middle in (a, a, a, 1); the material's
    // emissive colour is the quad's colour.
    EXPECT_EQ((std::vector<std::string>{"shader bg", "shader pic0"}), render.callsStartingWith("shader"));
    const std::vector<std::string> materials = render.callsStartingWith("material");
    const std::vector<std::string> quads = render.callsStartingWith("quadUV2");
    ASSERT_EQ(2u, materials.size());
    ASSERT_EQ(2u, quads.size());
    const std::vector<float> colours[2] = {numbers(materials[0]), numbers(materials[1])};
    const float wanted[2][4] = {{0.1f, 0.2f, 0.3f, 0.5f}, {0.5f, 0.5f, 0.5f, 1.0f}};
    // Corners in clip space (y down) and texture coordinates inset by 0.001.
    const float half[2] = {1.0f, 0.5f};
    const float corners[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
    for (int q = 0; q < 2; ++q) {
        const std::vector<float> v = numbers(quads[q]);
        ASSERT_EQ(28u, v.size());
        for (int i = 0; i < 4; ++i)
            EXPECT_NEAR(wanted[q][i], colours[q][12 + i], 1e-4f) << q;
        for (int k = 0; k < 4; ++k) {
            EXPECT_FLOAT_EQ(corners[k][0] * half[q], v[k * 7]) << q << k;
            EXPECT_FLOAT_EQ(corners[k][1] * half[q], v[k * 7 + 1]) << q << k;
            EXPECT_FLOAT_EQ(corners[k][0] < 0 ? 0.001f : 0.999f, v[k * 7 + 3]) << q << k;
            EXPECT_FLOAT_EQ(corners[k][1] < 0 ? 0.001f : 0.999f, v[k * 7 + 4]) << q << k;
        }
    }
    clearShaders();
}

// The splash files are made to be edited: a picture may be the one another
// shader draws (the menu's logo). The end of the sequence leaves every
// texture on the device and reads nothing again.
TEST(Splash, AtTheEndAPictureSharedWithAnotherShaderStillDraws)
{
    YRecordingRender render;
    testutil::writeText("splash.yml", "<shader name=\"bg\"><map texture=\"s\\bg.png\"/></shader>"
                                      "<shader name=\"pic0\"><map texture=\"s\\logo.png\"/></shader>");
    testutil::writeText("menu.yml", "<shader name=\"logo\"><map texture=\"s\\logo.png\"/></shader>");
    loadShaders("splash.yml");
    loadShaders("menu.yml");
    YSplash s = sequence(1);
    s.update(1.0f);
    ASSERT_TRUE(s.draw());
    EXPECT_EQ(2u, render.callsStartingWith("load s\\").size()); // the logo once

    runToEnd(s);
    render.calls.clear();
    EXPECT_FALSE(s.draw());
    EXPECT_FALSE(s.draw()); // the frame after
    EXPECT_TRUE(render.callsStartingWith("release").empty());
    EXPECT_TRUE(render.callsStartingWith("load").empty());

    YShader* logo = findShader("logo");
    ASSERT_NE(nullptr, logo);
    ASSERT_EQ(1u, logo->stages.size());
    EXPECT_NE(nullptr, logo->stages[0]->texture->deviceTexture);
    // A null device texture would bind nothing after the reset.
    render.resetRenderStates();
    render.calls.clear();
    render.setShader(logo, true);
    EXPECT_EQ(std::vector<std::string>{"texture 0 s\\logo.png"}, render.callsStartingWith("texture"));
    clearShaders();
    testutil::deleteRenderResources();
}
