// The weapons in play: the bot fetches the weapon bonuses a level releases
// and throws what it catches, and the bomb, the grenades and the boomerang
// each destroy blocks, as the event log hears.
#include "tests/common/world_harness.h"

#include "world/ball.h"
#include "world/block.h"
#include "world/block_single.h"
#include "world/bomb.h"
#include "world/boomer.h"
#include "world/grenade.h"
#include "world/racket.h"
#include "world/racket_tacked.h"
#include "world/splinter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

using harness::HarnessEvent;
using harness::WorldHarness;

namespace {

constexpr float DT = 0.01f;
constexpr int MAX_FRAMES = 24000; // four minutes of play
// Nearer than this to a ball, a block may have been the ball's.
constexpr float BALL_REACH = 2.0f;
// A block this near the boomerang when it breaks was struck by it.
constexpr float BOOMER_REACH = 2.0f;

enum Weapon { BOMB, GRENADE, BOOMER, WEAPONS };
const char* const NAMES[WEAPONS] = {"bomb", "grenade", "boomer"};
// Reach of the explosions, with a block's size.
const float BLAST_REACH[2] = {YBomb::KIND.blastRadius + 1.0f, YGrenade::KIND.blastRadius + 1.0f};

// A tall wall of wood across the table, up to where the boomerang flies,
// with two of each weapon bonus in its lower row, and a low wall of stone
// behind it that keeps the level going.
YLevelFile weaponLevel()
{
    YLevelFile level;
    level.center = true;
    const int bonuses[] = {16, 17, 18, 16, 17, 18};
    for (int y : {2, 7})
        for (int x = 0; x < 18; ++x)
            for (int z = 0; z < (y == 2 ? 6 : 2); ++z) {
                YLevelItem item;
                item.x = x;
                item.y = y;
                item.z = z;
                item.material = y == 2 ? "wood" : "stone";
                item.glue = y == 2 ? 60.0f : 1000.0f;
                if (y == 2 && z == 0 && x % 3 == 1)
                    item.bonus = bonuses[x / 3];
                level.items.push_back(item);
            }
    return level;
}

YBoomer* flyingBoomer()
{
    for (YRacketTacked* t : gRacketTacked())
        if (auto* b = dynamic_cast<YBoomer*>(t))
            if (!gRacket || gRacket->held != b)
                return b;
    return nullptr;
}

bool nearABall(const YVec3& p)
{
    for (const YBall* b : harness::balls())
        if (!b->isHeld() && (b->position() - p).length() < BALL_REACH)
            return true;
    return false;
}

} // namespace

TEST(WeaponsPlay, TheBotCatchesEachWeaponAndEachDestroysBlocks)
{
    WorldHarness::Options options;
    options.seed = 3;
    WorldHarness world(options);
    world.buildLevel(weaponLevel());
    world.bot().aimSpread = 0.4f;
    world.bot().chaseBonuses = true;
    world.play().playing = false; // no next-level bonus to end it early
    world.newGame();

    int caught[WEAPONS] = {};
    int destroyed[WEAPONS] = {};
    std::set<const YBlock*> scheduled;
    const YRacketTacked* lastHeld = nullptr;
    size_t seen = 0;
    auto done = [&] { return destroyed[BOMB] > 0 && destroyed[GRENADE] > 0 && destroyed[BOOMER] > 0; };
    for (int i = 0; i < MAX_FRAMES && !done() && !world.levelEnded(); ++i) {
        if (world.gameOver())
            world.newGame(); // the blocks stay
        world.frame(DT);
        const std::string bad = harness::firstNonFinite();
        ASSERT_TRUE(bad.empty()) << bad << " at frame " << i;

        // What the hand took.
        const YRacketTacked* held = world.racket().held;
        if (held != lastHeld && held) {
            caught[BOMB] += dynamic_cast<const YBomb*>(held) != nullptr;
            caught[BOOMER] += dynamic_cast<const YBoomer*>(held) != nullptr;
            const auto* grenade = dynamic_cast<const YGrenade*>(held);
            caught[GRENADE] += grenade && grenade->throwsLeft() == YGrenade::BONUS_THROWS;
        }
        lastHeld = held;

        // The explosions of this frame, heard by the log.
        std::vector<std::pair<Weapon, YVec3>> blasts;
        const auto& events = world.events();
        for (; seen < events.size(); ++seen) {
            const HarnessEvent& e = events[seen];
            if (e.kind == HarnessEvent::SOUND && e.name == NAMES[BOMB])
                blasts.emplace_back(BOMB, e.position);
            if (e.kind == HarnessEvent::SOUND && e.name == NAMES[GRENADE])
                blasts.emplace_back(GRENADE, e.position);
        }
        // Blocks broken this frame (they go a moment later), and what broke
        // them: a ball near them may have, so those are not counted.
        const YBoomer* boomer = flyingBoomer();
        for (const YBlock* b : gBlocks) {
            if (!b->isScheduled() || dynamic_cast<const YSplinter*>(b) || !scheduled.insert(b).second)
                continue;
            const YVec3 p = b->getTransform().translation();
            if (nearABall(p))
                continue;
            for (const auto& blast : blasts)
                if ((blast.second - p).length() < BLAST_REACH[blast.first])
                    ++destroyed[blast.first];
            if (boomer && (boomer->position() - p).length() < BOOMER_REACH)
                ++destroyed[BOOMER];
        }
        // Deleted blocks may leave their addresses to new ones.
        for (auto it = scheduled.begin(); it != scheduled.end();)
            it = std::find(gBlocks.begin(), gBlocks.end(), *it) == gBlocks.end() ? scheduled.erase(it) : ++it;
    }

    for (int w = 0; w < WEAPONS; ++w) {
        SCOPED_TRACE(NAMES[w]);
        EXPECT_GT(caught[w], 0) << "the bonus was caught";
        EXPECT_GT(destroyed[w], 0) << "blocks destroyed by it";
        EXPECT_GT(world.count(HarnessEvent::SOUND, NAMES[w]), 0) << "the log heard it";
    }
    // The broken blocks went with their sound and score.
    EXPECT_GT(world.count(HarnessEvent::SOUND, "wood_destroy"), 0);
    EXPECT_GT(world.count(HarnessEvent::SCORE), 0);
}
