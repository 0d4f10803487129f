// The headless world harness on the generated levels and on levels made in
// code: the bot plays, blocks break, nothing turns into NaN, the same seed
// and script give the same world, and the log hears what the game would.
#include "tests/common/world_harness.h"

#include "world/ball.h"
#include "world/racket.h"

#include <gtest/gtest.h>

#include <string>

using harness::HarnessEvent;
using harness::WorldHarness;

namespace {

constexpr float DT = 0.01f; // the game's frame at 100 frames a second

// A wall of stone across the far half of the table, two cells high.
YLevelFile farWall()
{
    YLevelFile level;
    level.tableMaterial = "";
    level.center = true;
    for (int x = 0; x < 12; ++x)
        for (int z = 0; z < 2; ++z) {
            YLevelItem item;
            item.x = x;
            item.y = 6;
            item.z = z;
            item.material = "stone";
            item.glue = 1000.0f;
            level.items.push_back(item);
        }
    return level;
}

struct Outcome {
    uint64_t hash = 0;
    std::string events;
    size_t itemsLeft = 0;
};

Outcome playLevel(const std::string& name, unsigned seed, float aimSpread, int frames)
{
    WorldHarness::Options options;
    options.seed = seed;
    WorldHarness world(options);
    EXPECT_TRUE(world.loadLevel(name));
    world.bot().aimSpread = aimSpread;
    world.newGame();
    world.run(frames, DT);
    return Outcome{world.hash(), world.eventText(), world.itemsLeft()};
}

} // namespace

TEST(WorldHarness, TheBotPlaysAGeneratedLevelAndBreaksBlocksWithoutNaN)
{
    WorldHarness world;
    const std::vector<std::string> levels = WorldHarness::levelNames();
    ASSERT_GE(levels.size(), 8u);
    ASSERT_TRUE(world.loadLevel(levels.front()));
    const size_t start = world.itemsAtStart();
    EXPECT_EQ(WorldHarness::levelItemCount(levels.front()), start) << "the level start breaks nothing";
    world.bot().aimSpread = 0.5f;
    world.newGame();
    const uint64_t before = world.hash();

    for (int i = 0; i < 3000 && !world.gameOver(); ++i) {
        world.frame(DT);
        const std::string bad = harness::firstNonFinite();
        ASSERT_TRUE(bad.empty()) << bad << " at frame " << i;
    }
    EXPECT_LT(world.itemsLeft(), start) << "30 s of play broke no block";
    EXPECT_NE(before, world.hash());
    EXPECT_GE(world.bot().launches(), 1);

    // The log heard the kicks, the blocks and the points, and the points it
    // heard are the racket's score.
    EXPECT_GT(world.count(HarnessEvent::SOUND, "kick"), 0) << world.eventText();
    EXPECT_GT(world.count(HarnessEvent::SOUND, "stone_") + world.count(HarnessEvent::SOUND, "def_") +
                  world.count(HarnessEvent::SOUND, "wood_") + world.count(HarnessEvent::SOUND, "glass_"),
              0)
        << world.eventText();
    int points = 0, lastFrame = 0;
    for (const HarnessEvent& e : world.events()) {
        EXPECT_GE(e.frame, lastFrame) << "the log keeps frame order";
        lastFrame = e.frame;
        if (e.kind == HarnessEvent::SCORE)
            points += static_cast<int>(e.value);
    }
    EXPECT_GT(points, 0);
    EXPECT_EQ(world.racket().score, points);
}

TEST(WorldHarness, SameSeedAndScriptGiveTheSameWorldWithinAProcess)
{
    const std::string level = "04_towers";
    const Outcome first = playLevel(level, 7, 0.5f, 1500);
    const Outcome second = playLevel(level, 7, 0.5f, 1500);
    EXPECT_EQ(first.hash, second.hash);
    EXPECT_EQ(first.events, second.events);
    EXPECT_EQ(first.itemsLeft, second.itemsLeft);
    EXPECT_NE(std::string::npos, first.events.find(" sound ")) << "the log heard nothing";

    // Another script plays another game: the hash tells them apart.
    const Outcome other = playLevel(level, 7, -0.5f, 1500);
    EXPECT_NE(first.hash, other.hash);
}

TEST(WorldHarness, TheBotKeepsTheBallInPlayOnALevelMadeInCode)
{
    WorldHarness world;
    const YLevelFile level = farWall();
    world.buildLevel(level);
    EXPECT_EQ(level.items.size(), world.itemsAtStart());
    world.bot().aimSpread = 0.6f;
    world.newGame();

    // Kicks back from the racket's end of the table, counted on the ball's
    // turn from coming to going.
    int returns = 0;
    bool coming = false;
    for (int i = 0; i < 6000; ++i) { // a minute of play
        world.frame(DT);
        const YBall* ball = harness::lowestBall();
        if (!ball)
            continue;
        const YVec3 v = ball->velocity();
        if (v.y < 0.0f) {
            coming = true;
        } else if (coming && ball->position().y < -6.0f) {
            ++returns;
            coming = false;
        }
    }
    EXPECT_EQ(YRacket::START_LIVES, world.racket().lives) << world.eventText();
    EXPECT_EQ(0, world.count(HarnessEvent::LIVES));
    EXPECT_GE(returns, 8);
    EXPECT_FALSE(world.gameOver());
}

TEST(WorldHarness, LostBallsAreLoggedUntilTheGameIsOver)
{
    WorldHarness world;
    world.buildLevel(farWall());
    world.newGame();
    // The script runs away from the ball; the bot only lets go of it.
    world.bot().steer = false;
    for (int i = 0; i < 6000 && !world.gameOver(); ++i) {
        if (const YBall* ball = harness::lowestBall())
            world.racket().moveTo(ball->position().x > 0.0f ? -1.0f : 1.0f);
        world.frame(DT);
    }
    ASSERT_TRUE(world.gameOver()) << world.eventText();
    std::vector<int> lives;
    for (const HarnessEvent& e : world.events())
        if (e.kind == HarnessEvent::LIVES)
            lives.push_back(static_cast<int>(e.value));
    EXPECT_EQ((std::vector<int>{2, 1, 0}), lives) << world.eventText();
    EXPECT_EQ(1, world.count(HarnessEvent::GAME_OVER));
    EXPECT_EQ(3, world.bot().launches()) << "one throw per life";
    // Every lost ball was heard, and the end of the game too.
    EXPECT_EQ(3, world.count(HarnessEvent::SOUND, "bonus_death"));
    EXPECT_EQ(1, world.count(HarnessEvent::SOUND, "game_over"));
    // The game ends in the frame the last life goes.
    int lastLifeFrame = -1, gameOverFrame = -2;
    for (const HarnessEvent& e : world.events()) {
        if (e.kind == HarnessEvent::LIVES && e.value == 0.0f)
            lastLifeFrame = e.frame;
        if (e.kind == HarnessEvent::GAME_OVER)
            gameOverFrame = e.frame;
    }
    EXPECT_EQ(lastLifeFrame, gameOverFrame);
}
