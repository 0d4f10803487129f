#include "editor/editor_items.h"

#include "core/log.h"
#include "world/block.h"
#include "world/block_material.h"
#include "world/block_single.h"
#include "world/bonus_registry.h"
#include "world/level_start.h"

#include <algorithm>
#include <cstdlib>
#include <set>

std::vector<YLevelItem> gEditorItems;
std::vector<YEditorBonusCount> gEditorBonusCounts;

namespace {

const char* const MODE_NAMES[EDIT_MODE_COUNT] = {"new", "del", "bonus", "mat", "glue"};

// Material names already reported as unknown since the level was cleared.
std::set<std::string> gReportedMaterials;

// One axis of the overlap test, in 64 bits so no sum can overflow.
bool spansOverlap(int64_t c, int64_t cs, int64_t p, int64_t s)
{
    return std::llabs(2 * (c - p) - s + cs) < s + cs;
}

// The step along one axis cut so that every span [lo, hi) of the items,
// moved by it, stays within [floor, ceiling].
int32_t clampStep(int32_t step, int64_t lowest, int64_t highest, int64_t floor, int64_t ceiling)
{
    int64_t s = step;
    s = std::max(s, floor - lowest);
    s = std::min(s, ceiling - highest);
    return static_cast<int32_t>(std::clamp<int64_t>(s, std::min<int64_t>(step, 0), std::max<int64_t>(step, 0)));
}

} // namespace

const char* editModeName(int mode)
{
    return mode >= 0 && mode < EDIT_MODE_COUNT ? MODE_NAMES[mode] : "";
}

int findEditMode(const std::string& text)
{
    for (int m = 0; m < EDIT_MODE_COUNT; ++m)
        if (text == MODE_NAMES[m] || text == std::to_string(m))
            return m;
    return -1;
}

bool boxesOverlap(const YCellBox& a, const YCellBox& b)
{
    return spansOverlap(a.x, a.w, b.x, b.w) && spansOverlap(a.y, a.h, b.y, b.h) && spansOverlap(a.z, a.d, b.z, b.d);
}

void resetEditorBonusCounts()
{
    gEditorBonusCounts.assign(static_cast<size_t>(getBonusIdCount()), YEditorBonusCount{});
}

void recountEditorBonuses()
{
    for (YEditorBonusCount& c : gEditorBonusCounts)
        c.placed = 0;
    for (const YLevelItem& item : gEditorItems) {
        if (item.bonus < 0 || item.bonus >= static_cast<int32_t>(gEditorBonusCounts.size()))
            continue;
        YEditorBonusCount& c = gEditorBonusCounts[static_cast<size_t>(item.bonus)];
        ++c.placed;
        c.total = std::max(c.total, c.placed);
    }
}

int32_t setEditorBonusTotal(int id, int64_t value)
{
    if (id < 0 || id >= static_cast<int>(gEditorBonusCounts.size()))
        return -1;
    YEditorBonusCount& c = gEditorBonusCounts[static_cast<size_t>(id)];
    c.total = std::max(static_cast<int32_t>(std::min<int64_t>(value, YLevelFile::MAX_BONUS_COUNT)), c.placed);
    return c.total;
}

int findEditorItem(const YCellBox& box)
{
    for (size_t i = 0; i < gEditorItems.size(); ++i)
        if (boxesOverlap(box, cellBoxOf(gEditorItems[i])))
            return static_cast<int>(i);
    return -1;
}

void snapToAxis(const YVec3& direction, int32_t step[3])
{
    const float dots[6] = {direction.x, direction.y, direction.z, -direction.x, -direction.y, -direction.z};
    int best = 0;
    for (int i = 1; i < 6; ++i)
        if (dots[i] > dots[best])
            best = i;
    step[0] = step[1] = step[2] = 0;
    step[best % 3] = best < 3 ? 1 : -1;
}

void keepCursorInBounds(YCellBox& c)
{
    const int32_t m = YLevelFile::MAX_ITEM_SIZE;
    c.w = std::clamp(c.w, 1, m);
    c.h = std::clamp(c.h, 1, m);
    c.d = std::clamp(c.d, 1, m);
    // No face of 10 cells or more: the faces keep at most 9 neighbours.
    const int32_t f = YLevelFile::MAX_FACE_CELLS;
    while (c.w * c.h > f || c.w * c.d > f || c.h * c.d > f) {
        while (c.w * c.h > f)
            --c.h;
        while (c.w * c.d > f)
            --c.w;
        while (c.h * c.d > f)
            --c.h;
    }
    const int32_t lim = YLevelFile::COORD_LIMIT;
    c.x = std::clamp(c.x, -lim, lim - c.w);
    c.y = std::clamp(c.y, -lim, lim - c.h);
    c.z = std::clamp(c.z, 0, lim - c.d);
}

void resizeCursor(YCellBox& cursor, const int32_t step[3])
{
    cursor.w += step[0];
    cursor.h += step[1];
    cursor.d += step[2];
    keepCursorInBounds(cursor);
}

bool moveEditorItems(const int32_t step[3])
{
    int64_t lo[3], hi[3];
    if (!levelItemBounds(gEditorItems, lo, hi))
        return false;
    const int64_t lim = YLevelFile::COORD_LIMIT;
    const int32_t dx = clampStep(step[0], lo[0], hi[0], -lim, lim);
    const int32_t dy = clampStep(step[1], lo[1], hi[1], -lim, lim);
    const int32_t dz = clampStep(step[2], lo[2], hi[2], 0, lim);
    if (dx == 0 && dy == 0 && dz == 0)
        return false;
    for (YLevelItem& item : gEditorItems) {
        item.x += dx;
        item.y += dy;
        item.z += dz;
    }
    return true;
}

bool editorItemFits(const YCellBox& box)
{
    std::vector<YLevelItem> items = gEditorItems;
    YLevelItem added;
    added.x = box.x, added.y = box.y, added.z = box.z;
    added.w = box.w, added.h = box.h, added.d = box.d;
    items.push_back(added);
    return levelGridCells(items) <= YLevelFile::MAX_GRID_CELLS;
}

void rebuildEditorPreview()
{
    clearWorld();
    for (const YLevelItem& item : gEditorItems) {
        YBlockShape* shape = getBlockShape(item.material, item.w, item.h, item.d);
        if (!shape) {
            if (gReportedMaterials.insert(item.material).second)
                YLog::writef("No block material \"%s\": its items are kept but not shown", item.material.c_str());
            continue;
        }
        // Where the game centres an item: its corner cell plus half its
        // extent, in floats, so odd sizes are not shifted by half a cell.
        YMatrix at;
        at.makeTranslation(YVec3((static_cast<float>(item.x) + static_cast<float>(item.w) * 0.5f) * gCellSize.x,
                                 (static_cast<float>(item.y) + static_cast<float>(item.h) * 0.5f) * gCellSize.y,
                                 (static_cast<float>(item.z) + static_cast<float>(item.d) * 0.5f) * gCellSize.z));
        new YBlockSingle(shape, makeBonusBuilder(item.bonus), at); // owned by gBlocks
    }
}

void clearEditorLevel()
{
    clearWorld();
    gEditorItems.clear();
    resetEditorBonusCounts();
    gReportedMaterials.clear();
}

bool isLevelNameSafe(const std::string& name)
{
    return !name.empty() && name != "." && name != ".." && name.find_first_of("/\\") == std::string::npos;
}
