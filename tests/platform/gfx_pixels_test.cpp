// Draws through the device on the offscreen driver and checks the pixels.
#include "tests/platform/gfx_test_util.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

using namespace gfx;

namespace {

using namespace gfxtest;

TEST_F(GfxPixels, ClearStaysInsideTheViewport)
{
    device->clear(true, false, false, 0xFF0000FFu, 1.0f, 0);
    device->setViewport(32, 16, 64, 32, 0.0f, 1.0f);
    device->clear(true, false, false, 0xFFFF0000u, 1.0f, 0);
    Pixels p = read();
    EXPECT_TRUE(colorIs(p, 32, 16, 255, 0, 0, 0));
    EXPECT_TRUE(colorIs(p, 95, 47, 255, 0, 0, 0));
    EXPECT_TRUE(colorIs(p, 31, 20, 0, 0, 255, 0));
    EXPECT_TRUE(colorIs(p, 96, 20, 0, 0, 255, 0));
    EXPECT_TRUE(colorIs(p, 40, 15, 0, 0, 255, 0));
    EXPECT_TRUE(colorIs(p, 40, 48, 0, 0, 255, 0));
}

TEST_F(GfxPixels, ClearForcesWriteMasksOnAndRestoresThem)
{
    device->setRenderState(RS_ZENABLE, 1);
    device->setRenderState(RS_ZWRITEENABLE, 0);
    device->setRenderState(RS_STENCILWRITEMASK, 0);
    device->clear(true, true, true, 0xFF000000u, 0.5f, 7);

    // Stencil was written despite the mask: EQUAL 7 passes. Depth is 0.5:
    // z -0.5 (depth 0.25) passes LESS.
    device->setRenderState(RS_STENCILENABLE, 1);
    device->setRenderState(RS_STENCILFUNC, CMP_EQUAL);
    device->setRenderState(RS_STENCILREF, 7);
    flat(0xFF00FF00u);
    quad(*device, 0, 0, 64, 128, -0.5f);
    // Depth writes are still off: depth 0.4 passes against the cleared 0.5.
    flat(0xFF0000FFu);
    quad(*device, 0, 0, 32, 128, -0.2f);
    // Depth 0.75 fails against 0.5.
    flat(0xFFFF0000u);
    quad(*device, 64, 0, 128, 128, 0.5f);
    // The stencil write mask is 0 again: REPLACE with 3 changes nothing.
    device->setRenderState(RS_ZENABLE, 0);
    device->setRenderState(RS_STENCILFUNC, CMP_ALWAYS);
    device->setRenderState(RS_STENCILPASS, ST_REPLACE);
    device->setRenderState(RS_STENCILREF, 3);
    flat(0xFF101010u);
    quad(*device, 96, 0, 128, 128);
    device->setRenderState(RS_STENCILFUNC, CMP_EQUAL);
    device->setRenderState(RS_STENCILREF, 7);
    device->setRenderState(RS_STENCILPASS, ST_KEEP);
    flat(0xFFFFFF00u);
    quad(*device, 96, 0, 128, 128);

    Pixels p = read();
    EXPECT_TRUE(colorIs(p, 10, 10, 0, 0, 255));
    EXPECT_TRUE(colorIs(p, 40, 10, 0, 255, 0));
    EXPECT_TRUE(colorIs(p, 70, 10, 0, 0, 0));
    EXPECT_TRUE(colorIs(p, 100, 10, 255, 255, 0));
}

TEST_F(GfxPixels, CullModesFollowScreenWinding)
{
    // Clockwise on screen (y down) on the left, counter-clockwise on the right.
    const V3 cw[3] = {{8, 8, 0}, {56, 8, 0}, {8, 56, 0}};
    const V3 ccw[3] = {{72, 8, 0}, {72, 56, 0}, {120, 8, 0}};
    const uint32_t modes[3] = {CULL_CW, CULL_CCW, CULL_NONE};
    const bool cwShown[3] = {false, true, true};
    const bool ccwShown[3] = {true, false, true};
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        scene();
        device->setRenderState(RS_CULLMODE, modes[i]);
        flat(0xFFFFFFFFu);
        device->drawPrimitiveUP(PT_TRIANGLELIST, 1, cw, sizeof(V3));
        device->drawPrimitiveUP(PT_TRIANGLELIST, 1, ccw, sizeof(V3));
        Pixels p = read();
        int c = cwShown[i] ? 255 : 0, cc = ccwShown[i] ? 255 : 0;
        EXPECT_TRUE(colorIs(p, 16, 16, c, c, c));
        EXPECT_TRUE(colorIs(p, 80, 16, cc, cc, cc));
    }
}

TEST_F(GfxPixels, NearPlaneClipsAndDepthLessKeepsTheNearest)
{
    float m[16];
    perspective(m, 3.14159265f / 2, 1.0f, 1.0f, 100.0f);
    device->setTransform(TS_PROJECTION, m);
    device->setRenderState(RS_ZENABLE, 1);
    auto square = [&](float half, float z, uint32_t color) {
        flat(color);
        const V3 v[4] = {{-half, -half, z}, {half, -half, z}, {half, half, z}, {-half, half, z}};
        device->drawPrimitiveUP(PT_TRIANGLEFAN, 2, v, sizeof(V3));
    };
    // In front of the near plane (z = -1): clipped away.
    square(0.5f, -0.8f, 0xFFFFFFFFu);
    EXPECT_TRUE(colorIs(read(), 64, 64, 0, 0, 0));

    square(1.0f, -2.0f, 0xFFFF0000u); // centre half of the screen
    square(4.0f, -4.0f, 0xFF00FF00u); // behind, whole screen
    square(1.0f, -2.0f, 0xFF0000FFu); // same depth: LESS refuses it
    Pixels p = read();
    EXPECT_TRUE(colorIs(p, 64, 64, 255, 0, 0));
    EXPECT_TRUE(colorIs(p, 4, 4, 0, 255, 0));

    device->setRenderState(RS_ZFUNC, CMP_LESSEQUAL);
    square(1.0f, -2.0f, 0xFF0000FFu);
    EXPECT_TRUE(colorIs(read(), 64, 64, 0, 0, 255));
}

TEST_F(GfxPixels, BlendSourceAlphaOverDestination)
{
    device->clear(true, false, false, 0xFF0000FFu, 1.0f, 0);
    device->setRenderState(RS_ALPHABLENDENABLE, 1);
    device->setRenderState(RS_SRCBLEND, 5);  // SRCALPHA
    device->setRenderState(RS_DESTBLEND, 6); // INVSRCALPHA
    flat(0x80FF0000u);
    quad(*device, 0, 0, 64, 128);
    Pixels p = read();
    EXPECT_TRUE(colorIs(p, 10, 10, 128, 0, 127));
    EXPECT_TRUE(colorIs(p, 100, 10, 0, 0, 255, 0));
}

// Blending that keeps the destination writes depth and stencil only; a
// copy and a clear made meanwhile still write colour, and other blending,
// or none with the same factors, writes colour again.
TEST_F(GfxPixels, BlendKeepingTheDestinationWritesOnlyDepthAndStencil)
{
    RenderTarget* target = device->createRenderTarget(128, 128);
    ASSERT_TRUE(target);
    device->setRenderTarget(target);
    device->clear(true, false, false, 0xFFFF0000u, 1.0f, 0);
    device->setRenderTarget(nullptr);
    device->setRenderState(RS_ALPHABLENDENABLE, 1);
    device->setRenderState(RS_SRCBLEND, 1);  // ZERO
    device->setRenderState(RS_DESTBLEND, 2); // ONE
    device->setRenderState(RS_STENCILENABLE, 1);
    device->setRenderState(RS_STENCILFUNC, CMP_ALWAYS);
    device->setRenderState(RS_STENCILPASS, ST_INCR);
    device->copyTarget(target, nullptr); // red everywhere
    flat(0xFFFFFFFFu);
    quad(*device, 0, 0, 64, 128); // left: stencil 1, still red
    device->setViewport(0, 0, 128, 64, 0, 1);
    device->clear(true, false, false, 0xFF00FF00u, 1.0f, 0); // top green
    device->setViewport(0, 0, 128, 128, 0, 1);
    device->setRenderState(RS_STENCILPASS, ST_KEEP);
    device->setRenderState(RS_STENCILREF, 1);

    const struct {
        uint32_t blend, src, dest, func, color;
        uint8_t left[3], right[3]; // bottom row
    } passes[] = {{1, 5, 6, CMP_EQUAL, 0xFF0000FFu, {0, 0, 255}, {255, 0, 0}},       // source alpha over
                  {0, 1, 2, CMP_NOTEQUAL, 0xFFFFFF00u, {0, 0, 255}, {255, 255, 0}}}; // no blending
    for (const auto& pass : passes) {
        device->setRenderState(RS_ALPHABLENDENABLE, pass.blend);
        device->setRenderState(RS_SRCBLEND, pass.src);
        device->setRenderState(RS_DESTBLEND, pass.dest);
        device->setRenderState(RS_STENCILFUNC, pass.func);
        flat(pass.color);
        quad(*device, 0, 0, 128, 128);
        Pixels p = read();
        EXPECT_TRUE(colorIs(p, 10, 100, pass.left[0], pass.left[1], pass.left[2]));
        EXPECT_TRUE(colorIs(p, 100, 100, pass.right[0], pass.right[1], pass.right[2]));
        if (pass.blend) {
            EXPECT_TRUE(colorIs(p, 100, 10, 0, 255, 0)); // the clear's green
        }
    }
    device->releaseRenderTarget(target);
}

// Every op with an exact combiner, colour and alpha, arg1 TEXTURE and arg2
// TFACTOR, against the op's definition.
class GfxCombinerOps : public GfxPixels, public ::testing::WithParamInterface<uint32_t> {};

float reference(uint32_t op, int c, const float t[4], const float f[4])
{
    const float a1 = t[c], a2 = f[c], diffuseAlpha = 1.0f;
    float r = 0;
    switch (op) {
    case 2: r = a1; break;
    case 3: r = a2; break;
    case 4: r = a1 * a2; break;
    case 5: r = 2 * a1 * a2; break;
    case 6: r = 4 * a1 * a2; break;
    case 7: r = a1 + a2; break;
    case 8: r = a1 + a2 - 0.5f; break;
    case 9: r = 2 * (a1 + a2 - 0.5f); break;
    case 10: r = a1 - a2; break;
    case 11: r = a1 + a2 - a1 * a2; break;
    case 12: r = a1 * diffuseAlpha + a2 * (1 - diffuseAlpha); break;
    case 13: r = a1 * t[3] + a2 * (1 - t[3]); break;
    case 14: r = a1 * f[3] + a2 * (1 - f[3]); break;
    case 15: r = a1 + a2 * (1 - t[3]); break;
    case 16: r = a1 * diffuseAlpha + a2 * (1 - diffuseAlpha); break; // current = diffuse at stage 0
    case 18: r = a1 + t[3] * a2; break;
    case 19: r = a1 * a2 + t[3]; break;
    case 20: r = a1 + (1 - t[3]) * a2; break;
    case 21: r = (1 - a1) * a2 + t[3]; break;
    case 24:
        r = 4 * ((t[0] - 0.5f) * (f[0] - 0.5f) + (t[1] - 0.5f) * (f[1] - 0.5f) + (t[2] - 0.5f) * (f[2] - 0.5f));
        break;
    }
    return std::clamp(r, 0.0f, 1.0f);
}

TEST_P(GfxCombinerOps, MatchTheirDefinition)
{
    const uint32_t op = GetParam();
    Texture* tex = device->createTexture(image(1, 1, {0x6633CC40u}));
    ASSERT_TRUE(tex);
    const uint32_t factor = 0xBF4D40E6u; // a, r, g, b
    const float t[4] = {0x66 / 255.f, 0x33 / 255.f, 0xCC / 255.f, 0x40 / 255.f};
    const float f[4] = {0x4D / 255.f, 0x40 / 255.f, 0xE6 / 255.f, 0xBF / 255.f};
    device->setRenderState(RS_TEXTUREFACTOR, factor);
    device->setTexture(0, tex);
    device->setStageState(0, SS_COLOROP, op);
    device->setStageState(0, SS_COLORARG1, ARG_TEXTURE);
    device->setStageState(0, SS_COLORARG2, ARG_TFACTOR);
    device->setStageState(0, SS_ALPHAOP, op);
    device->setStageState(0, SS_ALPHAARG1, ARG_TEXTURE);
    device->setStageState(0, SS_ALPHAARG2, ARG_TFACTOR);
    quad(*device, 0, 0, 128, 128);
    Pixels p = read();
    const uint8_t* c = p.at(64, 64);
    for (int k = 0; k < 4; ++k) {
        float expected = reference(op, k, t, f) * 255;
        EXPECT_NEAR(expected, c[k], 2.5) << "op " << op << " channel " << k;
    }
    EXPECT_TRUE(log.empty()) << log.front();
}

INSTANTIATE_TEST_SUITE_P(Ops, GfxCombinerOps,
                         ::testing::Values(2u, 3u, 4u, 5u, 6u, 7u, 8u, 9u, 10u, 11u, 12u, 13u, 14u, 15u, 16u, 18u, 19u,
                                           20u, 21u, 24u));

TEST_F(GfxPixels, ArgumentModifiersAndTheDisableCascade)
{
    device->setRenderState(RS_TEXTUREFACTOR, 0x80123456u);
    device->setStageState(0, SS_COLOROP, OP_SELECTARG1);
    device->setStageState(0, SS_COLORARG1, ARG_TFACTOR | ARG_COMPLEMENT);
    quad(*device, 0, 0, 32, 128);
    device->setStageState(0, SS_COLORARG1, ARG_TFACTOR | ARG_ALPHAREPLICATE);
    quad(*device, 32, 0, 64, 128);
    device->setStageState(0, SS_COLORARG1, ARG_TFACTOR | ARG_ALPHAREPLICATE | ARG_COMPLEMENT);
    quad(*device, 64, 0, 96, 128);

    // Stage 1 disabled: stage 2 (which would turn everything black) is off.
    Texture* black = device->createTexture(image(1, 1, {0x000000FFu}));
    device->setStageState(0, SS_COLORARG1, ARG_TFACTOR);
    device->setStageState(1, SS_COLOROP, OP_DISABLE);
    device->setStageState(2, SS_COLOROP, OP_SELECTARG1);
    device->setTexture(2, black);
    quad(*device, 96, 0, 128, 64);
    // Stage 1 on, without a texture: it samples white.
    device->setStageState(1, SS_COLOROP, OP_MODULATE);
    device->setStageState(2, SS_COLOROP, OP_DISABLE);
    quad(*device, 96, 64, 128, 128);

    Pixels p = read();
    EXPECT_TRUE(colorIs(p, 10, 10, 0xED, 0xCB, 0xA9));
    EXPECT_TRUE(colorIs(p, 40, 10, 128, 128, 128));
    EXPECT_TRUE(colorIs(p, 70, 10, 127, 127, 127));
    EXPECT_TRUE(colorIs(p, 100, 10, 0x12, 0x34, 0x56));
    EXPECT_TRUE(colorIs(p, 100, 100, 0x12, 0x34, 0x56));
}

TEST_F(GfxPixels, OpsWithoutAnEquivalentLogOnceAndApproximate)
{
    Texture* tex = device->createTexture(image(1, 1, {0x80808080u}));
    device->setTexture(0, tex);
    device->setRenderState(RS_TEXTUREFACTOR, 0xFF804000u);
    // MULTIPLYADD: arg1 * arg2 + current (diffuse white) saturates.
    device->setStageState(0, SS_COLOROP, OP_MULTIPLYADD);
    device->setStageState(0, SS_COLORARG2, ARG_TFACTOR);
    quad(*device, 0, 0, 64, 128);
    quad(*device, 0, 0, 64, 128);
    // PREMODULATE: modulates its arguments.
    device->setStageState(0, SS_COLOROP, OP_PREMODULATE);
    quad(*device, 64, 0, 128, 128);
    device->setStageState(0, SS_COLORARG2, ARG_SPECULAR);
    quad(*device, 64, 0, 96, 128);
    quad(*device, 64, 0, 96, 128);
    Pixels p = read();
    EXPECT_TRUE(colorIs(p, 10, 10, 255, 255, 255));
    EXPECT_TRUE(colorIs(p, 100, 10, 64, 32, 0));
    ASSERT_EQ(3u, log.size());
    EXPECT_NE(std::string::npos, log[0].find("MULTIPLYADD"));
    EXPECT_NE(std::string::npos, log[1].find("PREMODULATE"));
    EXPECT_NE(std::string::npos, log[2].find("SPECULAR"));
}

TEST_F(GfxPixels, TextureMatrixTranslationScrolls)
{
    // Four texels across: red, green, blue, white.
    Texture* tex = device->createTexture(image(4, 1, {0xFF0000FFu, 0x00FF00FFu, 0x0000FFFFu, 0xFFFFFFFFu}));
    device->setTexture(0, tex);
    device->setStageState(0, SS_COLOROP, OP_SELECTARG1);
    const VUV2 v[4] = {
        {0, 0, 0, 0, 0, 0, 0}, {0, 128, 0, 0, 1, 0, 1}, {128, 128, 0, 1, 1, 1, 1}, {128, 0, 0, 1, 0, 1, 0}};
    device->drawPrimitiveUP(PT_TRIANGLEFAN, 2, v, sizeof(VUV2));
    Pixels p = read();
    EXPECT_TRUE(colorIs(p, 8, 64, 255, 0, 0));
    EXPECT_TRUE(colorIs(p, 104, 64, 255, 255, 255));

    // u + 0.25 in row 2; with the transform off the matrix is ignored.
    float m[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0.25f, 0, 1, 0, 0, 0, 0, 1};
    device->setTransform(TS_TEXTURE0, m);
    device->drawPrimitiveUP(PT_TRIANGLEFAN, 2, v, sizeof(VUV2));
    EXPECT_TRUE(colorIs(read(), 8, 64, 255, 0, 0));
    device->setStageState(0, SS_TEXTURETRANSFORMFLAGS, TTF_COUNT2);
    device->drawPrimitiveUP(PT_TRIANGLEFAN, 2, v, sizeof(VUV2));
    p = read();
    EXPECT_TRUE(colorIs(p, 8, 64, 0, 255, 0));
    EXPECT_TRUE(colorIs(p, 72, 64, 255, 255, 255));
    EXPECT_TRUE(colorIs(p, 104, 64, 255, 0, 0)); // wrapped
}

TEST_F(GfxPixels, TextureCoordinateSetOneFeedsStageOne)
{
    Texture* colors = device->createTexture(image(2, 1, {0xFF0000FFu, 0x00FF00FFu}));
    Texture* mask = device->createTexture(image(2, 1, {0xFFFFFFFFu, 0x000000FFu}));
    device->setTexture(0, colors);
    device->setStageState(0, SS_COLOROP, OP_SELECTARG1);
    device->setTexture(1, mask);
    device->setStageState(1, SS_COLOROP, OP_MODULATE);
    device->setStageState(1, SS_COLORARG1, ARG_TEXTURE);
    device->setStageState(1, SS_COLORARG2, ARG_CURRENT);
    // Set 1 runs the other way: black mask on the left, white on the right.
    const VUV2 v[4] = {
        {0, 0, 0, 0, 0, 1, 0}, {0, 128, 0, 0, 1, 1, 1}, {128, 128, 0, 1, 1, 0, 1}, {128, 0, 0, 1, 0, 0, 0}};
    device->drawPrimitiveUP(PT_TRIANGLEFAN, 2, v, sizeof(VUV2));
    Pixels p = read();
    EXPECT_TRUE(colorIs(p, 20, 64, 0, 0, 0));
    EXPECT_TRUE(colorIs(p, 100, 64, 0, 255, 0));
}

TEST_F(GfxPixels, ClientVerticesOfEverySizeLandWhereTheySay)
{
    // Columns of one pixel, far more than the reused vertex buffer holds:
    // the later ones wrap to its start.
    flat(0xFFFF0000u);
    for (int y = 0; y < kSize; y += 2)
        for (int x = 0; x < kSize; ++x)
            quad(*device, float(x), float(y), float(x + 1), float(y + 2));
    Pixels p = read();
    int red = 0;
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x)
            red += colorIs(p, x, y, 255, 0, 0, 0) ? 1 : 0;
    EXPECT_EQ(kSize * kSize, red);

    // One draw larger than the buffer, and one larger than what goes
    // through it at all: each ends with the triangle that is seen.
    auto triangles = [&](int count, float x0, uint32_t color) {
        std::vector<V3> v(static_cast<size_t>(count) * 3, V3{0, 0, 0});
        const V3 last[3] = {{x0, 0, 0}, {x0 + 64, 0, 0}, {x0, 128, 0}};
        std::copy(last, last + 3, v.end() - 3);
        flat(color);
        device->drawPrimitiveUP(PT_TRIANGLELIST, count, v.data(), sizeof(V3));
    };
    triangles(20000, 0, 0xFF00FF00u);
    triangles(40000, 64, 0xFF0000FFu);
    p = read();
    EXPECT_TRUE(colorIs(p, 4, 64, 0, 255, 0));
    EXPECT_TRUE(colorIs(p, 68, 64, 0, 0, 255));
}

TEST_F(GfxPixels, SamplersFilterAndAddressPerStage)
{
    Texture* tex = device->createTexture(image(2, 1, {0x000000FFu, 0xFFFFFFFFu}));
    device->setTexture(0, tex);
    device->setStageState(0, SS_COLOROP, OP_SELECTARG1);
    // u runs from -1 to 2 over x 0..120.
    auto strip = [&](float y0, float y1) {
        const VUV2 v[4] = {
            {0, y0, 0, -1, 0, 0, 0}, {0, y1, 0, -1, 1, 0, 0}, {120, y1, 0, 2, 1, 0, 0}, {120, y0, 0, 2, 0, 0, 0}};
        device->drawPrimitiveUP(PT_TRIANGLEFAN, 2, v, sizeof(VUV2));
    };
    const uint32_t modes[5] = {1, 2, 3, 4, 5}; // WRAP MIRROR CLAMP BORDER MIRRORONCE
    for (int i = 0; i < 5; ++i) {
        device->setStageState(0, SS_ADDRESSU, modes[i]);
        strip(i * 16.0f, i * 16.0f + 16);
    }
    // Linear magnification halfway between the texel centres.
    device->setStageState(0, SS_ADDRESSU, 3);
    device->setStageState(0, SS_MAGFILTER, 2);
    const VUV2 v[4] = {
        {0, 96, 0, 0, 0, 0, 0}, {0, 112, 0, 0, 1, 0, 0}, {128, 112, 0, 1, 1, 0, 0}, {128, 96, 0, 1, 0, 0, 0}};
    device->drawPrimitiveUP(PT_TRIANGLEFAN, 2, v, sizeof(VUV2));

    // A 2x2 texture squeezed into one pixel: with mip levels it reads the
    // averaged 1x1 level, without them one texel.
    Texture* four = device->createTexture(image(2, 2, {0xFF0000FFu, 0x00FF00FFu, 0x0000FFFFu, 0xFFFFFFFFu}));
    device->setTexture(0, four);
    device->setStageState(0, SS_MAGFILTER, 1);
    device->setStageState(0, SS_MIPFILTER, 1);
    const VUV2 dot[4] = {
        {124, 124, 0, 0, 0, 0, 0}, {124, 125, 0, 0, 1, 0, 0}, {125, 125, 0, 1, 1, 0, 0}, {125, 124, 0, 1, 0, 0, 0}};
    device->drawPrimitiveUP(PT_TRIANGLEFAN, 2, dot, sizeof(VUV2));

    Pixels p = read();
    const int left[5] = {0, 255, 0, 0, 255}, right[5] = {255, 0, 255, 0, 255};
    for (int i = 0; i < 5; ++i) {
        SCOPED_TRACE(i);
        EXPECT_TRUE(colorIs(p, 10, i * 16 + 8, left[i], left[i], left[i]));
        EXPECT_TRUE(colorIs(p, 110, i * 16 + 8, right[i], right[i], right[i]));
    }
    EXPECT_TRUE(colorIs(p, 64, 104, 128, 128, 128));
    EXPECT_TRUE(colorIs(p, 124, 124, 128, 128, 128, 3));
}

TEST_F(GfxPixels, LightingLitNormalsVersusEmissiveOnlyPositions)
{
    Material mat{};
    const float diffuse[4] = {0.5f, 0.25f, 0, 1}, emissive[4] = {0.2f, 0.2f, 0.2f, 1};
    std::copy(diffuse, diffuse + 4, mat.diffuse);
    std::copy(emissive, emissive + 4, mat.emissive);
    mat.ambient[0] = 1.0f;
    mat.ambient[1] = 0.5f;
    Light light{};
    std::fill(light.diffuse, light.diffuse + 4, 1.0f);
    light.direction[2] = 2.0f; // into the screen, not normalised
    device->setMaterial(mat);
    device->setLight(light);
    device->setRenderState(RS_LIGHTING, 1);
    device->lightEnable(true);

    auto meshQuad = [&](float x0, float x1, float nz) {
        const VMesh v[4] = {{x0, 0, 0, 0, 0, nz, 0, 0, 0, 0},
                            {x0, 128, 0, 0, 0, nz, 0, 1, 0, 1},
                            {x1, 128, 0, 0, 0, nz, 1, 1, 1, 1},
                            {x1, 0, 0, 0, 0, nz, 1, 0, 1, 0}};
        device->drawPrimitiveUP(PT_TRIANGLEFAN, 2, v, sizeof(VMesh));
    };
    meshQuad(0, 32, -1.0f); // facing the light
    meshQuad(32, 64, 1.0f); // facing away
    quad(*device, 64, 0, 128, 128);
    Pixels p = read();
    EXPECT_TRUE(colorIs(p, 10, 10, 179, 115, 51));
    EXPECT_TRUE(colorIs(p, 40, 10, 51, 51, 51));
    EXPECT_TRUE(colorIs(p, 100, 10, 51, 51, 51));

    // The light's ambient reaches every vertex; a disabled light nothing.
    std::fill(light.ambient, light.ambient + 3, 0.2f);
    device->setLight(light);
    quad(*device, 64, 0, 96, 128);
    device->lightEnable(false);
    meshQuad(0, 32, -1.0f);
    p = read();
    EXPECT_TRUE(colorIs(p, 70, 10, 102, 77, 51));
    EXPECT_TRUE(colorIs(p, 10, 10, 51, 51, 51));

    // Specular highlights only with SPECULARENABLE.
    device->lightEnable(true);
    std::fill(mat.specular, mat.specular + 4, 1.0f);
    mat.power = 1.0f;
    std::fill(light.specular, light.specular + 4, 1.0f);
    device->setMaterial(mat);
    device->setLight(light);
    meshQuad(0, 32, -1.0f);
    const int plain = read().at(16, 64)[2];
    device->setRenderState(RS_SPECULARENABLE, 1);
    meshQuad(0, 32, -1.0f);
    EXPECT_GT(read().at(16, 64)[2], plain + 50);
    // A power beyond GL's range is clamped, not refused (no GL error).
    mat.power = 1000.0f;
    device->setMaterial(mat);
    meshQuad(0, 32, -1.0f);
    EXPECT_LT(read().at(16, 64)[2], plain + 50);
}

TEST_F(GfxPixels, StencilIncrementDecrementWrapAndEqual)
{
    device->setRenderState(RS_STENCILENABLE, 1);
    device->setRenderState(RS_STENCILFUNC, CMP_ALWAYS);
    device->setRenderState(RS_STENCILPASS, ST_INCR);
    quad(*device, 0, 0, 64, 128); // left: 1
    quad(*device, 0, 0, 64, 128); // left: 2
    quad(*device, 0, 0, 128, 64); // top-left 3, top-right 1
    device->setRenderState(RS_STENCILPASS, ST_DECR);
    quad(*device, 64, 64, 128, 128); // bottom-right wraps to 255
    // Stencil 255 on the top-right quarter's right half: INCRSAT keeps it.
    device->setViewport(96, 0, 32, 64, 0, 1);
    device->clear(false, false, true, 0, 1.0f, 255);
    device->setViewport(0, 0, 128, 128, 0, 1);
    device->setRenderState(RS_STENCILPASS, ST_INCRSAT);
    quad(*device, 96, 0, 128, 64);

    device->setRenderState(RS_STENCILPASS, ST_KEEP);
    device->setRenderState(RS_STENCILFUNC, CMP_EQUAL);
    const struct {
        uint32_t ref, color;
    } passes[] = {{2, 0xFF00FF00u}, {255, 0xFF0000FFu}, {3, 0xFFFF0000u}, {1, 0xFFFFFF00u}};
    for (auto pass : passes) {
        device->setRenderState(RS_STENCILREF, pass.ref);
        flat(pass.color);
        quad(*device, 0, 0, 128, 128);
    }
    Pixels p = read();
    EXPECT_TRUE(colorIs(p, 10, 100, 0, 255, 0));  // 2
    EXPECT_TRUE(colorIs(p, 70, 100, 0, 0, 255));  // 255
    EXPECT_TRUE(colorIs(p, 10, 10, 255, 0, 0));   // 3
    EXPECT_TRUE(colorIs(p, 70, 10, 255, 255, 0)); // 1
    EXPECT_TRUE(colorIs(p, 110, 10, 0, 0, 255));  // saturated at 255
}

TEST_F(GfxPixels, ReadPixelsRowsComeBottomUp)
{
    flat(0xFFFF0000u);
    quad(*device, 0, 0, 128, 16); // the top of the viewport
    int w = 0, h = 0;
    std::vector<uint8_t> rgba;
    ASSERT_TRUE(device->readPixels(nullptr, w, h, rgba));
    ASSERT_EQ(kSize, w);
    ASSERT_EQ(kSize, h);
    auto red = [&](int row) { return rgba[static_cast<size_t>(row) * w * 4]; };
    EXPECT_EQ(255, red(127));
    EXPECT_EQ(255, red(112));
    EXPECT_EQ(0, red(111));
    EXPECT_EQ(0, red(0));
}

TEST_F(GfxPixels, RenderTargetsShareDepthAndCopyScaled)
{
    targetsKeepDepthAndCopyScaled();
}

TEST_F(GfxPixels, TargetLargerThanTheBackBufferIsDrawableEverywhere)
{
    RenderTarget* big = device->createRenderTarget(256, 200);
    ASSERT_TRUE(big);
    device->setRenderTarget(big);
    float m[16];
    orthoScreen(m, 256, 200);
    device->setTransform(TS_PROJECTION, m);
    device->setRenderState(RS_ZENABLE, 1);
    device->clear(true, true, true, 0xFF000000u, 1.0f, 0);
    flat(0xFFFFFFFFu);
    quad(*device, 200, 150, 256, 200);
    Pixels p = read(big);
    EXPECT_TRUE(colorIs(p, 250, 195, 255, 255, 255));
    EXPECT_TRUE(colorIs(p, 150, 100, 0, 0, 0));
}

TEST_F(GfxPixels, IndexedDrawFromMeshBuffers)
{
    const VMesh v[4] = {{0, 0, 0, 0, 0, -1, 0, 0, 0, 0},
                        {0, 128, 0, 0, 0, -1, 0, 1, 0, 0},
                        {128, 128, 0, 0, 0, -1, 1, 1, 0, 0},
                        {128, 0, 0, 0, 0, -1, 1, 0, 0, 0}};
    const uint16_t indices[6] = {0, 1, 2, 0, 2, 3};
    VertexBuffer* vb = device->createVertexBuffer(v, sizeof v);
    IndexBuffer* ib = device->createIndexBuffer(indices, 6);
    ASSERT_TRUE(vb && ib);
    Texture* tex = device->createTexture(image(2, 1, {0xFF0000FFu, 0x00FF00FFu}));
    device->setTexture(0, tex);
    device->setStageState(0, SS_COLOROP, OP_SELECTARG1);
    device->setStreamSource(vb, sizeof(VMesh));
    device->setIndices(ib);

    device->drawIndexedTriangles(0, 4, 3, 1); // the triangle 0 2 3: top right
    Pixels p = read();
    EXPECT_TRUE(colorIs(p, 120, 8, 0, 255, 0));
    EXPECT_TRUE(colorIs(p, 8, 120, 0, 0, 0));
    device->drawIndexedTriangles(0, 4, 0, 2);
    p = read();
    EXPECT_TRUE(colorIs(p, 8, 120, 255, 0, 0));
    EXPECT_TRUE(colorIs(p, 120, 120, 0, 255, 0));

    // Out of range: nothing drawn, no read past the buffers.
    device->clear(true, false, false, 0xFF000000u, 1.0f, 0);
    device->drawIndexedTriangles(0, 4, 3, 2);
    device->drawIndexedTriangles(0, 5, 0, 2);
    const uint16_t far[3] = {0, 1, 4};
    IndexBuffer* bad = device->createIndexBuffer(far, 3);
    device->setIndices(bad);
    device->drawIndexedTriangles(0, 4, 0, 1);
    EXPECT_TRUE(colorIs(read(), 8, 120, 0, 0, 0));
    EXPECT_EQ(2u, log.size());

    // Updated vertices replace the old ones; a released buffer unbinds.
    VMesh moved[4];
    std::copy(v, v + 4, moved);
    for (VMesh& m : moved)
        m.x = m.x / 2;
    device->updateVertexBuffer(vb, moved, sizeof moved);
    device->setIndices(ib);
    device->drawIndexedTriangles(0, 4, 0, 2);
    p = read();
    EXPECT_TRUE(colorIs(p, 8, 64, 255, 0, 0));
    EXPECT_TRUE(colorIs(p, 100, 64, 0, 0, 0));
    device->releaseVertexBuffer(vb);
    device->drawIndexedTriangles(0, 4, 0, 2);
    device->releaseIndexBuffer(ib);
    device->releaseIndexBuffer(bad);
}

TEST_F(GfxPixels, PresentLeavesTheBackBufferAndStatesAlone)
{
    flat(0xFFFF0000u);
    quad(*device, 0, 0, 128, 64);
    device->endScene();
    device->present();
    EXPECT_TRUE(colorIs(read(), 10, 10, 255, 0, 0));

    RenderTarget* target = device->createRenderTarget(32, 32);
    device->setRenderTarget(target);
    device->present();
    device->clear(true, false, false, 0xFF0000FFu, 1.0f, 0);
    EXPECT_TRUE(colorIs(read(target), 16, 16, 0, 0, 255));
    EXPECT_TRUE(colorIs(read(), 10, 10, 255, 0, 0));

    // beginScene draws to the current target with a viewport covering it.
    device->setRenderTarget(nullptr);
    device->setViewport(0, 0, 8, 8, 0, 1);
    scene();
    EXPECT_TRUE(colorIs(read(), 10, 10, 0, 0, 0));
}

TEST_F(GfxPixels, NothingIsDrawnWhileTheDeviceIsLost)
{
    device->clear(true, false, false, 0xFFFF0000u, 1.0f, 0);
    device->simulateLoss();
    device->clear(true, false, false, 0xFF0000FFu, 1.0f, 0);
    flat(0xFF00FF00u);
    quad(*device, 0, 0, 128, 128);
    EXPECT_TRUE(colorIs(read(), 64, 64, 255, 0, 0));
    device->allowReset();
    ASSERT_TRUE(device->reset());
    device->clear(true, false, false, 0xFF0000FFu, 1.0f, 0);
    EXPECT_TRUE(colorIs(read(), 64, 64, 0, 0, 255));
}

} // namespace
