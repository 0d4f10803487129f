#pragma once
#include "core/math.h"
#include "world/zdelete.h"

#include <cstdint>
#include <vector>

class YBlock;

// World size of one cell of the block grid along x, y and z; set by the
// level file. Shapes take it when they are made.
extern YVec3 gCellSize;

// Every live block: block sets, single blocks and splinters, in no
// particular order. Blocks add themselves when built and leave when
// destroyed; nothing else changes the list.
extern std::vector<YBlock*> gBlocks;

// Base of every block object. Blocks die through deferred deletion (or
// clearWorld), never inside a physics step.
class YBlock : public YZDelete {
public:
    YBlock();
    ~YBlock() override;

    // The world transform of the block's frame.
    virtual YMatrix getTransform() const { return mTransform; }
    virtual void setTransform(const YMatrix& m) = 0;
    // Once a frame from updateAllBlocks: moves the drawing along with the
    // body and emits the visible faces.
    virtual void update(float dt) = 0;
    // A lightning strike from the centre that reaches at most radius. The
    // block that was hit (this one, or a piece broken off it), or null.
    virtual YBlock* blastHit(int seed, const YVec3& centre, float radius);

    // Unique for the whole run: a block allocated later at the address of
    // a dead one has another serial.
    uint64_t serial() const { return mSerial; }

    // Set by the electro ball's lightning on the block it strikes, so that
    // another lightning does not pick it.
    bool lightningTarget = false;

protected:
    YMatrix mTransform;

private:
    uint64_t mSerial;
};

// No block is left at all.
bool noBlocksLeft();
// Whether the block with that serial still lives. The pointer is only
// compared, never followed, unless it names a live block.
bool isBlockAlive(const YBlock* block, uint64_t serial);
// Seeds the game's random numbers with the seed, picks a block at random
// and returns what its blastHit gives (with a further random seed); null
// when there are no blocks.
YBlock* strikeRandomBlock(int seed, const YVec3& centre, float radius);

// Tears the world down quietly: deletes every block (without splinters,
// bonuses, sounds or scores), the particles and the racket's objects.
void clearWorld();

// The short delay of a block that is done for: 0.1375 to 0.1625 s. Balls
// and bonuses that leave the playfield go after the same delay.
float blockDeathDelay();
