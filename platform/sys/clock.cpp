#include "platform/sys/clock.h"

#include <chrono>
#include <mutex>
#include <thread>

namespace sys {

namespace {

struct ClockHooks {
    std::mutex lock;
    std::function<uint32_t()> clock;
    std::function<void(uint32_t)> sleep;
};

ClockHooks& hooks()
{
    static ClockHooks h;
    return h;
}

uint32_t realTime()
{
    using namespace std::chrono;
    static const steady_clock::time_point start = steady_clock::now();
    auto ms = duration_cast<milliseconds>(steady_clock::now() - start).count();
    return static_cast<uint32_t>(ms);
}

} // namespace

uint32_t timeGetTime()
{
    std::function<uint32_t()> clock;
    {
        std::lock_guard<std::mutex> guard(hooks().lock);
        clock = hooks().clock;
    }
    return clock ? clock() : realTime();
}

void sleepMs(uint32_t milliseconds)
{
    std::function<void(uint32_t)> sleep;
    {
        std::lock_guard<std::mutex> guard(hooks().lock);
        sleep = hooks().sleep;
    }
    if (sleep)
        sleep(milliseconds);
    else
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

void setClock(std::function<uint32_t()> clock)
{
    std::lock_guard<std::mutex> guard(hooks().lock);
    hooks().clock = std::move(clock);
}

void setSleep(std::function<void(uint32_t)> sleep)
{
    std::lock_guard<std::mutex> guard(hooks().lock);
    hooks().sleep = std::move(sleep);
}

ManualClock::ManualClock(uint32_t start) : mNow(std::make_shared<std::atomic<uint32_t>>(start))
{
    std::shared_ptr<std::atomic<uint32_t>> now = mNow;
    setClock([now] { return now->load(); });
    setSleep([now](uint32_t ms) { *now += ms; });
}

ManualClock::~ManualClock()
{
    setClock(nullptr);
    setSleep(nullptr);
}

} // namespace sys
