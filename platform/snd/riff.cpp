#include "platform/snd/riff.h"

#include "platform/sys/byte_order.h"
#include "platform/sys/files.h"

#include <algorithm>
#include <cstring>

namespace snd {

namespace {

uint32_t readLE32(const std::string& data, size_t at)
{
    return sys::le32(reinterpret_cast<const uint8_t*>(data.data() + at));
}

} // namespace

bool RiffReader::open(const std::string& path)
{
    mPos = 0;
    mData.clear();
    return sys::readFile(path, mData);
}

void RiffReader::openData(std::string data)
{
    mData = std::move(data);
    mPos = 0;
}

bool RiffReader::descend(RiffChunk& chunk, const RiffChunk* parent, uint32_t id, uint32_t formType)
{
    size_t end = parent ? parent->dataOffset + parent->size : mData.size();
    end = std::min(end, mData.size());
    size_t pos = mPos;
    if (parent && pos < parent->dataOffset)
        pos = parent->dataOffset;
    while (pos + 8 <= end) {
        RiffChunk c;
        c.id = readLE32(mData, pos);
        c.declaredSize = readLE32(mData, pos + 4);
        c.dataOffset = pos + 8;
        c.size = std::min<size_t>(c.declaredSize, end - c.dataOffset);
        bool isList = c.id == fourCC("RIFF") || c.id == fourCC("LIST");
        if (isList && c.size >= 4)
            c.formType = readLE32(mData, c.dataOffset);
        if (c.id == id && (!isList || formType == 0 || c.formType == formType)) {
            mPos = c.dataOffset + (isList ? 4 : 0);
            if (isList) {
                // The form type is not part of the children.
                c.dataOffset += std::min<size_t>(4, c.size);
                c.size -= std::min<size_t>(4, c.size);
            }
            chunk = c;
            return true;
        }
        // Skip this chunk and its pad byte.
        size_t next = c.dataOffset + c.size + (c.size & 1);
        if (next <= pos)
            break;
        pos = next;
    }
    return false;
}

size_t RiffReader::read(const RiffChunk& chunk, void* out, size_t bytes)
{
    size_t end = std::min(chunk.dataOffset + chunk.size, mData.size());
    if (mPos < chunk.dataOffset || mPos >= end)
        return 0;
    size_t n = std::min(bytes, end - mPos);
    if (n == 0)
        return 0; // out may be the null data of an empty buffer
    std::memcpy(out, mData.data() + mPos, n);
    mPos += n;
    return n;
}

void RiffReader::ascend(const RiffChunk& chunk)
{
    size_t next = chunk.dataOffset + chunk.size + (chunk.size & 1);
    mPos = std::min(next, mData.size());
}

} // namespace snd
