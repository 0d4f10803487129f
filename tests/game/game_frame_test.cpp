#include "tests/game/game_fixture.h"

#include "game/progress.h"
#include "platform/sys/paths.h"
#include "render/particles.h"
#include "world/block.h"
#include "world/physics_world.h"
#include "world/racket.h"
#include "world/splinter.h"

#include <algorithm>

using namespace gametest;

namespace {

class GameFrame : public GameTest {
protected:
    // A new game, played and then paused, steady on the pause screen.
    void pauseNewGame()
    {
        ASSERT_TRUE(runUntilSteady(SCREEN_MAIN_MENU));
        requestNewGame();
        ASSERT_TRUE(runUntilSteady(SCREEN_PLAYING));
        game->setScreen(SCREEN_PAUSED);
        ASSERT_TRUE(runUntilSteady(SCREEN_PAUSED));
    }
};

} // namespace

TEST_F(GameFrame, StartUpRendersTheMissingLevelPicturesAndEndsOnTheMenu)
{
    EXPECT_EQ(sys::PathKind::File, sys::pathKind("levels/thumb/00_one.bmp"));
    EXPECT_EQ(sys::PathKind::File, sys::pathKind("levels/thumb/01_two.bmp"));
    EXPECT_EQ(2u, gLevelNames.size());
    EXPECT_EQ(std::string::npos, testutil::logText().find("could not be saved"));

    // Splash, then the intro flight, then the main menu.
    EXPECT_EQ(SCREEN_SPLASH, game->screen);
    frame();
    EXPECT_EQ(SCREEN_INTRO_FLIGHT, game->screen);
    EXPECT_TRUE(runUntilSteady(SCREEN_MAIN_MENU));
    EXPECT_EQ(YRACKET_MENU_RUN, gRacket->state);
}

TEST_F(GameFrame, FramesAreTimedAndClamped)
{
    ASSERT_TRUE(runUntilSteady(SCREEN_MAIN_MENU));
    game->setScreen(SCREEN_MAIN_MENU); // re-request the steady screen: a fade
    EXPECT_EQ(FADING_OUT, game->transition);
    EXPECT_FLOAT_EQ(1.0f, game->fade);
    // 5 ms is below a frame: nothing is drawn (the clock's sleep adds 5 ms).
    frame(5);
    EXPECT_FLOAT_EQ(1.0f, game->fade);
    // 200 ms is a long frame: it counts as 0.05 s (with the 5 ms slept).
    frame(200);
    EXPECT_NEAR(0.95f, game->fade, 1e-4f);
    frame(20);
    EXPECT_NEAR(0.93f, game->fade, 1e-4f);
    // An early frame sleeps exactly until it is due, then draws a 10 ms step.
    const uint32_t before = clock->now();
    frame(3);
    EXPECT_EQ(before + 10, clock->now());
    EXPECT_NEAR(0.93f, game->fade, 1e-4f);
    frame(0);
    EXPECT_NEAR(0.92f, game->fade, 1e-4f);
}

TEST_F(GameFrame, FadesTakeASecondEachWayAndRepeatedRequestsDoNotRestart)
{
    ASSERT_TRUE(runUntilSteady(SCREEN_MAIN_MENU));
    game->setScreen(SCREEN_NEW_GAME);
    int frames = 0;
    while (game->transition == FADING_OUT && frames < 100) {
        frame();
        ++frames;
        if (frames == 10)
            game->setScreen(SCREEN_NEW_GAME); // must not restart the fade
    }
    EXPECT_NEAR(21, frames, 1); // 1 s out at 50 ms a frame
    EXPECT_EQ(SCREEN_PLAYING, game->screen); // NewGame passes on at once
    int in = 0;
    while (game->transition == FADING_IN && in < 100) {
        frame();
        ++in;
    }
    EXPECT_NEAR(21, in, 1);
    EXPECT_EQ(STEADY, game->transition);
    EXPECT_EQ(0, game->currentLevel);
    EXPECT_FALSE(gBlocks.empty());
}

TEST_F(GameFrame, PausedFreezesTheWorld)
{
    ASSERT_NO_FATAL_FAILURE(pauseNewGame());
    float x = gRacket->x;
    gRacket->state = YRACKET_PLAY;
    gRacket->moveTo(1.0f);
    for (int i = 0; i < 20; ++i)
        frame();
    EXPECT_FLOAT_EQ(x, gRacket->x);
    game->setScreen(SCREEN_PLAYING);
    ASSERT_TRUE(runUntilSteady(SCREEN_PLAYING));
    EXPECT_NE(x, gRacket->x);
}

TEST_F(GameFrame, PausedHoldsParticlesAndScheduledBlockDeaths)
{
    ASSERT_NO_FATAL_FAILURE(pauseNewGame());

    const float at[3] = {0.0f, 0.0f, 2.0f}, velocity[3] = {1.0f, 0.0f, 0.0f};
    gParticles().emit(0.5f, 0.2f, 0.2f, at, velocity, -1.0f, nullptr, nullptr, nullptr, nullptr);
    const std::deque<YParticle> before = gParticles().particles();
    const size_t blocks = gBlocks.size();
    ASSERT_GT(blocks, 0u);
    gBlocks.front()->deleteLater(0.1f);

    for (int i = 0; i < 20; ++i)
        frame(); // a second, ten times the particle's and the block's time
    const std::deque<YParticle>& after = gParticles().particles();
    ASSERT_EQ(before.size(), after.size());
    for (size_t i = 0; i < before.size(); ++i) {
        EXPECT_EQ(before[i].age, after[i].age) << i;
        EXPECT_EQ(before[i].position.x, after[i].position.x) << i;
        EXPECT_EQ(before[i].position.y, after[i].position.y) << i;
        EXPECT_EQ(before[i].position.z, after[i].position.z) << i;
    }
    EXPECT_EQ(blocks, gBlocks.size());

    // Back in play, both run out (the block's splinters may still fly).
    game->setScreen(SCREEN_PLAYING);
    ASSERT_TRUE(runUntilSteady(SCREEN_PLAYING));
    const auto whole = std::count_if(gBlocks.begin(), gBlocks.end(),
                                     [](YBlock* b) { return dynamic_cast<YSplinter*>(b) == nullptr; });
    EXPECT_EQ(blocks - 1, static_cast<size_t>(whole));
    for (const YParticle& p : gParticles().particles())
        EXPECT_FALSE(p.position.z == at[2] && p.velocity.x == velocity[0] && p.life == 0.5f);
}

TEST_F(GameFrame, LevelEndLeadsOnByLivesAndLevelsLeft)
{
    ASSERT_TRUE(runUntilSteady(SCREEN_MAIN_MENU));
    game->setScreen(SCREEN_NEW_GAME);
    ASSERT_TRUE(runUntilSteady(SCREEN_PLAYING));

    // Not the last level: the next one, and the progress written.
    game->onLevelEnd();
    ASSERT_TRUE(runUntilSteady(SCREEN_PLAYING));
    EXPECT_EQ(1, game->currentLevel);
    EXPECT_EQ(1, game->highestLevel);
    EXPECT_EQ(1, readProgress());
    std::string data = testutil::readText("ol.dat");
    EXPECT_EQ(132u, data.size());

    // The last level: the game is completed.
    game->onLevelEnd();
    ASSERT_TRUE(runUntilSteady(SCREEN_GAME_COMPLETED));

    // No lives left: game over, whatever the level.
    game->currentLevel = 0;
    gRacket->lives = 0;
    game->setScreen(SCREEN_LEVEL_END);
    ASSERT_TRUE(runUntilSteady(SCREEN_GAME_OVER));
    EXPECT_EQ(1, readProgress()); // nothing won
}
