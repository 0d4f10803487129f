// What the editor shows: the status lines by mode, and the cursor's colour
// in a picture of the real frame.
#include "tests/editor/editor_fixture.h"

#include "core/init.h"
#include "platform/img/image.h"
#include "render/render.h"
#include "render/shadow_volume.h"
#include "tests/common/render_util.h"

#include <algorithm>

using namespace editortest;

namespace {

// The text at (x, y), or "(none)".
std::string lineAt(const std::vector<YEditorStatusLine>& lines, float x, float y)
{
    for (const YEditorStatusLine& l : lines)
        if (l.x == x && l.y == y)
            return l.text;
    return "(none)";
}

// Pixels where one channel clearly leads: 0 red, 1 green.
int countDominant(const img::Image& shot, int channel)
{
    int n = 0;
    for (int i = 0; i < shot.width * shot.height; ++i) {
        const uint8_t* p = &shot.rgba[static_cast<size_t>(i) * 4];
        int other = channel == 0 ? std::max(p[1], p[2]) : std::max(p[0], p[2]);
        if (p[channel] > 120 && p[channel] > other + 80)
            ++n;
    }
    return n;
}

} // namespace

TEST_F(EditorTest, StatusLinesFollowTheModeAndOnlyTheFpsLineFollowsTheConsole)
{
    gEditorItems.push_back(YLevelItem());
    gEditorItems[0].material = "glass";
    gEditorItems[0].bonus = 4;
    recountEditorBonuses();
    editor->levelName = "90_edit";
    editor->cursor = {0, 0, 0, 2, 1, 1};

    auto lines = editor->statusLines();
    EXPECT_EQ("90_edit", lineAt(lines, 680, 70));
    EXPECT_EQ("t=20.00x20.00", lineAt(lines, 680, 82));
    EXPECT_EQ("c=1.00x1.00x1.00", lineAt(lines, 680, 118));
    EXPECT_EQ("blocks=1", lineAt(lines, 720, 130));
    EXPECT_EQ("b0 = 0/0", lineAt(lines, 720, 158));
    EXPECT_EQ("b4 = 1/1", lineAt(lines, 720, 206));
    EXPECT_EQ("b23 = 0/0", lineAt(lines, 720, 434));
    EXPECT_EQ("mode=new", lineAt(lines, 5, 70));
    EXPECT_EQ("[0x0x0]", lineAt(lines, 5, 86));
    EXPECT_EQ("size=2x1x1", lineAt(lines, 5, 98));
    EXPECT_EQ("glue=35.0", lineAt(lines, 5, 122));

    const struct {
        int mode;
        float itemTop;
        const char* first;
    } modes[] = {
        {EDIT_DEL, 86, "[0x0x0]"},
        {EDIT_BONUS, 102, "curBonus=0"},
        {EDIT_MAT, 102, "curMaterial=plain"},
        {EDIT_GLUE, 102, "curGlue=35.0"},
    };
    for (const auto& m : modes) {
        editor->mode = m.mode;
        lines = editor->statusLines();
        EXPECT_EQ(m.first, lineAt(lines, 5, 86)) << editModeName(m.mode);
        EXPECT_EQ("[0x0x0]", lineAt(lines, 5, m.itemTop));
        EXPECT_EQ("material=glass", lineAt(lines, 5, m.itemTop + 24));
        EXPECT_EQ("bonus=4", lineAt(lines, 5, m.itemTop + 48));
    }
    editor->cursor.x = 3; // nothing under the cursor: no item lines
    EXPECT_EQ("(none)", lineAt(editor->statusLines(), 5, 102));

    gInit().fps = true;
    editor->console().setVisible(true);
    lines = editor->statusLines();
    ASSERT_EQ(1u, lines.size());
    EXPECT_EQ(32.0f, lines[0].size);
    EXPECT_EQ(0.0f, lines[0].x);
    EXPECT_EQ("FPS=0.0", lines[0].text);
}

// The cursor is green where its mode can act and red where it cannot.
TEST_F(EditorTest, TheCursorTurnsRedWhereNewCannotPlaceABlock)
{
    run("m=stone");
    editor->cursor = {3, 3, 0, 2, 2, 2};
    for (int i = 0; i < 40; ++i)
        step(50); // the console slides up to its resting line
    const int w = editor->getClientWidth(), h = editor->getClientHeight();
    auto shoot = [&](const std::string& file) {
        EXPECT_TRUE(testutil::captureShot(*gRender, w, h, file, [&] { editor->renderFrame(); }));
        img::Image shot;
        EXPECT_TRUE(img::loadImage(file, shot));
        return shot;
    };
    img::Image free = shoot("editor_cursor_free.bmp");
    editor->applyMode();
    img::Image taken = shoot("editor_cursor_taken.bmp");
    int greenFree = countDominant(free, 1), greenTaken = countDominant(taken, 1);
    EXPECT_GT(greenFree, 100);
    EXPECT_LT(greenTaken * 10, greenFree);
    EXPECT_GT(countDominant(taken, 0), countDominant(free, 0) + 50);

    // A glass block beside it, a bomb in the stone one, then the console
    // open over it all.
    editor->cursor = {-4, -2, 0, 1, 1, 1};
    run("m=glass");
    editor->applyMode();
    run("b=17");
    run("mode=bonus");
    editor->cursor = {3, 3, 0, 1, 1, 1};
    editor->applyMode();
    press(vk::OEM_3, '`');
    for (int i = 0; i < 30; ++i)
        step();
    shoot("editor_console.bmp");

    // No shadows are drawn, and what the casters hand in does not pile up.
    auto edges = [] { return gShadows().frontList().size() + gShadows().backList().size(); };
    const size_t once = edges();
    EXPECT_GT(once, 0u) << "the check below would hold for nothing";
    step();
    step();
    EXPECT_EQ(once, edges());
}
