#pragma once
#include "core/math.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class InStream;
class OutStream;

// A level file, as plain data: the grid cell size, the table, the backdrop,
// the random bonus counts and the block items. The game turns it into blocks
// when a level starts; the level editor edits it and writes it back. One
// reader and one writer serve both.
//
// The bytes, all little-endian, with no magic number and no version:
//   float32 x3     cell size x, y, z
//   float32 x2     table width, depth
//   string         table material name
//   string         environment name
//   u8             center flag (non-zero: centre the blocks along x)
//   int32 N, then N x int32    random bonus counts for bonus ids 0 .. N-1
//   int32 M, then M items:
//     int32 x, y, z   cell of the item's lowest corner
//     int32 w, h, d   size in cells
//     string          block material name
//     float32         glue (break strength)
//     int32           bonus id, -1 for none
// A string is a 16-bit byte count and that many bytes, no terminator.
//
// Names are kept whole (up to the 65,535 bytes a stored text can hold) and
// never cut: a cut name could silently become another material's name.

// The folder of the level files; a level's file is this + its name.
extern const char* const gLevelDir;

// Number of bonus ids a level can name (0 .. 23). Must equal the bonus
// registry's count.
constexpr int LEVEL_BONUS_ID_COUNT = 24;

struct YLevelItem {
    int32_t x = 0, y = 0, z = 0;
    int32_t w = 1, h = 1, d = 1;
    std::string material;
    float glue = 35.0f;
    int32_t bonus = -1; // -1: no bonus placed in this item

    bool operator==(const YLevelItem& o) const
    {
        return x == o.x && y == o.y && z == o.z && w == o.w && h == o.h && d == o.d &&
               material == o.material && glue == o.glue && bonus == o.bonus;
    }
};

struct YLevelFile {
    YVec3 cellSize{1.0f, 1.0f, 1.0f};
    float tableWidth = 20.0f;
    float tableDepth = 20.0f;
    std::string tableMaterial;
    std::string environment;
    bool center = false;
    // For each bonus id, how many bonuses of that kind the level holds in all,
    // the ones placed in items included.
    std::array<int32_t, LEVEL_BONUS_ID_COUNT> bonusCounts{};
    std::vector<YLevelItem> items;

    // What a level may hold. The editor sets cells of 0.25 .. 10 and tables
    // of 10 .. 100; the bounds leave room around that and keep the physics
    // sane (a racket stands on an 8-unit table, a cell of 0.01 still has a
    // box inertia a float can hold).
    static constexpr float MIN_CELL_SIZE = 0.01f;
    static constexpr float MAX_CELL_SIZE = 100.0f;
    static constexpr float MIN_TABLE_SIZE = 8.0f;
    static constexpr float MAX_TABLE_SIZE = 100.0f;
    // Item sizes are 1 .. 9 cells per axis and no face has 10 cells or more
    // (the block faces keep at most 9 neighbours per side).
    static constexpr int MAX_ITEM_SIZE = 9;
    static constexpr int MAX_FACE_CELLS = 9;
    // Every cell of an item lies in [-COORD_LIMIT, COORD_LIMIT) on each axis,
    // and the box around all items holds at most MAX_GRID_CELLS cells, so
    // the block set's occupancy grid stays small.
    static constexpr int32_t COORD_LIMIT = 256;
    static constexpr int64_t MAX_GRID_CELLS = int64_t(1) << 22;
    // A random bonus count is 0 .. MAX_BONUS_COUNT, so the sum over all ids
    // cannot overflow.
    static constexpr int32_t MAX_BONUS_COUNT = 100000;

    bool operator==(const YLevelFile& o) const;
    bool operator!=(const YLevelFile& o) const { return !(*this == o); }
};

// Says whether a block material of that name exists (the block materials are
// loaded elsewhere). An empty filter takes every name.
using YMaterialFilter = std::function<bool(const std::string&)>;

// True when w x h x d is a size an item may have.
bool isValidItemSize(int32_t w, int32_t h, int32_t d);
// The box around all items in cells: lowest corner and end (exclusive)
// per axis. False, lo and hi untouched, without items.
bool levelItemBounds(const std::vector<YLevelItem>& items, int64_t lo[3], int64_t hi[3]);
// Cells of the box around all items (0 without items); a level may hold at
// most MAX_GRID_CELLS.
int64_t levelGridCells(const std::vector<YLevelItem>& items);

// Reads a level from the stream. On success fills the level and returns
// true. Returns false, logs why and leaves the level untouched when a read
// fails (the file is short), a count cannot fit in what is left, the cell
// size or the table size is out of range, or the items span too large a
// grid. Items that cannot be built (size, face, coordinates, non-finite glue,
// or a material the filter does not know) are skipped with a log line; a
// bonus id outside -1 .. 23 becomes -1 and a count outside 0 ..
// MAX_BONUS_COUNT is clamped, each with a log line. Counts for ids beyond
// LEVEL_BONUS_ID_COUNT are read and dropped; missing ones are 0. The name is
// only for the log.
bool readLevelFile(InStream& in, YLevelFile& level, const YMaterialFilter& knownMaterial = nullptr,
                   const std::string& name = std::string());
// Opens the path (resolved like every path) and reads it. A file that does
// not open is logged and gives false, the level untouched.
bool loadLevelFile(const std::string& path, YLevelFile& level,
                   const YMaterialFilter& knownMaterial = nullptr);

// Writes the level to the stream. A level that the reader would not take
// back unchanged (a value out of range, a name too long to store) is
// refused: nothing is written, the stream fails, the log says why and the
// result is false. Otherwise returns whether the stream is still good.
bool writeLevelFile(OutStream& out, const YLevelFile& level);
// Writes the level to the path through a temporary file renamed into place:
// on any failure the old file survives, the log says why and the result is
// false.
bool saveLevelFile(const std::string& path, const YLevelFile& level);
