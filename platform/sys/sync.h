#pragma once
#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace sys {

// A re-entrant lock: the thread holding it may enter it again.
class CriticalSection {
public:
    void enter() { mMutex.lock(); }
    void leave() { mMutex.unlock(); }
    std::recursive_mutex& native() { return mMutex; }

private:
    std::recursive_mutex mMutex;
};

// Holds a critical section for the lifetime of a scope.
class Lock {
public:
    explicit Lock(CriticalSection& section) : mSection(section) { mSection.enter(); }
    ~Lock() { mSection.leave(); }
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;

private:
    CriticalSection& mSection;
};

// An auto-reset event: set() releases one waiter (or the next wait if nobody
// waits yet) and the event clears itself again.
class AutoResetEvent {
public:
    static constexpr uint32_t INFINITE_WAIT = 0xFFFFFFFFu;

    void set();
    // True when the event was signalled, false on timeout.
    bool wait(uint32_t timeoutMs = INFINITE_WAIT);

private:
    std::mutex mMutex;
    std::condition_variable mCond;
    bool mSignalled = false;
};

} // namespace sys
