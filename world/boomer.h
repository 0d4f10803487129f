#pragma once
#include "render/mesh_draw.h"
#include "world/racket_tacked.h"
#include "world/zdelete.h"

#include <array>

class YColBox;

// The boomerang. The hero throws it; it flies smooth out-and-back loops over
// the table at 10 units a second, spinning four turns a second, and strikes
// what it touches: blocks are pushed and hit, walls flash, and it bounces
// off into a new loop from where it is. A racket it comes back to catches
// it; far off the table it is removed. It has no body: it follows its path,
// and one sweep box shared by all boomerangs tests it against the world
// each frame.
class YBoomer : public YMeshInstanceRef, public YRacketTacked, public YZDelete {
public:
    static constexpr const char* MESH = "mesh\\boomer.mes";
    static constexpr const char* SHADER = "boomer";
    static constexpr const char* THROW_SOUND = "boomer";
    static constexpr int HOLD_LOCK = 1;
    static constexpr int BONE = 1;
    static constexpr int PATH_POINTS = 40; // four segments of ten samples
    static constexpr float SPEED = 10.0f;
    static constexpr float SPIN = 1440.0f; // degrees a second
    static constexpr float WINDUP = 0.15f;
    static constexpr float CATCH_REACH = 0.6f;
    static constexpr float LEAVE_REACH = 5.0f;
    static constexpr float MIN_HEIGHT = 2.0f;

    YBoomer();

    // The throw: the launch timer, the hero's throw, the windup and the
    // "boomer" sound.
    void launch(int arg) override;
    void update(float dt) override;
    void setTransform(const YMatrix& m) override { setMatrix(m.m); }

    // A new loop from the current position along the direction: out to a
    // far point 0.775..0.925 table depths ahead, bending to the flier's
    // right, and back to an end point behind the start, at heights between
    // 2 and the arch over the table. A direction with no part along the
    // table keeps the loop's former heading (ahead, for the first loop).
    void buildPath(const YVec3& direction);

    YVec3 position() const { return matrix.translation(); }
    const std::array<YVec3, PATH_POINTS>& path() const { return mPath; }
    int pathIndex() const { return mIndex; }
    const YVec3& heading() const { return mHeading; }
    // The three unit rows: along the path, towards the inside of the curve,
    // and their cross product.
    const YVec3* orientation() const { return mOrientation; }
    float spinAngle() const { return mSpin; }
    float windup() const { return mWindup; }

    // Bounces off what the sweep box touched at the contact point: a
    // heading into the surface is mirrored (and flattened when it climbs or
    // dives steeply) and a new loop starts from here. A contact at the
    // boomerang's own centre turns it straight back.
    void strike(const YVec3& contact);

    // The sweep box all boomerangs share, made on first use; it belongs to
    // the physics world, so releaseSweepBox must come before its shutdown.
    static YColBox& sweepBox();
    static void releaseSweepBox();

private:
    void orientFor(int index);
    // Along the path by the distance.
    void fly(float distance);
    // The model matrix from the orientation, the spin and the position.
    void compose();
    bool catchByRacket();

    std::array<YVec3, PATH_POINTS> mPath;
    YVec3 mOrientation[3];
    YVec3 mHeading{0.0f, 1.0f, 0.0f};
    float mSpin = 0.0f;
    float mWindup = 0.0f;
    int mIndex = 1;
};
