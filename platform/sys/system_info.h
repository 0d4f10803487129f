#pragma once
#include <string>

namespace sys {

// The operating system as uname reports it: "Linux 6.1.0-13-amd64 #1 SMP ... x86_64".
std::string operatingSystem();

} // namespace sys
