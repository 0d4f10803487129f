// The interface content of the game folder: the English fonts, shaders and
// pages through the real loaders, the digest our protected test page carries,
// and the page with every tag drawn by the real renderer.
#include "platform/img/image.h"
#include "platform/sys/files.h"
#include "platform/sys/paths.h"
#include "render/font.h"
#include "render/recording_render.h"
#include "render/resource.h"
#include "render/shader.h"
#include "tests/common/render_util.h"
#include "tests/common/test_util.h"
#include "ui/ui_context.h"
#include "ui/ui_layout.h"
#include "ui/ui_text_controls.h"
#include "ui/ui_tracker.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

namespace {

const std::string DATA = TARVELIN_UI_TEST_DATA;
const char* const WIDGET_SHADERS[] = {"ui_select", "ui_tracker1", "ui_tracker2", "ui_edit", "ui_window", "ui_line"};
const char* const UI_FONTS[] = {"default", "bold", "menu", "menu_hot"};

class UIContent : public ::testing::Test {
protected:
    void SetUp() override
    {
        resourcesBefore = gRenderResources();
        logStart = testutil::logText().size();
    }
    void TearDown() override
    {
        page.reset();
        context.detach();
        clearFonts();
        clearShaders();
        testutil::deleteRenderResourcesSince(resourcesBefore);
        render.reset();
        device.render.reset();
        device.window.reset();
    }

    // The interface folder as the game loads it, with what it refers to.
    void loadInterface()
    {
        ASSERT_TRUE(testutil::copyFromGame("ui")) << "build the game content first";
        ASSERT_TRUE(testutil::copyFromGame("fonts"));
        ASSERT_TRUE(testutil::copyFromGame("textures"));
        loadFonts("ui\\english\\fonts.yml");
        loadShaders("ui\\english\\shaders.yml");
    }

    // Log lines since the test began that tell of a fault.
    std::string problems() const
    {
        std::string out;
        const std::string log = testutil::logText().substr(logStart);
        for (size_t p = 0; p < log.size();) {
            size_t e = log.find('\n', p);
            e = e == std::string::npos ? log.size() : e;
            const std::string line = log.substr(p, e - p);
            if (line.find("rror") != std::string::npos || line.find("fail") != std::string::npos)
                out += line + "\n";
            p = e + 1;
        }
        return out;
    }

    std::vector<YRenderResource*> resourcesBefore;
    size_t logStart = 0;
    std::unique_ptr<YRender> render;
    testutil::OffscreenDevice device;
    UIContext context;
    std::unique_ptr<UILayout> page;
};

std::string protectOf(const std::string& text)
{
    const size_t p = text.find("protect=\"");
    return p == std::string::npos ? std::string() : text.substr(p + 9, text.find('"', p + 9) - p - 9);
}

} // namespace

TEST_F(UIContent, EnglishFontsAndWidgetShadersLoadWithoutErrors)
{
    render = std::make_unique<YRecordingRender>(4);
    loadInterface();
    EXPECT_EQ("", problems());
    for (const char* name : UI_FONTS) {
        SCOPED_TRACE(name);
        YFont* font = findFont(name);
        ASSERT_NE(nullptr, font);
        EXPECT_GT(font->textWidth("Options"), 2.0f);
        ASSERT_NE(nullptr, font->shader);
        ASSERT_EQ(1u, font->shader->stages.size());
        EXPECT_NE(nullptr, font->shader->stages[0]->texture);
    }
    // The menu's glow colour is its hot font's material colour.
    EXPECT_GT(findFont("menu_hot")->shader->material.emissive.x, 0.5f);
    for (const char* name : WIDGET_SHADERS) {
        SCOPED_TRACE(name);
        YShader* s = findShader(name);
        ASSERT_NE(nullptr, s);
        ASSERT_EQ(1u, s->stages.size());
        EXPECT_TRUE(s->isAlphaBlended());
        if (std::string(name) != "ui_line") {
            ASSERT_NE(nullptr, s->stages[0]->texture);
            EXPECT_EQ(sys::PathKind::File, sys::pathKind(sys::resolvePath(s->stages[0]->texture->name)));
        }
    }
}

// A page that parses to its end logs nothing: no stray tag, and no
// "cut short" from a page left open.
TEST_F(UIContent, EveryEnglishPageLoadsWithoutAParserError)
{
    render = std::make_unique<YRecordingRender>(4);
    loadInterface();
    for (const char* name : {"about", "bonuses", "controls", "levels", "mainmenu", "options", "pause", "scores"}) {
        SCOPED_TRACE(name);
        logStart = testutil::logText().size();
        page = std::make_unique<UILayout>();
        EXPECT_TRUE(page->load(std::string("ui\\english\\") + name + ".yml", true));
        EXPECT_EQ("", problems());
        EXPECT_FALSE(testutil::logHas("cut short", logStart));
        EXPECT_FALSE(testutil::logHas("cannot be read", logStart));
    }
}

TEST_F(UIContent, OurProtectedPageCarriesTheDigestTheToolPrints)
{
    const std::string file = DATA + "/every_tag.yml";
    std::string text;
    ASSERT_TRUE(sys::readFile(file, text));
    const std::string stored = protectOf(text);
    ASSERT_EQ(32u, stored.size());

    FILE* tool = ::popen((std::string(TARVELIN_LAYOUT_DIGEST) + " '" + file + "' 2>/dev/null").c_str(), "r");
    ASSERT_NE(nullptr, tool);
    char line[256] = {};
    ASSERT_NE(nullptr, std::fgets(line, sizeof(line), tool));
    EXPECT_EQ(0, ::pclose(tool));
    EXPECT_EQ(stored + "\n", line) << "run layout_digest on the page and store what it prints";

    page = std::make_unique<UILayout>();
    page->protectRequired = true;
    EXPECT_TRUE(page->load(file, true));
    // One character changed fails the check.
    const size_t word = text.find("Language");
    ASSERT_NE(std::string::npos, word);
    text[word] = 'l';
    testutil::writeText("changed.yml", text);
    EXPECT_FALSE(page->load("changed.yml", true));
    EXPECT_EQ("Protect error.", page->loadError());
}

TEST_F(UIContent, ThePageWithEveryTagDrawsThroughTheRealRenderer)
{
    std::string error;
    ASSERT_TRUE(device.open(200, 150, &error)) << error;
    loadInterface();
    loadShaders((DATA + "/test_shaders.yml").c_str());
    context.init(800, 600, nullptr, nullptr);
    context.resize(800, 600);
    page = std::make_unique<UILayout>();
    ASSERT_TRUE(page->load(DATA + "/every_tag.yml", true));
    context.root = page.get();
    EXPECT_EQ("", problems());

    // The pointer over the picture (its hot shader), the option list
    // focused (its buttons show), the slider part of the way.
    UIControl* logo = page->findDescendant("logo");
    ASSERT_NE(nullptr, logo);
    float x = 20, y = 20;
    for (const UIControl* c = logo; c; c = c->getParent()) {
        x += c->rect.x;
        y += c->rect.y;
    }
    context.mouseMove(static_cast<int>(x), static_cast<int>(y));
    page->initialFocus->setFocus();
    dynamic_cast<UITracker*>(page->findDescendant("musicVol"))->setValue(0.6f);

    Render_D3D& r = *device.render;
    ASSERT_TRUE(testutil::captureFrame(r, 800, 600, "ui_page.bmp", [&] { context.render(true); }));
    img::Image shot;
    ASSERT_TRUE(img::loadImage("ui_page.bmp", shot, &error)) << error;
    // Something is drawn inside the page and nothing outside it.
    auto lit = [&](int x0, int y0, int x1, int y1) {
        int count = 0;
        for (int py = y0; py < y1; ++py)
            for (int px = x0; px < x1; ++px)
                count += shot.texel(px, py)[0] + shot.texel(px, py)[1] + shot.texel(px, py)[2] > 90;
        return count;
    };
    const UIRect& p = page->rect;
    EXPECT_GT(lit(static_cast<int>(p.x), static_cast<int>(p.y), static_cast<int>(p.x + p.width),
                  static_cast<int>(p.y + p.height)),
              5000);
    EXPECT_EQ(0, lit(0, 0, static_cast<int>(p.x) - 2, 600));
    EXPECT_EQ("", problems());
}
