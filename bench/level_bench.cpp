// The heaviest generated level (the one with the most items): how long it
// takes to start (the file read, the blocks built, linked, split and
// settled on the table) and how long a frame of play takes on it with three
// balls in play, the bot at the racket, headless and without a renderer.
//
// The frame is the game's (the harness of the world tests); every frame of
// 0.025 s makes one solver step. Balls that leave the table are replaced by
// new ones thrown from the near edge, so three stay in play; when the level
// is cleared it is started again, outside the timing.
#include "core/log.h"
#include "platform/sys/paths.h"
#include "platform/sys/random.h"
#include "tests/common/test_util.h"
#include "tests/common/world_harness.h"
#include "world/ball.h"
#include "world/ball_mode.h"
#include "world/block.h"
#include "world/level_start.h"
#include "world/physics_world.h"
#include "world/playfield.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <string>

namespace {

constexpr int BALLS = 3;
constexpr float FRAME = YPhysicsWorld::STEP_TIME;

// Headless, silent, in a folder of its own with a copy of the content; the
// largest level's name, empty when there is none.
std::string prepare()
{
    static std::string level;
    static bool done = false;
    if (done)
        return level;
    done = true;
    ::setenv("ALSOFT_DRIVERS", "null", 0);
    ::setenv("TARVELIN_NO_MESSAGEBOX", "1", 1);
    const std::string dir = "/tmp/tarvelin_level_bench";
    if (!sys::makeDirectories(dir) || !sys::changeDirectory(dir))
        return level;
    YLog::setFileName((dir + "/log.txt").c_str());
    if (!testutil::copyFromGame("levels"))
        return level;
    size_t most = 0;
    for (const std::string& name : harness::WorldHarness::levelNames()) {
        const size_t items = harness::WorldHarness::levelItemCount(name);
        if (items > most) {
            most = items;
            level = name;
        }
    }
    return level;
}

int ballsInPlay()
{
    int n = 0;
    for (const YBall* b : harness::balls())
        n += b->isScheduled() || b->isHeld() ? 0 : 1;
    return n;
}

void topUp()
{
    for (int n = ballsInPlay(); n < BALLS; ++n) {
        auto* ball = new YBall(YBallNormalId); // owned by the racket's list
        const float x = (sys::randUnit() - 0.5f) * (gPlayfield.width - 2.0f);
        const float aim = (sys::randUnit() - 0.5f) * 0.6f;
        ball->kick(YVec3(aim, 1.0f, 0.25f), YVec3(x, -gPlayfield.halfDepth + 1.5f, 1.0f));
    }
}

void BM_LevelStart(benchmark::State& state)
{
    const std::string level = prepare();
    if (level.empty()) {
        state.SkipWithError("no levels: build the game content first");
        return;
    }
    harness::WorldHarness world;
    for (auto _ : state) {
        if (!world.loadLevel(level)) {
            state.SkipWithError("the level does not read");
            return;
        }
    }
    state.SetLabel(level);
    state.counters["items"] = static_cast<double>(world.itemsAtStart());
}
BENCHMARK(BM_LevelStart)->Unit(benchmark::kMillisecond);

void BM_LevelFrameThreeBalls(benchmark::State& state)
{
    const std::string level = prepare();
    if (level.empty()) {
        state.SkipWithError("no levels: build the game content first");
        return;
    }
    harness::WorldHarness world;
    auto start = [&] {
        world.loadLevel(level);
        world.newGame();
        topUp();
        world.run(40, FRAME); // the balls spread out over the table
    };
    start();
    double blocks = 0.0;
    int restarts = 0;
    for (auto _ : state) {
        topUp();
        world.frame(FRAME);
        blocks += static_cast<double>(gBlocks.size());
        if (world.itemsLeft() == 0 || world.levelEnded() || world.gameOver()) {
            state.PauseTiming();
            start();
            ++restarts;
            state.ResumeTiming();
        }
    }
    state.SetLabel(level);
    state.counters["blocks"] = blocks / static_cast<double>(state.iterations());
    state.counters["restarts"] = restarts;
    if (!harness::firstNonFinite().empty())
        state.SkipWithError(("not finite: " + harness::firstNonFinite()).c_str());
}
BENCHMARK(BM_LevelFrameThreeBalls)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
