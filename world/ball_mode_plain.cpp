#include "world/ball_mode_plain.h"

#include "sound/named_sound.h"
#include "world/ball.h"
#include "world/block_set.h"
#include "world/block_single.h"
#include "world/world_events.h"

bool YBallModeDamage::bumpSingle(YBlockSingle* single, const YVec3& force, const YVec3&,
                                 const YVec3& position, const YVec3&, float)
{
    return single && single->hit(force.length(), position);
}

bool YBallModeDamage::bumpSet(YBlockSet* set, YBlockItem* item, const YVec3& force, const YVec3&,
                              const YVec3& position, const YVec3&, float)
{
    return set && set->hitItem(item, force.length(), position);
}

// ------------------------------------------------------------------------

YBallNormal::YBallNormal() : YBallModeDamage(YBallNormalId, BALL_RADIUS)
{
    setLook("mesh\\ball_norm.mes", 1.0f, {"ball"});
}

void YBallNormal::applyPhysics(YBall& ball)
{
    ball.setPhysics(1.0f, YRigidBall::KIND_NORMAL, BASE_SPEED);
}

YBallHeavy::YBallHeavy() : YBallModeDamage(YBallHeavyId, BALL_RADIUS)
{
    setLook("mesh\\ball2.mes", 1.0f, {"ball_heavy"});
    setKickSound("kick_heavy");
}

void YBallHeavy::applyPhysics(YBall& ball)
{
    ball.setPhysics(10.0f, YRigidBall::KIND_NORMAL, BASE_SPEED);
}

// ------------------------------------------------------------------------

YBallGenerative::YBallGenerative() : YBallModeDamage(YBallGenerativeId, BALL_RADIUS)
{
    setLook("mesh\\ball_sat.mes", 1.0f, {"ball_generative"});
}

void YBallGenerative::applyPhysics(YBall& ball)
{
    ball.setPhysics(1.0f, YRigidBall::KIND_NORMAL, BASE_SPEED);
}

bool YBallGenerative::bumpSingle(YBlockSingle* single, const YVec3& force, const YVec3& torque,
                                 const YVec3& position, const YVec3& normal, float depth)
{
    if (!YBallModeDamage::bumpSingle(single, force, torque, position, normal, depth))
        return false;
    spawnSmallBall(position);
    return true;
}

bool YBallGenerative::bumpSet(YBlockSet* set, YBlockItem* item, const YVec3& force,
                              const YVec3& torque, const YVec3& position, const YVec3& normal,
                              float depth)
{
    if (!YBallModeDamage::bumpSet(set, item, force, torque, position, normal, depth))
        return false;
    spawnSmallBall(position);
    return true;
}

void YBallGenerative::spawnSmallBall(const YVec3& contact)
{
    const YVec3 at = ballPosition() * 2.0f - contact;
    YMatrix m;
    m.makeTranslation(at);
    // The new ball keeps the velocity every rigid ball starts with. It
    // lives in the racket's list like every ball.
    auto* small = new YBall(YBallSmallId);
    small->setBodyTransform(m);
    playWorldSound(getNamedSound("small_ball"), at);
}

// ------------------------------------------------------------------------

YBallSmall::YBallSmall() : YBallMode(YBallSmallId, RADIUS)
{
    setLook("mesh\\ball2.mes", MESH_SCALE, {"ball_small"});
    setKickSound("kick_small");
}

void YBallSmall::applyPhysics(YBall& ball)
{
    ball.setPhysics(0.3f, YRigidBall::KIND_NORMAL, BASE_SPEED);
}
