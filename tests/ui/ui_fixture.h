#pragma once
// The interface tests' fixture: a recording renderer, a stub "default" font
// of fixed advances (every character half the size, "W" the whole size,
// "|" a quarter), a live context of 800 x 600 whose default listener
// records every event, and the framework's key table for held modifiers.
#include "core/framework.h"
#include "render/font.h"
#include "render/recording_render.h"
#include "render/resource.h"
#include "render/shader.h"
#include "tests/common/render_util.h"
#include "tests/common/test_util.h"
#include "ui/ui_context.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace uitest {

// Gives a font the stub advances.
inline YFont* stubFont(const std::string& name)
{
    YFont* font = getFont(name);
    for (int c = 0; c < 256; ++c)
        font->widths[c] = c >= 32 ? 0.5f : 0.0f;
    font->widths[static_cast<unsigned char>('W')] = 1.0f;
    font->widths[static_cast<unsigned char>('|')] = 0.25f;
    return font;
}

// Every event as "kind name".
class Recorder : public UIEvent {
public:
    void onUIEvent(int kind, UIControl* control) override
    {
        events.push_back(std::to_string(kind) + " " + (control ? control->name : std::string("?")));
    }
    std::vector<std::string> events;
};

// The framework's key table, for Shift and Ctrl held.
class KeyTable : public YFramework {
public:
    void hold(int key, bool down) { keys[key & 0xFF] = down ? 1 : 0; }
};

// A control that records the pointer and key events reaching it and
// handles them only when told to.
class Probe : public UIControl {
public:
    Probe(const std::string& probeName, const UIRect& r, bool handles = false) : UIControl(r, nullptr), handles(handles)
    {
        name = probeName;
    }
    bool onMouseDown(int, float x, float y) override { return note("down", x, y); }
    bool onMouseMove(float x, float y) override { return note("move", x, y); }
    bool onKeyDown(int key) override
    {
        log.push_back(name + " key " + std::to_string(key));
        return UIControl::onKeyDown(key) || handles;
    }
    void onMouseEnter() override { log.push_back(name + " enter"); }
    bool note(const char* what, float x, float y)
    {
        log.push_back(name + " " + what + " " + std::to_string(static_cast<int>(x)) + "," +
                      std::to_string(static_cast<int>(y)));
        return handles;
    }
    bool handles;
    inline static std::vector<std::string> log;
};

class UITest : public ::testing::Test {
protected:
    void SetUp() override
    {
        render = std::make_unique<YRecordingRender>(4);
        resourcesBefore = gRenderResources();
        font = stubFont("default");
        context.init(800, 600, &recorder, nullptr);
        context.resize(800, 600);
        Probe::log.clear();
        logStart = testutil::logText().size();
    }

    void TearDown() override
    {
        root.reset();
        context.detach();
        setPointerSink(nullptr);
        clearFonts();
        clearShaders();
        testutil::deleteRenderResourcesSince(resourcesBefore);
        render.reset();
    }

    std::string newLog() const { return testutil::logText().substr(logStart); }
    // The recorded text draws: "x y text" each.
    std::vector<std::string> texts() const;

    std::unique_ptr<YRecordingRender> render;
    std::vector<YRenderResource*> resourcesBefore;
    YFont* font = nullptr;
    UIContext context;
    Recorder recorder;
    KeyTable keys;
    std::unique_ptr<UIControl> root; // deleted before the fonts
    size_t logStart = 0;
};

inline std::vector<std::string> UITest::texts() const
{
    std::vector<std::string> out;
    for (const std::string& line : render->callsStartingWith("text ")) {
        // "text X Y SIZE R G B A STRING"
        size_t p = 5;
        std::string x, y;
        for (int field = 0; field < 7; ++field) {
            size_t q = line.find(' ', p);
            if (field == 0)
                x = line.substr(p, q - p);
            if (field == 1)
                y = line.substr(p, q - p);
            p = q + 1;
        }
        out.push_back(x + " " + y + " " + line.substr(p));
    }
    return out;
}

} // namespace uitest
