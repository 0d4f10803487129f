#include "platform/img/projection.h"

#include <cmath>

namespace img {

namespace {

void identity(float out[16])
{
    for (int i = 0; i < 16; ++i)
        out[i] = (i % 5 == 0) ? 1.0f : 0.0f;
}

} // namespace

void perspectiveFovRH(float fovYRadians, float aspect, float zn, float zf, float out[16])
{
    // A zero aspect, an empty depth range or a field of view outside
    // (0, pi) would put infinities or NaNs into the matrix; such a request
    // gets the identity instead, which draws something rather than nothing.
    const float pi = 3.14159265358979f;
    if (!(fovYRadians > 0.0f && fovYRadians < pi) || !(aspect != 0.0f) || !(zn != zf) || !std::isfinite(aspect) ||
        !std::isfinite(zn) || !std::isfinite(zf)) {
        identity(out);
        return;
    }
    const float yScale = 1.0f / std::tan(fovYRadians * 0.5f);
    const float xScale = yScale / aspect;
    for (int i = 0; i < 16; ++i)
        out[i] = 0.0f;
    out[0] = xScale;
    out[5] = yScale;
    out[10] = zf / (zn - zf);
    out[11] = -1.0f;
    out[14] = zn * zf / (zn - zf);
}

void orthoOffCenterLH(float l, float r, float b, float t, float zn, float zf, float out[16])
{
    // An empty rectangle or depth range has no sensible mapping either.
    if (!(l != r) || !(b != t) || !(zn != zf)) {
        identity(out);
        return;
    }
    for (int i = 0; i < 16; ++i)
        out[i] = 0.0f;
    out[0] = 2.0f / (r - l);
    out[5] = 2.0f / (t - b);
    out[10] = 1.0f / (zf - zn);
    out[12] = (l + r) / (l - r);
    out[13] = (t + b) / (b - t);
    out[14] = zn / (zn - zf);
    out[15] = 1.0f;
}

} // namespace img
