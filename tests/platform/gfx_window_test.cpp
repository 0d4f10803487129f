// The device drawing straight into the window's own back buffer: depth,
// stencil, render targets and copies work as with the virtual back buffer,
// and a back buffer the window does not fit is virtual again.
#include "tests/platform/gfx_test_util.h"

#include <gtest/gtest.h>

namespace {

using namespace gfxtest;

class GfxWindowPixels : public GfxPixels {
protected:
    bool drawToWindow() const override { return true; }
};

TEST_F(GfxWindowPixels, DepthStencilTargetsAndCopiesWorkInTheWindow)
{
    ASSERT_TRUE(device->drawsToWindow());
    // Depth: the nearer quad wins whatever the order.
    device->setRenderState(RS_ZENABLE, 1);
    flat(0xFFFF0000u);
    quad(*device, 0, 0, 64, 128, -0.5f);
    flat(0xFF00FF00u);
    quad(*device, 0, 0, 128, 128, 0.5f);
    device->setRenderState(RS_ZENABLE, 0);
    // Stencil: mark the top half, then draw blue only where it is marked.
    device->setRenderState(RS_STENCILENABLE, 1);
    device->setRenderState(RS_STENCILFUNC, CMP_ALWAYS);
    device->setRenderState(RS_STENCILPASS, ST_REPLACE);
    device->setRenderState(RS_STENCILREF, 1);
    quad(*device, 0, 0, 128, 64, 0.0f);
    device->setRenderState(RS_STENCILPASS, ST_KEEP);
    device->setRenderState(RS_STENCILFUNC, CMP_EQUAL);
    flat(0xFF0000FFu);
    quad(*device, 96, 0, 128, 128);
    device->setRenderState(RS_STENCILENABLE, 0);
    Pixels p = read();
    EXPECT_TRUE(colorIs(p, 10, 100, 255, 0, 0));
    EXPECT_TRUE(colorIs(p, 80, 100, 0, 255, 0));
    EXPECT_TRUE(colorIs(p, 110, 10, 0, 0, 255));
    EXPECT_TRUE(colorIs(p, 110, 100, 0, 255, 0));

    // Targets, with a depth-stencil of their own here, draw with depth and
    // copy both ways.
    device->clear(true, true, true, 0xFF000000u, 1.0f, 0);
    targetsKeepDepthAndCopyScaled();
}

TEST_F(GfxWindowPixels, AnotherSizeIsVirtualUntilTheWindowFitsAgain)
{
    ASSERT_TRUE(device->drawsToWindow());
    ASSERT_TRUE(device->resizeBackBuffer(64, 32));
    EXPECT_FALSE(device->drawsToWindow());
    device->clear(true, false, false, 0xFF00FF00u, 1.0f, 0);
    Pixels p = read();
    ASSERT_EQ(64, p.w);
    EXPECT_TRUE(colorIs(p, 63, 31, 0, 255, 0));
    device->present(); // blitted and scaled to the window

    ASSERT_TRUE(device->resizeBackBuffer(kSize, kSize));
    EXPECT_TRUE(device->drawsToWindow());
    device->simulateLoss();
    device->allowReset();
    ASSERT_TRUE(device->reset());
    device->clear(true, false, false, 0xFF0000FFu, 1.0f, 0);
    p = read();
    ASSERT_EQ(kSize, p.w);
    EXPECT_TRUE(colorIs(p, 127, 127, 0, 0, 255));
}

TEST_F(GfxPixels, WithoutPermissionTheWindowIsNeverDrawnTo)
{
    EXPECT_FALSE(device->drawsToWindow());
}

} // namespace
