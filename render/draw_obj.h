#pragma once

// A stateless drawer of queued items: one drawer serves every item of its
// kind, and the item is the opaque pointer given when it was queued.
class YDrawObj {
public:
    virtual ~YDrawObj() = default;
    virtual void draw(void* item) = 0;
};
