// The start of the game in the real frame: the splash sequence from the
// splash settings, skipped by keys and clicks; the intro flight along its
// camera path into the main menu; comets only where they belong.
#include "tests/game/game_fixture.h"

#include "game/camera_path.h"
#include "game/comets.h"
#include "game/splash.h"
#include "platform/wnd/keys.h"
#include "render/camera.h"

using namespace gametest;

namespace {

const char* const TWO_SCREENS = "<config>\n"
                                "  <splash shader=\"s_one\" bgshader=\"s_bg\" bgcolor=\"102030\" width=\"300\">\n"
                                "  <splash shader=\"s_two\" bgshader=\"s_bg\" bgcolor=\"ff0000\" width=\"640\">\n"
                                "</config>\n";

// 300 records, ten seconds: the eye moves along x, one unit a second.
std::vector<YCameraPathRecord> tenSeconds()
{
    std::vector<YCameraPathRecord> path(300);
    for (size_t i = 0; i < path.size(); ++i) {
        path[i].eye = YVec3(static_cast<float>(i) / 30.0f, -20.0f, 15.0f);
        path[i].fov = 50.0f;
    }
    return path;
}

class Intro : public GameTest {
protected:
    // A new game with these splash settings and this camera path (none
    // when empty) in place.
    void restart(const char* splash, const std::string& path)
    {
        game.reset();
        sys::makeDirectories("splash");
        if (splash)
            testutil::writeText("splash/config.yml", splash);
        else
            sys::removeFile("splash/config.yml");
        if (path.empty())
            sys::removeFile("data/path.cpt");
        else
            testutil::writeText("data/path.cpt", path);
        wnd::clearInjectedEvents();
        game = std::make_unique<GameFramework>("");
    }

    void send(wnd::EventType type, int code)
    {
        wnd::injectEvent(wnd::Event(type, code, 100, 100));
        frame();
    }

    // Frames until the condition holds: how many, or -1 after the limit.
    template <typename F>
    int framesUntil(F done, int limit = 600)
    {
        for (int i = 0; i < limit; ++i) {
            if (done())
                return i;
            frame();
        }
        return -1;
    }
};

} // namespace

TEST_F(Intro, SplashScreensComeFromTheSplashSettingsAndKeysAndClicksSkipThem)
{
    restart(TWO_SCREENS, "");
    ASSERT_EQ(2u, gSplash.screens.size());
    EXPECT_EQ("s_two", gSplash.screens[1].shader);
    EXPECT_FLOAT_EQ(640.0f, gSplash.screens[1].width);

    // Comets fly only from the intro flight on.
    frame();
    ASSERT_EQ(SCREEN_SPLASH, game->screen);
    EXPECT_FALSE(gComets.made());

    // F10 in the hold skips the screen like any key: no quit is asked for.
    ASSERT_GT(framesUntil([] { return gSplash.phase == YSplash::HOLDING; }), 0);
    send(wnd::EventType::KeyDown, vk::F10);
    EXPECT_EQ(STEADY, game->transition);
    EXPECT_EQ(YSplash::FADING_OUT, gSplash.phase);
    EXPECT_NEAR(40, framesUntil([] { return gSplash.current == 1; }), 1); // a full two-second fade-out

    // A click in the next fade-in fades it out from where it was.
    frame();
    const float alpha = gSplash.alpha();
    send(wnd::EventType::ButtonDown, 1);
    EXPECT_EQ(YSplash::FADING_OUT, gSplash.phase);
    EXPECT_NEAR(alpha, gSplash.alpha(), 0.03f);
    // Escape then ends the sequence with that fade-out.
    send(wnd::EventType::KeyDown, vk::ESCAPE);
    EXPECT_LE(framesUntil([&] { return game->screen == SCREEN_INTRO_FLIGHT; }), 3);
    frame();
    EXPECT_TRUE(gComets.made());
    EXPECT_TRUE(runUntilSteady(SCREEN_MAIN_MENU));
}

TEST_F(Intro, TheFlightFollowsThePathAndAsksForTheMenuTwoSecondsBeforeItsEnd)
{
    const std::vector<YCameraPathRecord> path = tenSeconds();
    restart(nullptr, formatCameraPath(path));
    ASSERT_EQ(300u, gCameraPath.size());
    frame(); // no splash screen: the flight begins
    ASSERT_EQ(SCREEN_INTRO_FLIGHT, game->screen);

    int frames = 0;
    while (game->requestedScreen != SCREEN_MAIN_MENU && frames < 400) {
        frame();
        ++frames;
        if (frames == 40) { // two seconds in
            EXPECT_NEAR(2.0f, gCamera().eye().x, 1e-3f);
            EXPECT_NEAR(-20.0f, gCamera().eye().y, 1e-3f);
            EXPECT_FLOAT_EQ(50.0f, gCamera().fov());
        }
    }
    EXPECT_NEAR(161, frames, 1) << "the menu is asked for 8 s into a 10 s path";
    EXPECT_NEAR(8.0f, gCamera().eye().x, 0.06f);
    ASSERT_TRUE(runUntilSteady(SCREEN_MAIN_MENU));
    EXPECT_FLOAT_EQ(45.0f, gCamera().fov());

    // In play the comets stand still.
    game->setScreen(SCREEN_NEW_GAME);
    ASSERT_TRUE(runUntilSteady(SCREEN_PLAYING));
    const YVec3 at = gComets.comets()[0].orbit.position;
    for (int i = 0; i < 5; ++i)
        frame();
    EXPECT_EQ(at.x, gComets.comets()[0].orbit.position.x);
    EXPECT_EQ(at.z, gComets.comets()[0].orbit.position.z);
}

TEST_F(Intro, AnyKeyOrClickEndsTheFlightAndABadPathGoesStraightToTheMenu)
{
    restart(nullptr, formatCameraPath(tenSeconds()));
    const std::pair<wnd::EventType, int> inputs[] = {{wnd::EventType::KeyDown, 'A'},
                                                    {wnd::EventType::KeyDown, vk::F10},
                                                    {wnd::EventType::ButtonDown, 1},
                                                    {wnd::EventType::ButtonDown, 2}};
    for (const auto& input : inputs) {
        game->setScreen(SCREEN_INTRO_FLIGHT);
        ASSERT_TRUE(runUntilSteady(SCREEN_INTRO_FLIGHT)) << input.second;
        send(input.first, input.second);
        EXPECT_EQ(SCREEN_MAIN_MENU, game->requestedScreen) << input.second;
        EXPECT_EQ(FADING_OUT, game->transition) << input.second;
    }

    // A path file that holds no record: the flight fades in, then asks for
    // the menu.
    const size_t mark = testutil::logText().size();
    restart(nullptr, "path -5\n1 2 3 4 5 6 45\n");
    EXPECT_TRUE(gCameraPath.empty());
    EXPECT_TRUE(testutil::logHas("Camera path data\\path.cpt: negative record count -5", mark));
    EXPECT_NEAR(21, framesUntil([&] { return game->requestedScreen == SCREEN_MAIN_MENU; }), 2);
}
