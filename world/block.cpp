#include "world/block.h"

#include "platform/sys/random.h"
#include "render/particles.h"
#include "world/block_events.h"

#include <algorithm>

YVec3 gCellSize(1.0f, 1.0f, 1.0f);
std::vector<YBlock*> gBlocks;

namespace {
uint64_t gNextSerial = 0;
}

YBlock::YBlock() : mSerial(++gNextSerial)
{
    gBlocks.push_back(this);
}

YBlock::~YBlock()
{
    // Blocks mostly die last-first (clearWorld), so search from the back.
    auto it = std::find(gBlocks.rbegin(), gBlocks.rend(), this);
    if (it == gBlocks.rend())
        return;
    *it = gBlocks.back();
    gBlocks.pop_back();
}

YBlock* YBlock::blastHit(int, const YVec3&, float)
{
    return nullptr;
}

bool noBlocksLeft()
{
    return gBlocks.empty();
}

bool isBlockAlive(const YBlock* block, uint64_t serial)
{
    if (!block)
        return false;
    for (const YBlock* b : gBlocks) {
        if (b == block)
            return b->serial() == serial;
    }
    return false;
}

YBlock* strikeRandomBlock(int seed, const YVec3& centre, float radius)
{
    if (gBlocks.empty())
        return nullptr;
    sys::srand(static_cast<uint32_t>(seed));
    YBlock* block = gBlocks[static_cast<size_t>(sys::rand()) % gBlocks.size()];
    return block->blastHit(sys::rand(), centre, radius);
}

void clearWorld()
{
    YWorldTearDown quiet; // the world is live again on return
    while (!gBlocks.empty())
        delete gBlocks.back();
    gParticles().clearParticles();
    clearRacketObjects();
}

float blockDeathDelay()
{
    return 0.15f + sys::randUnit() * 0.025f - 0.0125f;
}
