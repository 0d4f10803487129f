// The game's own opening as a player sees it: the generated splash
// pictures and camera path through the real loaders, pictures of three
// moments each of the splash, the flight and the menu, and the flight's
// last view being the menu camera's first.
#include "tests/game/game_fixture.h"

#include "game/camera_path.h"
#include "game/splash.h"
#include "render/shader.h"
#include "tests/common/render_util.h"

#include <cmath>

using namespace gametest;

namespace {

class IntroCapture : public GameTest {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(testutil::copyFromGame("splash")) << "build the game content first: splash";
        // The log is the process's: earlier tests may have written to it.
        mLogStart = testutil::logText().size();
        GameTest::SetUp();
    }
    void writeIntro() override {} // the generated path stays

    // Frames until `seconds` after the start, then one frame captured.
    void shotAt(float seconds, const char* file)
    {
        while ((mFrames + 1) * 0.05f < seconds - 1e-3f) {
            frame();
            ++mFrames;
        }
        ++mFrames;
        ASSERT_TRUE(testutil::captureShot(*gRender, 320, 240, file, [&] { frame(); })) << file;
    }

    img::Image load(const char* file)
    {
        img::Image shot;
        std::string error;
        EXPECT_TRUE(img::loadImage(file, shot, &error)) << error;
        return shot;
    }

    // Mean brightness (0..765) of a rectangle of the picture.
    float brightness(const img::Image& shot, int x0, int y0, int x1, int y1)
    {
        float sum = 0.0f;
        int n = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x, ++n) {
                const uint8_t* t = shot.texel(x, y);
                sum += static_cast<float>(t[0] + t[1] + t[2]);
            }
        return n ? sum / static_cast<float>(n) : 0.0f;
    }

    int mFrames = 0;
    size_t mLogStart = 0;
};

} // namespace

TEST_F(IntroCapture, TheGameOpensOnTheSplashThenFliesIntoTheMenu)
{
    // The content loads cleanly: two splash screens with their pictures,
    // the comets' shader, a whole fourteen-second path.
    for (const char* fault : {"Shader parser error", "Init parser error", "Camera path", ", failed"})
        EXPECT_FALSE(testutil::logHas(fault, mLogStart)) << fault;
    ASSERT_EQ(2u, gSplash.screens.size());
    for (const char* name : {"splash_emblem", "splash_title", "splash_backdrop", "comets"}) {
        const YShader* shader = findShader(name);
        ASSERT_TRUE(shader && !shader->stages.empty()) << name;
        EXPECT_NE(nullptr, shader->stages[0]->texture) << name;
    }
    // The pictures loaded at start-up, before any frame was drawn.
    for (const char* picture : {"splash\\emblem.png", "splash\\title.png", "splash\\backdrop.png"})
        EXPECT_TRUE(testutil::logHas(std::string("Load texture ") + picture + ", ok", mLogStart)) << picture;

    ASSERT_EQ(420u, gCameraPath.size());
    EXPECT_FLOAT_EQ(14.0f, cameraPathDuration(gCameraPath));
    EXPECT_GT(gCameraPath.front().eye.z, 40.0f) << "the flight starts high above the table";
    YOrbit menu = menuCameraOrbit();
    fitMenuOrbit(menu, tableViewingDistance(10.0f, 10.0f, 1.0f / std::sin(degToRad(22.5f))));
    menu.place();
    const YCameraPathRecord& last = gCameraPath.back();
    EXPECT_NEAR(0.0f, (menu.position - last.eye).length(), 0.01f);
    EXPECT_NEAR(0.0f, last.target.length(), 1e-4f);
    EXPECT_FLOAT_EQ(45.0f, last.fov);

    // The splash: the emblem fading in, the emblem held, the title held.
    shotAt(1.0f, "intro_splash_1.bmp");
    shotAt(4.0f, "intro_splash_2.bmp");
    EXPECT_EQ(0u, gSplash.current);
    shotAt(10.5f, "intro_splash_3.bmp");
    EXPECT_EQ(1u, gSplash.current);
    EXPECT_FALSE(testutil::logHas(", failed", mLogStart));
    const img::Image fading = load("intro_splash_1.bmp"), held = load("intro_splash_2.bmp");
    EXPECT_LT(brightness(fading, 0, 0, 320, 240) * 1.5f, brightness(held, 0, 0, 320, 240));
    // Darker towards the corners than in the middle.
    EXPECT_LT(brightness(held, 0, 0, 20, 20) * 1.5f, brightness(held, 140, 100, 180, 140));

    // The flight: fading in high above, sweeping round, nearly at the menu.
    while (game->screen == SCREEN_SPLASH && mFrames < 400) {
        frame();
        ++mFrames;
    }
    ASSERT_EQ(SCREEN_INTRO_FLIGHT, game->screen);
    const float start = static_cast<float>(mFrames) * 0.05f;
    shotAt(start + 1.5f, "intro_flight_1.bmp");
    shotAt(start + 6.5f, "intro_flight_2.bmp");
    shotAt(start + 11.9f, "intro_flight_3.bmp");
    EXPECT_NE(SCREEN_MAIN_MENU, game->requestedScreen) << "the menu was asked for before 12 s of flight";
    for (const char* file : {"intro_flight_2.bmp", "intro_flight_3.bmp"})
        expectDrawnAllOver(file, 240 * 15 / 100 + 4, 240 * 85 / 100 - 4);

    // The menu, with the comets circling behind it.
    ASSERT_TRUE(runUntilSteady(SCREEN_MAIN_MENU, 100));
    for (const char* file : {"intro_menu_1.bmp", "intro_menu_2.bmp", "intro_menu_3.bmp"}) {
        for (int i = 0; i < 20; ++i)
            frame();
        ASSERT_TRUE(testutil::captureShot(*gRender, 320, 240, file, [&] { frame(); }));
        expectDrawnAllOver(file, 240 * 15 / 100 + 4, 240 * 85 / 100 - 4);
    }
}
