#include "world/block_update.h"

#include "platform/sys/random.h"
#include "world/block.h"
#include "world/block_events.h"
#include "world/block_faces.h"
#include "world/zdelete.h"

namespace {
int gItemCount = 0;
int gPreviousItemCount = 0;
float gNextBonusTimer = 0.0f;

void runNextBonusTimer(float dt)
{
    if (gItemCount < NEXT_BONUS_ITEMS) {
        if (gNextBonusTimer == 0.0f || gItemCount != gPreviousItemCount)
            gNextBonusTimer = 13.5f + sys::randUnit() * 3.0f;
        if (gNextBonusTimer > 0.0f) {
            gNextBonusTimer -= dt;
            if (gNextBonusTimer <= 0.0f) {
                requestNextBonus();
                gNextBonusTimer = 0.0f;
            }
        }
    } else {
        gNextBonusTimer = 0.0f;
    }
    gPreviousItemCount = gItemCount;
}
} // namespace

void countBlockItems(int count)
{
    gItemCount += count;
}

int blockItemsCounted()
{
    return gItemCount;
}

float nextBonusTimer()
{
    return gNextBonusTimer;
}

void resetNextBonusTimer()
{
    gNextBonusTimer = 0.0f;
}

void updateAllBlocks(float dt, bool allowNextBonus)
{
    YZDelete::tickAll(dt);
    gBlockFaces.clear();
    gItemCount = 0;
    // By index: an update never adds or removes blocks, but stays safe if
    // one does.
    for (size_t i = 0; i < gBlocks.size(); ++i)
        gBlocks[i]->update(dt);
    if (allowNextBonus)
        runNextBonusTimer(dt);
    queueBlockFaces();
}
