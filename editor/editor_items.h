#pragma once
// The level being edited: a plain list of items on the cell grid, the
// per-bonus counts, and the operations the editor applies to them. The
// blocks on screen are a still preview rebuilt from the list after every
// change; the list is what is saved.
#include "core/math.h"
#include "world/level_file.h"

#include <cstdint>
#include <string>
#include <vector>

// The edit modes: what Space does at the cursor.
enum YEditMode : int { EDIT_NEW = 0, EDIT_DEL = 1, EDIT_BONUS = 2, EDIT_MAT = 3, EDIT_GLUE = 4, EDIT_MODE_COUNT = 5 };

// "new", "del", "bonus", "mat", "glue"; "" outside the modes.
const char* editModeName(int mode);
// The mode whose name or whose index as text is exactly the text; -1 when
// none is.
int findEditMode(const std::string& text);

// A box of cells: the lowest corner and the size along x, y, z.
struct YCellBox {
    int32_t x = 0, y = 0, z = 0;
    int32_t w = 1, h = 1, d = 1;
};

inline YCellBox cellBoxOf(const YLevelItem& item) { return {item.x, item.y, item.z, item.w, item.h, item.d}; }

// Whether two boxes share a cell: on every axis |2 (a - b) - bs + as| <
// bs + as. Boxes that only touch at a face do not overlap.
bool boxesOverlap(const YCellBox& a, const YCellBox& b);

// Per bonus id: the items that hold it and the level's count of it in all
// (never below the placed ones).
struct YEditorBonusCount {
    int32_t placed = 0;
    int32_t total = 0;
};

// The items of the level in list order; a deleted item's place is taken by
// the last one.
extern std::vector<YLevelItem> gEditorItems;
// One entry per bonus id of the registry.
extern std::vector<YEditorBonusCount> gEditorBonusCounts;

// Every count back to {0, 0}, one per bonus id of the registry.
void resetEditorBonusCounts();
// Placed counts from the items; each total raised to at least its placed
// count. Ids outside the counts are not counted.
void recountEditorBonuses();
// The total of the id := max(value, placed), the value first cut to what a
// level file holds. Returns the new total; -1 (nothing set) for an id
// outside the counts.
int32_t setEditorBonusTotal(int id, int64_t value);

// The index of the first item that overlaps the box, or -1.
int findEditorItem(const YCellBox& box);

// The six axis steps in order +x, +y, +z, -x, -y, -z: the one with the
// largest dot product with the direction (ties go to the earlier one).
void snapToAxis(const YVec3& direction, int32_t step[3]);

// The cursor's place and size within what a level can hold: the size 1..9
// per axis with no face of 10 cells or more (a growing face shrinks h, then
// w, then h again), the box within the cell limits and z >= 0.
void keepCursorInBounds(YCellBox& cursor);
// Grows or shrinks the cursor by the step, then keeps it in bounds.
void resizeCursor(YCellBox& cursor, const int32_t step[3]);

// Moves every item by the step, each component cut so that no item leaves
// the cell limits or goes below z = 0. False when nothing moved.
bool moveEditorItems(const int32_t step[3]);

// Whether an item of this box may join the list without the items spanning
// more cells than a level may hold.
bool editorItemFits(const YCellBox& box);

// Clears the world and makes a still block for every item at the place the
// game gives it, with its bonus shown. An item whose material is unknown
// gets no block (one log line per name until the level is cleared) and
// stays in the list.
void rebuildEditorPreview();
// Clears the world, the item list and the counts.
void clearEditorLevel();

// A name a level may be saved or loaded under: not empty, not "." or "..",
// and without '/' or '\', so the file stays inside the levels folder.
bool isLevelNameSafe(const std::string& name);
