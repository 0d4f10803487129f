#pragma once
#include "core/xml_parser.h"
#include "render/render.h"

#include <string>
#include <vector>

class YShader;

// One corner of a glyph quad: position relative to the pen in font units
// (x to the right, y down from the top of the line cell, 1 unit = the line
// height, multiplied by the draw size), an unused float, and the texture
// coordinates of the font's texture.
struct YGlyphCorner {
    float x, y, unused, u, v;
};

// The quad of one character, its corners in drawing order.
struct YGlyph {
    YGlyphCorner corners[4];
};
static_assert(sizeof(YGlyph) == 80, "a glyph record is 80 bytes in the font data file");

// A bitmap font: an advance width and a textured quad for each of the 256
// byte values, and the shader that binds the font's texture and blending.
// Fonts are made by name (getFont) and live in gFonts for the whole run.
//
// Font data file (binary, little-endian, no header, FILE_SIZE bytes): the
// 256 widths as floats, then the 256 glyph records, both in byte order.
class YFont : public YTextFont {
public:
    // An empty font (zero widths and glyphs, no shader), registered in gFonts.
    explicit YFont(const std::string& name);
    // Removes the font from gFonts.
    ~YFont() override;
    YFont(const YFont&) = delete;
    YFont& operator=(const YFont&) = delete;

    // Reads a font data file. A missing, empty or short file is logged and
    // leaves the font as it was: a part of a file never mixes with what the
    // font held before. Bytes past FILE_SIZE are ignored.
    bool loadData(const std::string& fileName);

    // The advance of a character, unscaled. A character is its low byte:
    // charWidth(321) is charWidth(65), and a signed char above 127 finds
    // its own width rather than one before the table.
    float charWidth(unsigned char c) const override { return widths[c]; }
    float charWidth(int c) const { return widths[static_cast<unsigned char>(c)]; }
    const float* glyphCorners(unsigned char c) const override { return &glyphs[c].corners[0].x; }
    YShader* textShader() const override { return shader; }

    // Draws the text in the 2D frame with the bottom of its line at y,
    // tinted with rgba (white when null); returns the scaled advance. Needs
    // a renderer; without one nothing is drawn and the result is 0.
    float drawText(float x, float y, float size, const char* text, const float rgba[4] = nullptr) const;
    // printf-style drawText in white; the result is cut at 1023 characters.
    float drawTextf(float x, float y, float size, const char* format, ...) const
        __attribute__((format(printf, 5, 6)));

    static constexpr int WIDTHS_SIZE = 256 * static_cast<int>(sizeof(float));
    static constexpr int GLYPHS_SIZE = 256 * static_cast<int>(sizeof(YGlyph));
    static constexpr int FILE_SIZE = WIDTHS_SIZE + GLYPHS_SIZE;

    float widths[256];
    YGlyph glyphs[256];
    YShader* shader = nullptr;
    std::string name;
};
static_assert(YFont::FILE_SIZE == 21504, "the font data file is 21504 bytes");

// Every font in creation order (a removal moves the last entry into the
// freed place).
std::vector<YFont*>& gFonts();
// The font of exactly that name, or null.
YFont* findFont(const std::string& name);
// The font of that name, made empty and registered when missing; never null.
YFont* getFont(const std::string& name);
// Deletes every font. Fonts live for the whole run; this is for tests and
// the end of the program.
void clearFonts();
// Reads a font list file ("data\fonts.yml"): needs a renderer.
void loadFonts(const char* fileName);

// The font list reader: <font name="..." shader="..." data="..."/>.
class YFontLoader : public XMLParser {
public:
    YFontLoader();
    void parseFile(const char* fileName);

protected:
    void onTagOpen(int tagIndex) override;
    bool onError(const char* message) override;

private:
    std::string mFileName;
};
