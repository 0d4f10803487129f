#pragma once
// Reading and writing the flat little-endian sections of the mesh caches
// (the mesh cache and the skinned mesh cache after it).
#include "core/streams.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

// A counted array of plain records: a u32 count, then the records as they
// lie in memory, written in slices so no single write exceeds an int.
template <typename T>
void writeCacheArray(OutStream& out, const std::vector<T>& items)
{
    out.writeValue(static_cast<uint32_t>(items.size()));
    const char* p = reinterpret_cast<const char*>(items.data());
    size_t left = items.size() * sizeof(T);
    while (left > 0) {
        size_t chunk = std::min<size_t>(left, size_t(1) << 30);
        out.write(p, static_cast<int>(chunk));
        p += chunk;
        left -= chunk;
    }
}

// Reads a cache section by section. The first failure is kept as the
// reason ("<why> in the <section> section"); every read returns false once
// something is wrong, so a reader can chain its reads and log the reason
// at the end. The file carries no check of its own, so every count is held
// against the bytes left before anything is allocated.
class YCacheReader {
public:
    YCacheReader(InStream& in, const char* firstSection) : mIn(in), mSection(firstSection) {}

    // Names the section the following reads belong to.
    void section(const char* name) { mSection = name; }

    // Keeps why (the first reason only) and returns false.
    bool fail(const std::string& why)
    {
        if (mReason.empty())
            mReason = why + " in the " + mSection + " section";
        return false;
    }

    template <typename T>
    bool value(T& v)
    {
        return mIn.readValue(v) || fail("cut short");
    }

    // A record count, no larger than the bytes left allow for records of at
    // least minRecordSize bytes each.
    bool count(uint32_t& n, int64_t minRecordSize)
    {
        if (!value(n))
            return false;
        return mIn.fits(n, minRecordSize) || fail("a count of " + std::to_string(n) + " larger than the file");
    }

    // A counted array of plain records, read in slices so a stream that
    // cannot tell its size never makes us allocate for records it lacks.
    template <typename T>
    bool array(std::vector<T>& items)
    {
        uint32_t n = 0;
        if (!count(n, sizeof(T)))
            return false;
        items.clear();
        size_t done = 0;
        while (done < n) {
            size_t slice = std::min<size_t>(n - done, 4096);
            items.resize(done + slice);
            int bytes = static_cast<int>(slice * sizeof(T));
            if (mIn.read(&items[done], bytes) != bytes || !mIn.good())
                return fail("cut short");
            done += slice;
        }
        return true;
    }

    // An index read from the file that must name one of bound things.
    bool below(uint32_t index, size_t bound)
    {
        return index < bound || fail("index " + std::to_string(index) + " out of range");
    }

    InStream& in() { return mIn; }
    const std::string& reason() const { return mReason; }

private:
    InStream& mIn;
    const char* mSection;
    std::string mReason;
};
