// Keys, characters and the pointer reaching the console, the screens, the
// racket and the play view of the real game.
#include "tests/game/game_fixture.h"

#include "core/init.h"
#include "platform/wnd/keys.h"
#include "render/console.h"

using namespace gametest;
using wnd::EventType;

namespace {

class GameInput : public GameTest {
protected:
    // A key as the window sends it: the key, then its character.
    void typeKey(int key, char c)
    {
        send(EventType::KeyDown, key);
        send(EventType::Char, static_cast<unsigned char>(c));
        send(EventType::KeyUp, key);
    }
};

} // namespace

TEST_F(GameInput, TheConsoleKeyOpensAndClosesTheConsoleWithoutTypingItself)
{
    ASSERT_TRUE(runUntilSteady(SCREEN_MAIN_MENU));
    YConsole& console = game->getGameConsole();
    typeKey(vk::OEM_3, '`');
    EXPECT_TRUE(console.isVisible());
    EXPECT_EQ("", console.inputLine());
    typeKey('A', 'a');
    typeKey(vk::SPACE, ' ');
    typeKey(vk::OEM_3, '`');
    EXPECT_FALSE(console.isVisible());
    EXPECT_EQ("a ", console.inputLine());
    // Closed, typing goes to the pages, not the console.
    typeKey('B', 'b');
    EXPECT_EQ("a ", console.inputLine());
}

TEST_F(GameInput, EscapePausesOnlySteadyPlayAndF10QuitsOnlyAfterTheIntro)
{
    // The splash and the intro take F10 as "skip".
    press(vk::F10);
    EXPECT_EQ(SCREEN_SPLASH, game->screen);
    EXPECT_EQ(STEADY, game->transition);
    frame();
    ASSERT_EQ(SCREEN_INTRO_FLIGHT, game->screen);
    press(vk::F10);
    EXPECT_EQ(SCREEN_MAIN_MENU, game->requestedScreen);
    ASSERT_TRUE(runUntilSteady(SCREEN_MAIN_MENU));

    startPlay();
    // During a fade Escape does nothing.
    game->setScreen(SCREEN_LEVEL_END);
    press(vk::ESCAPE);
    EXPECT_EQ(SCREEN_PLAYING, game->screen);
    EXPECT_EQ(FADING_OUT, game->transition);
    game->transition = STEADY; // take the request back
    game->requestedScreen = SCREEN_PLAYING;

    // With the console open it does nothing either.
    typeKey(vk::OEM_3, '`');
    press(vk::ESCAPE);
    EXPECT_EQ(SCREEN_PLAYING, game->screen);
    typeKey(vk::OEM_3, '`');

    press(vk::ESCAPE);
    EXPECT_EQ(SCREEN_PAUSED, game->screen) << "the pause comes at once";
    EXPECT_EQ(STEADY, game->transition);
    press(vk::ESCAPE);
    EXPECT_EQ(SCREEN_PAUSED, game->screen);

    press(vk::F10);
    EXPECT_EQ(SCREEN_QUIT, game->requestedScreen);
    EXPECT_EQ(FADING_OUT, game->transition);
}

TEST_F(GameInput, KeysWheelAndButtonsSteerTheRacketOnlyInPlay)
{
    ASSERT_TRUE(runUntilSteady(SCREEN_MAIN_MENU));
    // Ctrl+Alt+F8 switches full screen, F8 without both does nothing.
    press(vk::F8);
    send(EventType::KeyDown, vk::CONTROL);
    press(vk::F8);
    EXPECT_FALSE(game->isFullscreen());
    send(EventType::KeyDown, vk::MENU);
    press(vk::F8);
    EXPECT_TRUE(game->isFullscreen());
    EXPECT_TRUE(gInit().fullscreen);
    press(vk::F8);
    EXPECT_FALSE(game->isFullscreen());
    EXPECT_FALSE(gInit().fullscreen);
    send(EventType::KeyUp, vk::MENU);
    send(EventType::KeyUp, vk::CONTROL);

    // Outside play Space, Up and Down are the pages'; the wheel works
    // everywhere, in steps of 5 degrees, within 0..55.
    press(vk::UP);
    EXPECT_EQ(15.0f, gRacket->throwAngle);
    send(EventType::Wheel, -120);
    EXPECT_EQ(20.0f, gRacket->throwAngle);
    send(EventType::Wheel, 120 * 5);
    EXPECT_EQ(0.0f, gRacket->throwAngle);
    send(EventType::Wheel, -120 * 20);
    EXPECT_EQ(55.0f, gRacket->throwAngle);
    send(EventType::Wheel, 120 * 8);

    startPlay();
    const float start = gRacket->throwAngle;
    press(vk::UP);
    EXPECT_EQ(start + 5.0f, gRacket->throwAngle);
    press(vk::DOWN);
    press(vk::DOWN);
    EXPECT_EQ(start - 5.0f, gRacket->throwAngle);

    // The pointer's x across the window steers.
    send(EventType::MouseMove, 0, 0, 100);
    EXPECT_LT(gRacket->targetX, 0.0f);
    send(EventType::MouseMove, 0, game->getClientWidth(), 100);
    EXPECT_GT(gRacket->targetX, 0.0f);

    // Space lets go of the ball.
    press(vk::SPACE);
    EXPECT_EQ(nullptr, gRacket->held);
}

TEST_F(GameInput, ARightDragTurnsTheViewAndGivesThePointerBack)
{
    ASSERT_TRUE(runUntilSteady(SCREEN_MAIN_MENU));
    // A right click outside play (it skipped the intro) warps nothing when
    // released.
    send(EventType::ButtonDown, 2, 11, 12);
    send(EventType::ButtonUp, 2, 11, 12);
    EXPECT_EQ(11, game->getMouseX());
    EXPECT_EQ(12, game->getMouseY());

    startPlay();
    const int cx = game->getClientWidth() / 2, cy = game->getClientHeight() / 2;
    const float yaw = game->menuView.yaw();
    const float targetX = gRacket->targetX;
    send(EventType::ButtonDown, 2, 30, 40);
    EXPECT_TRUE(game->menuView.dragging());
    EXPECT_EQ(cx, game->getMouseX());
    EXPECT_EQ(cy, game->getMouseY());
    send(EventType::MouseMove, 0, cx + 60, cy);
    EXPECT_EQ(targetX, gRacket->targetX) << "a drag does not steer";
    send(EventType::ButtonUp, 2, cx + 60, cy);
    EXPECT_FALSE(game->menuView.dragging());
    EXPECT_NE(yaw, game->menuView.yaw());
    EXPECT_EQ(30, game->getMouseX());
    EXPECT_EQ(40, game->getMouseY());

    // A drag still running when the screen changes ends there.
    send(EventType::ButtonDown, 2, 50, 60);
    press(vk::ESCAPE);
    EXPECT_EQ(SCREEN_PAUSED, game->screen);
    EXPECT_FALSE(game->menuView.dragging());
    EXPECT_EQ(50, game->getMouseX());
    game->screen = SCREEN_PLAYING;
    send(EventType::ButtonDown, 2, 70, 80);
    game->setScreen(SCREEN_MAIN_MENU);
    ASSERT_TRUE(runUntilSteady(SCREEN_MAIN_MENU));
    EXPECT_FALSE(game->menuView.dragging());
    send(EventType::ButtonUp, 2, 5, 5);
    EXPECT_EQ(5, game->getMouseX());
}
