#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

namespace snd {

// One chunk of a RIFF file: its id, its form type (for "RIFF" and "LIST"),
// where its data starts and how many of its bytes the file really holds.
struct RiffChunk {
    uint32_t id = 0;
    uint32_t formType = 0;
    size_t dataOffset = 0;
    uint32_t declaredSize = 0; // as written in the chunk header
    size_t size = 0;           // declared size cut to the bytes present
};

// Four characters as a chunk id ("fmt ", "data", "WAVE").
constexpr uint32_t fourCC(const char (&s)[5])
{
    return static_cast<uint32_t>(static_cast<unsigned char>(s[0])) |
           static_cast<uint32_t>(static_cast<unsigned char>(s[1])) << 8 |
           static_cast<uint32_t>(static_cast<unsigned char>(s[2])) << 16 |
           static_cast<uint32_t>(static_cast<unsigned char>(s[3])) << 24;
}

// Reads RIFF files like a classic multimedia file reader: open,
// descend into a chunk (searching from the current position inside the
// parent), read from it, ascend past it. The file is read whole into memory
// (through path resolution). A chunk size that claims more than the file
// or its parent holds is cut to the bytes present, so no read goes past
// the data.
class RiffReader {
public:
    // False when the file cannot be read.
    bool open(const std::string& path);
    // For tests and in-memory data.
    void openData(std::string data);

    // Finds the next chunk with the id (and, for "RIFF"/"LIST", the form
    // type; 0 accepts any) inside the parent (null: the whole file),
    // starting at the current position; the position moves to its data.
    bool descend(RiffChunk& chunk, const RiffChunk* parent, uint32_t id, uint32_t formType = 0);
    // Reads up to bytes from the current position, not past the end of the
    // chunk; returns the bytes read.
    size_t read(const RiffChunk& chunk, void* out, size_t bytes);
    // Moves past the chunk (and its pad byte).
    void ascend(const RiffChunk& chunk);

    size_t fileSize() const { return mData.size(); }

private:
    std::string mData;
    size_t mPos = 0;
};

} // namespace snd
