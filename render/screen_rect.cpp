#include "render/screen_rect.h"

#include <algorithm>
#include <cmath>

namespace {

// Points this close to the eye plane or behind it project without bound.
constexpr float MIN_W = 1e-4f;

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
            const float x = p.x * m[0] + p.y * m[4] + p.z * m[8] + m[12];
            const float y = p.x * m[1] + p.y * m[5] + p.z * m[9] + m[13];
            const float w = p.x * m[3] + p.y * m[7] + p.z * m[11] + m[15];
            if (!(w > MIN_W) || !std::isfinite(x) || !std::isfinite(y) || !std::isfinite(w))
                return YScreenRect();
            const float sx = x / w, sy = y / w;
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

void screenRectCorners(const YScreenRect& r, float c[12])
{
    const float corners[12] = {r.x0, r.y0, 1, r.x1, r.y0, 1, r.x0, r.y1, 1, r.x1, r.y1, 1};
    std::copy(corners, corners + 12, c);
}
