#include "world/level_file.h"

#include "core/log.h"
#include "core/streams.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

const char* const gLevelDir = "levels\\";

namespace {

// The smallest item record: six ints, an empty name, glue and bonus id.
constexpr int64_t MIN_ITEM_BYTES = 6 * 4 + 2 + 4 + 4;

const char* shown(const std::string& name) { return name.empty() ? "(stream)" : name.c_str(); }

bool cellSizeOk(float v)
{
    return std::isfinite(v) && v >= YLevelFile::MIN_CELL_SIZE && v <= YLevelFile::MAX_CELL_SIZE;
}

bool tableSizeOk(float v)
{
    return std::isfinite(v) && v >= YLevelFile::MIN_TABLE_SIZE && v <= YLevelFile::MAX_TABLE_SIZE;
}

bool spanOk(int32_t at, int32_t size)
{
    return at >= -YLevelFile::COORD_LIMIT && int64_t(at) + size <= YLevelFile::COORD_LIMIT;
}

// Why an item cannot be built, or null when it can (the material aside).
const char* itemFault(const YLevelItem& item)
{
    if (!isValidItemSize(item.w, item.h, item.d))
        return "a size outside 1..9 or a face of 10 cells or more";
    if (!spanOk(item.x, item.w) || !spanOk(item.y, item.h) || !spanOk(item.z, item.d))
        return "cells outside -256..255";
    if (!std::isfinite(item.glue))
        return "a glue that is not a number";
    return nullptr;
}

// Reads the fields in file order; the first failed read ends the level.
class LevelReader {
public:
    LevelReader(InStream& in, const std::string& name) : mIn(in), mName(name) {}

    template <typename T>
    bool value(T& v, const char* field)
    {
        if (mIn.readValue(v))
            return true;
        return fail(field);
    }

    bool text(std::string& s, const char* field)
    {
        mIn.readString(s);
        return mIn.good() || fail(field);
    }

    bool fail(const char* field)
    {
        YLog::writef("Cannot load level %s: the file ends inside the %s", shown(mName), field);
        return false;
    }

    // A count of records that must fit in what is left.
    bool count(int32_t& n, int64_t recordSize, const char* field)
    {
        if (!value(n, field))
            return false;
        if (mIn.fits(n, recordSize))
            return true;
        if (n < 0)
            YLog::writef("Cannot load level %s: a count of %d %s", shown(mName), n, field);
        else
            YLog::writef("Cannot load level %s: %d %s cannot be in the %lld bytes left", shown(mName), n,
                         field, static_cast<long long>(mIn.remaining()));
        return false;
    }

    InStream& in() { return mIn; }

private:
    InStream& mIn;
    const std::string& mName;
};

} // namespace

bool YLevelFile::operator==(const YLevelFile& o) const
{
    return cellSize.x == o.cellSize.x && cellSize.y == o.cellSize.y && cellSize.z == o.cellSize.z &&
           tableWidth == o.tableWidth && tableDepth == o.tableDepth && tableMaterial == o.tableMaterial &&
           environment == o.environment && center == o.center && bonusCounts == o.bonusCounts &&
           items == o.items;
}

bool isValidItemSize(int32_t w, int32_t h, int32_t d)
{
    const int32_t m = YLevelFile::MAX_ITEM_SIZE;
    if (w < 1 || w > m || h < 1 || h > m || d < 1 || d > m)
        return false;
    const int32_t f = YLevelFile::MAX_FACE_CELLS;
    return w * h <= f && w * d <= f && h * d <= f;
}

bool levelItemBounds(const std::vector<YLevelItem>& items, int64_t lo[3], int64_t hi[3])
{
    if (items.empty())
        return false;
    for (int a = 0; a < 3; ++a) {
        lo[a] = INT64_MAX;
        hi[a] = INT64_MIN;
    }
    for (const YLevelItem& item : items) {
        const int64_t at[3] = {item.x, item.y, item.z};
        const int64_t size[3] = {item.w, item.h, item.d};
        for (int a = 0; a < 3; ++a) {
            lo[a] = std::min(lo[a], at[a]);
            hi[a] = std::max(hi[a], at[a] + size[a]);
        }
    }
    return true;
}

int64_t levelGridCells(const std::vector<YLevelItem>& items)
{
    int64_t lo[3], hi[3];
    if (!levelItemBounds(items, lo, hi))
        return 0;
    // Items lie within +-COORD_LIMIT, so the product stays far below 2^63.
    return (hi[0] - lo[0]) * (hi[1] - lo[1]) * (hi[2] - lo[2]);
}

bool readLevelFile(InStream& in, YLevelFile& level, const YMaterialFilter& knownMaterial,
                   const std::string& name)
{
    LevelReader r(in, name);
    YLevelFile got;

    if (!r.value(got.cellSize.x, "cell size") || !r.value(got.cellSize.y, "cell size") ||
        !r.value(got.cellSize.z, "cell size"))
        return false;
    if (!cellSizeOk(got.cellSize.x) || !cellSizeOk(got.cellSize.y) || !cellSizeOk(got.cellSize.z)) {
        YLog::writef("Cannot load level %s: cell size %gx%gx%g is outside %g..%g", shown(name),
                     got.cellSize.x, got.cellSize.y, got.cellSize.z, YLevelFile::MIN_CELL_SIZE,
                     YLevelFile::MAX_CELL_SIZE);
        return false;
    }

    if (!r.value(got.tableWidth, "table size") || !r.value(got.tableDepth, "table size"))
        return false;
    if (!tableSizeOk(got.tableWidth) || !tableSizeOk(got.tableDepth)) {
        YLog::writef("Cannot load level %s: table size %gx%g is outside %g..%g", shown(name), got.tableWidth,
                     got.tableDepth, YLevelFile::MIN_TABLE_SIZE, YLevelFile::MAX_TABLE_SIZE);
        return false;
    }

    uint8_t center = 0;
    if (!r.text(got.tableMaterial, "table material") || !r.text(got.environment, "environment") ||
        !r.value(center, "center flag"))
        return false;
    got.center = center != 0;

    int32_t n = 0;
    if (!r.count(n, 4, "bonus counts"))
        return false;
    for (int32_t id = 0; id < n; ++id) {
        int32_t c = 0;
        if (!r.value(c, "bonus counts"))
            return false;
        if (id >= LEVEL_BONUS_ID_COUNT)
            continue; // ids the game does not have
        if (c < 0 || c > YLevelFile::MAX_BONUS_COUNT) {
            int32_t kept = std::clamp(c, 0, YLevelFile::MAX_BONUS_COUNT);
            YLog::writef("Level %s: bonus count %d of bonus id %d taken as %d", shown(name), c, id, kept);
            c = kept;
        }
        got.bonusCounts[static_cast<size_t>(id)] = c;
    }
    if (n > LEVEL_BONUS_ID_COUNT)
        YLog::writef("Level %s: %d bonus counts, the counts beyond id %d dropped", shown(name), n,
                     LEVEL_BONUS_ID_COUNT - 1);

    int32_t m = 0;
    if (!r.count(m, MIN_ITEM_BYTES, "items"))
        return false;
    if (in.remaining() >= 0)
        got.items.reserve(static_cast<size_t>(m)); // bounded by the bytes left
    for (int32_t i = 0; i < m; ++i) {
        YLevelItem item;
        if (!r.value(item.x, "items") || !r.value(item.y, "items") || !r.value(item.z, "items") ||
            !r.value(item.w, "items") || !r.value(item.h, "items") || !r.value(item.d, "items") ||
            !r.text(item.material, "items") || !r.value(item.glue, "items") || !r.value(item.bonus, "items"))
            return false;

        if (const char* fault = itemFault(item)) {
            YLog::writef("Level %s: item %d at %d,%d,%d of size %dx%dx%d skipped: %s", shown(name), i, item.x,
                         item.y, item.z, item.w, item.h, item.d, fault);
            continue;
        }
        if (knownMaterial && !knownMaterial(item.material)) {
            YLog::writef("Level %s: item %d at %d,%d,%d skipped: no block material \"%s\"", shown(name), i,
                         item.x, item.y, item.z, item.material.c_str());
            continue;
        }
        if (item.bonus < -1 || item.bonus >= LEVEL_BONUS_ID_COUNT) {
            YLog::writef("Level %s: item %d has bonus id %d, outside -1..%d: no bonus placed", shown(name), i,
                         item.bonus, LEVEL_BONUS_ID_COUNT - 1);
            item.bonus = -1;
        }
        got.items.push_back(std::move(item));
    }

    int64_t cells = levelGridCells(got.items);
    if (cells > YLevelFile::MAX_GRID_CELLS) {
        YLog::writef("Cannot load level %s: the items span %lld cells, more than %lld", shown(name),
                     static_cast<long long>(cells), static_cast<long long>(YLevelFile::MAX_GRID_CELLS));
        return false;
    }

    level = std::move(got);
    return true;
}

bool loadLevelFile(const std::string& path, YLevelFile& level, const YMaterialFilter& knownMaterial)
{
    InFStream in(path);
    if (!in.isOpen()) {
        YLog::writef("Cannot open level %s", path.c_str());
        return false;
    }
    return readLevelFile(in, level, knownMaterial, path);
}

namespace {

// Why the reader would not take the level back unchanged, or empty.
std::string levelFault(const YLevelFile& level)
{
    char line[256];
    if (!cellSizeOk(level.cellSize.x) || !cellSizeOk(level.cellSize.y) || !cellSizeOk(level.cellSize.z)) {
        std::snprintf(line, sizeof(line), "cell size %gx%gx%g is outside %g..%g", level.cellSize.x,
                      level.cellSize.y, level.cellSize.z, YLevelFile::MIN_CELL_SIZE, YLevelFile::MAX_CELL_SIZE);
        return line;
    }
    if (!tableSizeOk(level.tableWidth) || !tableSizeOk(level.tableDepth)) {
        std::snprintf(line, sizeof(line), "table size %gx%g is outside %g..%g", level.tableWidth,
                      level.tableDepth, YLevelFile::MIN_TABLE_SIZE, YLevelFile::MAX_TABLE_SIZE);
        return line;
    }
    for (size_t id = 0; id < level.bonusCounts.size(); ++id) {
        int32_t c = level.bonusCounts[id];
        if (c < 0 || c > YLevelFile::MAX_BONUS_COUNT) {
            std::snprintf(line, sizeof(line), "bonus count %d of bonus id %zu is outside 0..%d", c, id,
                          YLevelFile::MAX_BONUS_COUNT);
            return line;
        }
    }
    if (level.items.size() > static_cast<size_t>(INT32_MAX))
        return "too many items";
    for (size_t i = 0; i < level.items.size(); ++i) {
        const YLevelItem& item = level.items[i];
        const char* fault = itemFault(item);
        if (!fault && (item.bonus < -1 || item.bonus >= LEVEL_BONUS_ID_COUNT))
            fault = "a bonus id outside -1..23";
        if (fault) {
            std::snprintf(line, sizeof(line), "item %zu at %d,%d,%d of size %dx%dx%d has %s", i, item.x, item.y,
                          item.z, item.w, item.h, item.d, fault);
            return line;
        }
    }
    if (levelGridCells(level.items) > YLevelFile::MAX_GRID_CELLS)
        return "the items span too many cells";
    return std::string();
}

} // namespace

bool writeLevelFile(OutStream& out, const YLevelFile& level)
{
    std::string fault = levelFault(level);
    if (!fault.empty()) {
        YLog::writef("Cannot write level: %s", fault.c_str());
        out.setFailed();
        return false;
    }
    out.writeValue(level.cellSize.x);
    out.writeValue(level.cellSize.y);
    out.writeValue(level.cellSize.z);
    out.writeValue(level.tableWidth);
    out.writeValue(level.tableDepth);
    out.writeString(level.tableMaterial);
    out.writeString(level.environment);
    out.writeValue<uint8_t>(level.center ? 1 : 0);
    out.writeValue<int32_t>(LEVEL_BONUS_ID_COUNT);
    for (int32_t c : level.bonusCounts)
        out.writeValue(c);
    out.writeValue(static_cast<int32_t>(level.items.size()));
    for (const YLevelItem& item : level.items) {
        out.writeValue(item.x);
        out.writeValue(item.y);
        out.writeValue(item.z);
        out.writeValue(item.w);
        out.writeValue(item.h);
        out.writeValue(item.d);
        out.writeString(item.material);
        out.writeValue(item.glue);
        out.writeValue(item.bonus);
    }
    return out.good();
}

bool saveLevelFile(const std::string& path, const YLevelFile& level)
{
    OutFStream out(path);
    // A refused level fails the stream, so close() leaves the old file alone.
    writeLevelFile(out, level);
    if (out.close())
        return true;
    YLog::writef("Cannot save level %s", path.c_str());
    return false;
}
