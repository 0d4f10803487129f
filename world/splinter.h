#pragma once
#include "world/block.h"
#include "world/rigid_box.h"

struct YBlockShape;
class YRigidBody;

// One eighth of a destroyed block: a small box flying off from its corner
// of the block, drawn as an irregular chunk that shrinks towards the
// block's outer corner until it is gone.
class YSplinter : public YBlock {
public:
    // octant 0..7 (a unit cube corner); fractions: how far each of the
    // chunk's corners reaches towards the other corners (its own entry is
    // taken as 1); s: 0.75..1.25, the life in seconds and the push. With a
    // body, the splinter takes over its motion.
    YSplinter(YBlockShape* shape, const YMatrix& transform, int octant, const float fractions[8],
              float s, YRigidBody* body);
    ~YSplinter() override;

    YMatrix getTransform() const override;
    void setTransform(const YMatrix& m) override;
    void update(float dt) override;

    int octant() const { return mOctant; }
    float life() const { return mLife; }
    float initialLife() const { return mInitialLife; }
    YRigidBox& body() { return mBody; }

private:
    YBlockShape* mShape;
    YRigidBox mBody;
    int mOctant;
    float mFractions[8];
    float mLife, mInitialLife;
    YVec3 mOffset; // from the block's centre, in block units x half extents
};

// The end of a block: eight splinters, a blast with sparks and the
// material's destroy sound, at the transform, moving with the body (if any).
void spawnSplinters(YBlockShape* shape, const YMatrix& transform, YRigidBody* body);
