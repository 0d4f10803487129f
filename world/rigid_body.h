#pragma once
#include "core/math.h"
#include "world/bump_events.h"

#include <ode/ode.h>

class YRigidBall;

// A moving object's body in the physics world: an ODE body whose user data
// is this object, and the listener that hears its bumps. Subclasses add the
// geoms. Creating a body builds the physics world if it does not exist yet.
class YRigidBody {
public:
    // Masses below this (or not finite) are raised to it: ODE cannot take a
    // mass of zero or less.
    static constexpr float MIN_MASS = 0.001f;

    YRigidBody();
    virtual ~YRigidBody();
    YRigidBody(const YRigidBody&) = delete;
    YRigidBody& operator=(const YRigidBody&) = delete;

    // The rigid ball behind this body, if it is one.
    virtual YRigidBall* asBall() { return nullptr; }

    dBodyID body() const { return mBody; }
    YRigidBumpEvent* bumpListener() const { return mBumpListener; }
    void setBumpListener(YRigidBumpEvent* listener) { mBumpListener = listener; }

    // Places the body (and wakes it): rotation from the matrix's upper 3x3,
    // position from its translation.
    void setTransform(const YMatrix& m);
    YMatrix getTransform() const;
    YVec3 getPosition() const;
    void setEnabled(bool enabled);
    bool isEnabled() const;

    // Sets a mass with a diagonal inertia tensor about the body's origin and
    // returns the mass the body got. With compress, masses are squeezed into
    // 0.1..10.1 (up to 1 unchanged, 10 becomes 5.1) and the inertia scaled
    // with them. A mass that is not positive is raised to MIN_MASS, and an
    // inertia that is not positive definite is replaced by that of a cube of
    // the mass; both are logged.
    float setMass(float mass, const float inertia[3], bool compress);
    // The same with a full symmetric tensor, 3x3 in row order.
    float setMassFull(float mass, const float tensor[9], bool compress);
    float getMass() const;

    YVec3 getLinearVelocity() const;
    YVec3 getAngularVelocity() const;
    // Velocity of a world point moving with the body.
    YVec3 getPointVelocity(const YVec3& point) const;
    void setLinearVelocity(const YVec3& v);
    void setAngularVelocity(const YVec3& v);
    void addForce(const YVec3& f);
    void addForceAtPosition(const YVec3& f, const YVec3& point);

    // The compression curve of setMass.
    static float compressMass(float mass);

private:
    dBodyID mBody = nullptr;
    YRigidBumpEvent* mBumpListener = nullptr;
};

// Every geom a body destroys is announced here first, so that a running
// query (an explosion walking its contact list) can forget it.
using YGeomDestroyHook = void (*)(dGeomID geom);
void setGeomDestroyHook(YGeomDestroyHook hook);
YGeomDestroyHook geomDestroyHook();
// Calls the hook (if set), then destroys the geom.
void destroyGeom(dGeomID geom);

// A half size with every component raised to a small positive value: ODE
// cannot take boxes of negative size. Logs what it changes.
YVec3 validHalfSize(const YVec3& halfSize);
