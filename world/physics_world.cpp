#include "world/physics_world.h"

#include "core/log.h"
#include "world/collision_category.h"
#include "world/ode_convert.h"
#include "world/rigid_body.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

YPhysicsWorld* gPhysics = nullptr;

namespace {

// ODE reports broken invariants through these; the log keeps the text
// before an error ends the program.
void odeError(int errnum, const char* msg, va_list ap)
{
    char text[YLog::BUFFER_SIZE];
    std::vsnprintf(text, sizeof(text), msg, ap);
    YLog::writef("ODE error %d: %s", errnum, text);
    std::abort();
}

void odeMessage(int errnum, const char* msg, va_list ap)
{
    char text[YLog::BUFFER_SIZE];
    std::vsnprintf(text, sizeof(text), msg, ap);
    YLog::writef("ODE message %d: %s", errnum, text);
}

} // namespace

YPhysicsWorld& YPhysicsWorld::init()
{
    if (!gPhysics) {
        dSetErrorHandler(odeError);
        dSetDebugHandler(odeError);
        dSetMessageHandler(odeMessage);
        dInitODE2(0);
        dAllocateODEDataForThread(dAllocateMaskAll);
        // The solver shuffles constraints with ODE's own generator: every
        // new world starts it afresh, so the same play gives the same result.
        dRandSetSeed(0);
        gPhysics = new YPhysicsWorld();
    }
    return *gPhysics;
}

bool YPhysicsWorld::shutdown()
{
    if (!gPhysics)
        return true;
    if (gPhysics->mLiveObjects != 0) {
        YLog::writef("Physics world not shut down: %d bodies still live", gPhysics->mLiveObjects);
        return false;
    }
    delete gPhysics;
    gPhysics = nullptr;
    dCloseODE();
    return true;
}

YPhysicsWorld::YPhysicsWorld()
{
    mWorld = dWorldCreate();
    mSpace = dHashSpaceCreate(nullptr);
    mRay = dCreateRay(nullptr, 7.0);
    dGeomSetCategoryBits(mRay, COL_RAY);
    dGeomSetCollideBits(mRay, COLLIDE_PROBE);
    mSphere = dCreateSphere(nullptr, 1.0);
    dGeomSetCategoryBits(mSphere, COL_SPHERE_PROBE);
    dGeomSetCollideBits(mSphere, COLLIDE_PROBE);
    mContactGroup = dJointGroupCreate(0);
    dWorldSetGravity(mWorld, 0, 0, -9.8);
    dWorldSetAutoDisableFlag(mWorld, 1);
    dWorldSetAutoDisableLinearThreshold(mWorld, 0.1);
    dWorldSetAutoDisableAngularThreshold(mWorld, 0.1);
    dWorldSetAutoDisableSteps(mWorld, 30);
    dWorldSetAutoDisableTime(mWorld, 1.5);
    // Every contact: infinite friction, a lively bounce that the near
    // callback switches on only when a ball takes part.
    std::memset(mContacts, 0, sizeof(mContacts));
    for (dContact& c : mContacts) {
        c.surface.mode = 0;
        c.surface.mu = dInfinity;
        c.surface.mu2 = 0;
        c.surface.bounce = 0.95;
        c.surface.bounce_vel = 0;
        c.surface.soft_erp = 1.0;
        c.surface.soft_cfm = 0.0001;
    }
    for (YBumpRecord& b : mBumps)
        b = YBumpRecord();
    dWorldSetCFM(mWorld, 0.001);
    dWorldSetERP(mWorld, 0.5);
}

YPhysicsWorld::~YPhysicsWorld()
{
    dGeomDestroy(mRay);
    dGeomDestroy(mSphere);
    dJointGroupDestroy(mContactGroup);
    // The main space destroys what it holds: the table space and its geoms.
    dSpaceDestroy(mSpace);
    dWorldDestroy(mWorld);
}

void YPhysicsWorld::objectDestroyed()
{
    --mLiveObjects;
}

void YPhysicsWorld::step(float dt)
{
    if (!std::isfinite(dt) || dt < 0.0f)
        dt = 0.0f;
    float acc = mAccumulator + dt;
    mAccumulator = 0.0f;
    if (acc < STEP_TIME) {
        mAccumulator = acc;
        return;
    }
    mBumpCount = 0;
    dSpaceCollide(mSpace, this, &nearCallback);
    // The whole gathered time is one solver step.
    dWorldQuickStep(mWorld, acc);
    deliverBumps();
    dJointGroupEmpty(mContactGroup);
    if (mBallsRunning) {
        speedFactor += SPEED_FACTOR_GROWTH * acc;
        if (speedFactor > SPEED_FACTOR_MAX)
            speedFactor = SPEED_FACTOR_MAX;
    }
    mBallsRunning = false;
}

void YPhysicsWorld::deliverBumps()
{
    mDelivering = true;
    for (int i = 0; i < mBumpCount; ++i) {
        const YBumpRecord& r = mBumps[i];
        if (r.body1 && r.body1->bumpListener()) {
            r.body1->bumpListener()->bump(r.data1, r.body2, toVec3(r.feedback.f1),
                                          toVec3(r.feedback.t1), r.position, r.normal, r.depth);
        }
        // Read again: the first listener may have destroyed body 2.
        if (r.body2 && r.body2->bumpListener()) {
            r.body2->bumpListener()->bump(r.data2, r.body1, toVec3(r.feedback.f2),
                                          toVec3(r.feedback.t2), r.position, r.normal.negated(),
                                          r.depth);
        }
    }
    mDelivering = false;
}

void YPhysicsWorld::forgetBody(YRigidBody* body)
{
    if (!mDelivering)
        return;
    for (int i = 0; i < mBumpCount; ++i) {
        if (mBumps[i].body1 == body)
            mBumps[i].body1 = nullptr;
        if (mBumps[i].body2 == body)
            mBumps[i].body2 = nullptr;
    }
}

bool YPhysicsWorld::buildTable(float width, float depth, float backOffset)
{
    if (!std::isfinite(width) || !std::isfinite(depth) || !std::isfinite(backOffset) ||
        width <= 0.0f || depth <= 0.0f) {
        YLog::writef("Bad table geometry %g x %g (offset %g), keeping the old table", width, depth,
                     backOffset);
        return false;
    }
    if (mTableSpace)
        dSpaceDestroy(mTableSpace);
    mTableSpace = dSimpleSpaceCreate(mSpace);
    dSpaceID ts = mTableSpace;
    dReal w = width, d = depth;

    // The floor's top lies at z = 0.02; the base below catches what falls
    // past the floor's edge.
    dGeomID floor = dCreateBox(ts, w + 0.2, d + 0.2, 4.0);
    dGeomSetPosition(floor, 0, 0, -1.98);
    dGeomSetCategoryBits(floor, COL_FLOOR);
    dGeomID base = dCreateBox(ts, w + 12.0, d + 12.0, 6.0);
    dGeomSetPosition(base, 0, 0, -6.656);
    dGeomSetCategoryBits(base, COL_FLOOR);

    // Walls only stop what collides with them (balls): blocks pass them.
    // The side walls lean a little towards the racket.
    struct Plane {
        dReal a, b, c, d;
        unsigned category;
    };
    const Plane planes[] = {
        {0, -1, 0, -d / 2, COL_WALL},                      // far wall
        {1, -0.01, 0, -w / 2, COL_WALL},                   // left wall
        {-1, -0.01, 0, -w / 2, COL_WALL},                  // right wall
        {0, 1, 0, dReal(backOffset) - d / 2, COL_BARRIER}, // near barrier
    };
    for (const Plane& p : planes) {
        dGeomID g = dCreatePlane(ts, p.a, p.b, p.c, p.d);
        dGeomSetCategoryBits(g, p.category);
        dGeomSetCollideBits(g, COLLIDE_NONE);
    }
    return true;
}
