#include "render/screen_rect.h"

#include <algorithm>
#include <cmath>

namespace {

// Points this close to the eye plane or behind it project without bound.
constexpr float MIN_W = 1e-4f;

// The point under the combined matrix (row vectors): clip coordinates.
YVec4 toClip(const float m[16], const YVec3& p)
{
    return YVec4(p.x * m[0] + p.y * m[4] + p.z * m[8] + m[12], p.x * m[1] + p.y * m[5] + p.z * m[9] + m[13],
                 p.x * m[2] + p.y * m[6] + p.z * m[10] + m[14], p.x * m[3] + p.y * m[7] + p.z * m[11] + m[15]);
}

bool finite(const YVec4& c)
{
    return std::isfinite(c.x) && std::isfinite(c.y) && std::isfinite(c.z) && std::isfinite(c.w);
}

} // namespace

YScreenRect screenRectOf(std::initializer_list<const std::vector<YVec3>*> lists, const float world[16],
                         const float projection[16], float margin)
{
    const YMatrix all = YMatrix(projection) * YMatrix(world); // world first, then the projection
    const float* m = all.m;
    YScreenRect rect;
    rect.x0 = rect.y0 = 1.0f;
    rect.x1 = rect.y1 = -1.0f;
    bool any = false;
    for (const std::vector<YVec3>* list : lists) {
        for (const YVec3& p : *list) {
            const YVec4 c = toClip(m, p);
            if (!(c.w > MIN_W) || !finite(c))
                return YScreenRect();
            const float sx = c.x / c.w, sy = c.y / c.w;
            if (!any) {
                rect.x0 = rect.x1 = sx;
                rect.y0 = rect.y1 = sy;
                any = true;
            }
            rect.x0 = std::min(rect.x0, sx);
            rect.x1 = std::max(rect.x1, sx);
            rect.y0 = std::min(rect.y0, sy);
            rect.y1 = std::max(rect.y1, sy);
        }
    }
    if (!any)
        return rect; // empty
    rect.x0 = std::max(-1.0f, rect.x0 - margin);
    rect.y0 = std::max(-1.0f, rect.y0 - margin);
    rect.x1 = std::min(1.0f, rect.x1 + margin);
    rect.y1 = std::min(1.0f, rect.y1 + margin);
    return rect;
}

bool outsideViewVolume(const YVec3* points, int count, const float world[16], const float projection[16])
{
    const YMatrix all = YMatrix(projection) * YMatrix(world);
    const float* m = all.m;
    // One bit per plane a point lies outside of; a plane every point is
    // outside of hides them all.
    unsigned common = 0x3f;
    for (int i = 0; i < count && common; ++i) {
        const YVec4 c = toClip(m, points[i]);
        if (!finite(c))
            return false;
        const unsigned outside = (c.x < -c.w ? 1u : 0u) | (c.x > c.w ? 2u : 0u) | (c.y < -c.w ? 4u : 0u) |
                                 (c.y > c.w ? 8u : 0u) | (c.z < 0 ? 16u : 0u) | (c.z > c.w ? 32u : 0u);
        common &= outside;
    }
    return count > 0 && common != 0;
}

void screenRectCorners(const YScreenRect& r, float c[12])
{
    const float corners[12] = {r.x0, r.y0, 1, r.x1, r.y0, 1, r.x0, r.y1, 1, r.x1, r.y1, 1};
    std::copy(corners, corners + 12, c);
}
