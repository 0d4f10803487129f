// How long one frame of the world takes with 1, 10 and 50 balls in play
// around a structure of 24 blocks: the physics step, the balls' updates
// (speed, racket test, effects), the blocks' update and deferred deletions,
// and the particles, headless. Every frame makes one solver step.
//
// Balls that leave the table are replaced by new ones thrown from the near
// edge, so the count stays as asked. The blocks are made too tough to break;
// blocks pass the side and far walls, though, so balls may push the whole
// structure off the table in time: then a new one is built. The "blocks"
// counter is the mean number of block objects over the timed frames.
#include "platform/sys/paths.h"
#include "platform/sys/random.h"
#include "render/draw_queue.h"
#include "render/mesh.h"
#include "render/particles.h"
#include "render/shader.h"
#include "sound/named_sound.h"
#include "world/ball.h"
#include "world/ball_mode.h"
#include "world/block.h"
#include "world/block_material.h"
#include "world/block_set.h"
#include "world/block_update.h"
#include "world/physics_world.h"
#include "world/playfield.h"
#include "world/racket_tacked.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

namespace {

constexpr float TABLE = 20.0f;
constexpr float FRAME = YPhysicsWorld::STEP_TIME;

const char* const MATERIALS = "<material name=\"bench\" health=\"1000000\"/>\n";

// The benchmark's own folder: its log, its materials file and mesh caches.
bool enterWorkFolder()
{
    const std::string dir = "/tmp/tarvelin_world_bench";
    if (!sys::makeDirectories(dir) || !sys::changeDirectory(dir))
        return false;
    FILE* f = std::fopen("blocks.yml", "w");
    if (!f)
        return false;
    std::fputs(MATERIALS, f);
    std::fclose(f);
    return true;
}

class BenchWorld {
public:
    explicit BenchWorld(int balls) : mBalls(balls)
    {
        sys::srand(1);
        YPhysicsWorld::init();
        setPlayfieldSize(TABLE, TABLE);
        gPhysics->buildTable(TABLE, TABLE, 2.5f);
        loadBlockMaterials("blocks.yml");
        buildStructure();
        topUp();
    }

    // 4 x 2 x 3 blocks in the middle of the far half, settled as at a level
    // start.
    void buildStructure()
    {
        auto* set = new YBlockSet();
        for (int x = 0; x < 4; ++x)
            for (int y = 0; y < 2; ++y)
                for (int z = 0; z < 3; ++z)
                    set->addItem(getBlockShape("bench", 1, 1, 1), x, y, z, 1e6f, nullptr);
        set->buildLinks();
        YMatrix frame;
        set->setTransform(frame.makeTranslation(YVec3(-2.0f, 3.0f, 0.02f)));
        set->updateMass();
        set->splitAll(true);
        for (int i = 0; i < 200; ++i)
            gPhysics->step(0.05f);
    }

    ~BenchWorld()
    {
        YWorldTearDown quiet;
        destroyRacketObjects();
        clearWorld();
        YZDelete::deleteAllScheduled();
        drawBackToFront();
        releaseBallMeshInstances();
        clearMeshes();
        clearBlockMaterials();
        clearShaders();
        clearNamedSounds();
        YPhysicsWorld::shutdown();
    }

    // One frame in the game's order, less the racket's own walk.
    void frame()
    {
        if (noBlocksLeft())
            buildStructure();
        topUp();
        gPhysics->step(FRAME);
        auto& objects = gRacketTacked();
        for (size_t i = 0; i < objects.size(); ++i)
            objects[i]->update(FRAME);
        updateAllBlocks(FRAME, false);
        gParticles().update(FRAME);
        drawFrontToBack();
        drawBackToFront();
    }

    int live() const
    {
        int n = 0;
        for (YRacketTacked* t : gRacketTacked())
            n += static_cast<YBall*>(t)->isScheduled() ? 0 : 1;
        return n;
    }

private:
    // New balls from the near edge towards the far wall, at random places.
    void topUp()
    {
        for (int n = live(); n < mBalls; ++n) {
            auto* ball = new YBall(YBallNormalId);
            const float x = (sys::randUnit() - 0.5f) * (TABLE - 2.0f);
            const float aim = (sys::randUnit() - 0.5f) * 0.6f;
            ball->kick(YVec3(aim, 1.0f, 0.25f), YVec3(x, -TABLE * 0.5f + 1.5f, 1.0f));
        }
    }

    int mBalls;
};

void BM_WorldFrame(benchmark::State& state)
{
    if (!enterWorkFolder()) {
        state.SkipWithError("no work folder");
        return;
    }
    const int balls = static_cast<int>(state.range(0));
    BenchWorld world(balls);
    for (int i = 0; i < 40; ++i)
        world.frame(); // the balls spread out over the table
    double blocks = 0.0;
    for (auto _ : state) {
        world.frame();
        blocks += static_cast<double>(gBlocks.size());
    }
    state.counters["balls"] = balls;
    state.counters["blocks"] = blocks / static_cast<double>(state.iterations());
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_WorldFrame)->Arg(1)->Arg(10)->Arg(50)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
