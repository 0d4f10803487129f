#pragma once
#include <functional>
#include <thread>

namespace sys {

// Starts body on a thread of its own. Throws std::system_error, as
// std::thread does, when the system refuses the thread (a process or
// container thread limit, no memory for its stack). The name says which
// thread it is to the refusal hook below.
std::thread startThread(const char* name, std::function<void()> body);

// Tests refuse thread starts through this: while the hook returns true for
// a name, startThread throws as a refusing system would ("Resource
// temporarily unavailable"). An empty function lets every thread start.
void setThreadRefusal(std::function<bool(const char* name)> refuse);

} // namespace sys
