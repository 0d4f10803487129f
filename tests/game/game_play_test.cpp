// The whole game headless: a new game on level 0, played by a bot through
// a level end into the next level, then lost on purpose to game over.
#include "tests/game/game_fixture.h"

#include "game/progress.h"
#include "world/block.h"
#include "world/racket.h"

using namespace gametest;


TEST_F(GameTest, ABotPlaysThroughALevelIntoTheNextAndOnToGameOver)
{
    // The screens shown and the screens asked for, in order.
    std::vector<int32_t> screens{game->screen}, requests;
    int32_t lastRequest = game->requestedScreen;
    auto play = [&](bool keepAlive) {
        bot(keepAlive);
        frame();
        if (game->screen != screens.back())
            screens.push_back(game->screen);
        if (game->requestedScreen != lastRequest)
            requests.push_back(lastRequest = game->requestedScreen);
    };
    for (int i = 0; i < 200 && !(game->screen == SCREEN_MAIN_MENU && game->transition == STEADY); ++i)
        play(true);
    ASSERT_EQ(SCREEN_MAIN_MENU, game->screen);
    requestNewGame();

    // Level 0 is cleared by play.
    for (int i = 0; i < 4000 && game->currentLevel == 0; ++i)
        play(true);
    ASSERT_EQ(1, game->currentLevel) << "the bot did not clear the first level";
    EXPECT_EQ(1, readProgress());

    // Then every ball is let go until the lives run out.
    for (int i = 0; i < 4000 && game->screen != SCREEN_GAME_OVER; ++i)
        play(false);
    ASSERT_EQ(SCREEN_GAME_OVER, game->screen) << "lives left: " << gRacket->lives;
    EXPECT_EQ(0, gRacket->lives);

    // NewGame and LevelEnd pass on to Playing as they are entered.
    EXPECT_EQ((std::vector<int32_t>{SCREEN_SPLASH, SCREEN_INTRO_FLIGHT, SCREEN_MAIN_MENU, SCREEN_PLAYING,
                                    SCREEN_GAME_OVER}),
              screens);
    EXPECT_EQ((std::vector<int32_t>{SCREEN_MAIN_MENU, SCREEN_NEW_GAME, SCREEN_LEVEL_END, SCREEN_GAME_OVER}),
              requests);
}
