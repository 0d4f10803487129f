#include "world/zdelete.h"

#include <algorithm>

bool gWorldLive = true;
YZDeleteList gZDeleteList;

namespace {

// Drops the entries of objects deleted directly during a sweep.
void dropNullEntries()
{
    auto& list = gZDeleteList.entries;
    list.erase(std::remove(list.begin(), list.end(), nullptr), list.end());
}

} // namespace

YZDelete::~YZDelete()
{
    if (!mScheduled)
        return;
    auto& list = gZDeleteList.entries;
    auto it = std::find(list.begin(), list.end(), this);
    if (it == list.end())
        return; // the sweep has already taken this entry out
    if (gZDeleteList.sweeping) {
        // The sweep walks the list by index; it drops the hole itself.
        *it = nullptr;
        return;
    }
    *it = list.back();
    list.pop_back();
}

void YZDelete::deleteLater(float delay)
{
    if (mScheduled)
        return;
    mScheduled = true;
    mRemaining = delay;
    gZDeleteList.entries.push_back(this);
}

void YZDelete::tickAll(float dt)
{
    auto& list = gZDeleteList.entries;
    bool outer = !gZDeleteList.sweeping;
    gZDeleteList.sweeping = true;
    size_t i = 0;
    while (i < list.size()) {
        YZDelete* obj = list[i];
        if (obj) {
            obj->mRemaining -= dt;
            if (obj->mRemaining > 0.0f) {
                ++i;
                continue;
            }
            // The entry is emptied first so that the destructor does not
            // look for it; the destructor may append to the list.
            list[i] = nullptr;
            delete obj;
        }
        // The last entry moves into the hole and is examined next.
        list[i] = list.back();
        list.pop_back();
    }
    if (outer) {
        gZDeleteList.sweeping = false;
        dropNullEntries();
    }
}

void YZDelete::deleteAllScheduled()
{
    auto& list = gZDeleteList.entries;
    bool outer = !gZDeleteList.sweeping;
    gZDeleteList.sweeping = true;
    while (!list.empty()) {
        YZDelete* obj = list.back();
        list.pop_back();
        delete obj; // null entries delete nothing
    }
    if (outer)
        gZDeleteList.sweeping = false;
}
