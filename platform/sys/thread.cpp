#include "platform/sys/thread.h"

#include <cerrno>
#include <mutex>
#include <system_error>

namespace sys {

namespace {

struct Refusal {
    std::mutex lock;
    std::function<bool(const char*)> refuse;
};

Refusal& refusal()
{
    static Refusal r;
    return r;
}

} // namespace

std::thread startThread(const char* name, std::function<void()> body)
{
    std::function<bool(const char*)> refuse;
    {
        std::lock_guard<std::mutex> guard(refusal().lock);
        refuse = refusal().refuse;
    }
    if (refuse && refuse(name))
        throw std::system_error(EAGAIN, std::generic_category());
    return std::thread(std::move(body));
}

void setThreadRefusal(std::function<bool(const char* name)> refuse)
{
    std::lock_guard<std::mutex> guard(refusal().lock);
    refusal().refuse = std::move(refuse);
}

} // namespace sys
