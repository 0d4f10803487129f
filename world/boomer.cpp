// The boomerang's flight: the loop it builds, the way it follows it, its
// spin and tilt, the strikes it bounces off and the catch.
#include "world/boomer.h"

#include "platform/sys/random.h"
#include "render/shader.h"
#include "sound/named_sound.h"
#include "world/ball_mode.h"
#include "world/block.h"
#include "world/playfield.h"
#include "world/racket.h"
#include "world/weapons.h"
#include "world/world_events.h"
#include "world/world_queries.h"

#include <algorithm>
#include <cmath>

namespace {

YColBox* gSweepBox = nullptr;

const YVec3 START(0.0f, -2.5f, 3.0f);
constexpr float SWEEP_HALF_XY = 0.6f;
constexpr float SWEEP_HALF_Z = 0.07f;
constexpr int SEGMENTS = 4;
constexpr int SAMPLES = 10; // per segment
constexpr float STEEP = 0.7f; // a heading climbing or diving more steeply is flattened
// Points passed in one update at most: a few loops. A longer step stops
// there rather than running on for ever.
constexpr int MAX_PATH_STEPS = YBoomer::PATH_POINTS * 8;
constexpr float TINY = 1e-6f;

// Scales v to unit length; false (v unchanged) when it has no usable
// length.
bool unit(YVec3& v)
{
    const float len = v.length();
    if (!(len > TINY) || !std::isfinite(len))
        return false;
    v = v * (1.0f / len);
    return true;
}

// A random factor: centre + u x spread - spread / 2.
float around(float centre, float spread)
{
    return centre + sys::randUnit() * spread - spread * 0.5f;
}

} // namespace

YBoomer::YBoomer() : YMeshInstanceRef(ballMeshInstance(MESH, 1.0f))
{
    shaders.push_back(getShader(SHADER));
    holdLock = HOLD_LOCK;
    bone = BONE;
    mOrientation[0] = YVec3(1.0f, 0.0f, 0.0f);
    mOrientation[1] = YVec3(0.0f, 1.0f, 0.0f);
    mOrientation[2] = YVec3(0.0f, 0.0f, 1.0f);
    YMatrix m;
    m.makeTranslation(START);
    setMatrix(m.m);
    buildPath(YVec3(0.0f, 1.0f, 0.0f));
}

YColBox& YBoomer::sweepBox()
{
    if (!gSweepBox)
        gSweepBox = new YColBox(SWEEP_HALF_XY, SWEEP_HALF_XY, SWEEP_HALF_Z);
    return *gSweepBox;
}

void YBoomer::releaseSweepBox()
{
    delete gSweepBox;
    gSweepBox = nullptr;
}

void YBoomer::launch(int arg)
{
    YRacketTacked::launch(arg);
    if (gRacket)
        gRacket->onBoomerangLaunch();
    mWindup = WINDUP;
    playWorldSound(getNamedSound(THROW_SOUND), position());
}

void YBoomer::buildPath(const YVec3& direction)
{
    // Along the table only: a heading straight up or down (or none) has no
    // side to bend to, and keeps the former course.
    YVec3 d = direction;
    YVec3 u(d.x, d.y, 0.0f);
    if (!isFinite(d) || !unit(u)) {
        u = YVec3(mHeading.x, mHeading.y, 0.0f);
        if (!unit(u))
            u = YVec3(0.0f, 1.0f, 0.0f);
        d = u;
    }
    mHeading = d;
    unit(mHeading);

    const float depth = gPlayfield.depth;
    const YVec3 side(u.y, -u.x, 0.0f); // to the right of the throw
    YVec3 p[5];
    p[0] = position();
    p[2] = p[0] + d * (around(0.85f, 0.15f) * depth);
    p[1] = (p[0] + p[2]) * 0.5f + side * ((p[2] - p[0]).length() * around(0.25f, 0.05f));
    p[4] = p[2] - d * (around(1.7f, 0.3f) * depth);
    p[3] = (p[2] + p[4]) * 0.5f - side * ((p[4] - p[2]).length() * around(0.25f, 0.05f));
    // Between 2 and the arch over the table: low at the racket's edge,
    // half the depth at the far wall.
    for (YVec3& q : p) {
        const float e = 0.5f - q.y / depth;
        const float h = (1.0f - e * e) * depth * 0.5f;
        if (q.z < MIN_HEIGHT)
            q.z = h * 0.5f + sys::randUnit() * h * 0.25f - h * 0.125f;
        q.z = std::max(std::min(q.z, h), MIN_HEIGHT);
    }

    // Uniform cubic B-spline segments, the ends doubled so the path starts
    // and ends near its end points.
    const YVec3* const control[SEGMENTS][4] = {{&p[0], &p[0], &p[1], &p[2]},
                                               {&p[0], &p[1], &p[2], &p[3]},
                                               {&p[1], &p[2], &p[3], &p[4]},
                                               {&p[2], &p[3], &p[4], &p[4]}};
    const float sixth = 1.0f / 6.0f;
    for (int s = 0; s < SEGMENTS; ++s) {
        const YVec3& q0 = *control[s][0];
        const YVec3& q1 = *control[s][1];
        const YVec3& q2 = *control[s][2];
        const YVec3& q3 = *control[s][3];
        const YVec3 c0 = (q0 + q1 * 4.0f + q2) * sixth;
        const YVec3 c1 = (q2 - q0) * 0.5f;
        const YVec3 c2 = (q0 - q1 * 2.0f + q2) * 0.5f;
        const YVec3 c3 = (q1 * 3.0f - q0 - q2 * 3.0f + q3) * sixth;
        for (int k = 0; k < SAMPLES; ++k) {
            const float t = static_cast<float>(k) / SAMPLES;
            mPath[static_cast<size_t>(s * SAMPLES + k)] = c0 + (c1 + (c2 + c3 * t) * t) * t;
        }
    }
    mIndex = 1;
    orientFor(mIndex);
}

void YBoomer::orientFor(int index)
{
    const size_t j = static_cast<size_t>(std::min(std::max(index, 1), PATH_POINTS - 2));
    const YVec3 e1 = mPath[j] - mPath[j - 1];
    const YVec3 e2 = mPath[j + 1] - mPath[j];
    YVec3 a = e1 + e2;
    if (!unit(a)) {
        a = e2;
        if (!unit(a))
            a = mHeading;
    }
    YVec3 c = cross(a, e2 - e1);
    if (!unit(c)) {
        // A straight stretch has no inside: the boomerang lies flat.
        YVec3 b(-a.y, a.x, 0.0f);
        if (!unit(b))
            b = YVec3(1.0f, 0.0f, 0.0f);
        c = cross(a, b);
        unit(c);
    }
    YVec3 b = cross(c, a);
    unit(b);
    mOrientation[0] = a;
    mOrientation[1] = b;
    mOrientation[2] = c;
}

void YBoomer::update(float dt)
{
    dt = validStep(dt);
    YRacketTacked::update(dt);
    switch (windDown(mWindup, dt)) {
    case YWINDUP_IN_HAND:
        if (gRacket)
            gRacket->placeHeld(this);
        return;
    case YWINDUP_ENDED:
        mWindup = 0.0f;
        buildPath(throwDirection(racketThrowAngle()));
        return;
    case YWINDUP_IDLE:
        break;
    }
    if (gRacket && gRacket->held == this)
        return;
    // Not a number is never outside the table: it would fly for ever and
    // hand its nonsense to the sweep.
    if (!isFinite(position())) {
        deleteLater(0.0f);
        return;
    }
    if (catchByRacket())
        return; // in the hand: the racket places it from now on
    if (isOutsideTable(position(), LEAVE_REACH))
        deleteLater(blockDeathDelay());

    fly(SPEED * dt);
    mSpin = std::fmod(mSpin + SPIN * dt, 360.0f);
    compose();
    YVec3 contact;
    if (sweepBox().sweepHit(matrix, contact))
        strike(contact);
}

bool YBoomer::catchByRacket()
{
    if (launchTimer > 0.0f || isScheduled() || !gRacket || !gRacket->isNear(position(), CATCH_REACH))
        return false;
    YRacket& racket = *gRacket;
    racket.launch(0);
    // A hand that could not let go (outside play) keeps what it has.
    if (racket.held)
        return false;
    racket.held = this;
    racket.onBoomerangUpdate();
    return true;
}

void YBoomer::fly(float distance)
{
    YVec3 p = position();
    YVec3 v = mPath[static_cast<size_t>(mIndex)] - p;
    float len = v.length();
    for (int steps = 0; distance >= len; ++steps) {
        if (steps >= MAX_PATH_STEPS) {
            matrix.setTranslation(p);
            return;
        }
        p = mPath[static_cast<size_t>(mIndex)];
        distance -= len;
        if (len > TINY)
            mHeading = v * (1.0f / len);
        ++mIndex;
        matrix.setTranslation(p);
        if (mIndex >= PATH_POINTS)
            buildPath(mHeading); // the loop goes on the way it was going
        else
            orientFor(mIndex);
        v = mPath[static_cast<size_t>(mIndex)] - p;
        len = v.length();
    }
    // Here distance < len, so len > 0.
    mHeading = v * (1.0f / len);
    matrix.setTranslation(p + mHeading * distance);
}

void YBoomer::compose()
{
    const YVec3 at = position();
    YMatrix m;
    for (int r = 0; r < 3; ++r)
        for (int k = 0; k < 3; ++k)
            m(r, k) = mOrientation[k][r];
    YMatrix spin;
    spin.makeRotationZ(mSpin);
    m = m * spin; // the spin about the boomerang's own axis comes first
    m.setTranslation(at);
    setMatrix(m.m);
}

void YBoomer::strike(const YVec3& contact)
{
    // Away from the contact; a contact at the boomerang's own centre says
    // nothing of the surface: it is taken as straight ahead.
    YVec3 n = position() - contact;
    if (!unit(n))
        n = -mHeading;
    const float k = 2.0f * mHeading.dot(n);
    if (!(k < 0.0f))
        return; // already moving away
    YVec3 h = mHeading - n * k;
    if (!unit(h))
        h = -mHeading;
    if (std::fabs(h.z) > STEEP) {
        h.z *= 0.5f;
        unit(h);
    }
    buildPath(h);
}
