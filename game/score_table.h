#pragma once
#include <cstdint>
#include <string>
#include <vector>

class InStream;

// The best scores with the players' names, best first, kept in "scores.dat".
//
// Score file, little-endian: the four bytes "BBSC" and the version (u32 1)
// in plain, then a body enciphered as one stream with the key KEY: the entry
// count (u32), then per entry its name (u16 length, then the bytes) and its
// score (u32).
class YScoreTable {
public:
    struct Entry {
        std::string name;
        uint32_t score = 0;
    };

    static constexpr const char* FILE_NAME = "scores.dat";
    static constexpr const char* MAGIC = "BBSC";
    static constexpr uint32_t VERSION = 1;
    static constexpr const char* KEY = "KELDROVAN";
    static constexpr int32_t MAX_COUNT = 7;
    // Longer names are cut: the reader keeps at most this many bytes.
    static constexpr size_t MAX_NAME = 255;

    // Remembers the file and reads it. A missing file, or one with another
    // magic or version, leaves the entries as they were. A file cut short
    // keeps the entries read whole before the cut; more than MAX_COUNT
    // entries are cut to MAX_COUNT.
    void load(const std::string& fileName);
    // Reads the table from a stream positioned at the magic; false when it
    // holds another magic or version (the entries are then left alone).
    bool read(InStream& in);
    // Writes the file given to load through a temporary file: on failure
    // the old file survives, the log says why and the result is false.
    // Nothing is written (false) before a file was given.
    bool save() const;

    // Enters an unnamed score: a score equal to existing ones goes below
    // them. True when it entered (pendingRow() is its row); false when the
    // table is full of scores at least as high (pendingRow() is -1).
    bool insert(uint32_t score);
    // Names the row entered last, then saves. Does nothing (and saves
    // nothing) when no row waits for a name.
    void setPendingName(const std::string& name);

    int32_t pendingRow() const { return mPendingRow; }
    int32_t count() const { return static_cast<int32_t>(mEntries.size()); }
    const Entry& entry(int32_t row) const { return mEntries[static_cast<size_t>(row)]; }
    const std::string& fileName() const { return mFileName; }
    // Empties the table and forgets its file (tests, a fresh game folder).
    void clear();

private:
    std::string mFileName;
    std::vector<Entry> mEntries;
    int32_t mPendingRow = -1;
};

// The one high-score table of the program.
extern YScoreTable gScoreTable;
