// The bomb's and the grenade's common life: resting in the hand, leaving it,
// flying with a burning fuse, the impact that cuts the fuse short, the
// explosion, the catch on the way back and the fuse sparks.
#include "world/thrown_weapon.h"

#include "platform/sys/random.h"
#include "render/particles.h"
#include "render/shader.h"
#include "sound/named_sound.h"
#include "world/block.h"
#include "world/bonus.h"
#include "world/playfield.h"
#include "world/racket.h"
#include "world/weapons.h"
#include "world/world_events.h"
#include "world/world_queries.h"

#include <algorithm>
#include <cmath>

namespace {

// The fuse sparks: short yellow flashes turning orange.
constexpr float SPARK_LIFE = 0.15f;
constexpr float SPARK_SIZE_START = 0.1f;
constexpr float SPARK_SIZE_END = 0.07f;
constexpr float SPARK_SPEED = 2.0f;
const float SPARK_START[4] = {1.0f, 1.0f, 0.25f, 1.0f};
const float SPARK_END[4] = {1.0f, 0.5f, 0.2f, 1.0f};

constexpr float MAX_SPIN = 5.0f; // of the tumble about the weapon's y axis

} // namespace

YThrownWeapon::YThrownWeapon(const YThrownWeaponKind& kind)
    : YMeshInstanceRef(ballMeshInstance(kind.mesh, 1.0f)),
      mKind(kind),
      mBody(YRigidBall::KIND_NORMAL, kind.baseSpeed)
{
    shaders.push_back(getShader(kind.shader));
    shaders.push_back(getShader(FUSE_SHADER));
    holdLock = kind.holdLock;
    bone = kind.bone;
    const float inertia[3] = {kind.inertia, kind.inertia, kind.inertia};
    mBody.setMass(kind.mass, inertia, false);
    mBody.setBumpListener(this);
    mBody.setTransform(YMatrix::identity());
    rest();
}

YThrownWeapon::~YThrownWeapon() { mBody.setBumpListener(nullptr); }

void YThrownWeapon::rest()
{
    mBody.setLinearVelocity(YVec3());
    mBody.setAngularVelocity(YVec3());
    mBody.setEnabled(false);
    mBody.setGeomEnabled(false);
}

void YThrownWeapon::setTransform(const YMatrix& m)
{
    mBody.setTransform(m); // wakes the body
    setMatrix(m.m);
    // In the hand the body must not gather speed under gravity between
    // frames, nor touch anything.
    if (!isFlying())
        rest();
}

YVec3 YThrownWeapon::fuseTip() const
{
    const YVec3 side(matrix.m[0], matrix.m[1], matrix.m[2]);
    const YVec3 up(matrix.m[8], matrix.m[9], matrix.m[10]);
    return matrix.translation() + up * mKind.tipZ + side * mKind.tipX;
}

void YThrownWeapon::bump(void* /*ownData*/, YRigidBody* other, const YVec3& /*force*/, const YVec3& /*torque*/,
                         const YVec3& /*position*/, const YVec3& /*normal*/, float /*depth*/)
{
    if (other && !other->bumpListener())
        return;
    // An unlit fuse (0) stays unlit.
    fuse = std::min(fuse, mKind.impactFuse);
}

void YThrownWeapon::light(int arg)
{
    YRacketTacked::launch(arg);
    throwTimer = mKind.windup;
    fuse = mKind.fuse;
}

void YThrownWeapon::update(float dt)
{
    dt = validStep(dt);
    YRacketTacked::update(dt);
    switch (windDown(throwTimer, dt)) {
    case YWINDUP_IN_HAND:
        followHand();
        break;
    case YWINDUP_ENDED:
        release();
        leftHand();
        break;
    case YWINDUP_IDLE:
        break;
    }
    bool lit = false;
    if (isFlying()) {
        const YVec3 p = followBody();
        lit = burnFuse(dt);
        catchAgain(p);
    }
    if (lit || mKind.sparksAlways)
        emitFuseSparks(dt);
}

void YThrownWeapon::followHand()
{
    if (gRacket)
        gRacket->placeHeld(this);
}

void YThrownWeapon::release()
{
    throwTimer = THROWN;
    mBody.setEnabled(true);
    mBody.setGeomEnabled(true);
    mBody.launch(throwDirection(mKind.lobbed ? racketThrowAngle() : 0.0f), matrix.translation());
    const float spin = sys::randUnit() * 2.0f * MAX_SPIN - MAX_SPIN;
    mBody.setAngularVelocity(YVec3(0.0f, spin, 0.0f));
}

YVec3 YThrownWeapon::followBody()
{
    const YMatrix m = mBody.getTransform();
    setMatrix(m.m);
    const YVec3 p = m.translation();
    if (isOutsideTable(p, mKind.reach))
        deleteLater(blockDeathDelay()); // a little later, like a ball
    return p;
}

bool YThrownWeapon::burnFuse(float dt)
{
    if (fuse <= 0.0f)
        return false;
    fuse -= dt;
    if (fuse > 0.0f)
        return true;
    explode();
    return false;
}

void YThrownWeapon::catchAgain(const YVec3& position)
{
    // One that has gone off or is on its way out stays gone.
    if (launchTimer > 0.0f || isScheduled() || !gRacket || !gRacket->isNear(position, mKind.reach))
        return;
    YRacket& racket = *gRacket;
    if (mKind.holdAnimated)
        racket.hold(this);
    else
        racket.holdQuietly(this);
    if (racket.held != this)
        return; // not taken: it flies on
    fuse = 0.0f;
    throwTimer = 0.0f;
    rest();
}

void YThrownWeapon::emitFuseSparks(float dt)
{
    particleTime += dt;
    int n = static_cast<int>(std::floor(particleTime * mKind.particleRate));
    if (n <= 0)
        return;
    particleTime -= static_cast<float>(n) / mKind.particleRate;
    if (n > MAX_FUSE_SPARKS) {
        n = MAX_FUSE_SPARKS;
        particleTime = 0.0f;
    }
    // Looked up when used: a kept pointer would dangle once the shaders
    // are cleared.
    YShader* shader = getShader(FUSE_PARTICLES);
    const YVec3 tip = fuseTip();
    for (int i = 0; i < n; ++i) {
        const YVec3 v = randomBonusDirection() * SPARK_SPEED;
        gParticles().emit(SPARK_LIFE, SPARK_SIZE_START, SPARK_SIZE_END, &tip.x, &v.x, -1.0f, nullptr, shader,
                          SPARK_START, SPARK_END);
    }
}

void YThrownWeapon::explode()
{
    if (mExploded)
        return;
    mExploded = true;
    const YVec3 at = matrix.translation();
    YColBox::blast(at, mKind.blastRadius, mKind.blastStrength, mKind.blastSparks);
    playWorldSound(getNamedSound(mKind.blastSound), at);
    deleteLater(0.0f);
}
