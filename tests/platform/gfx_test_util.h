#pragma once
// Drawing through the device on the offscreen driver and reading the pixels
// back: state values, vertex layouts, projections, quads, pixel checks and
// the fixture with a 128 x 128 window and device.
#include "platform/gfx/device.h"
#include "platform/wnd/window.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace gfxtest {

using namespace gfx;

constexpr int kSize = 128;

// State values of the device, as the renderer sends them.
enum : uint32_t {
    CMP_EQUAL = 3,
    CMP_LESSEQUAL = 4,
    CMP_NOTEQUAL = 6,
    CMP_ALWAYS = 8,
    CULL_NONE = 1,
    CULL_CW = 2,
    CULL_CCW = 3,
    ST_KEEP = 1,
    ST_REPLACE = 3,
    ST_INCRSAT = 4,
    ST_INCR = 7,
    ST_DECR = 8,
    OP_DISABLE = 1,
    OP_SELECTARG1 = 2,
    OP_SELECTARG2 = 3,
    OP_MODULATE = 4,
    OP_PREMODULATE = 17,
    OP_MULTIPLYADD = 25,
    ARG_DIFFUSE = 0,
    ARG_CURRENT = 1,
    ARG_TEXTURE = 2,
    ARG_TFACTOR = 3,
    ARG_SPECULAR = 4,
    ARG_COMPLEMENT = 0x10,
    ARG_ALPHAREPLICATE = 0x20,
    TTF_COUNT2 = 2,
};

struct V3 {
    float x, y, z;
};
struct VUV2 {
    float x, y, z, u0, v0, u1, v1;
};
struct VMesh {
    float x, y, z, nx, ny, nz, u0, v0, u1, v1;
};

// Orthographic projection with y down in pixels, as the renderer's 2D view:
// left 0, right w, bottom h, top 0, z -1..1 to depth 0..1.
inline void orthoScreen(float m[16], float w, float h)
{
    const float o[16] = {2 / w, 0, 0, 0, 0, -2 / h, 0, 0, 0, 0, 0.5f, 0, -1, 1, 0.5f, 1};
    std::copy(o, o + 16, m);
}

// Right-handed perspective, depth 0..1 (the renderer's 3D view).
inline void perspective(float m[16], float fovRadians, float aspect, float zn, float zf)
{
    float ys = 1.0f / std::tan(fovRadians / 2), xs = ys / aspect;
    const float p[16] = {xs, 0, 0, 0, 0, ys, 0, 0, 0, 0, zf / (zn - zf), -1, 0, 0, zn * zf / (zn - zf), 0};
    std::copy(p, p + 16, m);
}

// Quad in screen pixels, counter-clockwise on screen (kept by CW culling).
inline void quad(Device& d, float x0, float y0, float x1, float y1, float z = 0)
{
    const V3 v[4] = {{x0, y0, z}, {x0, y1, z}, {x1, y1, z}, {x1, y0, z}};
    d.drawPrimitiveUP(PT_TRIANGLEFAN, 2, v, sizeof(V3));
}

struct Pixels {
    int w = 0, h = 0;
    std::vector<uint8_t> rgba;
    // x, y counted from the top, as the renderer does.
    const uint8_t* at(int x, int y) const
    {
        return &rgba[(static_cast<size_t>(h - 1 - y) * w + x) * 4];
    }
};

inline ::testing::AssertionResult colorIs(const Pixels& p, int x, int y, int r, int g, int b, int tolerance = 2)
{
    const uint8_t* c = p.at(x, y);
    if (std::abs(c[0] - r) <= tolerance && std::abs(c[1] - g) <= tolerance && std::abs(c[2] - b) <= tolerance)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "pixel (" << x << ", " << y << ") is (" << int(c[0]) << ", " << int(c[1])
                                         << ", " << int(c[2]) << "), expected (" << r << ", " << g << ", " << b << ")";
}

inline img::Image image(int w, int h, std::vector<uint32_t> rgbaTexels)
{
    img::Image im(w, h);
    for (size_t i = 0; i < rgbaTexels.size(); ++i)
        for (int k = 0; k < 4; ++k)
            im.rgba[i * 4 + k] = static_cast<uint8_t>(rgbaTexels[i] >> (24 - 8 * k));
    return im;
}

class GfxPixels : public ::testing::Test {
protected:
    // Whether the device may draw straight into the window (its size fits).
    virtual bool drawToWindow() const { return false; }

    void SetUp() override
    {
        wnd::WindowDesc desc;
        desc.title = "gfx pixels";
        desc.width = kSize;
        desc.height = kSize;
        std::string error;
        window = wnd::Window::create(desc, &error);
        ASSERT_TRUE(window) << error;
        device = Device::create(*window, kSize, kSize, &error, drawToWindow());
        ASSERT_TRUE(device) << error;
        device->setLogHandler([this](const std::string& line) { log.push_back(line); });
        scene();
    }
    void TearDown() override
    {
        for (const std::string& line : log)
            EXPECT_EQ(std::string::npos, line.find("GL error")) << line;
        device.reset();
        window.reset();
    }

    // A scene with the 2D projection of the current target, culling and
    // depth test off (tests of depth turn it on).
    void scene(int w = kSize, int h = kSize)
    {
        device->beginScene();
        float m[16];
        orthoScreen(m, float(w), float(h));
        device->setTransform(TS_PROJECTION, m);
        device->setRenderState(RS_CULLMODE, CULL_NONE);
        device->setRenderState(RS_ZENABLE, 0);
        device->clear(true, true, true, 0xFF000000u, 1.0f, 0);
    }
    // Stage 0 outputs the texture factor.
    void flat(uint32_t argb)
    {
        device->setRenderState(RS_TEXTUREFACTOR, argb);
        device->setStageState(0, SS_COLOROP, OP_SELECTARG1);
        device->setStageState(0, SS_COLORARG1, ARG_TFACTOR);
        device->setStageState(0, SS_ALPHAOP, OP_SELECTARG1);
        device->setStageState(0, SS_ALPHAARG1, ARG_TFACTOR);
    }
    // A target drawn with depth, copied to the back buffer and back.
    void targetsKeepDepthAndCopyScaled()
    {
        RenderTarget* target = device->createRenderTarget(64, 64);
        ASSERT_TRUE(target);
        device->setRenderTarget(target);
        float m[16];
        orthoScreen(m, 64, 64);
        device->setTransform(TS_PROJECTION, m);
        device->setRenderState(RS_ZENABLE, 1);
        // The viewport now covers the target: the clear fills all of it.
        device->clear(true, true, false, 0xFF00FF00u, 0.5f, 0);
        flat(0xFFFF0000u);
        quad(*device, 0, 0, 32, 32, -0.5f);
        quad(*device, 32, 32, 64, 64, 0.5f); // behind the cleared depth
        Pixels t = read(target);
        ASSERT_EQ(64, t.w);
        EXPECT_TRUE(colorIs(t, 5, 5, 255, 0, 0));
        EXPECT_TRUE(colorIs(t, 63, 63, 0, 255, 0));
        EXPECT_TRUE(colorIs(t, 40, 40, 0, 255, 0));

        device->setRenderTarget(nullptr);
        EXPECT_TRUE(colorIs(read(), 5, 5, 0, 0, 0));
        device->copyTarget(target, nullptr);
        Pixels b = read();
        EXPECT_TRUE(colorIs(b, 10, 10, 255, 0, 0));
        EXPECT_TRUE(colorIs(b, 100, 100, 0, 255, 0));

        // Back buffer to a smaller target, then release it while current.
        RenderTarget* small = device->createRenderTarget(32, 32);
        device->copyTarget(nullptr, small);
        Pixels s = read(small);
        EXPECT_TRUE(colorIs(s, 4, 4, 255, 0, 0));
        EXPECT_TRUE(colorIs(s, 28, 28, 0, 255, 0));
        device->setRenderTarget(small);
        device->releaseRenderTarget(small);
        device->clear(true, false, false, 0xFF0000FFu, 1.0f, 0);
        EXPECT_TRUE(colorIs(read(), 120, 120, 0, 0, 255));
    }
    Pixels read(RenderTarget* target = nullptr)
    {
        Pixels p;
        EXPECT_TRUE(device->readPixels(target, p.w, p.h, p.rgba));
        return p;
    }

    std::unique_ptr<wnd::Window> window;
    std::unique_ptr<Device> device;
    std::vector<std::string> log;
};

} // namespace gfxtest
