#pragma once
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>

namespace sys {

// A 32-bit millisecond clock; differences between readings wrap, so always
// subtract readings as uint32_t.
uint32_t timeGetTime();
// Sleeps the calling thread for the given milliseconds.
void sleepMs(uint32_t milliseconds);

// Tests replace the clock and the sleep to run frames deterministically.
// Passing an empty function restores the real one.
void setClock(std::function<uint32_t()> clock);
void setSleep(std::function<void(uint32_t)> sleep);

// A manual clock for tests: sleeping advances it. Other threads (the music
// player's) may read it while the test advances it.
class ManualClock {
public:
    explicit ManualClock(uint32_t start = 0);
    ~ManualClock();
    ManualClock(const ManualClock&) = delete;
    ManualClock& operator=(const ManualClock&) = delete;
    void advance(uint32_t milliseconds) { *mNow += milliseconds; }
    uint32_t now() const { return *mNow; }

private:
    // Shared with the installed hooks, so that a thread that took the hook
    // just before the clock went away still reads valid memory.
    std::shared_ptr<std::atomic<uint32_t>> mNow;
};

} // namespace sys
