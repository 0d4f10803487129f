#pragma once
#include <string>

namespace sys {

// The operating system as uname reports it: "Linux 6.1.0-13-amd64 #1 SMP ... x86_64".
std::string operatingSystem();

// The graphics interface the machine offers, read from its EGL client
// library without a display, a driver or a window, so it costs about a
// millisecond and never waits on a display server: "OpenGL through EGL
// 1.5 libglvnd", or "none found" without an EGL library.
std::string graphicsInterface();

// The sound interface: the OpenAL version and the default output device it
// finds, without opening it: "OpenAL 1.1, default output OpenAL Soft".
std::string soundInterface();

} // namespace sys
