// Resampling, mip chains, per-texel fills, BMP writing and the projection
// matrices.
#include "platform/img/image.h"
#include "platform/img/projection.h"
#include "platform/sys/files.h"
#include "platform/sys/paths.h"
#include "tests/common/test_util.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>
#include <vector>

namespace {

using img::Image;

Image make(int w, int h, const std::function<uint32_t(int, int)>& colour)
{
    Image im(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint32_t c = colour(x, y);
            uint8_t* t = im.texel(x, y);
            t[0] = c >> 24;
            t[1] = c >> 16;
            t[2] = c >> 8;
            t[3] = c;
        }
    return im;
}

uint32_t at(const Image& im, int x, int y)
{
    const uint8_t* t = im.texel(x, y);
    return (uint32_t(t[0]) << 24) | (t[1] << 16) | (t[2] << 8) | t[3];
}

double mean(const Image& im, int channel)
{
    double sum = 0;
    for (size_t i = channel; i < im.rgba.size(); i += 4)
        sum += im.rgba[i];
    return sum / (static_cast<double>(im.width) * im.height);
}

uint32_t le32(const std::string& s, size_t at)
{
    return uint8_t(s[at]) | uint8_t(s[at + 1]) << 8 | uint8_t(s[at + 2]) << 16 | uint32_t(uint8_t(s[at + 3])) << 24;
}

// (x, y, z, 1) times a row-major matrix in the row-vector convention.
void transform(const float m[16], float x, float y, float z, float out[4])
{
    for (int c = 0; c < 4; ++c)
        out[c] = x * m[c] + y * m[4 + c] + z * m[8 + c] + m[12 + c];
}

} // namespace

TEST(ImageResize, ShrinkAveragesEachBlock)
{
    // Each 2 x 2 quadrant of a 4 x 4 image averages to one texel.
    Image src = make(4, 4, [](int x, int y) {
        uint32_t v = (x + y) % 2 ? 100 : 0;       // checker inside every quadrant
        uint32_t q = (x / 2) * 40 + (y / 2) * 100; // quadrant base
        return (q + v) << 24 | (x / 2) << 16 | 200u << 8 | (y < 2 ? 255u : 1u);
    });
    Image out = img::resizeBox(src, 2, 2);
    ASSERT_EQ(2, out.width);
    ASSERT_EQ(2, out.height);
    EXPECT_EQ(0x3200C8FFu, at(out, 0, 0));
    EXPECT_EQ(0x5A01C8FFu, at(out, 1, 0));
    EXPECT_EQ(0x9600C801u, at(out, 0, 1));
    EXPECT_EQ(0xBE01C801u, at(out, 1, 1));
}

TEST(ImageResize, NonIntegerRatiosWeighByArea)
{
    // 3 -> 2: each target texel covers one and a half source texels.
    Image row = make(3, 1, [](int x, int) { return uint32_t(x * 90) << 24 | 0xFF; });
    Image two = img::resizeBox(row, 2, 1);
    EXPECT_EQ(30u, two.texel(0, 0)[0]);
    EXPECT_EQ(150u, two.texel(1, 0)[0]);

    // Growing by a whole factor replicates.
    Image pair = make(2, 1, [](int x, int) { return x ? 0x00FF00FFu : 0xFF0000FFu; });
    Image four = img::resizeBox(pair, 4, 2);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(x < 2 ? 0xFF0000FFu : 0x00FF00FFu, at(four, x, y));

    // Odd sizes both ways keep the mean colour and a flat colour stays flat.
    Image noise = make(7, 5, [](int x, int y) { return uint32_t((x * 37 + y * 91) % 256) << 24 | 0x8040FFu; });
    const int sizes[][2] = {{3, 2}, {5, 3}, {11, 9}, {1, 1}, {7, 1}, {2, 5}};
    for (auto& size : sizes) {
        Image out = img::resizeBox(noise, size[0], size[1]);
        ASSERT_EQ(size[0], out.width);
        ASSERT_EQ(size[1], out.height);
        EXPECT_NEAR(mean(noise, 0), mean(out, 0), 0.5) << size[0] << "x" << size[1];
        for (int y = 0; y < out.height; ++y)
            for (int x = 0; x < out.width; ++x)
                EXPECT_EQ(0x8040FFu, at(out, x, y) & 0xFFFFFF);
    }
}

TEST(ImageResize, EmptyAndDegenerateRequests)
{
    Image src = make(2, 2, [](int, int) { return 0x11223344u; });
    EXPECT_TRUE(img::resizeBox(src, 0, 2).empty());
    EXPECT_TRUE(img::resizeBox(src, 2, -1).empty());
    EXPECT_TRUE(img::resizeBox(Image(), 4, 4).empty());
    Image same = img::resizeBox(src, 2, 2);
    EXPECT_EQ(src.rgba, same.rgba);
}

TEST(ImageResize, ClampSizeLimitsEachSide)
{
    Image wide = make(1024, 256, [](int x, int) { return (x % 2 ? 0xFF000000u : 0u) | 0xFF; });
    Image clamped = img::clampSize(wide, 512);
    ASSERT_EQ(512, clamped.width);
    ASSERT_EQ(256, clamped.height);
    EXPECT_EQ(0x800000FFu, at(clamped, 100, 100)); // each pair of columns averaged
    Image small = make(300, 20, [](int, int) { return 0x01020304u; });
    Image kept = img::clampSize(small, 512);
    EXPECT_EQ(300, kept.width);
    EXPECT_EQ(small.rgba, kept.rgba);
}

TEST(ImageMip, ChainHalvesDownToOne)
{
    Image odd = make(5, 3, [](int, int) { return 0x204060FFu; });
    std::vector<Image> chain = img::mipChain(odd);
    ASSERT_EQ(2u, chain.size());
    EXPECT_EQ(2, chain[0].width);
    EXPECT_EQ(1, chain[0].height);
    EXPECT_EQ(1, chain[1].width);
    EXPECT_EQ(1, chain[1].height);
    EXPECT_EQ(0x204060FFu, at(chain[1], 0, 0));

    // A long chain (levels built from levels already stored) and a thin one.
    std::vector<Image> big = img::mipChain(make(512, 8, [](int x, int y) { return (x + y) % 2 ? ~0u : 0xFFu; }));
    ASSERT_EQ(9u, big.size());
    int w = 512, h = 8;
    for (const Image& level : big) {
        w = std::max(1, w / 2);
        h = std::max(1, h / 2);
        EXPECT_EQ(w, level.width);
        EXPECT_EQ(h, level.height);
        EXPECT_EQ(0x808080FFu, at(level, 0, 0)); // the checker averages to grey
    }
    EXPECT_TRUE(img::mipChain(make(1, 1, [](int, int) { return 0u; })).empty());
    EXPECT_TRUE(img::mipChain(Image()).empty());
}

TEST(ImageFill, PassesTexelCentresAndClamps)
{
    Image im = make(4, 2, [](int, int) { return 0x10203040u; });
    std::vector<std::pair<float, float>> seen;
    img::fillImage(im, [&](float u, float v, float rgba[4]) {
        EXPECT_FLOAT_EQ(0x10 / 255.0f, rgba[0]); // starts from the current colour
        seen.emplace_back(u, v);
        rgba[0] = u;
        rgba[1] = 2.0f;
        rgba[2] = v < 0.5f ? -1.0f : std::numeric_limits<float>::quiet_NaN();
        rgba[3] = 0.5f;
    });
    ASSERT_EQ(8u, seen.size());
    EXPECT_FLOAT_EQ(0.125f, seen[0].first);
    EXPECT_FLOAT_EQ(0.25f, seen[0].second);
    EXPECT_FLOAT_EQ(0.875f, seen[7].first);
    EXPECT_FLOAT_EQ(0.75f, seen[7].second);
    EXPECT_EQ(0x20FF0080u, at(im, 0, 0)); // 0.125 * 255 = 31.9
    EXPECT_EQ(0xDFFF0080u, at(im, 3, 1));
}

TEST(ImageBmpWrite, HeaderPaddingAndRowOrder)
{
    // 3 x 2: rows of 9 bytes padded to 12.
    Image im = make(3, 2, [](int x, int y) { return uint32_t(x + 1) << 24 | uint32_t(y + 1) << 16 | 0x7755u; });
    std::string error;
    ASSERT_TRUE(img::saveBmp("shot.bmp", im, &error)) << error;
    std::string file = testutil::readText("shot.bmp");
    ASSERT_EQ(78u, file.size());
    EXPECT_EQ("BM", file.substr(0, 2));
    EXPECT_EQ(78u, le32(file, 2));
    EXPECT_EQ(54u, le32(file, 10));
    EXPECT_EQ(40u, le32(file, 14));
    EXPECT_EQ(3u, le32(file, 18));
    EXPECT_EQ(2u, le32(file, 22)); // positive: bottom-up
    EXPECT_EQ(0x00180001u, le32(file, 26)); // 1 plane, 24 bits
    EXPECT_EQ(0u, le32(file, 30));
    EXPECT_EQ(24u, le32(file, 34));
    // The first stored row is the bottom one (y = 1), in B, G, R order.
    EXPECT_EQ(std::string("\x77\x02\x01\x77\x02\x02\x77\x02\x03\0\0\0", 12), file.substr(54, 12));
    EXPECT_EQ(std::string("\x77\x01\x01", 3), file.substr(66, 3));

    // Rows already bottom-up are written as they come.
    ASSERT_TRUE(img::saveBmp("flip.bmp", 3, 2, im.rgba.data(), true, &error)) << error;
    EXPECT_EQ(std::string("\x77\x01\x01", 3), testutil::readText("flip.bmp").substr(54, 3));
}

TEST(ImageBmpWrite, RoundTripAndRefusals)
{
    Image im = make(5, 3, [](int x, int y) { return uint32_t(x * 50) << 24 | uint32_t(y * 80) << 16 | 0x33FFu; });
    std::string error;
    ASSERT_TRUE(sys::makeDirectories("captures"));
    ASSERT_TRUE(img::saveBmp("captures\\Round.bmp", im, &error)) << error;
    Image back;
    ASSERT_TRUE(img::loadImage("captures/round.bmp", back, &error)) << error;
    EXPECT_EQ(im.rgba, back.rgba);

    EXPECT_FALSE(img::saveBmp("bad.bmp", Image(), &error));
    EXPECT_FALSE(img::saveBmp("bad.bmp", 0, 4, im.rgba.data(), false, &error));
    EXPECT_FALSE(img::saveBmp("bad.bmp", 4, 4, nullptr, false, &error));
    EXPECT_FALSE(img::saveBmp("no/such/folder/x.bmp", im, &error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(sys::PathKind::Missing, sys::pathKind("bad.bmp"));
}

TEST(ImageProjection, PerspectiveMapsNearAndFarToZeroAndOne)
{
    float m[16];
    const float zn = 0.5f, zf = 200.0f;
    img::perspectiveFovRH(60.0f * 0.017453292f, 4.0f / 3.0f, zn, zf, m);
    float p[4];
    transform(m, 0.1f, 0.2f, -zn, p); // right-handed: the camera looks down -z
    EXPECT_NEAR(0.0f, p[2] / p[3], 1e-6f);
    EXPECT_NEAR(zn, p[3], 1e-6f);
    transform(m, 3.0f, -7.0f, -zf, p);
    EXPECT_NEAR(1.0f, p[2] / p[3], 1e-5f);
    // A point on the top edge of the field of view lands on y = 1.
    transform(m, 0.0f, 10.0f * std::tan(30.0f * 0.017453292f), -10.0f, p);
    EXPECT_NEAR(1.0f, p[1] / p[3], 1e-5f);
    EXPECT_NEAR(m[5] * 3.0f / 4.0f, m[0], 1e-6f);

    img::perspectiveFovRH(1.0f, 0.0f, zn, zf, m); // zero aspect
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(i % 5 == 0 ? 1.0f : 0.0f, m[i]);
}

TEST(ImageProjection, OrthoOffCenterMapsCornersAndDepth)
{
    float m[16];
    // As for 2D drawing: y grows downwards, so bottom is y + height.
    img::orthoOffCenterLH(10.0f, 650.0f, 500.0f, 20.0f, -1.0f, 1.0f, m);
    float p[4];
    transform(m, 10.0f, 500.0f, -1.0f, p);
    EXPECT_NEAR(-1.0f, p[0], 1e-6f);
    EXPECT_NEAR(-1.0f, p[1], 1e-6f);
    EXPECT_NEAR(0.0f, p[2], 1e-6f);
    EXPECT_FLOAT_EQ(1.0f, p[3]);
    transform(m, 650.0f, 20.0f, 1.0f, p);
    EXPECT_NEAR(1.0f, p[0], 1e-6f);
    EXPECT_NEAR(1.0f, p[1], 1e-6f);
    EXPECT_NEAR(1.0f, p[2], 1e-6f);

    img::orthoOffCenterLH(5.0f, 5.0f, 0.0f, 1.0f, 0.0f, 1.0f, m); // empty rectangle
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(i % 5 == 0 ? 1.0f : 0.0f, m[i]);
}
