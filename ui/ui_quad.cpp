#include "ui/ui_quad.h"

#include "render/render.h"

void UIQuad::set(float x0, float y0, float x1, float y1, float u0, float v0, float u1, float v1)
{
    const float corners[4][4] = {{x0, y0, u0, v0}, {x1, y0, u1, v0}, {x1, y1, u1, v1}, {x0, y1, u0, v1}};
    for (int k = 0; k < 4; ++k) {
        float* v = vertices + k * 7;
        v[0] = corners[k][0];
        v[1] = corners[k][1];
        v[2] = 0;
        v[3] = v[5] = corners[k][2];
        v[4] = v[6] = corners[k][3];
    }
}

void UIQuad::draw() const
{
    if (gRender)
        gRender->drawQuadUV2(vertices);
}
