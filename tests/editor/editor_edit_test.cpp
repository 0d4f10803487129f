// What Space, the cursor keys and their modifiers do to the level.
#include "tests/editor/editor_fixture.h"

#include "world/block.h"
#include "world/block_single.h"

using namespace editortest;

namespace {

YLevelItem itemAt(int x, int y, int z, int w = 1, int h = 1, int d = 1, int bonus = -1)
{
    YLevelItem it;
    it.x = x, it.y = y, it.z = z, it.w = w, it.h = h, it.d = d;
    it.material = "glass";
    it.bonus = bonus;
    return it;
}

} // namespace

TEST(EditorBoxes, OverlapNeedsASharedCellOnEveryAxis)
{
    const struct {
        YCellBox a, b;
        bool overlap;
    } cases[] = {
        {{0, 0, 0, 1, 1, 1}, {0, 0, 0, 1, 1, 1}, true},
        {{0, 0, 0, 1, 1, 1}, {1, 0, 0, 1, 1, 1}, false},  // faces touch
        {{0, 0, 0, 2, 1, 1}, {1, 0, 0, 1, 1, 1}, true},
        {{-3, 0, 0, 3, 1, 1}, {0, 0, 0, 2, 2, 2}, false}, // ends where the other begins
        {{2, 2, 2, 1, 1, 1}, {0, 0, 0, 3, 3, 3}, true},   // inside
        {{0, 0, 3, 3, 3, 1}, {0, 0, 0, 3, 3, 3}, false},  // on top
        {{-256, -256, 0, 9, 1, 1}, {247, 255, 255, 9, 1, 1}, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.overlap, boxesOverlap(c.a, c.b)) << c.a.x << "," << c.b.x;
        EXPECT_EQ(c.overlap, boxesOverlap(c.b, c.a));
    }
}

TEST(EditorBoxes, DirectionsSnapToTheNearestAxisAndTiesGoToTheEarlierOne)
{
    const struct {
        YVec3 direction;
        int32_t step[3];
    } cases[] = {
        {{1, 0, 0}, {1, 0, 0}},         {{0.2f, -0.9f, 0.1f}, {0, -1, 0}},
        {{0.7f, 0.7f, 0}, {1, 0, 0}},   // +x before +y
        {{0, -0.7f, 0.7f}, {0, 0, 1}},  // +z before -y
        {{-0.7f, -0.7f, 0}, {-1, 0, 0}}, // -x before -y
        {{0, 0, 0}, {1, 0, 0}},
    };
    for (const auto& c : cases) {
        int32_t step[3];
        snapToAxis(c.direction, step);
        EXPECT_EQ(c.step[0], step[0]);
        EXPECT_EQ(c.step[1], step[1]);
        EXPECT_EQ(c.step[2], step[2]);
    }
}

TEST(EditorBoxes, ResizingKeepsEverySideWithin1To9AndEveryFaceBelow10Cells)
{
    const struct {
        YCellBox from;
        int32_t step[3];
        int w, h, d;
    } cases[] = {
        {{0, 0, 0, 3, 3, 3}, {1, 0, 0}, 3, 2, 3},
        {{0, 0, 0, 1, 1, 1}, {-1, 0, 0}, 1, 1, 1},
        {{0, 0, 0, 9, 1, 1}, {1, 0, 0}, 9, 1, 1},
        {{0, 0, 0, 1, 9, 1}, {0, 0, 1}, 1, 4, 2},
        {{250, 0, 0, 6, 1, 1}, {1, 0, 0}, 7, 1, 1},
    };
    for (const auto& c : cases) {
        YCellBox box = c.from;
        resizeCursor(box, c.step);
        EXPECT_EQ(c.w, box.w);
        EXPECT_EQ(c.h, box.h);
        EXPECT_EQ(c.d, box.d);
        EXPECT_LE(box.x + box.w, YLevelFile::COORD_LIMIT) << "the grown box left the grid";
    }
}

TEST_F(EditorTest, NewAddsAtAFaceTouchingBoxAndNothingWhereItemsOverlap)
{
    editor->material = "glass";
    editor->cursor = {0, 0, 0, 2, 1, 1};
    EXPECT_TRUE(editor->applyMode());
    EXPECT_FALSE(editor->applyMode()) << "placed over itself";
    editor->cursor.x = 2; // touches the first at a face
    EXPECT_TRUE(editor->applyMode());
    editor->cursor = {1, 0, 0, 1, 3, 1};
    EXPECT_FALSE(editor->applyMode());
    ASSERT_EQ(2u, gEditorItems.size());
    EXPECT_EQ(2, gEditorItems[1].x);
    EXPECT_EQ("glass", gEditorItems[1].material);
    EXPECT_EQ(35.0f, gEditorItems[1].glue);
    EXPECT_EQ(-1, gEditorItems[1].bonus);
    EXPECT_EQ(2u, gBlocks.size());

    // The preview block sits where the game centres an item: the corner
    // cell plus half the extent, in floats.
    editor->cursor = {-3, 5, 1, 3, 1, 1};
    ASSERT_TRUE(editor->applyMode());
    auto* single = dynamic_cast<YBlockSingle*>(gBlocks.back());
    ASSERT_NE(nullptr, single);
    YVec3 at = single->getTransform().translation();
    EXPECT_FLOAT_EQ(-1.5f, at.x);
    EXPECT_FLOAT_EQ(5.5f, at.y);
    EXPECT_FLOAT_EQ(1.5f, at.z);
}

TEST_F(EditorTest, EveryChangeRecountsTheBonusesAndDelMovesTheLastItemIn)
{
    gEditorItems = {itemAt(0, 0, 0, 1, 1, 1, 5), itemAt(1, 0, 0), itemAt(2, 0, 0, 1, 1, 1, 5)};
    recountEditorBonuses();
    EXPECT_EQ(2, gEditorBonusCounts[5].placed);
    EXPECT_EQ(2, gEditorBonusCounts[5].total);
    EXPECT_EQ(4, setEditorBonusTotal(5, 4));
    EXPECT_EQ(2, setEditorBonusTotal(5, -3)) << "a total below the placed count";
    EXPECT_EQ(YLevelFile::MAX_BONUS_COUNT, setEditorBonusTotal(5, int64_t(1) << 40));
    EXPECT_EQ(-1, setEditorBonusTotal(-1, 3));
    setEditorBonusTotal(5, 2);

    editor->mode = EDIT_DEL;
    editor->cursor = {0, 0, 0, 1, 1, 1};
    ASSERT_TRUE(editor->applyMode());
    ASSERT_EQ(2u, gEditorItems.size());
    EXPECT_EQ(2, gEditorItems[0].x) << "the last item takes the deleted one's place";
    EXPECT_EQ(1, gEditorBonusCounts[5].placed);
    EXPECT_EQ(2, gEditorBonusCounts[5].total);

    editor->mode = EDIT_BONUS;
    editor->bonus = 9;
    editor->cursor.x = 1;
    ASSERT_TRUE(editor->applyMode());
    EXPECT_EQ(1, gEditorBonusCounts[9].placed);
    EXPECT_EQ(1, gEditorBonusCounts[9].total);

    editor->mode = EDIT_MAT;
    editor->material = "wood";
    ASSERT_TRUE(editor->applyMode());
    editor->mode = EDIT_GLUE;
    editor->glue = 7.0f;
    ASSERT_TRUE(editor->applyMode());
    EXPECT_EQ("wood", gEditorItems[1].material);
    EXPECT_EQ(7.0f, gEditorItems[1].glue);

    editor->cursor.x = 5; // nothing there
    for (int m : {EDIT_DEL, EDIT_BONUS, EDIT_MAT, EDIT_GLUE}) {
        editor->mode = m;
        EXPECT_FALSE(editor->applyMode()) << editModeName(m);
    }
    EXPECT_EQ(2u, gEditorItems.size());
}

TEST_F(EditorTest, MovesStayOnTheFloorAndWithinTheGrid)
{
    gEditorItems = {itemAt(0, 0, 0), itemAt(0, 0, 2)};
    const YVec3 down(0, 0, -1), west(-1, 0, 0);
    editor->moveCursor(down, 2);
    EXPECT_EQ(0, gEditorItems[0].z) << "Ctrl moved an item below the floor";
    EXPECT_EQ(2, gEditorItems[1].z);
    editor->moveCursor(down, 0);
    EXPECT_EQ(0, editor->cursor.z);

    // Items and the cursor stop at the edge of what a level holds.
    gEditorItems = {itemAt(-255, 0, 0)};
    editor->moveCursor(west, 2);
    editor->moveCursor(west, 2);
    EXPECT_EQ(-YLevelFile::COORD_LIMIT, gEditorItems[0].x);
    editor->cursor = {YLevelFile::COORD_LIMIT - 1, 0, 0, 1, 1, 1};
    editor->moveCursor(-west, 0);
    EXPECT_EQ(YLevelFile::COORD_LIMIT - 1, editor->cursor.x);

    // A block far from the others would span more cells than a level may.
    editor->cursor = {YLevelFile::COORD_LIMIT - 1, 255, 255, 1, 1, 1};
    EXPECT_FALSE(editor->applyMode());
    EXPECT_EQ(1u, gEditorItems.size());
    editor->cursor.z = 0;
    editor->cursor.y = 0;
    EXPECT_TRUE(editor->applyMode());

    // Blocks far off the table stay: the editor's world sweeps nothing.
    for (int i = 0; i < 10; ++i)
        step(50);
    EXPECT_EQ(2u, gBlocks.size());
}
