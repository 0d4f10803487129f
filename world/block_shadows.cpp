#include "world/block_shadows.h"

#include "render/camera.h"
#include "render/shadow_volume.h"
#include "world/block.h"
#include "world/block_item.h"

namespace {

// The two axes around an edge along an axis, in the order the edge link's
// cell bits use them: bit = (cell on the + side of u) + 2 (of v).
const int OTHER_AXES[3][2] = {{1, 2}, {0, 2}, {0, 1}};

YVec3 axisVector(int axis, float sign)
{
    YVec3 v;
    v[axis] = sign;
    return v;
}

// One corner along the edge from `from` to `to` (frame coordinates, running
// along +axis): the faces of outward normals n1 and n2 meet there, the solid
// between them (outer corner) or around them (inner corner). A silhouette
// edge when exactly one of the two faces along the light; it is handed on
// the way the first face runs it seen from outside, so the volume's sides
// face out.
void addCorner(const YMatrix& frame, const YVec3& light, const YVec3& from, const YVec3& to, int axis,
               const YVec3& n1, const YVec3& n2, bool inner)
{
    const bool facing1 = n1.dot(light) > 0.0f;
    const bool facing2 = n2.dot(light) > 0.0f;
    if (facing1 == facing2)
        return;
    // Seen from outside the first face, its edges run counter-clockwise:
    // along n1 x n2 at an outer corner, the other way at an inner one.
    const float along = cross(n1, n2)[axis] * (inner ? -1.0f : 1.0f);
    const YVec3 a = frame.transformPoint(along > 0.0f ? from : to);
    const YVec3 b = frame.transformPoint(along > 0.0f ? to : from);
    gShadows().addEdgeOrdered(a, b, facing1);
}

} // namespace

void addEdgeLinkSilhouette(const YMatrix& frame, const YVec3& light, const YEdgeLink& link)
{
    const int axis = link.axis;
    if (axis < 0 || axis > 2)
        return;
    const int u = OTHER_AXES[axis][0], v = OTHER_AXES[axis][1];
    const YVec3 from = link.point;
    YVec3 to = from;
    to[axis] += gCellSize[axis];

    const unsigned cells = link.mask & LINK_CELLS;
    int count = 0;
    for (unsigned bit = 0; bit < 4; ++bit)
        count += (cells >> bit) & 1u;
    if (count == 1 || cells == 6 || cells == 9) {
        // Outer corners: each filled cell shows the faces towards the edge
        // (a diagonal pair is two corners touching along it).
        for (unsigned bit = 0; bit < 4; ++bit) {
            if (!(cells & (1u << bit)))
                continue;
            const float su = (bit & 1u) ? -1.0f : 1.0f, sv = (bit & 2u) ? -1.0f : 1.0f;
            addCorner(frame, light, from, to, axis, axisVector(u, su), axisVector(v, sv), false);
        }
    } else if (count == 3) {
        // An inner corner: the faces around the empty cell look into it.
        for (unsigned bit = 0; bit < 4; ++bit) {
            if (cells & (1u << bit))
                continue;
            const float su = (bit & 1u) ? 1.0f : -1.0f, sv = (bit & 2u) ? 1.0f : -1.0f;
            addCorner(frame, light, from, to, axis, axisVector(u, su), axisVector(v, sv), true);
        }
    }
}

void addBoxSilhouette(const YMatrix& frame, const YVec3& half)
{
    const YVec3 light = frame.inverseAffine().transformVector(gCamera().lightDirection());
    for (int axis = 0; axis < 3; ++axis) {
        const int u = OTHER_AXES[axis][0], v = OTHER_AXES[axis][1];
        for (float su : {-1.0f, 1.0f})
            for (float sv : {-1.0f, 1.0f}) {
                YVec3 from;
                from[u] = su * half[u];
                from[v] = sv * half[v];
                YVec3 to = from;
                from[axis] = -half[axis];
                to[axis] = half[axis];
                addCorner(frame, light, from, to, axis, axisVector(u, su), axisVector(v, sv), false);
            }
    }
}
