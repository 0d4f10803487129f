// The game's baked fonts, read from the build's game folder: the data files
// and their textures, the font list and the font shaders through the real
// loaders, and text drawn with them on the real device.
#include "platform/img/image.h"
#include "platform/sys/files.h"
#include "platform/sys/paths.h"
#include "platform/wnd/window.h"
#include "render/font.h"
#include "render/recording_render.h"
#include "render/render_d3d.h"
#include "render/resource.h"
#include "render/shader.h"
#include "tests/common/render_util.h"
#include "tests/common/test_util.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

const char* const GAME_FONTS[] = {"sysfont", "mainfont"};

bool isPrintable(int c) { return (c >= 0x20 && c <= 0x7E) || c >= 0xA0; }

std::string lower(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// The log lines that tell of a fault in the fonts: any font or shader
// parser error (a bad shader file breaks the font shaders too), and any
// failure that names a font file.
std::string fontProblems(const std::string& log)
{
    std::string problems;
    size_t start = 0;
    while (start < log.size()) {
        size_t end = log.find('\n', start);
        if (end == std::string::npos)
            end = log.size();
        std::string line = log.substr(start, end - start);
        std::string l = lower(line);
        bool parser = l.find("parser") != std::string::npos && l.find("error") != std::string::npos;
        bool fontFile = l.find("font") != std::string::npos &&
                        (l.find("error") != std::string::npos || l.find("fail") != std::string::npos);
        if (parser || fontFile)
            problems += line + "\n";
        start = end + 1;
    }
    return problems;
}

class FontContentTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        testDir = sys::currentDirectory();
        resourcesBefore = gRenderResources();
        logStart = testutil::logText().size();
    }

    void TearDown() override
    {
        sys::changeDirectory(testDir);
        clearFonts();
        clearShaders();
        testutil::deleteRenderResourcesSince(resourcesBefore);
        render.reset();
        window.reset();
    }

    // Loads the shader file and the font list as the game does, from the
    // game folder.
    void loadGameFonts()
    {
        ASSERT_TRUE(sys::changeDirectory(TARVELIN_GAME_DIR));
        loadFonts("data\\fonts.yml");
        loadShaders("data\\shaders.yml");
        sys::changeDirectory(testDir);
    }

    std::string newLog() const { return testutil::logText().substr(logStart); }

    std::string testDir;
    std::vector<YRenderResource*> resourcesBefore;
    size_t logStart = 0;
    std::unique_ptr<wnd::Window> window;
    std::unique_ptr<YRender> render;
};

} // namespace

TEST_F(FontContentTest, BakedFilesHoldWidthsAndGlyphsForEveryPrintableCharacter)
{
    for (const char* name : GAME_FONTS) {
        SCOPED_TRACE(name);
        std::string data;
        ASSERT_TRUE(sys::readFile(std::string(TARVELIN_GAME_DIR) + "/fonts/" + name + ".fnt", data));
        ASSERT_EQ(21504u, data.size());
        float widths[256];
        YGlyph glyphs[256];
        std::memcpy(widths, data.data(), sizeof(widths));
        std::memcpy(glyphs, data.data() + sizeof(widths), sizeof(glyphs));
        for (int c = 0; c < 256; ++c) {
            SCOPED_TRACE(c);
            const YGlyph& g = glyphs[c];
            if (!isPrintable(c)) {
                EXPECT_EQ(0.0f, widths[c]); // control characters are never typed or drawn
                continue;
            }
            EXPECT_GT(widths[c], 0.05f);
            EXPECT_LT(widths[c], 1.5f);
            for (const YGlyphCorner& k : g.corners) {
                EXPECT_TRUE(k.u >= 0 && k.u <= 1 && k.v >= 0 && k.v <= 1) << "inside the texture";
                EXPECT_TRUE(k.y > -0.5f && k.y < 1.5f) << "near the line cell";
            }
            if (c != ' ' && c != 0xA0) {
                // Visible: an upright box, top edge first, in the texture's
                // orientation (v grows down like y).
                EXPECT_LT(g.corners[0].x, g.corners[2].x);
                EXPECT_LT(g.corners[0].y, g.corners[2].y);
                EXPECT_LT(g.corners[0].v, g.corners[2].v);
            }
        }
        if (std::string(name) == "sysfont") {
            for (int c = 0x21; c < 256; ++c) {
                if (isPrintable(c)) {
                    EXPECT_EQ(widths[' '], widths[c]) << "monospaced, character " << c;
                }
            }
        }
        img::Image texture;
        std::string error;
        ASSERT_TRUE(img::loadImage(std::string(TARVELIN_GAME_DIR) + "/fonts/" + name + ".png", texture, &error))
            << error;
        EXPECT_EQ(512, texture.width); // the largest size the game keeps unscaled
        EXPECT_EQ(512, texture.height);
    }
}

TEST_F(FontContentTest, GameFontsLoadThroughTheFontListWithoutErrors)
{
    render = std::make_unique<YRecordingRender>(4);
    loadGameFonts();
    for (const char* name : GAME_FONTS) {
        SCOPED_TRACE(name);
        YFont* font = findFont(name);
        ASSERT_NE(nullptr, font);
        EXPECT_GT(font->textWidth("Score 1234"), 1.0f);
        ASSERT_NE(nullptr, font->shader);
        ASSERT_EQ(1u, font->shader->stages.size());
        YTexture* texture = font->shader->stages[0]->texture;
        ASSERT_NE(nullptr, texture);
        EXPECT_EQ(std::string("fonts\\") + name + ".png", texture->name);
        EXPECT_TRUE(font->shader->isAlphaBlended());
        EXPECT_EQ(sys::PathKind::File,
                  sys::pathKind(sys::resolvePath(std::string(TARVELIN_GAME_DIR) + "/" + texture->name)));
    }
    EXPECT_EQ("", fontProblems(newLog()));
}

TEST_F(FontContentTest, TextDrawnOnTheDeviceStandsUprightOnItsLine)
{
    std::string error;
    std::unique_ptr<Render_D3D> device;
    ASSERT_TRUE(testutil::openOffscreen(128, 128, window, device, &error)) << error;
    render = std::move(device);
    loadGameFonts();
    EXPECT_EQ("", fontProblems(newLog()));
    EXPECT_NE(std::string::npos, newLog().find("Load texture fonts\\sysfont.png, ok"));

    for (const char* name : GAME_FONTS) {
        SCOPED_TRACE(name);
        // An "L" in a line cell from y = 16 to 112.
        std::string shot = std::string("text_") + name + ".bmp";
        ASSERT_TRUE(testutil::captureFrame(*render, 128, 128, shot, [&] {
            render->setOrtho2D(0, 0, 128, 128);
            EXPECT_GT(findFont(name)->drawText(40, 112, 96, "L"), 30.0f);
        }));

        img::Image image;
        ASSERT_TRUE(img::loadImage(shot, image, &error)) << error;
        // Lit texels per row: their count and first and last column.
        std::vector<int> count(128, 0), first(128, 128), last(128, -1);
        int top = -1, bottom = -1, widestRow = 0;
        for (int y = 0; y < 128; ++y) {
            for (int x = 0; x < 128; ++x) {
                if (image.texel(x, y)[0] > 128) {
                    ++count[y];
                    first[y] = std::min(first[y], x);
                    last[y] = std::max(last[y], x);
                }
            }
            if (count[y] > 0) {
                top = top < 0 ? y : top;
                bottom = y;
            }
            if (count[y] > count[widestRow])
                widestRow = y;
        }
        ASSERT_GE(top, 0) << "nothing drawn";
        // Capital height about 0.63 of the cell, standing on the baseline
        // about 0.8 of the way down.
        EXPECT_NEAR(32, top, 5);
        EXPECT_NEAR(92, bottom, 4);
        // The foot is at the bottom, the stem at the left.
        int middle = (top + bottom) / 2;
        EXPECT_GT(widestRow, middle);
        EXPECT_LT(count[middle] * 2, count[widestRow]);
        EXPECT_LT(last[middle], (first[widestRow] + last[widestRow]) / 2);
    }
}
