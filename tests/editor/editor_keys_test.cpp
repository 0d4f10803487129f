// Keys, wheel and characters reaching the editor through the window events.
#include "tests/editor/editor_fixture.h"

#include "core/init.h"

using namespace editortest;

// The camera starts looking straight down: its x, y and z axes are the
// world's, so Right is +x, Up is +y and Page Up is +z.
TEST_F(EditorTest, CursorKeysFollowTheCameraAndModifiersAreReadAtEachKey)
{
    press(vk::RIGHT);
    press(vk::UP);
    press(vk::UP);
    press(vk::PRIOR);
    EXPECT_EQ(1, editor->cursor.x);
    EXPECT_EQ(2, editor->cursor.y);
    EXPECT_EQ(1, editor->cursor.z);
    press(vk::NEXT);
    press(vk::NEXT); // the floor stops it
    EXPECT_EQ(0, editor->cursor.z);

    // Shift sizes the cursor; once let go the same key moves it again.
    pressWith(vk::SHIFT, vk::RIGHT, 2);
    EXPECT_EQ(3, editor->cursor.w);
    press(vk::LEFT);
    EXPECT_EQ(0, editor->cursor.x);
    EXPECT_EQ(3, editor->cursor.w);

    // Ctrl moves every item; Shift wins over Ctrl.
    press(vk::SPACE, ' ');
    ASSERT_EQ(1u, gEditorItems.size());
    pressWith(vk::CONTROL, vk::UP);
    EXPECT_EQ(3, gEditorItems[0].y);
    inject(wnd::EventType::KeyDown, vk::CONTROL);
    pressWith(vk::SHIFT, vk::PRIOR);
    inject(wnd::EventType::KeyUp, vk::CONTROL);
    step();
    EXPECT_EQ(0, gEditorItems[0].z);
    EXPECT_EQ(2, editor->cursor.d);
    press(vk::UP);
    EXPECT_EQ(3, editor->cursor.y) << "a released Ctrl still held";
}

TEST_F(EditorTest, TheWheelKeepsTheCameraBetween5And90)
{
    const struct {
        int delta;
        float distance;
    } steps[] = {{120, 31.2f}, {-2400, 7.2f}, {-1200, 5.0f}, {100000, 90.0f}, {-120, 88.8f}};
    for (const auto& s : steps) {
        inject(wnd::EventType::Wheel, s.delta);
        step();
        EXPECT_NEAR(s.distance, editor->cameraDistance, 1e-4f) << s.delta;
    }
}

TEST_F(EditorTest, PageKeysScrollTheConsoleOnlyWhileItIsShown)
{
    YConsole& console = editor->console();
    for (int i = 0; i < 60; ++i)
        console.print("line " + std::to_string(i));
    press(vk::PRIOR);
    EXPECT_EQ(1, editor->cursor.z);
    EXPECT_EQ(-1, console.scrollPosition());

    press(vk::OEM_3, '`');
    EXPECT_TRUE(console.isVisible());
    for (int i = 0; i < 50; ++i)
        step(); // slides open
    press(vk::PRIOR);
    EXPECT_EQ(1, editor->cursor.z) << "Page Up moved the cursor under the console";
    EXPECT_LT(console.scrollPosition(), static_cast<int>(console.lines().size()) - 1);
    int up = console.scrollPosition();
    press(vk::NEXT);
    EXPECT_GT(console.scrollPosition(), up);
    EXPECT_EQ(1, editor->cursor.z);

    press(vk::OEM_3, '`');
    EXPECT_FALSE(console.isVisible());
    press(vk::NEXT);
    EXPECT_EQ(0, editor->cursor.z);
}

TEST_F(EditorTest, SpaceAndBackquoteAreNeverTypedAndLinesRunWithoutThem)
{
    press(vk::SPACE, ' ');
    press('G', 'g');
    press(vk::OEM_3, '`');
    press(vk::SPACE, ' ');
    EXPECT_EQ("g", editor->console().inputLine());
    editor->console().setInputLine("");

    // Space applied the mode twice, with the console shown or not: one
    // block placed, the second press found it there.
    EXPECT_EQ(1u, gEditorItems.size());

    type("g=50");
    EXPECT_EQ(50.0f, editor->glue);
    EXPECT_EQ("g=50", lastLine());
}

TEST_F(EditorTest, F8TogglesFullScreenAndF10QuitsAndWritesTheSettings)
{
    for (bool full : {true, false}) {
        press(vk::F8);
        EXPECT_EQ(full, editor->isFullscreen());
        EXPECT_EQ(full, gInit().fullscreen);
    }
    wnd::injectEvent(wnd::Event(wnd::EventType::Size, 0, 300, 225)); // remembered
    inject(wnd::EventType::KeyDown, vk::F10);
    editor->run(); // returns once F10 has stopped the loop
    EXPECT_FALSE(editor->isRunning());
    std::string config = testutil::readText("config.yml");
    EXPECT_NE(std::string::npos, config.find("width=\"300\"")) << config;
}
