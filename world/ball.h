#pragma once
#include "world/racket_tacked.h"
#include "world/rigid_ball.h"
#include "world/zdelete.h"

class YBallMode;

// One ball in play or held by the racket: a mode (look and behaviour) and a
// rigid sphere. Once a frame the racket's update drives it: it follows its
// body, keeps its speed, meets the racket, takes the racket's ball mode when
// it touches the racket, and schedules its own deletion once it has left
// the playfield.
class YBall : public YRacketTacked, public YZDelete {
public:
    static constexpr float KICK_SOUND_COOLDOWN = 0.25f;

    // A ball of that mode (ids outside 0..6 give the normal mode).
    explicit YBall(int modeId);
    // Takes over a ready mode object (null gives the normal mode).
    explicit YBall(YBallMode* mode);
    // With the world live: a burst of sparks and "destroy_ball".
    ~YBall() override;

    // Thrown by the racket; the body wakes.
    void launch(int arg) override;
    void update(float dt) override;
    void setTransform(const YMatrix& m) override { setBodyTransform(m); }
    bool countsAsBall() const override;
    // Places the drawn mesh and the body.
    void setBodyTransform(const YMatrix& m);

    // Changes the mode (nothing when it is the current one); the new mode
    // keeps the drawn place, sets the body's physics, and "mutation" sounds.
    // Ids outside 0..6 mean the normal mode.
    void setMode(int modeId);
    // Called by the modes: radius, kind and base speed on the body, and a
    // solid sphere's inertia for the mass.
    void setPhysics(float mass, int kind, float baseSpeed);
    // Velocity = base speed x direction from the position; the mode's kick
    // sound when the cooldown allows.
    void kick(const YVec3& direction, const YVec3& position);

    // Whether the racket holds this ball.
    bool isHeld() const;

    YBallMode* mode() const { return mMode; }
    YRigidBall& body() { return mBody; }
    const YRigidBall& body() const { return mBody; }
    float radius() const;
    YVec3 position() const { return mBody.getPosition(); }
    YVec3 velocity() const { return mBody.getLinearVelocity(); }
    float kickCooldown() const { return mKickCooldown; }

private:
    // The racket's kick when the ball has come within its reach.
    void meetRacket(const YVec3& position);

    float mKickCooldown = 0.0f;
    YBallMode* mMode;
    YRigidBall mBody;
};
