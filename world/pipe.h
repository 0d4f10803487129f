#pragma once
#include "render/mesh_draw.h"
#include "world/racket_tacked.h"

class YShader;

// The smoking pipe the hero holds in his mouth while a new level settles.
// It is locked in the hand (the gloves' expiry does not let it go), is no
// ball, and puffs smoke three times a second.
class YPipe : public YMeshInstanceRef, public YRacketTacked {
public:
    static constexpr const char* MESH = "mesh\\pipe.mes";
    static constexpr int HOLD_LOCK = 4;
    static constexpr int BONE = 3; // the mouth
    static constexpr float PUFF_TIME = 1.0f / 3.0f;
    // Puffs of one update at most; a longer gap drops the rest.
    static constexpr int MAX_PUFFS = 30;

    YPipe();
    ~YPipe() override;

    // Smoke for the time passed; the launch timer is not counted.
    void update(float dt) override;
    void setTransform(const YMatrix& m) override { setMatrix(m.m); }

    // Deletes the instance all pipes share (made by the first pipe); pipes
    // still alive draw nothing.
    static void releaseSharedInstance();

    float smokeTime = 0.0f;

private:
    YShader* mSmokeShader;
};
