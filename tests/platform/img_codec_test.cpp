// Image decoding: fixtures are built byte by byte (BMP, TGA, PPM) or written
// with libpng and libjpeg, then decoded and checked texel by texel.
#include "platform/img/image.h"
#include "tests/common/bytes.h"
#include "tests/common/jpeg_file.h"
#include "tests/common/test_util.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <csetjmp>
#include <jpeglib.h>
#include <png.h>

#include <string>
#include <vector>

namespace {

using img::Image;
using testutil::Bytes;

std::string bytes(std::initializer_list<unsigned> list) { return Bytes().raw(list).s; }

// A BMP file: palette entries as 0xRRGGBB, masks placed after a 40-byte
// header or inside a longer one.
std::string bmp(int32_t w, int32_t h, unsigned bits, const std::string& pixels, uint32_t compression = 0,
                const std::vector<uint32_t>& palette = {}, uint32_t clrUsed = 0, uint32_t headerSize = 40,
                const std::vector<uint32_t>& masks = {})
{
    // A short palette is declared; a full one is left to the default of 0.
    if (!clrUsed && !palette.empty() && palette.size() < (1u << bits))
        clrUsed = static_cast<uint32_t>(palette.size());
    size_t extra = headerSize == 40 ? masks.size() * 4 : 0;
    uint32_t offset = static_cast<uint32_t>(14 + headerSize + extra + palette.size() * 4);
    Bytes b;
    b.raw("BM").u32(offset + static_cast<uint32_t>(pixels.size())).u32(0).u32(offset);
    b.u32(headerSize).u32(static_cast<uint32_t>(w)).u32(static_cast<uint32_t>(h)).u16(1).u16(bits);
    b.u32(compression).u32(static_cast<uint32_t>(pixels.size())).u32(2835).u32(2835).u32(clrUsed).u32(0);
    for (uint32_t i = 40; i < headerSize; i += 4)
        b.u32(headerSize != 40 && (i - 40) / 4 < masks.size() ? masks[(i - 40) / 4] : 0);
    if (headerSize == 40)
        for (uint32_t m : masks)
            b.u32(m);
    for (uint32_t c : palette)
        b.u8(c).u8(c >> 8).u8(c >> 16).u8(0);
    return b.raw(pixels).s;
}

std::string tga(unsigned type, unsigned w, unsigned h, unsigned depth, unsigned descriptor, const std::string& pixels,
                unsigned mapFirst = 0, unsigned mapLength = 0, unsigned mapBits = 0, const std::string& map = "")
{
    Bytes b;
    b.u8(3).u8(mapLength ? 1 : 0).u8(type).u16(mapFirst).u16(mapLength).u8(mapBits);
    b.u16(0).u16(0).u16(w).u16(h).u8(depth).u8(descriptor).raw("abc").raw(map).raw(pixels);
    return b.s;
}

// RGBA of a texel packed as 0xRRGGBBAA.
uint32_t at(const Image& im, int x, int y)
{
    const uint8_t* t = im.texel(x, y);
    return (uint32_t(t[0]) << 24) | (t[1] << 16) | (t[2] << 8) | t[3];
}

Image decodeOk(const std::string& file)
{
    Image im;
    std::string error;
    EXPECT_TRUE(img::decodeImage(file, im, &error)) << error;
    return im;
}

std::string decodeError(const std::string& file)
{
    Image im(1, 1);
    std::string error;
    EXPECT_FALSE(img::decodeImage(file, im, &error));
    EXPECT_EQ(1, im.width) << "a failed decode must leave the image alone";
    return error;
}

void pngWriteData(png_structp png, png_bytep data, png_size_t n)
{
    static_cast<std::string*>(png_get_io_ptr(png))->append(reinterpret_cast<const char*>(data), n);
}
void pngFlush(png_structp) {}

// Rows are given packed as PNG stores them.
std::string writePng(unsigned w, unsigned h, int colourType, int depth, bool interlace, const std::string& rows,
                     const std::vector<png_color>& palette = {}, const std::string& trns = "")
{
    std::string out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        ADD_FAILURE() << "libpng could not write the fixture";
        return std::string();
    }
    png_set_write_fn(png, &out, pngWriteData, pngFlush);
    png_set_IHDR(png, info, w, h, depth, colourType, interlace ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (!palette.empty())
        png_set_PLTE(png, info, palette.data(), static_cast<int>(palette.size()));
    if (!trns.empty())
        png_set_tRNS(png, info, reinterpret_cast<png_const_bytep>(trns.data()), static_cast<int>(trns.size()),
                     nullptr);
    png_write_info(png, info);
    size_t stride = rows.size() / h;
    std::vector<png_bytep> pointers(h);
    for (unsigned y = 0; y < h; ++y)
        pointers[y] = reinterpret_cast<png_bytep>(const_cast<char*>(rows.data() + y * stride));
    png_write_image(png, pointers.data());
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return out;
}

void expectNear(uint32_t expected, uint32_t actual, int tolerance)
{
    for (int shift = 24; shift >= 0; shift -= 8) {
        int e = (expected >> shift) & 0xFF, a = (actual >> shift) & 0xFF;
        EXPECT_NEAR(e, a, tolerance) << std::hex << "expected " << expected << " got " << actual;
    }
}

// The 2 x 2 picture most fixtures hold: red, green over blue, white.
void expectQuad(const Image& im)
{
    ASSERT_EQ(2, im.width);
    ASSERT_EQ(2, im.height);
    EXPECT_EQ(0xFF0000FFu, at(im, 0, 0));
    EXPECT_EQ(0x00FF00FFu, at(im, 1, 0));
    EXPECT_EQ(0x0000FFFFu, at(im, 0, 1));
    EXPECT_EQ(0xFFFFFFFFu, at(im, 1, 1));
}

const std::string bgrBottom = bytes({0xFF, 0, 0, 0xFF, 0xFF, 0xFF});
const std::string bgrTop = bytes({0, 0, 0xFF, 0, 0xFF, 0});

std::string bmp24() { return bmp(2, 2, 24, bgrBottom + bytes({0, 0}) + bgrTop + bytes({0, 0})); }

// Three rows of a 4-wide RLE8 image: runs, end of line, a literal run with
// its pad byte, a move and the end marker.
std::string bmpRle8()
{
    std::string rle = bytes({3, 1, 0, 0, 0, 3, 2, 3, 1, 0, 1, 0, 0, 0, 0, 2, 2, 0, 2, 3, 0, 1});
    return bmp(4, 3, 8, rle, 1, {0x000000, 0xFF0000, 0x00FF00, 0x0000FF});
}

std::string tgaRle32()
{
    // 3 x 2, top origin, 8 alpha bits: a run of 4 crossing the row end,
    // then 2 raw texels.
    std::string px = bytes({0x83, 0x30, 0x20, 0x10, 0x80, 0x01, 1, 2, 3, 0xFF, 4, 5, 6, 0});
    return tga(10, 3, 2, 32, 0x28, px);
}

std::string pngInterlaced()
{
    std::string rows;
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 5; ++x)
            rows += Bytes().u8(x * 50).u8(y * 50).u8(x * y).s;
    return writePng(5, 5, PNG_COLOR_TYPE_RGB, 8, true, rows);
}

} // namespace

TEST(ImageBmp, TrueColourRowsBothWays)
{
    expectQuad(decodeOk(bmp24()));
    // Negative height: rows stored from the top.
    expectQuad(decodeOk(bmp(2, -2, 24, bgrTop + bytes({0, 0}) + bgrBottom + bytes({0, 0}))));
    // The last row may lack its padding.
    expectQuad(decodeOk(bmp(2, 2, 24, bgrBottom + bytes({0, 0}) + bgrTop)));
}

TEST(ImageBmp, PalettedDepths)
{
    // 1 bit, 9 wide: the ninth texel comes from the second byte's top bit.
    Image one = decodeOk(bmp(9, 1, 1, bytes({0xB0, 0x80, 0, 0}), 0, {0x000000, 0xFF8000}));
    const int bits[9] = {1, 0, 1, 1, 0, 0, 0, 0, 1};
    for (int x = 0; x < 9; ++x)
        EXPECT_EQ(bits[x] ? 0xFF8000FFu : 0x000000FFu, at(one, x, 0)) << x;

    // 4 bits, high nibble first, a short palette of 3.
    Image four = decodeOk(bmp(3, 1, 4, bytes({0x12, 0x00, 0, 0}), 0, {0xFF0000, 0x00FF00, 0x0000FF}, 3));
    EXPECT_EQ(0x00FF00FFu, at(four, 0, 0));
    EXPECT_EQ(0x0000FFFFu, at(four, 1, 0));
    EXPECT_EQ(0xFF0000FFu, at(four, 2, 0));

    std::vector<uint32_t> grey(256);
    for (unsigned i = 0; i < 256; ++i)
        grey[i] = i << 16 | (255 - i) << 8 | i / 2;
    Image eight = decodeOk(bmp(2, 2, 8, bytes({0x10, 0xF0, 0, 0, 0x00, 0xFF, 0, 0}), 0, grey));
    EXPECT_EQ(0x00FF00FFu, at(eight, 0, 0));
    EXPECT_EQ(0xFF007FFFu, at(eight, 1, 0));
    EXPECT_EQ(0x10EF08FFu, at(eight, 0, 1));
    EXPECT_EQ(0xF00F78FFu, at(eight, 1, 1));
}

TEST(ImageBmp, SixteenBitMasksScaleToFullRange)
{
    Image rgb555 = decodeOk(bmp(2, 1, 16, Bytes().u16(0x7C00).u16(0x03FF).s));
    EXPECT_EQ(0xFF0000FFu, at(rgb555, 0, 0));
    EXPECT_EQ(0x00FFFFFFu, at(rgb555, 1, 0));
    // 565 through bit fields after a 40-byte header; 16 of 31 is 132, 32 of 63 is 130.
    Image rgb565 = decodeOk(bmp(2, 1, 16, Bytes().u16(0x8410).u16(0xF81F).s, 3, {}, 0, 40, {0xF800, 0x07E0, 0x001F}));
    EXPECT_EQ(0x848284FFu, at(rgb565, 0, 0));
    EXPECT_EQ(0xFF00FFFFu, at(rgb565, 1, 0));
}

TEST(ImageBmp, ThirtyTwoBitAlphaRules)
{
    // The fourth byte is ignored while every texel leaves it at zero...
    Image none = decodeOk(bmp(2, 1, 32, bytes({0x10, 0x20, 0x30, 0, 0x40, 0x50, 0x60, 0})));
    EXPECT_EQ(0x302010FFu, at(none, 0, 0));
    EXPECT_EQ(0x605040FFu, at(none, 1, 0));
    // ...and is alpha as soon as one texel sets it.
    Image some = decodeOk(bmp(2, 1, 32, bytes({0x10, 0x20, 0x30, 0, 0x40, 0x50, 0x60, 0x80})));
    EXPECT_EQ(0x30201000u, at(some, 0, 0));
    EXPECT_EQ(0x60504080u, at(some, 1, 0));
    // A bit-field alpha mask is taken as it is, even when it gives zero.
    std::string px = bytes({0x10, 0x20, 0x30, 0});
    Image masked = decodeOk(bmp(1, 1, 32, px, 3, {}, 0, 56, {0xFF, 0xFF00, 0xFF0000, 0xFF000000}));
    EXPECT_EQ(0x10203000u, at(masked, 0, 0));
    // Bit fields without an alpha mask: opaque, whatever the fourth byte.
    Image v4 = decodeOk(bmp(1, 1, 32, bytes({1, 2, 3, 0x55}), 3, {}, 0, 108, {0xFF0000, 0xFF00, 0xFF}));
    EXPECT_EQ(0x030201FFu, at(v4, 0, 0));
    Image v5 = decodeOk(bmp(1, 1, 32, bytes({1, 2, 3, 0x55}), 0, {}, 0, 124));
    EXPECT_EQ(0x03020155u, at(v5, 0, 0));
}

TEST(ImageBmp, RunLengthEncoded)
{
    Image im = decodeOk(bmpRle8());
    const uint32_t red = 0xFF0000FF, green = 0x00FF00FF, blue = 0x0000FFFF, black = 0x000000FF, none = 0;
    const uint32_t expected[3][4] = {{none, none, blue, blue}, {green, blue, red, black}, {red, red, red, none}};
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(expected[y][x], at(im, x, y)) << x << "," << y;

    // RLE4: a run alternates its two nibbles; a literal run of 3 is 2 bytes.
    std::string rle4 = bytes({5, 0x12, 0, 3, 0x30, 0x10, 0, 1});
    Image four = decodeOk(bmp(8, 1, 4, rle4, 2, {0x000000, 0xFF0000, 0x00FF00, 0x0000FF}));
    const int index[8] = {1, 2, 1, 2, 1, 3, 0, 1};
    const uint32_t colours[4] = {black, red, green, blue};
    for (int x = 0; x < 8; ++x)
        EXPECT_EQ(colours[index[x]], at(four, x, 0)) << x;
}

TEST(ImageBmp, DibLoadsThroughPathResolution)
{
    testutil::writeText("textures/Quad.dib", bmp24());
    Image im;
    std::string error;
    ASSERT_TRUE(img::loadImage("TEXTURES\\quad.DIB", im, &error)) << error;
    expectQuad(im);
    EXPECT_FALSE(img::loadImage("textures\\missing.bmp", im, &error));
    EXPECT_NE(std::string::npos, error.find("missing.bmp"));
}

TEST(ImageTga, TrueColourBothOriginsAndDirections)
{
    expectQuad(decodeOk(tga(2, 2, 2, 24, 0x00, bgrBottom + bgrTop)));
    expectQuad(decodeOk(tga(2, 2, 2, 24, 0x20, bgrTop + bgrBottom)));
    // Right-to-left rows.
    std::string mirrored = bytes({0, 0xFF, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0});
    expectQuad(decodeOk(tga(2, 2, 2, 24, 0x30, mirrored)));
}

TEST(ImageTga, AlphaAndSixteenBit)
{
    Image rle = decodeOk(tgaRle32());
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(0x10203080u, at(rle, i % 3, i / 3)) << i;
    EXPECT_EQ(0x030201FFu, at(rle, 1, 1));
    EXPECT_EQ(0x06050400u, at(rle, 2, 1));
    // 32 bits with no alpha bits declared and every alpha byte 0: opaque.
    EXPECT_EQ(0x030201FFu, at(decodeOk(tga(2, 1, 1, 32, 0x00, bytes({1, 2, 3, 0}))), 0, 0));
    // 16 bits: the top bit is alpha only with one alpha bit declared.
    std::string px = Bytes().u16(0x7C00).u16(0x83E0).s;
    Image withAlpha = decodeOk(tga(2, 2, 1, 16, 0x21, px));
    EXPECT_EQ(0xFF000000u, at(withAlpha, 0, 0));
    EXPECT_EQ(0x00FF00FFu, at(withAlpha, 1, 0));
    Image without = decodeOk(tga(2, 2, 1, 16, 0x20, px));
    EXPECT_EQ(0xFF0000FFu, at(without, 0, 0));
}

TEST(ImageTga, ColourMappedAndGrey)
{
    // Map entries 2 and 3; indices count from the first entry.
    std::string map = bytes({0xFF, 0, 0, 0, 0xFF, 0});
    Image mapped = decodeOk(tga(1, 2, 1, 8, 0x20, bytes({3, 2}), 2, 2, 24, map));
    EXPECT_EQ(0x00FF00FFu, at(mapped, 0, 0));
    EXPECT_EQ(0x0000FFFFu, at(mapped, 1, 0));
    Image mappedRle = decodeOk(tga(9, 3, 1, 8, 0x20, bytes({0x82, 3}), 2, 2, 24, map));
    EXPECT_EQ(0x00FF00FFu, at(mappedRle, 2, 0));
    EXPECT_NE(std::string::npos, decodeError(tga(1, 2, 1, 8, 0x20, bytes({1, 2}), 2, 2, 24, map)).find("range"));
    EXPECT_NE(std::string::npos, decodeError(tga(1, 2, 1, 8, 0x20, bytes({2, 4}), 2, 2, 24, map)).find("range"));

    Image grey = decodeOk(tga(3, 2, 1, 8, 0x20, bytes({0x40, 0x80})));
    EXPECT_EQ(0x404040FFu, at(grey, 0, 0));
    EXPECT_EQ(0x808080FFu, at(grey, 1, 0));
    Image greyRle = decodeOk(tga(11, 2, 2, 16, 0x00, bytes({0x81, 0x40, 0x10, 0x81, 0x90, 0xFF})));
    EXPECT_EQ(0x909090FFu, at(greyRle, 1, 0));
    EXPECT_EQ(0x40404010u, at(greyRle, 0, 1));
}

TEST(ImagePnm, TextAndBinary)
{
    Image p3 = decodeOk("P3\n# made by hand\n2 1\n# another\n255\n255 0 0  0 0 255\n");
    EXPECT_EQ(0xFF0000FFu, at(p3, 0, 0));
    EXPECT_EQ(0x0000FFFFu, at(p3, 1, 0));
    Image p6 = decodeOk("P6 #c\n2 1 255\n" + bytes({1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(0x010203FFu, at(p6, 0, 0));
    EXPECT_EQ(0x040506FFu, at(p6, 1, 0));
    // 16-bit samples are big-endian and scaled from maxval.
    Image p5 = decodeOk("P5 2 1 65535\n" + bytes({0xFF, 0xFF, 0x80, 0x00}));
    EXPECT_EQ(0xFFFFFFFFu, at(p5, 0, 0));
    EXPECT_EQ(0x808080FFu, at(p5, 1, 0));
    Image p2 = decodeOk("P2 3 1 10 0 5 10");
    EXPECT_EQ(0x000000FFu, at(p2, 0, 0));
    EXPECT_EQ(0x808080FFu, at(p2, 1, 0));
    EXPECT_EQ(0xFFFFFFFFu, at(p2, 2, 0));
}

TEST(ImagePng, ColourTypesToRgba8)
{
    std::string rgba = bytes({255, 0, 0, 255, 0, 255, 0, 128, 0, 0, 255, 0, 255, 255, 255, 255});
    Image a = decodeOk(writePng(2, 2, PNG_COLOR_TYPE_RGB_ALPHA, 8, false, rgba));
    EXPECT_EQ(0xFF0000FFu, at(a, 0, 0));
    EXPECT_EQ(0x00FF0080u, at(a, 1, 0));
    EXPECT_EQ(0x0000FF00u, at(a, 0, 1));

    // 2-bit palette with tRNS for the first entry only.
    Image pal = decodeOk(writePng(3, 1, PNG_COLOR_TYPE_PALETTE, 2, false, bytes({0x10}),
                                  {{255, 0, 0}, {0, 0, 255}}, bytes({0x80})));
    EXPECT_EQ(0xFF000080u, at(pal, 0, 0));
    EXPECT_EQ(0x0000FFFFu, at(pal, 1, 0));
    EXPECT_EQ(0xFF000080u, at(pal, 2, 0));

    // 16-bit grey keeps the high byte.
    Image grey = decodeOk(writePng(2, 1, PNG_COLOR_TYPE_GRAY, 16, false, bytes({0xFF, 0xFF, 0x12, 0x34})));
    EXPECT_EQ(0xFFFFFFFFu, at(grey, 0, 0));
    EXPECT_EQ(0x121212FFu, at(grey, 1, 0));
    Image greyAlpha = decodeOk(writePng(1, 1, PNG_COLOR_TYPE_GRAY_ALPHA, 8, false, bytes({0x40, 0x20})));
    EXPECT_EQ(0x40404020u, at(greyAlpha, 0, 0));

    Image laced = decodeOk(pngInterlaced());
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(uint32_t(x * 50) << 24 | (y * 50) << 16 | (x * y) << 8 | 0xFF, at(laced, x, y));
}

TEST(ImageJpeg, RgbGreyAndCmyk)
{
    std::vector<uint8_t> split;
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 16; ++x)
            split.insert(split.end(), {uint8_t(x < 8 ? 220 : 20), 30, uint8_t(x < 8 ? 40 : 200)});
    Image rgb = decodeOk(testutil::encodeJpeg(16, 8, JCS_RGB, 3, split));
    ASSERT_EQ(16, rgb.width);
    expectNear(0xDC1E28FF, at(rgb, 3, 4), 6);
    expectNear(0x141EC8FF, at(rgb, 12, 4), 6);

    Image grey = decodeOk(testutil::encodeJpeg(8, 8, JCS_GRAYSCALE, 1, std::vector<uint8_t>(64, 77)));
    expectNear(0x4D4D4DFF, at(grey, 5, 5), 3);

    // libjpeg writes CMYK with an Adobe marker, so the ink values are stored
    // inverted: 255 = no ink. Full magenta and yellow, no cyan or black.
    std::vector<uint8_t> cmyk;
    for (int i = 0; i < 64; ++i)
        cmyk.insert(cmyk.end(), {255, 0, 0, 255});
    Image red = decodeOk(testutil::encodeJpeg(8, 8, JCS_CMYK, 4, cmyk));
    expectNear(0xFF0000FF, at(red, 2, 6), 6);
}

TEST(ImageBadInput, RefusedWithAReason)
{
    struct Case {
        const char* name;
        std::string file;
        const char* reason;
    };
    std::vector<uint8_t> wideGrey(20000, 7);
    const Case cases[] = {
        {"empty", "", "empty"},
        {"unknown magic", "GIF89a\x01\x00\x01\x00", "unknown"},
        {"text", "hello, this is not a picture at all", "unknown"},
        {"bmp too wide", bmp(16385, 1, 24, std::string(49156, '\0')), "too large"},
        {"bmp too tall top-down", bmp(1, -20000, 24, ""), "too large"},
        {"bmp huge but empty", bmp(16384, 16384, 24, "xy"), "too large"},
        {"bmp zero width", bmp(0, 1, 24, bytes({0, 0, 0, 0})), "empty"},
        {"bmp header size", bmp(1, 1, 24, bytes({0, 0, 0, 0}), 0, {}, 0, 12), "header size"},
        {"bmp rle8 with 24 bits", bmp(1, 1, 24, bytes({1, 0, 0, 1}), 1), "bits"},
        {"bmp compression", bmp(1, 1, 24, bytes({0, 0, 0, 0}), 4), "compression"},
        {"bmp palette index", bmp(2, 1, 8, bytes({1, 5, 0, 0}), 0, {0, 0xFFFFFF}, 2), "palette index 5"},
        {"bmp palette cut", bmp(1, 1, 8, "", 0, {0, 1}).substr(0, 60), "palette"},
        {"bmp rle run past row", bmp(4, 1, 8, bytes({5, 0, 0, 1}), 1, {0}), "past the end of a row"},
        {"bmp rle literal past row", bmp(2, 1, 8, bytes({0, 3, 0, 0, 0, 0, 0, 1}), 1, {0}), "past the end"},
        {"bmp rle past last row", bmp(1, 1, 8, bytes({1, 0, 0, 0, 1, 0}), 1, {0}), "last row"},
        {"bmp rle ends early", bmp(4, 2, 8, bytes({4, 0}), 1, {0}), "ends early"},
        {"bmp rle move outside", bmp(4, 2, 8, bytes({0, 2, 9, 0}), 1, {0}), "leaves"},
        {"bmp rle index", bmp(4, 1, 8, bytes({2, 9, 0, 1}), 1, {0, 0}), "palette index 9"},
        {"bmp rle4 literal cut", bmp(8, 1, 4, bytes({0, 6, 0x11}), 2, {0, 0}), "ends early"},
        {"tga too large", tga(2, 65535, 2, 24, 0, ""), "too large"},
        {"tga huge raw cut", tga(2, 16384, 16384, 24, 0, "abc"), "too large"},
        {"tga huge rle cut", tga(10, 16384, 16384, 24, 0, bytes({0xFF, 0, 0, 0})), "too large"},
        {"bmp within sides but too many texels", bmp(16384, 8192, 24, "xy"), "too large"},
        {"bmp large but allowed, cut", bmp(8192, 8192, 24, "xy"), "truncated"},
        {"tga rle past the image", tga(10, 2, 1, 24, 0, bytes({0x82, 1, 2, 3})), "past the end"},
        {"tga zero height", tga(2, 2, 0, 24, 0, ""), "empty"},
        {"tga map cut", tga(1, 1, 1, 8, 0, "", 0, 200, 24, "abc"), "colour map"},
        {"pnm maxval 0", "P6 1 1 0\n\x01\x02\x03", "maxval"},
        {"pnm maxval too big", "P6 1 1 65536\n\x01\x02\x03\x04\x05\x06", "maxval"},
        {"pnm sample above maxval", "P3 1 1 255 256 0 0", "above maxval"},
        {"pnm binary above maxval", "P5 1 1 100\n\xC8", "above maxval"},
        {"pnm too wide", "P6 20000 1 255\n", "too large"},
        {"pnm width overflow", "P6 99999999999999999999 1 255\n", "width"},
        {"pnm missing separator", "P5 1 1 255", "white space"},
        {"pnm garbage sample", "P2 2 1 255 7 x", "sample"},
        {"png too wide", writePng(20000, 1, PNG_COLOR_TYPE_GRAY, 8, false, std::string(20000, '\x07')), "PNG"},
        {"jpeg too wide", testutil::encodeJpeg(20000, 1, JCS_GRAYSCALE, 1, wideGrey), "too large"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string error = decodeError(c.file);
        EXPECT_NE(std::string::npos, error.find(c.reason)) << error;
        EXPECT_EQ(std::string::npos, error.find('\n')) << "one line: " << error;
    }
}

// Every prefix of a valid file, and many corrupted copies, either decode or
// fail with a reason; under the sanitizers nothing reads out of bounds.
TEST(ImageBadInput, TruncatedAndCorruptedFilesFailCleanly)
{
    std::vector<uint8_t> grid;
    for (int i = 0; i < 16 * 16; ++i)
        grid.insert(grid.end(), {uint8_t(i), uint8_t(i * 7), uint8_t(255 - i)});
    struct Fixture {
        const char* name;
        std::string file;
        size_t mustFailBelow; // every shorter prefix is incomplete
    };
    const std::string png = pngInterlaced();
    const std::string oneBit = bmp(9, 2, 1, bytes({0xB0, 0x80, 0, 0, 1, 2, 3, 4}), 0, {0, 0xFFFFFF});
    const Fixture fixtures[] = {
        {"bmp24", bmp24(), bmp24().size() - 2},
        {"bmp rle8", bmpRle8(), bmpRle8().size()},
        {"bmp 1 bit", oneBit, oneBit.size() - 2},
        {"bmp 565", bmp(2, 1, 16, bytes({1, 2, 3, 4}), 3, {}, 0, 40, {0xF800, 0x07E0, 0x001F}), 0},
        {"tga raw", tga(2, 2, 2, 24, 0, bgrBottom + bgrTop), 0},
        {"tga rle", tgaRle32(), tgaRle32().size()},
        {"tga mapped", tga(9, 3, 1, 8, 0x20, bytes({0x82, 3}), 2, 2, 24, bytes({1, 2, 3, 4, 5, 6})), 0},
        {"ppm binary", "P6\n2 1\n255\n" + bytes({1, 2, 3, 4, 5, 6}), 0},
        {"ppm text", "P3 2 1 255 1 2 3 4 5 6", 0},
        {"png without its end chunk", png, png.size() - 12},
        {"jpeg", testutil::encodeJpeg(16, 16, JCS_RGB, 3, grid), 0},
    };
    uint32_t seed = 12345;
    auto next = [&seed]() {
        seed = seed * 214013u + 2531011u;
        return (seed >> 16) & 0x7FFF;
    };
    for (const Fixture& f : fixtures) {
        SCOPED_TRACE(f.name);
        ASSERT_FALSE(decodeOk(f.file).empty());
        size_t mustFailBelow = f.mustFailBelow ? f.mustFailBelow : f.file.size();
        for (size_t n = 0; n < f.file.size(); ++n) {
            Image im(1, 1);
            std::string error;
            bool ok = img::decodeImage(f.file.substr(0, n), im, &error);
            if (n < mustFailBelow) {
                EXPECT_FALSE(ok) << "prefix of " << n << " bytes";
            }
            if (ok)
                EXPECT_FALSE(im.empty());
            else
                EXPECT_TRUE(!error.empty() && im.width == 1) << "prefix of " << n << " bytes";
        }
        for (int round = 0; round < 300; ++round) {
            std::string copy = f.file;
            for (int k = 1 + next() % 4; k > 0; --k)
                copy[next() % copy.size()] = static_cast<char>(next());
            Image im(1, 1);
            std::string error;
            if (!img::decodeImage(copy, im, &error)) {
                EXPECT_FALSE(error.empty());
            }
        }
    }
}
