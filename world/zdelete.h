#pragma once
#include <vector>

// While the world is torn down (a level is cleared, the game quits) this flag
// is cleared, and destructors of balls, blocks and bonuses skip their
// effects, sounds, bonuses and scores. Set during normal play.
extern bool gWorldLive;

// Clears gWorldLive for its lifetime and restores the former value.
class YWorldTearDown {
public:
    YWorldTearDown() : mWasLive(gWorldLive) { gWorldLive = false; }
    ~YWorldTearDown() { gWorldLive = mWasLive; }
    YWorldTearDown(const YWorldTearDown&) = delete;
    YWorldTearDown& operator=(const YWorldTearDown&) = delete;

private:
    bool mWasLive;
};

// Base of world objects that are never deleted in the middle of a physics
// step or a collision callback: they schedule their deletion, and a sweep
// once a frame deletes them.
class YZDelete {
public:
    YZDelete() = default;
    // Leaves the deletion list if scheduled.
    virtual ~YZDelete();
    YZDelete(const YZDelete&) = delete;
    YZDelete& operator=(const YZDelete&) = delete;

    // Schedules the deletion after delay seconds. The first call stands:
    // later calls on a scheduled object are ignored.
    void deleteLater(float delay);
    bool isScheduled() const { return mScheduled; }
    float remainingTime() const { return mRemaining; }

    // Counts every scheduled object down by dt and deletes those whose time
    // has run out. Objects scheduled during the sweep (by a destructor) are
    // examined in the same sweep.
    static void tickAll(float dt);
    // Deletes every scheduled object now, including those scheduled by the
    // destructors it runs.
    static void deleteAllScheduled();

private:
    float mRemaining = 0.0f;
    bool mScheduled = false;
};

// The objects waiting for deletion, in scheduling order (a sweep moves the
// last entry into the place of a deleted one). An entry is null while its
// object was deleted directly during a sweep and the sweep has not yet
// dropped it.
struct YZDeleteList {
    std::vector<YZDelete*> entries;
    bool sweeping = false;
};
extern YZDeleteList gZDeleteList;
