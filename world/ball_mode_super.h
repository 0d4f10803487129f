#pragma once
#include "world/ball_mode.h"

class YShader;

// The modes that destroy what they touch outright (phantom, fire, electro).
// They wear a flare, a billboard drawn over the ball, and leave trails.
class YBallModeSuper : public YBallMode {
public:
    // Half side of the light spot that the fire and electro balls cast on
    // the table beneath them (fading out as the ball rises to this height).
    static constexpr float LIGHT_SPOT_RADIUS = 4.0f;

    YBallModeSuper(YBallModeId id, float radius, const char* flareShader, float flareFactor);

    // The single goes a moment later (0.1375..0.1625 s). True when its
    // deletion was scheduled by this bump.
    bool bumpSingle(YBlockSingle* single, const YVec3& force, const YVec3& torque,
                    const YVec3& position, const YVec3& normal, float depth) override;
    // A set of one item goes a moment later; from a larger set the item is
    // broken off and the single it gives goes a moment later. True when a
    // deletion was scheduled by this bump.
    bool bumpSet(YBlockSet* set, YBlockItem* item, const YVec3& force, const YVec3& torque,
                 const YVec3& position, const YVec3& normal, float depth) override;

    // Queues the flare (not while held), then draws the mesh.
    void draw() override;

    YShader* flareShader() const { return mFlareShader; }
    // The flare's half diagonal is this times the radius.
    float flareFactor() const { return mFlareFactor; }
    float particleTime() const { return mParticleTime; }

protected:
    // Adds dt to the particle time and takes off whole periods: the number
    // of particles due.
    int particlesDue(float dt, float period);

    YShader* mFlareShader;
    float mFlareFactor;
    float mParticleTime = 0.0f;
};

// Passes through blocks and balls, destroying the blocks, and bounces off
// the floor and walls. Leaves a trail of pale sparks.
class YBallPhantom : public YBallModeSuper {
public:
    static constexpr float PARTICLE_PERIOD = 0.05f;

    YBallPhantom();
    void applyPhysics(YBall& ball) override;
    void updateEffects(YBall& ball, float dt) override;

private:
    YShader* mParticleShader;
};

// Burns through blocks, trailing flames and lighting the table under it.
class YBallFire : public YBallModeSuper {
public:
    static constexpr float PARTICLE_PERIOD = 0.04f;

    YBallFire();
    void applyPhysics(YBall& ball) override;
    void updateEffects(YBall& ball, float dt) override;

private:
    YShader* mParticleShader;
};

// A random direction: components uniform in -0.5..0.5, normalised (straight
// up in the rare case of a zero draw).
YVec3 randomBallDirection();
