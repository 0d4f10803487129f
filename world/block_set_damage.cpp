// How a block set takes contacts, hits and lightning, and how it ends.
#include "world/block_set.h"

#include "platform/sys/random.h"
#include "world/block_damage.h"
#include "world/block_events.h"
#include "world/block_single.h"
#include "world/rigid_ball.h"

#include <algorithm>

namespace {
// A contact this hard breaks any item off, whatever its glue.
constexpr float MAX_BREAK_FORCE = 350.0f;
} // namespace

void YBlockSet::bump(void* ownData, YRigidBody* other, const YVec3& force, const YVec3& torque,
                     const YVec3& position, const YVec3& normal, float depth)
{
    // An earlier record of the same step may have moved the item to
    // another set or deleted it: only the pointer is compared here.
    auto* item = static_cast<YBlockItem*>(ownData);
    if (!hasItem(item))
        return;
    float m = blockDamage(force);
    if (other == &mBody) {
        // An explosion or a sweep: a hit by the set's own body.
        hitItem(item, m, position);
        return;
    }
    if (other) {
        if (YRigidBall* ball = other->asBall()) {
            if (YBallBumpEvent* mode = ball->ballMode()) {
                mode->bumpSet(this, item, force, torque, position, normal, depth);
                return;
            }
        }
    }
    if (m >= std::min(item->breakStrength, MAX_BREAK_FORCE))
        breakOff(item, true);
}

bool YBlockSet::hitItem(YBlockItem* item, float damage, const YVec3& position)
{
    if (!hasItem(item))
        return false;
    damage = blockDamage(damage);
    playStrokeSound(item->shape, position, damage, mAppliedMass);
    if (isScheduled())
        return false;
    if (mItems.size() == 1) {
        item->health -= damage;
        if (item->health > 0.0f) {
            showDamagePopup(position, damage);
            return false;
        }
        deleteLater(blockDeathDelay());
        return true;
    }
    item->breakStrength -= damage;
    if (item->breakStrength > 0.0f) {
        showDamagePopup(position, damage);
        return false;
    }
    // What the blow left over after breaking the glue comes off the new
    // single's health.
    float excess = item->breakStrength;
    YBlockSingle* single = breakOff(item, true);
    if (!single)
        return false;
    single->health += excess;
    if (single->health <= 0.0f) {
        single->deleteLater(blockDeathDelay());
        return true;
    }
    showDamagePopup(position, damage);
    return false;
}

YBlock* YBlockSet::blastHit(int seed, const YVec3& centre, float radius)
{
    if (mItems.empty())
        return nullptr;
    YVec3 hitPoint;
    if (mItems.size() == 1) {
        if (lightningTarget)
            return nullptr;
        YBlockItem* item = mItems[0].get();
        if (!lightningReaches(centre, radius, itemTransform(item).translation(), item->geom,
                              hitPoint))
            return nullptr;
        spawnLightningSparks(hitPoint);
        return this;
    }
    sys::srand(static_cast<uint32_t>(seed));
    YBlockItem* item = mItems[static_cast<size_t>(sys::rand()) % mItems.size()].get();
    if (!lightningReaches(centre, radius, itemTransform(item).translation(), item->geom, hitPoint))
        return nullptr;
    spawnLightningSparks(hitPoint);
    return breakOff(item, true);
}

void YBlockSet::destroyEffects()
{
    YBlockItem* first = mItems[0].get();
    destroyBlock(first->shape, itemTransform(first), mBody, first->builder);
}
