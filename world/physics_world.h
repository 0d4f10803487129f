#pragma once
#include "core/math.h"

#include <ode/ode.h>

class YRigidBody;
class YRigidBall;

// One recorded contact between two geoms, handed to the bodies' bump
// listeners after the solver step.
struct YBumpRecord {
    // Forces and torques of the pair's deepest contact joint, written by the
    // solver. Zeroed when the record is made, so a joint that was created
    // but not attached (a phantom ball passing a block) reports no force.
    dJointFeedback feedback;
    YRigidBody* body1;
    YRigidBody* body2;
    YVec3 position; // mean of the accepted contact positions
    YVec3 normal;   // unit, from geom 2 towards geom 1
    float depth;    // the deepest accepted penetration
    void* data1;    // user data of geom 1 and geom 2
    void* data2;
};

// The game's one rigid-body world: the ODE world, the collision space with
// the table's static geometry, the contact rules that decide which contacts
// become bump events, and the ball speed factor.
//
// Built by init() or on first use through physics(); shutdown() destroys it
// and releases ODE once every body and sweep box is gone.
class YPhysicsWorld {
public:
    static constexpr float STEP_TIME = 0.025f; // gathered time that makes a solver step
    static constexpr float SPEED_FACTOR_START = 0.7f;
    static constexpr float SPEED_FACTOR_MAX = 1.2f;
    static constexpr float SPEED_FACTOR_GROWTH = 0.007f; // per second of play with balls running
    static constexpr int MAX_CONTACTS = 4;               // per geom pair
    static constexpr int MAX_BUMPS = 200;                // records; at most MAX_BUMPS - 1 per step

    // Creates the world (and initialises ODE) unless it exists; sets gPhysics.
    static YPhysicsWorld& init();
    // Destroys the world and closes ODE. Refused (logged, false) while bodies
    // or sweep boxes still live, since their geoms belong to the world.
    static bool shutdown();

    // The speed every running ball steers towards, as a factor of its base
    // speed: 0.7 at the start of a serve, growing to 1.2 while balls run.
    float speedFactor = SPEED_FACTOR_START;

    // Gathers frame time; once 0.025 s have gathered, runs collision and one
    // solver step over the whole gathered time, then hands the bump records
    // to the listeners. A negative or non-finite dt counts as 0.
    void step(float dt);
    void resetSpeedFactor() { speedFactor = SPEED_FACTOR_START; }
    void setMaxSpeedFactor() { speedFactor = SPEED_FACTOR_MAX; }

    // Rebuilds the table's static geometry for a table of width (x) and depth
    // (y) centred on the origin. backOffset is the distance of the near
    // barrier (which holds the blocks) from the racket's edge: the racket's
    // width + 0.5 in the game. A size that is not positive and finite, or a
    // non-finite offset, is logged and refused (false); the old table stays.
    bool buildTable(float width, float depth, float backOffset);

    dWorldID world() const { return mWorld; }
    dSpaceID space() const { return mSpace; }
    dSpaceID tableSpace() const { return mTableSpace; }
    dGeomID rayProbe() const { return mRay; }
    dGeomID sphereProbe() const { return mSphere; }
    // Set by every running ball's keepSpeed; read and cleared by step.
    void setBallsRunning() { mBallsRunning = true; }
    bool ballsRunning() const { return mBallsRunning; }
    // Frame time gathered towards the next solver step.
    float pendingTime() const { return mAccumulator; }

    // Bookkeeping of the objects that own geoms in this world.
    void objectCreated() { ++mLiveObjects; }
    void objectDestroyed();
    int liveObjects() const { return mLiveObjects; }

private:
    YPhysicsWorld();
    ~YPhysicsWorld();
    YPhysicsWorld(const YPhysicsWorld&) = delete;
    YPhysicsWorld& operator=(const YPhysicsWorld&) = delete;

    static void nearCallback(void* data, dGeomID o1, dGeomID o2);
    void collidePair(dGeomID o1, dGeomID o2);
    void touchStatic(YRigidBall* ball, dGeomID staticGeom, const dContactGeom& contact,
                     const YVec3& m);
    void deliverBumps();

    dWorldID mWorld = nullptr;
    dSpaceID mSpace = nullptr;
    dSpaceID mTableSpace = nullptr;
    dJointGroupID mContactGroup = nullptr;
    dGeomID mRay = nullptr;
    dGeomID mSphere = nullptr;
    float mAccumulator = 0.0f;
    bool mBallsRunning = false;
    bool mDelivering = false;
    int mLiveObjects = 0;

    dContact mContacts[MAX_CONTACTS];
    int mBumpCount = 0;
    YBumpRecord mBumps[MAX_BUMPS];

    friend class YRigidBody;
    // A body that dies while its bump records are being delivered is taken
    // out of the records that are still to come.
    void forgetBody(YRigidBody* body);
};

// The physics world, or null before init().
extern YPhysicsWorld* gPhysics;

// The physics world, built on first use.
inline YPhysicsWorld& physics()
{
    return gPhysics ? *gPhysics : YPhysicsWorld::init();
}
