#pragma once
#include "core/math.h"

#include <initializer_list>
#include <vector>

// The screen rectangle a set of points covers, for passes that can only
// touch pixels those points enclose (a stencil darkening over the volumes
// that marked the stencil) and need not cover the whole viewport.
struct YScreenRect {
    // Normalised device coordinates, -1..1 each, x0 <= x1 and y0 <= y1.
    float x0 = -1.0f, y0 = -1.0f, x1 = 1.0f, y1 = 1.0f;

    bool empty() const { return !(x0 < x1 && y0 < y1); }
};

// The rectangle that holds every point of the lists under world, then
// projection (row vectors, as the renderer sets them), widened by margin
// on each side and clipped to the viewport. Without points it is empty.
// The whole viewport when a point lies on or behind the eye plane, or is
// not finite: such a point's projection has no bound.
YScreenRect screenRectOf(std::initializer_list<const std::vector<YVec3>*> lists, const float world[16],
                         const float projection[16], float margin);

// The four corners of the rectangle at the far depth, in the order of a
// triangle strip: 12 floats.
void screenRectCorners(const YScreenRect& rect, float corners[12]);

// Whether the points lie wholly outside one plane of the view volume under
// world, then projection (depth 0..w): then nothing they enclose can cover
// a pixel. False when any point is not finite.
bool outsideViewVolume(const YVec3* points, int count, const float world[16], const float projection[16]);
