#pragma once
#include "world/block.h"
#include "world/bump_events.h"
#include "world/rigid_box.h"

struct YBlockShape;
class YBonusBuilder;

// A block on its own: an item that lost face contact with its set. It
// shows cracks as it loses health.
class YBlockSingle : public YBlock, public YRigidBumpEvent {
public:
    // Holds the shape and takes ownership of the builder (null for none);
    // the body is placed at the world transform.
    YBlockSingle(YBlockShape* shape, YBonusBuilder* builder, const YMatrix& transform);
    // With the world live: splinters, its bonus and its score.
    ~YBlockSingle() override;

    // A hit of that damage at the position: true when it destroyed the
    // block (its deletion is then scheduled).
    bool hit(float damage, const YVec3& position);

    // YBlock: the transform is the body's.
    YMatrix getTransform() const override;
    void setTransform(const YMatrix& m) override;
    void update(float dt) override;
    YBlock* blastHit(int seed, const YVec3& centre, float radius) override;

    // YRigidBumpEvent
    void bump(void* ownData, YRigidBody* other, const YVec3& force, const YVec3& torque,
              const YVec3& position, const YVec3& normal, float depth) override;

    YBlockShape* shape() const { return mShape; }
    YBonusBuilder* builder() const { return mBuilder; }
    YRigidBox& body() { return mBody; }
    const YRigidBox& body() const { return mBody; }
    // The mass the body took (compressed); scales the stroke sounds.
    float appliedMass() const { return mAppliedMass; }

    float health;
    float texOffsetU = 1.0f, texOffsetV = 1.0f;

private:
    YBlockShape* mShape;
    YBonusBuilder* mBuilder;
    YRigidBox mBody;
    float mAppliedMass;
};
