#include "game/score_table.h"

#include "core/crypt_stream.h"
#include "core/log.h"
#include "core/streams.h"

#include <algorithm>
#include <cstring>

YScoreTable gScoreTable;

void YScoreTable::load(const std::string& fileName)
{
    mFileName = fileName;
    InFStream in(fileName);
    if (!in.isOpen())
        return; // no scores yet
    read(in);
}

bool YScoreTable::read(InStream& in)
{
    char magic[4] = {};
    uint32_t version = 0;
    if (in.read(magic, 4) != 4 || !in.readValue(version) || std::memcmp(magic, MAGIC, 4) != 0 ||
        version != VERSION)
        return false;

    InCryptStream body(in, KEY);
    mEntries.clear();
    mPendingRow = -1;
    uint32_t count = 0;
    if (!body.readValue(count))
        return true;
    count = std::min(count, static_cast<uint32_t>(MAX_COUNT));
    for (uint32_t i = 0; i < count; ++i) {
        char name[MAX_NAME + 1];
        Entry entry;
        body.readString(name, static_cast<int>(sizeof(name)));
        // An entry cut off by the end of the file is dropped, and so is all
        // that would follow it.
        if (!body.good() || !body.readValue(entry.score))
            break;
        entry.name = name;
        mEntries.push_back(std::move(entry));
    }
    return true;
}

bool YScoreTable::save() const
{
    if (mFileName.empty())
        return false;
    OutFStream out(mFileName);
    out.write(MAGIC, 4);
    out.writeValue(VERSION);
    OutCryptStream body(out, KEY);
    body.writeValue(static_cast<uint32_t>(mEntries.size()));
    for (const Entry& e : mEntries) {
        body.writeString(e.name.substr(0, MAX_NAME));
        body.writeValue(e.score);
    }
    if (out.close())
        return true;
    YLog::writef("The high scores could not be saved to %s", mFileName.c_str());
    return false;
}

bool YScoreTable::insert(uint32_t score)
{
    size_t row = 0;
    while (row < mEntries.size() && score <= mEntries[row].score)
        ++row;
    if (row >= static_cast<size_t>(MAX_COUNT)) {
        mPendingRow = -1;
        return false;
    }
    mEntries.insert(mEntries.begin() + static_cast<std::ptrdiff_t>(row), Entry{std::string(), score});
    if (mEntries.size() > static_cast<size_t>(MAX_COUNT))
        mEntries.pop_back();
    mPendingRow = static_cast<int32_t>(row);
    return true;
}

void YScoreTable::setPendingName(const std::string& name)
{
    if (mPendingRow < 0)
        return;
    if (mPendingRow < count())
        mEntries[static_cast<size_t>(mPendingRow)].name = name.substr(0, MAX_NAME);
    mPendingRow = -1;
    save();
}

void YScoreTable::clear()
{
    mFileName.clear();
    mEntries.clear();
    mPendingRow = -1;
}
