#include "platform/sys/sync.h"

#include <chrono>

namespace sys {

void AutoResetEvent::set()
{
    {
        std::lock_guard<std::mutex> guard(mMutex);
        mSignalled = true;
    }
    mCond.notify_one();
}

bool AutoResetEvent::wait(uint32_t timeoutMs)
{
    std::unique_lock<std::mutex> guard(mMutex);
    if (timeoutMs == INFINITE_WAIT) {
        mCond.wait(guard, [this] { return mSignalled; });
    } else if (!mCond.wait_for(guard, std::chrono::milliseconds(timeoutMs), [this] { return mSignalled; })) {
        return false;
    }
    mSignalled = false;
    return true;
}

} // namespace sys
