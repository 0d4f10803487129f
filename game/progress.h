#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct YMatrix;

// The player's progress, "ol.dat": the highest level number reached. The
// file is 132 bytes, little-endian:
//   0   64 bytes  the camera's camera-to-world matrix (16 floats, row-major)
//   64  int32     the highest level reached
//   68  64 bytes  the camera's view matrix
// Only the level is read back; the matrices are written for completeness.
struct YProgressFile {
    static constexpr const char* NAME = "ol.dat";
    static constexpr int LEVEL_OFFSET = 64;
    static constexpr int SIZE = 132;
};

// The highest level reached. A missing file, one too short to hold the
// level (a short one is logged) or a negative value give 0.
int32_t readProgress(const std::string& fileName = YProgressFile::NAME);

// Writes the progress through a temporary file renamed into place: on
// failure the old file survives, the log says why and the result is false.
bool writeProgress(int32_t highestLevel, const YMatrix& cameraToWorld, const YMatrix& view,
                   const std::string& fileName = YProgressFile::NAME);
// The same with the matrices of the game's camera.
bool writeProgress(int32_t highestLevel, const std::string& fileName = YProgressFile::NAME);

// The level list: the names of the plain files under "levels\", sorted by
// bytes; a level's number is its index. Temporary files left by a write
// that never finished (".tmp") are not levels.
std::vector<std::string> listLevelNames();
