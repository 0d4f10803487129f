#pragma once
#include "core/math.h"

#include <ode/ode.h>

struct YBlockShape;
class YBonusBuilder;
class YRigidBody;

// A contact force as damage: a value that is not a number or below zero
// (a solver blow-up) counts as none.
float blockDamage(const YVec3& force);
float blockDamage(float damage);

// The material's stroke sound of a hit: louder for harder hits on lighter
// bodies, at most full volume.
void playStrokeSound(const YBlockShape* shape, const YVec3& position, float damage,
                     float appliedMass);

// Whether a lightning from the centre reaches the box (whose centre is at
// target) within the radius before any other block. hitPoint is where it
// meets the box.
bool lightningReaches(const YVec3& centre, float radius, const YVec3& target, dGeomID box,
                      YVec3& hitPoint);
// The sparks of a lightning strike.
void spawnLightningSparks(const YVec3& position);

// Over the table: where a released bonus can still be caught.
bool overTable(const YVec3& position);

// The end of a block while the world is live: eight splinters, the bonus
// released (only over the table), the score with its number.
void destroyBlock(YBlockShape* shape, const YMatrix& transform, YRigidBody& body,
                  YBonusBuilder* builder);
