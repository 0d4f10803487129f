#pragma once
#include "render/mesh_draw.h"
#include "world/bump_events.h"

#include <cstddef>
#include <initializer_list>
#include <string>

class YBall;
class YNamedSound;

// What kind of ball a ball is: look, radius, mass, sounds, effects and how it
// treats the blocks it bumps into.
enum YBallModeId {
    YBallNormalId = 0,
    YBallHeavyId = 1,
    YBallPhantomId = 2,
    YBallFireId = 3,
    YBallElectroId = 4,
    YBallGenerativeId = 5,
    YBallSmallId = 6,
    YBALL_MODE_COUNT = 7
};

// The mode id itself when it names a mode, else the normal mode.
YBallModeId validBallMode(int id);

// A mode is the ball's drawn mesh (it shares one mesh instance with every
// ball of its look) and the listener of the ball's bumps. It belongs to one
// ball and dies with it or when the ball changes mode.
class YBallMode : public YMeshInstanceRef, public YBallBumpEvent {
public:
    static constexpr float BASE_SPEED = 10.0f; // every mode's base speed
    static constexpr float BALL_RADIUS = 0.5f; // every mode's but the small ball's

    YBallMode(YBallModeId id, float radius);
    ~YBallMode() override;

    // Trailing effects once a frame (nothing by default).
    virtual void updateEffects(YBall& ball, float dt);
    // Sets the ball's radius, kind, mass and base speed.
    virtual void applyPhysics(YBall& ball) = 0;
    // False only for the small ball: it does not keep a life alive.
    virtual bool countsAsBall() const { return true; }

    // The floor contact: the kick sound at the position, volume = strength.
    void bumpOther(const YVec3& position, float strength) override;

    // The ball that owns the mode; the ball sets it when it takes the mode.
    void setBall(YBall* ball) { mBall = ball; }
    YBall* ball() const { return mBall; }
    // True while the racket holds the owning ball: trails and flares rest.
    bool isHeld() const;

    YBallModeId id() const { return mId; }
    float radius() const { return mRadius; }
    YNamedSound* kickSound() const { return mKickSound; }
    // Where the mode was last drawn: the ball's position of this frame.
    YVec3 position() const { return matrix.translation(); }
    // The owning ball's current position (the body's), or position()
    // without a ball.
    YVec3 ballPosition() const;

protected:
    // The mesh (shared instance at that scale) and its shaders in subset
    // order.
    void setLook(const char* mesh, float scale, std::initializer_list<const char*> shaderNames);
    void setKickSound(const char* name);

    float mRadius;
    YBallModeId mId;
    YNamedSound* mKickSound = nullptr;
    YBall* mBall = nullptr;
};

// A new mode object of that id (0..6; anything else gives the normal mode).
YBallMode* createBallMode(int id);

// The mesh instances the balls share: one per mesh file and scale, made on
// first request. An instance deleted elsewhere (a test tearing down every
// render resource) is forgotten, and made again when asked for.
YMeshInstanceBase* ballMeshInstance(const std::string& meshName, float scale);
size_t ballMeshInstanceCount();
// Deletes the shared instances (at exit, and between tests). No ball may be
// alive: their modes point at them.
void releaseBallMeshInstances();

