#include "world/ball.h"

#include "render/particles.h"
#include "sound/named_sound.h"
#include "world/ball_mode.h"
#include "world/block.h"
#include "world/playfield.h"
#include "world/racket.h"
#include "world/world_events.h"

#include <algorithm>
#include <cmath>

YBall::YBall(int modeId) : YBall(createBallMode(modeId)) {}

YBall::YBall(YBallMode* mode)
    : mMode(mode ? mode : createBallMode(YBallNormalId)), mBody(YRigidBall::KIND_NORMAL, YBallMode::BASE_SPEED)
{
    mMode->setBall(this);
    mMode->setMatrix(mBody.getTransform().m);
    mMode->applyPhysics(*this);
}

YBall::~YBall()
{
    // The burst takes the look of the ball as it was at its end.
    const float r = radius();
    const YVec3 p = mBody.getPosition();
    const YVec3 v = mBody.getLinearVelocity();
    delete mMode;
    mMode = nullptr;
    if (gWorldLive)
        spawnLostBurst(p, v, 2.0f * r);
}

float YBall::radius() const
{
    return mMode ? mMode->radius() : mBody.radius();
}

bool YBall::countsAsBall() const
{
    return mMode && mMode->countsAsBall();
}

bool YBall::isHeld() const
{
    return gRacket && gRacket->held == static_cast<const YRacketTacked*>(this);
}

void YBall::setBodyTransform(const YMatrix& m)
{
    mMode->setMatrix(m.m);
    mBody.setTransform(m);
}

void YBall::setMode(int modeId)
{
    const YBallModeId id = validBallMode(modeId);
    if (mMode->id() == id)
        return;
    const YMatrix saved = mMode->matrix;
    delete mMode;
    mMode = createBallMode(id);
    mMode->setBall(this);
    mMode->setMatrix(saved.m);
    mMode->applyPhysics(*this);
    playWorldSound(getNamedSound("mutation"), saved.translation());
}

void YBall::setPhysics(float mass, int kind, float baseSpeed)
{
    const float r = mMode->radius();
    mBody.setup(r, kind, baseSpeed, mMode);
    // A solid sphere's inertia, scaled down so that balls roll freely.
    const float i = r * r * mass * 0.4f * 0.01f;
    const float inertia[3] = {i, i, i};
    mBody.setMass(mass, inertia, false);
}

void YBall::kick(const YVec3& direction, const YVec3& position)
{
    mBody.launch(direction, position);
    if (mKickCooldown <= 0.0f) {
        playWorldSound(mMode->kickSound(), mMode->position());
        mKickCooldown = KICK_SOUND_COOLDOWN;
    }
}

void YBall::launch(int arg)
{
    YRacketTacked::launch(arg);
    mBody.setEnabled(true);
    if (gRacket)
        gRacket->throwBall(this);
}

void YBall::update(float dt)
{
    YRacketTacked::update(dt);
    if (mKickCooldown > 0.0f)
        mKickCooldown -= dt;

    const YMatrix t = mBody.getTransform();
    const YVec3 p = t.translation();
    if (isOutsideTable(p, 2.0f * radius()))
        deleteLater(blockDeathDelay()); // a little later, like a block

    mMode->setMatrix(t.m);
    mMode->updateEffects(*this, dt);

    if (isHeld()) {
        // The hand places a held ball every frame. Its velocity is dropped
        // as well, or gravity would build it up between frames until the
        // ball fell through the floor from the hand.
        setMode(gRacket->ballMode);
        mBody.setLinearVelocity(YVec3());
        mBody.setAngularVelocity(YVec3());
        return;
    }
    mBody.keepSpeed(dt);
    if (gRacket)
        meetRacket(p);
}

void YBall::meetRacket(const YVec3& ball)
{
    YRacket& racket = *gRacket;
    const float r = radius();
    // In x and y only: the racket reaches over the whole height.
    const float reach = racket.width * 0.5f + r;
    const float dx = ball.x - racket.x;
    const float dy = ball.y - racket.y;
    const float d = std::sqrt(dx * dx + dy * dy);
    if (d > reach)
        return;
    // A ball right over the racket's centre has no side to be kicked from:
    // straight ahead, towards the blocks.
    float ux = 0.0f, uy = 1.0f;
    if (d > 1e-6f) {
        ux = dx / d;
        uy = dy / d;
    }
    float px = racket.x + ux * reach;
    float py = racket.y + uy * reach;
    // Near a side wall the contact point is pulled in, and at least as far
    // forward as where the racket's reach meets its own side, so that the
    // ball is sent back into the table rather than into the wall.
    const float limit = gPlayfield.halfWidth - r;
    if (px > limit || px < -limit) {
        px = std::min(std::max(px, -limit), limit);
        const float ahead = reach * reach - 0.25f * racket.width * racket.width;
        py = std::max(py, racket.y + std::sqrt(std::max(ahead, 0.0f)));
    }
    float nx = px - racket.x;
    float ny = py - racket.y;
    const float n = std::sqrt(nx * nx + ny * ny);
    if (n > 1e-6f) {
        nx /= n;
        ny /= n;
    } else {
        nx = 0.0f;
        ny = 1.0f;
    }
    const YVec3 direction(nx, ny, 0.0f);

    // A ball that touches the racket takes its mode.
    setMode(racket.ballMode);
    if (launchTimer <= 0.0f && racket.catchBall(this, direction))
        return;
    racket.kickBall(this, direction, YVec3(px, py, ball.z));
}
