#include "world/ball_mode_super.h"

#include "platform/sys/random.h"
#include "render/particles.h"
#include "render/shader.h"
#include "world/ball.h"
#include "world/ball_mode_draw.h"
#include "world/block_set.h"
#include "world/block_single.h"
#include "world/table.h"

YVec3 randomBallDirection()
{
    YVec3 d = sys::randCentred3<YVec3>();
    const float length = d.length();
    if (!(length > 1e-6f))
        return YVec3(0.0f, 0.0f, 1.0f);
    return d * (1.0f / length);
}

YBallModeSuper::YBallModeSuper(YBallModeId id, float radius, const char* flareShader, float flareFactor)
    : YBallMode(id, radius), mFlareShader(getShader(flareShader)), mFlareFactor(flareFactor)
{
}

bool YBallModeSuper::bumpSingle(YBlockSingle* single, const YVec3&, const YVec3&, const YVec3&,
                                const YVec3&, float)
{
    if (!single || single->isScheduled())
        return false;
    single->deleteLater(blockDeathDelay());
    return true;
}

bool YBallModeSuper::bumpSet(YBlockSet* set, YBlockItem* item, const YVec3&, const YVec3&,
                             const YVec3&, const YVec3&, float)
{
    // An earlier bump of the same step may have taken the item elsewhere.
    if (!set || !set->hasItem(item))
        return false;
    if (set->itemCount() == 1) {
        if (set->isScheduled())
            return false;
        set->deleteLater(blockDeathDelay());
        return true;
    }
    YBlockSingle* single = set->breakOff(item, true);
    if (!single)
        return false;
    single->deleteLater(blockDeathDelay());
    return true;
}

void YBallModeSuper::draw()
{
    if (visible && !isHeld())
        queueBallCrown(mFlareShader, position(), mRadius, mFlareFactor * mRadius);
    YBallMode::draw();
}

int YBallModeSuper::particlesDue(float dt, float period)
{
    mParticleTime += dt;
    int count = 0;
    while (mParticleTime >= period) {
        mParticleTime -= period;
        ++count;
    }
    return count;
}

// ------------------------------------------------------------------ phantom

YBallPhantom::YBallPhantom()
    : YBallModeSuper(YBallPhantomId, BALL_RADIUS, "ballphantom_flare", 1.5f),
      mParticleShader(getShader("ballphantom_particles"))
{
    setLook("mesh\\ball_phant.mes", 1.0f, {"ball_phantom", "ball_phantom2"});
}

void YBallPhantom::applyPhysics(YBall& ball)
{
    ball.setPhysics(1.0f, YRigidBall::KIND_PHANTOM, BASE_SPEED);
}

void YBallPhantom::updateEffects(YBall& ball, float dt)
{
    if (isHeld())
        return;
    static const float START[4] = {0.8f, 0.8f, 1.0f, 0.5f};
    static const float END[4] = {0.8f, 0.8f, 1.0f, 1.0f};
    const int count = particlesDue(dt, PARTICLE_PERIOD);
    if (count == 0)
        return;
    const YVec3 centre = ball.position();
    const YVec3 velocity = ball.velocity() * 0.75f;
    for (int i = 0; i < count; ++i) {
        const YVec3 p = centre + randomBallDirection() * (1.1f * mRadius);
        const float life = 0.25f + sys::randUnit() * 0.015f - 0.0075f;
        gParticles().emit(life, 0.25f, 0.01f, &p.x, &velocity.x, -1.0f, nullptr, mParticleShader,
                          START, END);
    }
}

// --------------------------------------------------------------------- fire

YBallFire::YBallFire()
    : YBallModeSuper(YBallFireId, BALL_RADIUS, "ballfire_flare", 1.75f),
      mParticleShader(getShader("ballfire_particles"))
{
    setLook("mesh\\ball2.mes", 1.0f, {"ball_fire"});
    setKickSound("kick_fire");
}

void YBallFire::applyPhysics(YBall& ball)
{
    ball.setPhysics(0.5f, YRigidBall::KIND_NORMAL, BASE_SPEED);
}

void YBallFire::updateEffects(YBall& ball, float dt)
{
    if (isHeld())
        return;
    static const float FLAME[4] = {1.0f, 0.3f, 0.0f, 0.1f};
    static const float GLOW[4] = {1.0f, 0.7f, 0.5f, 1.0f};
    const YVec3 centre = ball.position();
    const int count = particlesDue(dt, PARTICLE_PERIOD);
    for (int i = 0; i < count; ++i) {
        const YVec3 p = centre + randomBallDirection() * (0.4f * mRadius);
        const float life = 0.4f + sys::randUnit() * 0.05f - 0.025f;
        gParticles().emit(life, 0.75f, 0.1f, &p.x, nullptr, -1.0f, nullptr, mParticleShader, FLAME,
                          FLAME);
    }
    if (gTable)
        gTable->addLightSpot(centre, GLOW, LIGHT_SPOT_RADIUS);
}
