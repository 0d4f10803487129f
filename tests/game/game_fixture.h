#pragma once
// The real game application in a test folder: generated content copied in,
// a small window on the offscreen driver, a manual clock, and two small
// levels of glass written with the game's level writer.
#include "game/game_framework.h"
#include "game/score_table.h"
#include "platform/img/image.h"
#include "platform/sys/clock.h"
#include "platform/sys/files.h"
#include "platform/sys/paths.h"
#include "platform/sys/random.h"
#include "platform/wnd/events.h"
#include "tests/common/test_util.h"
#include "world/ball.h"
#include "world/level_file.h"
#include "world/racket.h"
#include "world/racket_tacked.h"
#include "world/table.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace gametest {

// A level of a few glass blocks just in front of the racket.
inline YLevelFile glassLevel(int blocks)
{
    YLevelFile level;
    level.tableMaterial = "marble";
    level.center = true;
    for (int i = 0; i < blocks; ++i) {
        YLevelItem it;
        it.x = i;
        it.y = -4;
        it.material = "glass";
        it.glue = 5.0f;
        level.items.push_back(it);
    }
    return level;
}

// The lowest ball in play, or null.
inline YBall* lowestBall()
{
    YBall* lowest = nullptr;
    for (YRacketTacked* t : gRacketTacked()) {
        YBall* b = dynamic_cast<YBall*>(t);
        if (b && (!lowest || b->position().z < lowest->position().z))
            lowest = b;
    }
    return lowest;
}

// Steers the racket under the lowest ball (or away from it) and throws
// whatever it holds.
inline void bot(bool keepAlive)
{
    if (!gRacket || gRacket->state != YRACKET_PLAY)
        return;
    if (gRacket->held) {
        gRacket->launch(1);
        return;
    }
    YBall* ball = lowestBall();
    if (!ball)
        return;
    float reach = (gTable->width() - gRacket->width) * 0.5f;
    float x = ball->position().x / reach;
    if (!keepAlive)
        x = x > 0 ? -1.0f : 1.0f; // stand aside: the ball is lost
    gRacket->moveTo(x);
}

// Something was drawn all over the picture: no large black band left by a
// broken viewport or an undrawn backdrop (the menu screens' band aside).
inline void expectDrawnAllOver(const char* file, int firstRow = 0, int lastRow = -1)
{
    img::Image shot;
    std::string error;
    ASSERT_TRUE(img::loadImage(file, shot, &error)) << error;
    const int last = lastRow < 0 ? shot.height : lastRow;
    int dark = 0, all = 0;
    for (int y = firstRow; y < last; y += 8)
        for (int x = 0; x < shot.width; x += 8) {
            const uint8_t* t = shot.texel(x, y);
            dark += t[0] + t[1] + t[2] < 6 ? 1 : 0;
            ++all;
        }
    EXPECT_LT(dark, all / 2) << file;
}

class GameTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string missing;
        ASSERT_TRUE(testutil::makeGameFolder(windowWidth, windowHeight, &missing))
            << "build the game content first: " << missing;
        writeLevels();
        writeIntro();
        clock = std::make_unique<sys::ManualClock>(1000);
        wnd::clearInjectedEvents();
        gScoreTable.clear(); // a table left by an earlier test in this process
        game = std::make_unique<GameFramework>("");
    }

    void TearDown() override
    {
        game.reset();
        clock.reset();
        wnd::clearInjectedEvents();
    }

    virtual void writeLevels()
    {
        ASSERT_TRUE(saveLevelFile("levels/00_one", glassLevel(2)));
        ASSERT_TRUE(saveLevelFile("levels/01_two", glassLevel(3)));
    }

    // No splash screens and no camera path: the intro passes on to the main
    // menu once it has faded in.
    virtual void writeIntro() { sys::removeFile("data/path.cpt"); }

    // A window event as the window sends it, and a key pressed and let go.
    void send(wnd::EventType type, int code = 0, int x = 0, int y = 0)
    {
        game->windowProc(wnd::Event(type, code, x, y));
    }
    void press(int key)
    {
        send(wnd::EventType::KeyDown, key);
        send(wnd::EventType::KeyUp, key);
    }

    // One pass of the loop after the clock moved on.
    bool frame(uint32_t ms = 50)
    {
        clock->advance(ms);
        game->step();
        return true;
    }

    // Asks for a new game with the game's random numbers seeded first, so
    // that play does not depend on how many the menu's comets drew before.
    void requestNewGame(uint32_t seed = 1)
    {
        sys::srand(seed);
        game->setScreen(SCREEN_NEW_GAME);
    }

    // Frames until the screen is steady on the wanted one (or a limit).
    bool runUntilSteady(int32_t wanted, int maxFrames = 200)
    {
        for (int i = 0; i < maxFrames; ++i) {
            if (game->screen == wanted && game->transition == STEADY)
                return true;
            frame();
        }
        return game->screen == wanted && game->transition == STEADY;
    }

    // From the start to play on the first level with the ball in the hand.
    void startPlay()
    {
        ASSERT_TRUE(runUntilSteady(SCREEN_MAIN_MENU));
        game->setScreen(SCREEN_NEW_GAME);
        ASSERT_TRUE(runUntilSteady(SCREEN_PLAYING));
        for (int i = 0; i < 400 && !(gRacket->state == YRACKET_PLAY && gRacket->held); ++i)
            frame();
        ASSERT_EQ(YRACKET_PLAY, gRacket->state);
        ASSERT_NE(nullptr, gRacket->held) << "the hero holds no ball at the start of play";
    }

    // The window's size in config.yml.
    int windowWidth = 320, windowHeight = 240;
    std::unique_ptr<sys::ManualClock> clock;
    std::unique_ptr<GameFramework> game;
};

} // namespace gametest
