#pragma once
#include "world/rigid_body.h"

// The sphere of a ball, a bonus, a bomb or a grenade. It steers its speed
// towards its base speed times the world's speed factor and hands floor
// contacts to its ball mode.
class YRigidBall : public YRigidBody {
public:
    // kind: how the contact rules treat the ball.
    static constexpr int KIND_NORMAL = 0;  // a ball
    static constexpr int KIND_BONUS = 1;   // a falling bonus: records bumps like a block
    static constexpr int KIND_PHANTOM = 2; // passes through other bodies
    // Every sphere starts with this radius; setup changes it.
    static constexpr float DEFAULT_RADIUS = 0.5f;

    // A sphere of DEFAULT_RADIUS in the main space, moving at (-1, -0.5, 0).
    // Balls construct with kind 0 and base speed 10, bonuses with 1 and 7.
    YRigidBall(int kind, float baseSpeed);
    ~YRigidBall() override;

    YRigidBall* asBall() override { return this; }

    // Applies a ball mode's physics: radius, kind, base speed and the mode
    // that hears the ball's bumps (null for none). A radius that is not
    // positive and finite keeps the current one (logged).
    void setup(float radius, int kind, float baseSpeed, YBallBumpEvent* ballMode);
    // Velocity = base speed x direction (not normalised), then moves there.
    void launch(const YVec3& direction, const YVec3& position);
    // Takes the sphere out of collisions or puts it back.
    void setGeomEnabled(bool enabled);
    // Once a frame while the ball runs: corrects a speed more than 10 % off
    // the target, pulls a ball flying high towards the player down onto the
    // arch over the table, and tells the world that balls are running.
    void keepSpeed(float dt);

    dGeomID geom() const { return mGeom; }
    float radius() const;
    int kind() const { return mKind; }
    float baseSpeed() const { return mBaseSpeed; }
    // The mode of the ball: hears floor strikes here and block bumps through
    // the blocks. Null for bonuses, bombs and grenades.
    YBallBumpEvent* ballMode() const { return mBallMode; }

private:
    dGeomID mGeom = nullptr;
    YBallBumpEvent* mBallMode = nullptr;
    float mBaseSpeed;
    int mKind;
};
