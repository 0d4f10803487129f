#pragma once
#include <cstdint>
#include <vector>

#include "render/draw_obj.h"

// A queue of things to draw ordered by their squared distance from the eye:
// the far-first queue draws blended things over what lies behind them, the
// near-first queue lets the depth test reject hidden opaque pixels early.
class YDrawQueue {
public:
    explicit YDrawQueue(bool farFirst, uint32_t capacity = 100);

    void add(void* item, const float pos[3], YDrawObj* drawer);
    // Empties the queue in order, calling each drawer with its item; a
    // drawer may queue more, which are drawn in the same loop. Records in a
    // row of a drawer that draws runs go to it together.
    void drawAll();
    void reserve(uint32_t capacity);

    uint32_t count() const { return mCount; }
    uint32_t capacity() const { return mCapacity; }

private:
    struct Record {
        void* item;
        float distance;
        YDrawObj* drawer;
    };
    bool before(float a, float b) const { return mFarFirst ? a > b : a < b; }
    // Takes the first record off the heap.
    Record pop();

    bool mFarFirst;
    uint32_t mCount = 0;
    uint32_t mCapacity = 0;
    std::vector<Record> mRecords; // heap in 1..count; index 0 unused
    std::vector<void*> mRun;      // items of one drawer drawn together
};

// The far-first queue (blended things) and the near-first queue (opaque
// block faces).
YDrawQueue& gDrawQueue();
YDrawQueue& gNearDrawQueue();

void queueBackToFront(void* item, const float pos[3], YDrawObj* drawer);
void queueFrontToBack(void* item, const float pos[3], YDrawObj* drawer);
void drawBackToFront();
void drawFrontToBack();
