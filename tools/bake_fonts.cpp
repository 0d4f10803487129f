// Bakes the game's bitmap fonts from the DejaVu outlines with FreeType.
//   bake_fonts <game folder>
// For each font it writes "fonts\<name>.fnt" (the font data file: 256
// advance widths, then 256 glyph quads) and "fonts\<name>.png" (the glyph
// texture its shader binds: white texels whose alpha is the coverage).
// Glyphs are rendered without hinting, so widths and shapes scale with the
// draw size; the same outlines give the same bytes on every run.

#include "platform/sys/files.h"
#include "platform/sys/paths.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include <png.h>

#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

const char* const FONT_DIR = "/usr/share/fonts/truetype/dejavu/";

struct BakedFont {
    const char* name;     // font and file name
    const char* outlines; // file in FONT_DIR
    int lineHeight;       // texels of one font unit (the line cell), at most
};

// "sysfont": console, editor status lines, frame rate (sizes 12 to 32).
// "mainfont": the HUD (score at size 35); the menus' bold text too.
// "uifont": the menus' running text (sizes 12 to 40).
const BakedFont FONTS[] = {
    {"sysfont", "DejaVuSansMono.ttf", 40},
    {"mainfont", "DejaVuSans-Bold.ttf", 48},
    {"uifont", "DejaVuSans.ttf", 48},
};

constexpr int ATLAS = 512;  // the largest texture the game keeps unscaled
constexpr int MARGIN = 1;   // empty texels inside each quad, for filtering
constexpr int SPACING = 6;  // empty texels between quads, for the mip levels
constexpr int MIN_LINE_HEIGHT = 16;

// The file layout the game reads (little-endian floats, as in memory).
struct Corner {
    float x, y, unused, u, v;
};
struct Glyph {
    Corner corners[4];
};
static_assert(sizeof(Glyph) == 80, "a glyph record is 80 bytes");
constexpr size_t FILE_SIZE = 256 * sizeof(float) + 256 * sizeof(Glyph);
static_assert(FILE_SIZE == 21504, "the font data file is 21504 bytes");

// The blank and every printable Latin-1 character.
bool isBaked(int c) { return (c >= 0x20 && c <= 0x7E) || (c >= 0xA0 && c <= 0xFF); }

struct Bitmap {
    int code = 0;
    int left = 0, top = 0; // pen to the bitmap's top-left corner, texels, y up
    int width = 0, rows = 0;
    std::vector<uint8_t> coverage;
    float advance = 0.0f; // texels
    int atlasX = 0, atlasY = 0;
};

bool fail(const std::string& message)
{
    std::fprintf(stderr, "bake_fonts: %s\n", message.c_str());
    return false;
}

// Shelf packing, tallest first (ties by code): fills rows left to right.
bool pack(std::vector<Bitmap*>& glyphs)
{
    std::stable_sort(glyphs.begin(), glyphs.end(), [](const Bitmap* a, const Bitmap* b) {
        return a->rows > b->rows || (a->rows == b->rows && a->code < b->code);
    });
    int x = SPACING, y = SPACING, shelf = 0;
    for (Bitmap* g : glyphs) {
        int w = g->width + 2 * MARGIN;
        int h = g->rows + 2 * MARGIN;
        if (x + w + SPACING > ATLAS) {
            x = SPACING;
            y += shelf + SPACING;
            shelf = 0;
        }
        if (y + h + SPACING > ATLAS)
            return false;
        g->atlasX = x;
        g->atlasY = y;
        x += w + SPACING;
        shelf = std::max(shelf, h);
    }
    return true;
}

struct PngSink {
    std::string data;
    jmp_buf jump;
};

void pngWrite(png_structp png, png_bytep bytes, png_size_t size)
{
    static_cast<PngSink*>(png_get_io_ptr(png))->data.append(reinterpret_cast<const char*>(bytes), size);
}

void pngFlush(png_structp) {}

void pngError(png_structp png, png_const_charp message)
{
    std::fprintf(stderr, "bake_fonts: libpng: %s\n", message);
    std::longjmp(static_cast<PngSink*>(png_get_error_ptr(png))->jump, 1);
}

void pngWarning(png_structp, png_const_charp) {}

// An 8-bit grey-and-alpha PNG, no time stamp or text chunks.
bool encodePng(const std::vector<uint8_t>& greyAlpha, int width, int height, std::string& out)
{
    PngSink sink;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &sink, pngError, pngWarning);
    if (!png)
        return false;
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return false;
    }
    std::vector<png_bytep> rows(static_cast<size_t>(height));
    if (setjmp(sink.jump)) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_set_write_fn(png, &sink, pngWrite, pngFlush);
    png_set_compression_level(png, 9);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 PNG_COLOR_TYPE_GRAY_ALPHA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    for (int y = 0; y < height; ++y)
        rows[static_cast<size_t>(y)] = const_cast<png_bytep>(&greyAlpha[static_cast<size_t>(y) * width * 2]);
    png_write_info(png, info);
    png_write_image(png, rows.data());
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    out.swap(sink.data);
    return true;
}

bool writeFile(const std::string& path, const std::string& data)
{
    std::string error;
    if (!sys::writeFileAtomic(path, data, &error))
        return fail(path + ": " + error);
    return true;
}

// Renders and packs the glyphs at a line height of lineHeight texels.
// False with packed false when they do not fit the texture; false with
// packed true on any other failure.
bool bakeAt(FT_Library library, const BakedFont& font, int lineHeight, const std::string& gameDir, bool& packed)
{
    packed = true;
    std::string source = std::string(FONT_DIR) + font.outlines;
    FT_Face face = nullptr;
    if (FT_New_Face(library, source.c_str(), 0, &face) != 0)
        return fail("cannot open " + source);
    struct FaceGuard {
        FT_Face face;
        ~FaceGuard() { FT_Done_Face(face); }
    } guard{face};

    if (!FT_IS_SCALABLE(face) || face->ascender <= face->descender)
        return fail(source + ": no usable outline metrics");
    if (FT_Select_Charmap(face, FT_ENCODING_UNICODE) != 0)
        return fail(source + ": no Unicode character map");

    // One font unit is the line cell, ascender to descender: the em size is
    // chosen so that the cell is lineHeight texels.
    const double units = face->ascender - face->descender;
    const double emTexels = lineHeight * face->units_per_EM / units;
    const FT_F26Dot6 em26 = static_cast<FT_F26Dot6>(std::lround(emTexels * 64.0));
    if (FT_Set_Char_Size(face, 0, em26, 72, 72) != 0)
        return fail(source + ": cannot set the size");
    const double scale = em26 / 64.0 / face->units_per_EM; // texels per font design unit
    const double ascender = face->ascender * scale;

    std::vector<Bitmap> bitmaps;
    float blank = 0.0f;
    for (int c = 0; c < 256; ++c) {
        if (!isBaked(c))
            continue;
        FT_UInt index = FT_Get_Char_Index(face, static_cast<FT_ULong>(c));
        if (FT_Load_Glyph(face, index, FT_LOAD_RENDER | FT_LOAD_NO_HINTING | FT_LOAD_TARGET_NORMAL) != 0)
            return fail(source + ": cannot render character " + std::to_string(c));
        FT_GlyphSlot slot = face->glyph;
        if (slot->bitmap.pixel_mode != FT_PIXEL_MODE_GRAY && slot->bitmap.rows > 0)
            return fail(source + ": unexpected bitmap format");
        Bitmap b;
        b.code = c;
        b.advance = static_cast<float>(slot->linearHoriAdvance / 65536.0);
        b.left = slot->bitmap_left;
        b.top = slot->bitmap_top;
        b.width = static_cast<int>(slot->bitmap.width);
        b.rows = static_cast<int>(slot->bitmap.rows);
        b.coverage.resize(static_cast<size_t>(b.width) * b.rows);
        for (int y = 0; y < b.rows; ++y) {
            const uint8_t* row = slot->bitmap.buffer + static_cast<ptrdiff_t>(y) * slot->bitmap.pitch;
            std::copy(row, row + b.width, &b.coverage[static_cast<size_t>(y) * b.width]);
        }
        if (c == ' ')
            blank = b.advance;
        bitmaps.push_back(std::move(b));
    }
    if (blank <= 0.0f)
        return fail(source + ": the blank has no width");

    std::vector<Bitmap*> visible;
    for (Bitmap& b : bitmaps) {
        if (b.advance <= 0.0f) // a character the outlines give no advance still moves the pen
            b.advance = blank;
        if (b.width > 0 && b.rows > 0)
            visible.push_back(&b);
    }
    if (!pack(visible)) {
        packed = false;
        return false;
    }

    // Texture: white everywhere (no dark fringe when filtered), alpha from
    // the coverage.
    std::vector<uint8_t> texture(static_cast<size_t>(ATLAS) * ATLAS * 2, 0);
    for (size_t i = 0; i < texture.size(); i += 2)
        texture[i] = 255;
    for (const Bitmap* b : visible) {
        for (int y = 0; y < b->rows; ++y) {
            for (int x = 0; x < b->width; ++x) {
                size_t at = (static_cast<size_t>(b->atlasY + MARGIN + y) * ATLAS + (b->atlasX + MARGIN + x)) * 2;
                texture[at + 1] = b->coverage[static_cast<size_t>(y) * b->width + x];
            }
        }
    }

    // Font data: widths and quads in font units, y down from the cell top.
    float widths[256] = {};
    Glyph glyphs[256];
    std::memset(glyphs, 0, sizeof(glyphs));
    const float unit = static_cast<float>(lineHeight);
    for (const Bitmap& b : bitmaps) {
        widths[b.code] = b.advance / unit;
        if (b.width <= 0 || b.rows <= 0)
            continue; // the blank: a quad of no size
        float x0 = static_cast<float>(b.left - MARGIN) / unit;
        float x1 = static_cast<float>(b.left + b.width + MARGIN) / unit;
        float y0 = static_cast<float>(ascender - b.top - MARGIN) / unit;
        float y1 = y0 + static_cast<float>(b.rows + 2 * MARGIN) / unit;
        float u0 = static_cast<float>(b.atlasX) / ATLAS;
        float u1 = static_cast<float>(b.atlasX + b.width + 2 * MARGIN) / ATLAS;
        float v0 = static_cast<float>(b.atlasY) / ATLAS;
        float v1 = static_cast<float>(b.atlasY + b.rows + 2 * MARGIN) / ATLAS;
        Glyph& g = glyphs[b.code];
        g.corners[0] = {x0, y0, 0.0f, u0, v0};
        g.corners[1] = {x1, y0, 0.0f, u1, v0};
        g.corners[2] = {x1, y1, 0.0f, u1, v1};
        g.corners[3] = {x0, y1, 0.0f, u0, v1};
    }

    std::string data(FILE_SIZE, '\0');
    std::memcpy(&data[0], widths, sizeof(widths));
    std::memcpy(&data[sizeof(widths)], glyphs, sizeof(glyphs));

    std::string png;
    if (!encodePng(texture, ATLAS, ATLAS, png))
        return fail(std::string(font.name) + ": cannot encode the texture");

    std::string base = gameDir + "/fonts/" + font.name;
    return writeFile(base + ".fnt", data) && writeFile(base + ".png", png);
}

// The largest line height up to the font's own that fits the texture, so a
// FreeType that rasterises a texel wider still bakes the font.
bool bake(FT_Library library, const BakedFont& font, const std::string& gameDir)
{
    for (int lineHeight = font.lineHeight; lineHeight >= MIN_LINE_HEIGHT; --lineHeight) {
        bool packed = true;
        if (bakeAt(library, font, lineHeight, gameDir, packed))
            return true;
        if (packed)
            return false;
    }
    return fail(std::string(font.name) + ": the glyphs do not fit a " + std::to_string(ATLAS) + " texture");
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: bake_fonts <game folder>\n");
        return 2;
    }
    std::string gameDir = argv[1];
    if (!sys::makeDirectories(gameDir + "/fonts")) {
        fail("cannot make " + gameDir + "/fonts");
        return 1;
    }
    FT_Library library = nullptr;
    if (FT_Init_FreeType(&library) != 0) {
        fail("cannot start FreeType");
        return 1;
    }
    bool ok = true;
    for (const BakedFont& font : FONTS)
        ok = bake(library, font, gameDir) && ok;
    FT_Done_FreeType(library);
    return ok ? 0 : 1;
}
