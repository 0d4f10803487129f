#pragma once
#include "core/math.h"

class YRigidBody;
class YBlockSet;
class YBlockSingle;
struct YBlockItem;

// The listener a rigid body may carry: told after each physics step about
// every contact of its body that the contact rules record.
class YRigidBumpEvent {
public:
    virtual ~YRigidBumpEvent() = default;
    // ownData: user data of the listener's own geom in the pair (a block
    //   set's box carries its item); null for a body without geom data.
    // other: the body of the other geom, null for static geometry.
    // force, torque: what the pair's deepest contact applied to this body.
    // normal: unit vector from the other geom towards this one.
    virtual void bump(void* ownData, YRigidBody* other, const YVec3& force, const YVec3& torque,
                      const YVec3& position, const YVec3& normal, float depth) = 0;
};

// How a ball reacts when it bumps into something: the ball's mode implements
// it and hands it to its rigid ball. It is not the body's YRigidBumpEvent:
// a bomb or a bonus carries a bump listener but no ball mode.
class YBallBumpEvent {
public:
    virtual ~YBallBumpEvent() = default;
    // The ball hit a single block; true when the block was destroyed.
    virtual bool bumpSingle(YBlockSingle* single, const YVec3& force, const YVec3& torque,
                            const YVec3& position, const YVec3& normal, float depth) = 0;
    // The ball hit an item of a block set; true when something was destroyed.
    virtual bool bumpSet(YBlockSet* set, YBlockItem* item, const YVec3& force, const YVec3& torque,
                         const YVec3& position, const YVec3& normal, float depth) = 0;
    // The ball struck the floor; strength 0.1..1 scales the bounce sound.
    virtual void bumpOther(const YVec3& position, float strength) = 0;
};
