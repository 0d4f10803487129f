#include "world/block_single.h"

#include "render/camera.h"
#include "render/shadow_volume.h"
#include "world/block_bonus.h"
#include "world/block_damage.h"
#include "world/block_events.h"
#include "world/block_faces.h"
#include "world/block_material.h"
#include "world/block_shadows.h"
#include "world/playfield.h"
#include "world/rigid_ball.h"

YBlockSingle::YBlockSingle(YBlockShape* shape, YBonusBuilder* builder, const YMatrix& transform)
    : health(shape->health), mShape(shape), mBuilder(builder), mBody(shape->halfExtents)
{
    holdBlockShape(mShape);
    const float inertia[3] = {shape->inertia.x, shape->inertia.y, shape->inertia.z};
    mAppliedMass = mBody.setMass(shape->mass, inertia, true);
    mBody.setBumpListener(this);
    setTransform(transform);
}

YBlockSingle::~YBlockSingle()
{
    if (gWorldLive)
        destroyBlock(mShape, getTransform(), mBody, mBuilder);
    delete mBuilder;
    releaseBlockShape(mShape);
}

YMatrix YBlockSingle::getTransform() const
{
    return mBody.getTransform();
}

void YBlockSingle::setTransform(const YMatrix& m)
{
    mTransform = m;
    mBody.setTransform(m);
}

bool YBlockSingle::hit(float damage, const YVec3& position)
{
    damage = blockDamage(damage);
    playStrokeSound(mShape, position, damage, mAppliedMass);
    if (isScheduled())
        return false;
    health -= damage;
    if (health <= 0.0f) {
        deleteLater(blockDeathDelay());
        return true;
    }
    showDamagePopup(position, damage);
    return false;
}

void YBlockSingle::bump(void*, YRigidBody* other, const YVec3& force, const YVec3& torque,
                        const YVec3& position, const YVec3& normal, float depth)
{
    if (!other)
        return;
    if (other == &mBody) {
        hit(blockDamage(force), position);
        return;
    }
    if (YRigidBall* ball = other->asBall()) {
        if (YBallBumpEvent* mode = ball->ballMode())
            mode->bumpSingle(this, force, torque, position, normal, depth);
    }
}

YBlock* YBlockSingle::blastHit(int, const YVec3& centre, float radius)
{
    if (lightningTarget)
        return nullptr;
    YVec3 hitPoint;
    if (!lightningReaches(centre, radius, mBody.getPosition(), mBody.geom(), hitPoint))
        return nullptr;
    spawnLightningSparks(hitPoint);
    return this;
}

void YBlockSingle::update(float)
{
    mTransform = mBody.getTransform();
    YVec3 eye = mTransform.inverseAffine().transformPoint(gCamera().eye());
    float crack = mShape->health > 0.0f ? health / mShape->health : 0.0f;
    const YVec3& half = mShape->halfExtents;
    addBoxFaces(mTransform, YVec3(), half, 0x3F, eye, mShape->material->shader, crack, texOffsetU,
                texOffsetV);
    if (mBuilder)
        mBuilder->showWithin(mTransform, blockHiding(mShape->material->shader, half));
    if (shadowsEnabled())
        addBoxSilhouette(mTransform, half);

    // A block that has fallen off the table is done for: nothing would
    // ever stop its fall. A world that is not live (the level editor's
    // still preview) sweeps nothing.
    if (gWorldLive && !isScheduled()) {
        bool outside = true;
        for (int i = 0; i < 8 && outside; ++i) {
            outside = isOutsideTable(mTransform.transformPoint(scaleEach(gCubeCorners[i], half)), 0.0f);
        }
        if (outside)
            deleteLater(blockDeathDelay());
    }
}
