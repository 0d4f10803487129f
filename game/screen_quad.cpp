#include "game/screen_quad.h"

#include "core/math.h"
#include "render/render.h"

namespace {

// Corners in drawing order: top-left, top-right, bottom-right, bottom-left.
const float CORNER_UV[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};

void drawCorners(const YVec3 corners[4], float inset = 0.0f)
{
    float v[28];
    for (int k = 0; k < 4; ++k) {
        float* p = v + k * 7;
        p[0] = corners[k].x;
        p[1] = corners[k].y;
        p[2] = 0.0f;
        p[3] = p[5] = CORNER_UV[k][0] + (CORNER_UV[k][0] > 0.5f ? -inset : inset);
        p[4] = p[6] = CORNER_UV[k][1] + (CORNER_UV[k][1] > 0.5f ? -inset : inset);
    }
    gRender->drawQuadUV2(v);
}

} // namespace

void drawScreenQuad(float x0, float y0, float x1, float y1, float inset)
{
    const YVec3 corners[4] = {YVec3(x0, y0, 0), YVec3(x1, y0, 0), YVec3(x1, y1, 0), YVec3(x0, y1, 0)};
    drawCorners(corners, inset);
}

void drawScreenQuadTurned(float x0, float y0, float x1, float y1, float degrees)
{
    const YVec3 centre((x0 + x1) * 0.5f, (y0 + y1) * 0.5f, 0.0f);
    YMatrix turn;
    turn.makeRotationZ(degrees);
    YVec3 corners[4] = {YVec3(x0, y0, 0), YVec3(x1, y0, 0), YVec3(x1, y1, 0), YVec3(x0, y1, 0)};
    for (YVec3& c : corners)
        c = centre + turn.transformVector(c - centre);
    drawCorners(corners);
}
