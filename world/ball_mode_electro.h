#pragma once
#include "world/ball_mode_super.h"

#include <cstdint>

class YBlock;

// Destroys what it touches and strikes nearby blocks with lightning: three
// bolts, each striking a block in reach, holding it for a quarter second
// and destroying it, then resting for a second. The table glows blue under
// the ball.
class YBallElectro : public YBallModeSuper {
public:
    static constexpr int SLOT_COUNT = 3;
    static constexpr float STRIKE_RADIUS = 7.0f;
    static constexpr float STRIKE_TIME = 0.25f;
    static constexpr float COOL_TIME = 1.0f;
    // Bolts are cut into segments of about this length, at most
    // MAX_SEGMENTS, and their inner points shaken by up to JITTER per axis.
    static constexpr float SEGMENT_LENGTH = 1.0f;
    static constexpr int MAX_SEGMENTS = 10;
    static constexpr float JITTER = 0.375f;

    enum SlotState { IDLE, STRIKING, COOLING };
    struct Slot {
        SlotState state = COOLING;
        float timer = 0.0f;
        // The struck block. Only compared, and followed only once
        // isBlockAlive has found its serial among the live blocks: splits
        // allocate blocks all the time, and a new one may take a dead
        // target's address.
        YBlock* target = nullptr;
        uint64_t serial = 0;
    };

    // Each slot starts cooling, part way through (0..1 s to its first
    // strike).
    YBallElectro();
    // A strike still in flight leaves its block free for other lightning.
    ~YBallElectro() override;

    void applyPhysics(YBall& ball) override;
    void updateEffects(YBall& ball, float dt) override;

    const Slot& slot(int i) const { return mSlots[i]; }
    // The bolt of a slot that is striking, from the ball's centre to the
    // target's, as it would be queued (for drawing and tests): the points
    // of the segments in order, count + 1 of them.
    static int boltPoints(const YVec3& from, const YVec3& to, YVec3* points);

private:
    void runSlot(Slot& slot, const YVec3& centre, float dt);
    void queueBolt(const YVec3& from, const YVec3& to);

    Slot mSlots[SLOT_COUNT];
    YShader* mBoltShader;
    YNamedSound* mLightning;
};

// The centre of a block: a set's first item (a struck set has one item),
// a single's body.
YVec3 blockCentre(const YBlock* block);
