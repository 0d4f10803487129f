#pragma once
#include "world/rigid_body.h"

// The body of a block set: one box per block item, each placed in the body
// by an offset. The boxes live in a space of their own, so the boxes of one
// set never collide with each other.
class YRigidBoxSet : public YRigidBody {
public:
    YRigidBoxSet();
    // Destroys the space with its boxes, then the body.
    ~YRigidBoxSet() override;

    dSpaceID space() const { return mSpace; }
    int boxCount() const;

    // Adds a box of the half size at the body's origin; its user data is
    // item, which contacts report.
    dGeomID addBox(const YVec3& halfSize, void* item);
    // Places the box in body coordinates.
    void setBoxOffset(dGeomID box, const YVec3& offset);
    YVec3 boxOffset(dGeomID box) const;
    // Hands the box to another set's body and space (when a set splits); it
    // keeps its offset in body coordinates.
    void moveBox(dGeomID box, YRigidBoxSet& other);
    void removeBox(dGeomID box);
    // Whether the box belongs to this set.
    bool ownsBox(dGeomID box) const;

private:
    dSpaceID mSpace = nullptr;
};

// The body of a single block or a splinter: one box, or none until created.
class YRigidBox : public YRigidBody {
public:
    explicit YRigidBox(const YVec3& halfSize);
    // No box yet: splinters create theirs later.
    YRigidBox();
    ~YRigidBox() override;

    // Creates the box; resizes it when there is one already.
    void createBox(const YVec3& halfSize);
    void setHalfSize(const YVec3& halfSize);
    dGeomID geom() const { return mGeom; }

private:
    dGeomID mGeom = nullptr;
};
