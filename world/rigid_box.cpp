#include "world/rigid_box.h"

#include "core/log.h"
#include "world/collision_category.h"
#include "world/ode_convert.h"
#include "world/physics_world.h"

YRigidBoxSet::YRigidBoxSet()
{
    mSpace = dHashSpaceCreate(physics().space());
}

YRigidBoxSet::~YRigidBoxSet()
{
    // Running queries hear of every box before the space takes them along.
    if (geomDestroyHook()) {
        for (int i = dSpaceGetNumGeoms(mSpace) - 1; i >= 0; --i)
            geomDestroyHook()(dSpaceGetGeom(mSpace, i));
    }
    dSpaceDestroy(mSpace);
}

int YRigidBoxSet::boxCount() const
{
    return dSpaceGetNumGeoms(mSpace);
}

bool YRigidBoxSet::ownsBox(dGeomID box) const
{
    return box && dGeomGetSpace(box) == mSpace;
}

dGeomID YRigidBoxSet::addBox(const YVec3& halfSize, void* item)
{
    YVec3 h = validHalfSize(halfSize);
    dGeomID box = dCreateBox(mSpace, 2.0 * h.x, 2.0 * h.y, 2.0 * h.z);
    dGeomSetCategoryBits(box, COL_BLOCK);
    dGeomSetCollideBits(box, COLLIDE_BLOCK);
    dGeomSetBody(box, body());
    dGeomSetData(box, item);
    return box;
}

void YRigidBoxSet::setBoxOffset(dGeomID box, const YVec3& offset)
{
    if (!ownsBox(box)) {
        YLog::write("YRigidBoxSet::setBoxOffset: not a box of this set");
        return;
    }
    dGeomSetOffsetPosition(box, offset.x, offset.y, offset.z);
}

YVec3 YRigidBoxSet::boxOffset(dGeomID box) const
{
    if (!ownsBox(box))
        return YVec3();
    return toVec3(dGeomGetOffsetPosition(box));
}

void YRigidBoxSet::moveBox(dGeomID box, YRigidBoxSet& other)
{
    if (!ownsBox(box) || &other == this) {
        YLog::write("YRigidBoxSet::moveBox: not a box of this set");
        return;
    }
    // The box keeps its offset in body coordinates. The offset is cleared
    // before the geom changes bodies: ODE would drop it anyway, and would
    // leak the geom's own pose record on the way.
    dVector3 offset;
    const dReal* p = dGeomGetOffsetPosition(box);
    offset[0] = p[0];
    offset[1] = p[1];
    offset[2] = p[2];
    dGeomClearOffset(box);
    dSpaceRemove(mSpace, box);
    dSpaceAdd(other.mSpace, box);
    dGeomSetBody(box, other.body());
    dGeomSetOffsetPosition(box, offset[0], offset[1], offset[2]);
}

void YRigidBoxSet::removeBox(dGeomID box)
{
    if (!ownsBox(box)) {
        YLog::write("YRigidBoxSet::removeBox: not a box of this set");
        return;
    }
    destroyGeom(box);
}

YRigidBox::YRigidBox(const YVec3& halfSize)
{
    createBox(halfSize);
}

YRigidBox::YRigidBox() = default;

YRigidBox::~YRigidBox()
{
    destroyGeom(mGeom);
}

void YRigidBox::createBox(const YVec3& halfSize)
{
    if (mGeom) {
        setHalfSize(halfSize);
        return;
    }
    YVec3 h = validHalfSize(halfSize);
    mGeom = dCreateBox(physics().space(), 2.0 * h.x, 2.0 * h.y, 2.0 * h.z);
    dGeomSetBody(mGeom, body());
    dGeomSetCategoryBits(mGeom, COL_BLOCK);
    dGeomSetCollideBits(mGeom, COLLIDE_BLOCK);
}

void YRigidBox::setHalfSize(const YVec3& halfSize)
{
    if (!mGeom) {
        createBox(halfSize);
        return;
    }
    YVec3 h = validHalfSize(halfSize);
    dGeomBoxSetLengths(mGeom, 2.0 * h.x, 2.0 * h.y, 2.0 * h.z);
}
