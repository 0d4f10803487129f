#include "render/font.h"

#include "core/log.h"
#include "core/streams.h"
#include "render/shader.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>

// ---------------------------------------------------------------------------
// Registry

std::vector<YFont*>& gFonts()
{
    static std::vector<YFont*> fonts;
    return fonts;
}

YFont* findFont(const std::string& name)
{
    for (YFont* f : gFonts()) {
        if (f->name == name)
            return f;
    }
    return nullptr;
}

YFont* getFont(const std::string& name)
{
    YFont* font = findFont(name);
    return font ? font : new YFont(name);
}

void clearFonts()
{
    // Each destructor removes its font from the registry.
    while (!gFonts().empty())
        delete gFonts().back();
}

// ---------------------------------------------------------------------------
// YFont

YFont::YFont(const std::string& fontName) : name(fontName)
{
    std::fill(std::begin(widths), std::end(widths), 0.0f);
    std::memset(glyphs, 0, sizeof(glyphs));
    gFonts().push_back(this);
}

YFont::~YFont()
{
    std::vector<YFont*>& fonts = gFonts();
    auto it = std::find(fonts.begin(), fonts.end(), this);
    if (it != fonts.end()) {
        *it = fonts.back();
        fonts.pop_back();
    }
}

bool YFont::loadData(const std::string& fileName)
{
    InFStream in(fileName);
    if (!in.isOpen() || in.length() <= 0) {
        YLog::writef("Load font data error, file %s", fileName.c_str());
        return false;
    }
    // The whole record is read before any of it is kept: a cut file would
    // otherwise give widths whose glyphs are missing, or glyphs left over
    // from an earlier declaration of this font.
    std::vector<char> data(FILE_SIZE);
    int got = in.read(data.data(), FILE_SIZE);
    if (got != FILE_SIZE) {
        YLog::writef("Load font data error, file %s, %d of %d bytes", fileName.c_str(), got, FILE_SIZE);
        return false;
    }
    std::memcpy(widths, data.data(), WIDTHS_SIZE);
    std::memcpy(glyphs, data.data() + WIDTHS_SIZE, GLYPHS_SIZE);
    return true;
}

float YTextFont::textWidth(const char* text) const
{
    float width = 0.0f;
    if (!text)
        return width;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p; ++p)
        width += charWidth(*p);
    return width;
}

float YFont::drawText(float x, float y, float size, const char* text, const float rgba[4]) const
{
    if (!gRender)
        return 0.0f;
    return gRender->drawText2D(this, text, x, y, size, rgba ? rgba : &gColorWhite.x);
}

float YFont::drawTextf(float x, float y, float size, const char* format, ...) const
{
    char buffer[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof(buffer), format, args);
    va_end(args);
    return drawText(x, y, size, buffer);
}

// ---------------------------------------------------------------------------
// Font list files

void loadFonts(const char* fileName)
{
    if (!gRender) {
        YLog::write("Font parser error, render must be created.");
        return;
    }
    YFontLoader loader;
    loader.parseFile(fileName);
}

YFontLoader::YFontLoader()
{
    addTag(makeTag("font", {{"name", ""}, {"shader", ""}, {"data", ""}}));
}

void YFontLoader::parseFile(const char* fileName)
{
    mFileName = fileName ? fileName : "";
    YLog::writef("Parse fonts from file, %s", mFileName.c_str());
    parse(mFileName.c_str());
}

void YFontLoader::onTagOpen(int tagIndex)
{
    const XMLTag& tag = getTag(tagIndex);
    if (tag.name != "font")
        return;
    // A font declared again is updated in place: whoever holds the pointer
    // sees the new shader and data.
    YFont* font = getFont(tag.findAttribute("name")->value);
    font->shader = getShader(tag.findAttribute("shader")->value);
    font->loadData(tag.findAttribute("data")->value);
}

bool YFontLoader::onError(const char* message)
{
    YLog::writef("Font parser error, %s, file: %s, line: %d", message, mFileName.c_str(), getLine());
    return true;
}
