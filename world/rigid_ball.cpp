#include "world/rigid_ball.h"

#include "core/log.h"
#include "world/collision_category.h"
#include "world/physics_world.h"
#include "world/playfield.h"

#include <cmath>

namespace {
// Below this speed a ball has no direction to steer along.
constexpr float MIN_STEER_SPEED = 1e-4f;
} // namespace

YRigidBall::YRigidBall(int kind, float baseSpeed) : mBaseSpeed(baseSpeed), mKind(kind)
{
    mGeom = dCreateSphere(physics().space(), DEFAULT_RADIUS);
    dGeomSetBody(mGeom, body());
    dGeomSetCategoryBits(mGeom, COL_BALL);
    dGeomSetCollideBits(mGeom, COLLIDE_BALL);
    // ODE does not wake a resting body when its velocity is set, so a ball
    // that came to rest in a corner would freeze for good while still
    // counting as a ball in play. Balls never fall asleep.
    dBodySetAutoDisableFlag(body(), 0);
    setLinearVelocity(YVec3(-1.0f, -0.5f, 0.0f));
}

YRigidBall::~YRigidBall()
{
    destroyGeom(mGeom);
}

float YRigidBall::radius() const
{
    return static_cast<float>(dGeomSphereGetRadius(mGeom));
}

void YRigidBall::setup(float radius, int kind, float baseSpeed, YBallBumpEvent* ballMode)
{
    mKind = kind;
    mBaseSpeed = baseSpeed;
    mBallMode = ballMode;
    if (!std::isfinite(radius) || radius <= 0.0f) {
        YLog::writef("Bad ball radius %g, keeping %g", radius, this->radius());
        return;
    }
    if (static_cast<dReal>(radius) != dGeomSphereGetRadius(mGeom))
        dGeomSphereSetRadius(mGeom, radius);
}

void YRigidBall::launch(const YVec3& direction, const YVec3& position)
{
    setLinearVelocity(direction * mBaseSpeed);
    dBodySetPosition(body(), position.x, position.y, position.z);
}

void YRigidBall::setGeomEnabled(bool enabled)
{
    if (enabled)
        dGeomEnable(mGeom);
    else
        dGeomDisable(mGeom);
}

void YRigidBall::keepSpeed(float dt)
{
    YPhysicsWorld& world = physics();
    YVec3 v = getLinearVelocity();
    float s = v.length();
    float target = world.speedFactor * mBaseSpeed;
    if (s > MIN_STEER_SPEED && std::fabs(s - target) > 0.1f * target) {
        // A slow ball gains speed in x and y only; a fast one also loses its
        // vertical excess at once.
        float k = (target - s) / s;
        v.x *= 1.0f + k * 0.5f;
        v.y *= 1.0f + k * 0.5f;
        if (s > target)
            v.z *= 1.0f + k;
        setLinearVelocity(v);
    }
    // The arch: 0 at the racket's edge, 0.15 x depth over the centre and
    // 0.2 x depth at the far wall. A ball above it coming towards the player
    // is pulled down.
    YVec3 p = getPosition();
    float depth = gPlayfield.depth;
    float e = 0.5f - p.y / depth;
    float h = 0.2f * depth * (1.0f - e * e);
    if (p.z > h && v.y < -0.01f) {
        v.z -= 15.0f * world.speedFactor * dt;
        setLinearVelocity(v);
    }
    world.setBallsRunning();
}
