#pragma once
#include "core/math.h"

#include <ode/ode.h>

// A box with no body and in no space that tests itself against the world:
// the boomerang's sweep box. Counts as a world object: destroy it before
// the physics world shuts down.
class YColBox {
public:
    YColBox(float halfX, float halfY, float halfZ);
    virtual ~YColBox();
    YColBox(const YColBox&) = delete;
    YColBox& operator=(const YColBox&) = delete;

    dGeomID geom() const { return mGeom; }

    // Places the box at the matrix and takes the first contact with blocks,
    // the floor or the walls. A wall gets a wall contact; a block is pushed
    // away from the box with a force of 500 and hears a bump naming its own
    // body as the other (a hit); anything else but a wall gives sparks.
    // outPosition is the contact position. False when nothing is touched.
    bool sweepHit(const YMatrix& matrix, YVec3& outPosition);

    // An explosion: every block body within the radius of the centre is
    // pushed away with strength x (1 - distance / radius)^2 at its contact
    // point and hears a bump naming its own body as the other; then the
    // flash, light and sparks. The explosion sphere meets blocks only, so
    // balls, bonuses and bombs are left alone. Bodies may be destroyed by the listeners it
    // calls: their later contacts are skipped. A radius that is not positive
    // and finite does nothing.
    static void blast(const YVec3& centre, float radius, float strength, int sparkCount);

private:
    dGeomID mGeom = nullptr;
};

// Whether a ray from start along direction (normalised here) meets the
// target first among the blocks within length. outPosition gets the point
// where it meets the target. With nothing in the way at all, true only for
// a null target. A zero direction or a length that is not positive sees
// nothing.
bool lineOfSight(const YVec3& start, const YVec3& direction, float length, dGeomID target,
                 YVec3& outPosition);
