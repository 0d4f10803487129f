#include "world/splinter.h"

#include "platform/sys/random.h"
#include "render/particles.h"
#include "world/block_events.h"
#include "world/block_faces.h"
#include "world/block_material.h"
#include "world/rigid_body.h"

#include <algorithm>

namespace {

constexpr float SPLINTER_MASS = 0.0125f; // of the block's
constexpr float PUSH = 50.0f;

float spread()
{
    return sys::randUnit() * 0.25f - 0.125f;
}

} // namespace

YSplinter::YSplinter(YBlockShape* shape, const YMatrix& transform, int octant,
                     const float fractions[8], float s, YRigidBody* body)
    : mShape(shape), mOctant(octant & 7), mLife(s), mInitialLife(s)
{
    holdBlockShape(mShape);
    std::copy(fractions, fractions + 8, mFractions);
    mFractions[mOctant] = 1.0f;

    const YVec3& half = shape->halfExtents;
    mBody.createBox(half * 0.5f);
    float mass = std::max(shape->mass * SPLINTER_MASS, YRigidBody::MIN_MASS);
    // A box whose full size is the block's half size.
    const float inertia[3] = {(half.y * half.y + half.z * half.z) * mass / 12.0f,
                              (half.x * half.x + half.z * half.z) * mass / 12.0f,
                              (half.x * half.x + half.y * half.y) * mass / 12.0f};
    mBody.setMass(mass, inertia, true);

    mOffset = scaleEach(gCubeCorners[mOctant], half) * 0.5f;
    YMatrix at;
    setTransform(transform * at.makeTranslation(mOffset));
    if (body) {
        mBody.setLinearVelocity(body->getLinearVelocity());
        mBody.setAngularVelocity(body->getAngularVelocity());
    }
    YVec3 direction = mOffset;
    if (direction.length() > 0.0f)
        direction.normalize();
    direction = direction + YVec3(spread(), spread(), spread());
    mBody.addForce(transform.transformVector(direction * (s * PUSH)));
}

YSplinter::~YSplinter()
{
    releaseBlockShape(mShape);
}

YMatrix YSplinter::getTransform() const
{
    return mBody.getTransform();
}

void YSplinter::setTransform(const YMatrix& m)
{
    mTransform = m;
    mBody.setTransform(m);
}

void YSplinter::update(float dt)
{
    mLife -= dt;
    float r = mInitialLife > 0.0f ? mLife / mInitialLife : 0.0f;
    if (r < 0.1f)
        deleteLater(blockDeathDelay());
    r = std::max(r, 0.0f);

    // The chunk's corners in the block's frame, shrinking towards its own
    // outer corner, then in the world.
    mTransform = mBody.getTransform();
    const YVec3& half = mShape->halfExtents;
    const YVec3& own = gCubeCorners[mOctant];
    YVec3 corners[8];
    for (int i = 0; i < 8; ++i) {
        YVec3 c = own + (gCubeCorners[i] - own) * (mFractions[i] * r);
        corners[i] = mTransform.transformPoint(scaleEach(c, half) - mOffset);
    }
    // The three faces at its own corner are the block's outside; the other
    // three are broken inside.
    const YBlockMaterial* material = mShape->material;
    for (int face = 0; face < 6; ++face) {
        int axis = face / 2;
        bool outer = (face & 1) ? own[axis] > 0.0f : own[axis] < 0.0f;
        YVec3 q[4];
        for (int k = 0; k < 4; ++k)
            q[k] = corners[gFaceCorners[face][k]];
        YVec3 n = cross(q[2] - q[0], q[3] - q[1]);
        if (n.length() > 1e-12f)
            n.normalize();
        else
            n = mTransform.transformVector(gFaceNormals[face]);
        addBlockFace(q, n, outer ? material->shader : material->inShader, 0.0f, 1.0f, 1.0f);
    }
}

void spawnSplinters(YBlockShape* shape, const YMatrix& transform, YRigidBody* body)
{
    float fractions[8];
    for (float& f : fractions)
        f = 0.25f + sys::randUnit() * 0.5f;
    float s = 0.75f + sys::randUnit() * 0.5f;
    for (int octant = 0; octant < 8; ++octant)
        new YSplinter(shape, transform, octant, fractions, s, body);

    YVec3 position = transform.translation();
    YVec3 velocity = body ? body->getLinearVelocity() : YVec3();
    const float flash[4] = {1.0f, 0.7f, 0.2f, 1.0f};
    const float ember[4] = {0.7f, 0.0f, 0.0f, 1.0f};
    spawnBlast(&position.x, &velocity.x, shape->halfExtents.length(), 20, flash, ember);
    playBlockSound(shape->material->soundDestroy, position, 1.0f, velocity);
}
