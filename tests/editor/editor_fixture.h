#pragma once
// The real level editor in a test folder: generated content copied in, a
// small window on the offscreen driver, a manual clock, events injected as
// the window system would send them, and one pass of the loop per step().
#include "editor/editor_framework.h"
#include "platform/sys/clock.h"
#include "platform/sys/paths.h"
#include "platform/wnd/events.h"
#include "platform/wnd/keys.h"
#include "tests/common/test_util.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace editortest {

class EditorTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string missing;
        ASSERT_TRUE(testutil::makeGameFolder(320, 240, &missing)) << "build the game content first: " << missing;
        clock = std::make_unique<sys::ManualClock>(1000);
        wnd::clearInjectedEvents();
        editor = std::make_unique<EditorFramework>("");
        step();
    }

    void TearDown() override
    {
        editor.reset();
        clock.reset();
        wnd::clearInjectedEvents();
    }

    // One pass of the loop after the clock moved on.
    void step(uint32_t ms = 20)
    {
        clock->advance(ms);
        editor->step();
    }

    static void inject(wnd::EventType type, int code = 0) { wnd::injectEvent(wnd::Event(type, code)); }

    // A key pressed and let go, with the character it types (0: none), as
    // the window system sends them.
    void press(int key, int character = 0)
    {
        inject(wnd::EventType::KeyDown, key);
        if (character)
            inject(wnd::EventType::Char, character);
        inject(wnd::EventType::KeyUp, key);
        step();
    }

    // Keys pressed while a modifier is held.
    void pressWith(int modifier, int key, int times = 1)
    {
        inject(wnd::EventType::KeyDown, modifier);
        for (int i = 0; i < times; ++i) {
            inject(wnd::EventType::KeyDown, key);
            inject(wnd::EventType::KeyUp, key);
        }
        inject(wnd::EventType::KeyUp, modifier);
        step();
    }

    // Types a console line and Return.
    void type(const std::string& line)
    {
        for (char c : line)
            inject(wnd::EventType::Char, static_cast<unsigned char>(c));
        inject(wnd::EventType::Char, 13);
        step();
    }

    // Runs a console line and gives the last line it printed.
    std::string run(const std::string& line)
    {
        editor->console().setInputLine(line);
        editor->console().execute();
        return lastLine();
    }

    std::string lastLine() const
    {
        const auto& lines = editor->console().lines();
        return lines.empty() ? std::string() : lines.back();
    }

    std::unique_ptr<sys::ManualClock> clock;
    std::unique_ptr<EditorFramework> editor;
};

} // namespace editortest
