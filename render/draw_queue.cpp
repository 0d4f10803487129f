#include "render/draw_queue.h"

#include "render/camera.h"

YDrawQueue::YDrawQueue(bool farFirst, uint32_t capacity) : mFarFirst(farFirst)
{
    reserve(capacity);
}

void YDrawQueue::reserve(uint32_t capacity)
{
    if (capacity < 2)
        capacity = 2;
    if (capacity <= mCount)
        capacity = mCount + 1;
    mCapacity = capacity;
    mRecords.resize(capacity + 1);
}

void YDrawQueue::add(void* item, const float pos[3], YDrawObj* drawer)
{
    YVec3 eye = gCamera().eye();
    float dx = pos[0] - eye.x, dy = pos[1] - eye.y, dz = pos[2] - eye.z;
    float d = dx * dx + dy * dy + dz * dz;
    if (mCount >= mCapacity - 1)
        reserve(mCapacity + mCapacity / 2);
    uint32_t i = ++mCount;
    mRecords[i] = Record{item, d, drawer};
    while (i > 1) {
        uint32_t parent = i / 2;
        if (!before(mRecords[i].distance, mRecords[parent].distance))
            break;
        std::swap(mRecords[i], mRecords[parent]);
        i = parent;
    }
}

YDrawQueue::Record YDrawQueue::pop()
{
    Record top = mRecords[1];
    mRecords[1] = mRecords[mCount];
    --mCount;
    uint32_t i = 1;
    for (;;) {
        uint32_t c = 2 * i;
        if (c > mCount)
            break;
        if (c + 1 <= mCount && before(mRecords[c + 1].distance, mRecords[c].distance))
            c = c + 1;
        if (!before(mRecords[c].distance, mRecords[i].distance))
            break;
        std::swap(mRecords[i], mRecords[c]);
        i = c;
    }
    return top;
}

void YDrawQueue::drawAll()
{
    while (mCount > 0) {
        // The root is copied out before its drawer runs: the drawer may
        // queue more records, which move the heap around.
        Record top = pop();
        if (!top.drawer)
            continue;
        if (!top.drawer->drawsRuns()) {
            top.drawer->draw(top.item);
            continue;
        }
        mRun.clear();
        mRun.push_back(top.item);
        while (mCount > 0 && mRecords[1].drawer == top.drawer)
            mRun.push_back(pop().item);
        top.drawer->drawRun(mRun.data(), mRun.size());
    }
}

YDrawQueue& gDrawQueue()
{
    static YDrawQueue queue(true);
    return queue;
}

YDrawQueue& gNearDrawQueue()
{
    static YDrawQueue queue(false);
    return queue;
}

void queueBackToFront(void* item, const float pos[3], YDrawObj* drawer) { gDrawQueue().add(item, pos, drawer); }
void queueFrontToBack(void* item, const float pos[3], YDrawObj* drawer) { gNearDrawQueue().add(item, pos, drawer); }
void drawBackToFront() { gDrawQueue().drawAll(); }
void drawFrontToBack() { gNearDrawQueue().drawAll(); }
