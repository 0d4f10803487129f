#pragma once
#include <cstddef>

// A stateless drawer of queued items: one drawer serves every item of its
// kind, and the item is the opaque pointer given when it was queued.
class YDrawObj {
public:
    virtual ~YDrawObj() = default;
    virtual void draw(void* item) = 0;
    // A drawer that can draw a run of its items in one go (items that come
    // one after another in a draw queue) says so and draws them, in order,
    // in drawRun; it must queue nothing while it does.
    virtual bool drawsRuns() const { return false; }
    virtual void drawRun(void* const* items, size_t count)
    {
        for (size_t i = 0; i < count; ++i)
            draw(items[i]);
    }
};
