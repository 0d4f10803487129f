#include "render/font.h"

#include "platform/sys/files.h"
#include "render/recording_render.h"
#include "render/shader.h"
#include "tests/common/test_util.h"
#include "tests/render/render_fixture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

// A font data file whose width of byte c is (c + 1) / 64 and whose glyph
// of c is the box (0, 0)-(width, 1) with u = c / 256.
std::string fontBytes()
{
    float widths[256];
    YGlyph glyphs[256];
    for (int c = 0; c < 256; ++c) {
        float w = static_cast<float>(c + 1) / 64.0f;
        float u = static_cast<float>(c) / 256.0f;
        widths[c] = w;
        glyphs[c].corners[0] = {0, 0, 0, u, 0};
        glyphs[c].corners[1] = {w, 0, 0, u, 0};
        glyphs[c].corners[2] = {w, 1, 0, u, 1};
        glyphs[c].corners[3] = {0, 1, 0, u, 1};
    }
    std::string data(reinterpret_cast<const char*>(widths), sizeof(widths));
    data.append(reinterpret_cast<const char*>(glyphs), sizeof(glyphs));
    return data;
}

class FontTest : public rendertest::RecordingRenderTest {
protected:
    void TearDown() override
    {
        clearFonts();
        RecordingRenderTest::TearDown();
    }
};

} // namespace

// ---------------------------------------------------------------------------
// Widths and data files

TEST_F(FontTest, WidthsAreIndexedByUnsignedByte)
{
    testutil::writeText("f.fnt", fontBytes());
    YFont* font = getFont("f");
    ASSERT_TRUE(font->loadData("f.fnt"));
    EXPECT_FLOAT_EQ(66.0f / 64.0f, font->charWidth('A'));
    EXPECT_EQ(font->charWidth(65), font->charWidth(321));
    EXPECT_EQ(font->charWidth(255), font->charWidth(-1));
    // A signed char above 127 finds its own entry, as in a text.
    const char e = static_cast<char>(0xE9);
    EXPECT_FLOAT_EQ(234.0f / 64.0f, font->charWidth(e));
    EXPECT_FLOAT_EQ((234.0f + 66.0f) / 64.0f, font->textWidth("\xE9" "A"));
    EXPECT_EQ(0.0f, font->textWidth(""));
    EXPECT_EQ(0.0f, font->textWidth(nullptr));
    EXPECT_EQ(&font->glyphs[0xE9].corners[0].x, font->glyphCorners(e));
}

TEST_F(FontTest, MissingEmptyAndShortFilesAreLoggedAndLeaveTheFontAsItWas)
{
    YFont* font = getFont("f");
    EXPECT_FALSE(font->loadData("none.fnt"));
    EXPECT_TRUE(logHas("Load font data error, file none.fnt\n"));
    testutil::writeText("empty.fnt", "");
    EXPECT_FALSE(font->loadData("empty.fnt"));
    EXPECT_TRUE(logHas("Load font data error, file empty.fnt\n"));
    EXPECT_EQ(0.0f, font->textWidth("abc"));

    // A cut file: nothing of it is kept, whether it ends in the widths or in
    // the glyphs, and nothing past its end is read.
    std::string full = fontBytes();
    for (size_t size : {size_t(100), size_t(1024), size_t(YFont::FILE_SIZE - 1)}) {
        testutil::writeText("short.fnt", full.substr(0, size));
        EXPECT_FALSE(font->loadData("short.fnt")) << size;
        EXPECT_TRUE(logHas("Load font data error, file short.fnt, " + std::to_string(size) + " of 21504 bytes"));
        EXPECT_EQ(0.0f, font->charWidth('a'));
        EXPECT_EQ(0.0f, font->glyphCorners('a')[8]);
    }

    // Loaded once, a cut file later keeps the complete earlier data.
    testutil::writeText("full.fnt", full + "trailing bytes are ignored");
    ASSERT_TRUE(font->loadData("full.fnt"));
    std::string other = full;
    std::memset(&other[0], 0, 2048);
    testutil::writeText("other.fnt", other.substr(0, 4000));
    EXPECT_FALSE(font->loadData("other.fnt"));
    EXPECT_FLOAT_EQ(98.0f / 64.0f, font->charWidth('a'));
    EXPECT_FLOAT_EQ(98.0f / 64.0f, font->glyphCorners('a')[5]);
}

// ---------------------------------------------------------------------------
// Registry

TEST_F(FontTest, RegistryFindsByExactNameAndRemovesOnDelete)
{
    EXPECT_EQ(nullptr, findFont("a"));
    YFont* a = getFont("a");
    YFont* b = getFont("b");
    YFont* c = getFont("c");
    EXPECT_EQ(a, getFont("a"));
    EXPECT_EQ(nullptr, findFont("A"));
    EXPECT_EQ(nullptr, a->shader);
    EXPECT_EQ(0.0f, a->textWidth("xyz"));
    delete a; // the last entry moves into its place
    ASSERT_EQ(2u, gFonts().size());
    EXPECT_EQ(c, gFonts()[0]);
    EXPECT_EQ(b, gFonts()[1]);
    EXPECT_EQ(nullptr, findFont("a"));
    clearFonts();
    EXPECT_TRUE(gFonts().empty());
}

// ---------------------------------------------------------------------------
// Font list files

TEST_F(FontTest, FontAskedForEarlyIsFilledByTheListAndUpdatedInPlace)
{
    YFont* early = getFont("sysfont");
    testutil::writeText("fonts\\sys.fnt", fontBytes());
    testutil::writeText("data\\fonts.yml", "<font name=\"sysfont\" shader=\"sys\" data=\"fonts\\sys.fnt\"/>\n"
                                           "<font name='hud' shader='hudshader' data='FONTS\\SYS.FNT'></font>\n");
    loadFonts("data\\fonts.yml");
    EXPECT_TRUE(logHas("Parse fonts from file, data\\fonts.yml"));
    EXPECT_EQ(early, findFont("sysfont"));
    EXPECT_EQ(getShader("sys"), early->shader);
    EXPECT_FLOAT_EQ(66.0f / 64.0f, early->charWidth('A'));
    ASSERT_NE(nullptr, findFont("hud"));
    EXPECT_EQ(findShader("hudshader"), findFont("hud")->shader);
    EXPECT_FLOAT_EQ(66.0f / 64.0f, findFont("hud")->charWidth('A'));

    // Declared again: the same object gets the new shader; a missing data
    // file leaves the widths it had.
    testutil::writeText("more.yml", "<font name=\"sysfont\" shader=\"other\" data=\"gone.fnt\"/>");
    loadFonts("more.yml");
    EXPECT_EQ(early, findFont("sysfont"));
    EXPECT_EQ(getShader("other"), early->shader);
    EXPECT_FLOAT_EQ(66.0f / 64.0f, early->charWidth('A'));
    EXPECT_TRUE(logHas("Load font data error, file gone.fnt"));
    EXPECT_EQ(2u, gFonts().size());
}

TEST_F(FontTest, ListErrorsAreLoggedWithFileAndLineAndParsingGoesOn)
{
    testutil::writeText("f.fnt", fontBytes());
    testutil::writeText("bad.yml", "<font name=\"a\" data=\"f.fnt\"/>\n"
                                   "<fnt name=\"b\"/>\n"
                                   "<font name=\"c\" size=\"3\" data=\"f.fnt\"/>\n"
                                   "<font name=\"d\" data=\"f.fnt\"/>\n");
    loadFonts("bad.yml");
    EXPECT_TRUE(logHas("Font parser error, Unknown tag: fnt, file: bad.yml, line: 1\n"));
    EXPECT_TRUE(logHas("Font parser error, Unknown attribute: size of tag: font, file: bad.yml, line: 2\n"));
    EXPECT_NE(nullptr, findFont("a"));
    EXPECT_EQ(nullptr, findFont("b"));
    EXPECT_EQ(nullptr, findFont("c")); // a tag with a bad attribute is never opened
    ASSERT_NE(nullptr, findFont("d"));
    EXPECT_GT(findFont("d")->charWidth('x'), 0.0f);

    render.reset(); // without a renderer nothing is read
    testutil::writeText("list.yml", "<font name=\"x\" shader=\"s\" data=\"f.fnt\"/>");
    loadFonts("list.yml");
    EXPECT_TRUE(logHas("Font parser error, render must be created.\n"));
    EXPECT_EQ(nullptr, findFont("x"));
    EXPECT_EQ(0.0f, getFont("x")->drawText(0, 0, 10, "abc"));
}

// ---------------------------------------------------------------------------
// Drawing

TEST_F(FontTest, DrawTextPlacesEachGlyphAtThePenAndReturnsTheAdvance)
{
    testutil::writeText("f.fnt", fontBytes());
    YFont* font = getFont("f");
    ASSERT_TRUE(font->loadData("f.fnt"));
    font->shader = getShader("fontshader");
    render->calls.clear();
    const float red[4] = {1, 0, 0, 1};
    // '@' is 65/64 wide, 'A' 66/64: at size 64 the pen moves 65 then 66.
    EXPECT_FLOAT_EQ(131.0f, font->drawText(10, 100, 64, "@A", red));
    std::vector<std::string> quads = render->callsStartingWith("quadUV2");
    ASSERT_EQ(2u, quads.size());
    // Corners (x, y, z, u, v, u, v): the cell's top at y = 100 - 64.
    EXPECT_EQ("quadUV2 10 36 0 0.25 0 0.25 0 75 36 0 0.25 0 0.25 0 75 100 0 0.25 1 0.25 1 10 100 0 0.25 1 0.25 1",
              quads[0]);
    EXPECT_EQ(0u, quads[1].find("quadUV2 75 36 0 0.253906"));
    EXPECT_EQ(1u, render->callsStartingWith("shader fontshader").size());
    // The colour is the text material's emissive term; white by default.
    std::vector<std::string> materials = render->callsStartingWith("material");
    ASSERT_EQ(1u, materials.size());
    EXPECT_EQ(materials[0].size() - 10, materials[0].find(" 1 0 0 1 0"));
    font->drawText(0, 0, 1, "A");
    materials = render->callsStartingWith("material");
    ASSERT_EQ(2u, materials.size());
    EXPECT_EQ(materials[1].size() - 10, materials[1].find(" 1 1 1 1 0"));
}

TEST_F(FontTest, FormattedTextIsCutAt1023Characters)
{
    testutil::writeText("f.fnt", fontBytes());
    YFont* font = getFont("f");
    ASSERT_TRUE(font->loadData("f.fnt"));
    std::string longText(1500, '?'); // '?' is 1 unit wide
    render->calls.clear();
    EXPECT_FLOAT_EQ(1023.0f, font->drawTextf(0, 0, 1, "%s", longText.c_str()));
    EXPECT_EQ(1023u, render->callsStartingWith("quadUV2").size());
    // '1'..'6' are 50/64 to 55/64 wide.
    EXPECT_FLOAT_EQ(315.0f / 64.0f, font->drawTextf(0, 0, 1, "%d", 123456));
}
