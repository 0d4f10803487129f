#include "world/rigid_body.h"

#include "core/log.h"
#include "world/ode_convert.h"
#include "world/physics_world.h"

#include <cmath>

namespace {

YGeomDestroyHook gGeomDestroyHook = nullptr;

constexpr float MIN_HALF_SIZE = 0.001f;

// Sylvester's test on the leading minors, in double.
bool positiveDefinite(const double t[9])
{
    for (int i = 0; i < 9; ++i)
        if (!std::isfinite(t[i]))
            return false;
    double m1 = t[0];
    double m2 = t[0] * t[4] - t[1] * t[3];
    double m3 = t[0] * (t[4] * t[8] - t[5] * t[7]) - t[1] * (t[3] * t[8] - t[5] * t[6]) +
                t[2] * (t[3] * t[7] - t[4] * t[6]);
    return m1 > 0 && m2 > 0 && m3 > 0;
}

} // namespace

YRigidBody::YRigidBody()
{
    YPhysicsWorld& world = physics();
    mBody = dBodyCreate(world.world());
    dBodySetData(mBody, this);
    world.objectCreated();
}

YRigidBody::~YRigidBody()
{
    dBodyDestroy(mBody);
    if (gPhysics) {
        gPhysics->forgetBody(this);
        gPhysics->objectDestroyed();
    }
}

void YRigidBody::setTransform(const YMatrix& m)
{
    dBodyEnable(mBody);
    dBodySetPosition(mBody, m[12], m[13], m[14]);
    dMatrix3 r;
    matrixToOdeRotation(m, r);
    dBodySetRotation(mBody, r);
}

YMatrix YRigidBody::getTransform() const
{
    return odeToMatrix(dBodyGetRotation(mBody), dBodyGetPosition(mBody));
}

YVec3 YRigidBody::getPosition() const
{
    return toVec3(dBodyGetPosition(mBody));
}

void YRigidBody::setEnabled(bool enabled)
{
    if (enabled)
        dBodyEnable(mBody);
    else
        dBodyDisable(mBody);
}

bool YRigidBody::isEnabled() const
{
    return dBodyIsEnabled(mBody) != 0;
}

float YRigidBody::compressMass(float mass)
{
    if (mass <= 0.1f)
        return 0.1f;
    if (mass <= 1.0f)
        return mass;
    return 0.1f + 10.0f * (1.0f - 0.1f / (0.01f * mass + 0.1f));
}

float YRigidBody::setMass(float mass, const float inertia[3], bool compress)
{
    const float tensor[9] = {inertia[0], 0, 0, 0, inertia[1], 0, 0, 0, inertia[2]};
    return setMassFull(mass, tensor, compress);
}

float YRigidBody::setMassFull(float mass, const float tensor[9], bool compress)
{
    if (!std::isfinite(mass) || mass < MIN_MASS) {
        YLog::writef("Bad body mass %g, using %g", mass, MIN_MASS);
        mass = MIN_MASS;
    }
    float applied = compress ? compressMass(mass) : mass;
    double scale = static_cast<double>(applied) / mass;
    // Only the symmetric part is read: I12, I13, I23 from the upper triangle.
    double t[9] = {tensor[0], tensor[1], tensor[2], tensor[1], tensor[4],
                   tensor[5], tensor[2], tensor[5], tensor[8]};
    for (double& v : t)
        v *= scale;
    if (!positiveDefinite(t)) {
        YLog::writef("Bad inertia (%g, %g, %g) for mass %g, using a cube's", t[0], t[4], t[8],
                     applied);
        double cube = applied / 6.0; // a unit cube: (1 + 1) x m / 12
        for (int i = 0; i < 9; ++i)
            t[i] = (i % 4 == 0) ? cube : 0.0;
    }
    dMass m;
    dMassSetZero(&m);
    dMassSetParameters(&m, applied, 0, 0, 0, t[0], t[4], t[8], t[1], t[2], t[5]);
    dBodySetMass(mBody, &m);
    return applied;
}

float YRigidBody::getMass() const
{
    dMass m;
    dBodyGetMass(mBody, &m);
    return static_cast<float>(m.mass);
}

YVec3 YRigidBody::getLinearVelocity() const
{
    return toVec3(dBodyGetLinearVel(mBody));
}

YVec3 YRigidBody::getAngularVelocity() const
{
    return toVec3(dBodyGetAngularVel(mBody));
}

YVec3 YRigidBody::getPointVelocity(const YVec3& p) const
{
    dVector3 v;
    dBodyGetPointVel(mBody, p.x, p.y, p.z, v);
    return toVec3(v);
}

void YRigidBody::setLinearVelocity(const YVec3& v)
{
    dBodySetLinearVel(mBody, v.x, v.y, v.z);
}

void YRigidBody::setAngularVelocity(const YVec3& v)
{
    dBodySetAngularVel(mBody, v.x, v.y, v.z);
}

void YRigidBody::addForce(const YVec3& f)
{
    dBodyAddForce(mBody, f.x, f.y, f.z);
}

void YRigidBody::addForceAtPosition(const YVec3& f, const YVec3& p)
{
    dBodyAddForceAtPos(mBody, f.x, f.y, f.z, p.x, p.y, p.z);
}

void setGeomDestroyHook(YGeomDestroyHook hook)
{
    gGeomDestroyHook = hook;
}

YGeomDestroyHook geomDestroyHook()
{
    return gGeomDestroyHook;
}

void destroyGeom(dGeomID geom)
{
    if (!geom)
        return;
    if (gGeomDestroyHook)
        gGeomDestroyHook(geom);
    dGeomDestroy(geom);
}

YVec3 validHalfSize(const YVec3& h)
{
    YVec3 r = h;
    for (int i = 0; i < 3; ++i) {
        if (!std::isfinite(r[i]) || r[i] < MIN_HALF_SIZE)
            r[i] = MIN_HALF_SIZE;
    }
    if (r.x != h.x || r.y != h.y || r.z != h.z)
        YLog::writef("Bad box half size (%g, %g, %g), using (%g, %g, %g)", h.x, h.y, h.z, r.x, r.y,
                     r.z);
    return r;
}
