#include "world/block_damage.h"

#include "render/particles.h"
#include "world/block_bonus.h"
#include "world/block_events.h"
#include "world/block_material.h"
#include "world/playfield.h"
#include "world/rigid_body.h"
#include "world/splinter.h"
#include "world/world_queries.h"

#include <algorithm>
#include <cmath>

float blockDamage(float damage)
{
    return std::isfinite(damage) && damage > 0.0f ? damage : 0.0f;
}

float blockDamage(const YVec3& force)
{
    return blockDamage(force.length());
}

void playStrokeSound(const YBlockShape* shape, const YVec3& position, float damage,
                     float appliedMass)
{
    float volume = appliedMass > 0.0f ? std::min(1.0f, damage / appliedMass * 0.1f) : 1.0f;
    playBlockSound(shape->material->soundStroke, position, volume);
}

bool lightningReaches(const YVec3& centre, float radius, const YVec3& target, dGeomID box,
                      YVec3& hitPoint)
{
    if (!box)
        return false;
    YVec3 d = target - centre;
    if (!(d.length() <= radius))
        return false;
    return lineOfSight(centre, d, radius, box, hitPoint);
}

void spawnLightningSparks(const YVec3& position)
{
    const float start[4] = {0.3f, 0.3f, 0.7f, 1.0f};
    const float end[4] = {0.5f, 0.5f, 1.0f, 1.0f};
    const float still[3] = {0, 0, 0};
    spawnSparks(&position.x, still, 0.3f, 10, start, end);
}

bool overTable(const YVec3& p)
{
    return isOverTableArea(p, gPlayfield.halfWidth, gPlayfield.halfDepth);
}

void destroyBlock(YBlockShape* shape, const YMatrix& transform, YRigidBody& body,
                  YBonusBuilder* builder)
{
    YVec3 position = transform.translation();
    spawnSplinters(shape, transform, &body);
    if (builder && overTable(position))
        builder->release(transform, body.getLinearVelocity());
    int score = shape->material->score;
    addScore(score, position);
    showScorePopup(position, score);
}
