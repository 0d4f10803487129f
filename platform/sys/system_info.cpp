#include "platform/sys/system_info.h"

#include <AL/alc.h>
#include <EGL/egl.h>
#include <dlfcn.h>
#include <sys/utsname.h>

namespace sys {

std::string operatingSystem()
{
    struct utsname u;
    if (::uname(&u) != 0)
        return "unknown";
    return std::string(u.sysname) + " " + u.release + " " + u.version + " " + u.machine;
}

std::string graphicsInterface()
{
    // Loaded only for this question: the game's window finds its GL library
    // through SDL, and a machine without EGL still starts.
    void* egl = ::dlopen("libEGL.so.1", RTLD_LAZY | RTLD_LOCAL);
    if (!egl)
        return "none found";
    using QueryString = const char* (*)(EGLDisplay, EGLint);
    auto query = reinterpret_cast<QueryString>(::dlsym(egl, "eglQueryString"));
    // Without a display EGL names the version of its client library (EGL
    // 1.5 and later); older libraries answer nothing.
    const char* version = query ? query(EGL_NO_DISPLAY, EGL_VERSION) : nullptr;
    std::string text = "OpenGL through EGL ";
    text += version ? version : "of unknown version";
    ::dlclose(egl);
    return text;
}

std::string soundInterface()
{
    ALCint major = 0, minor = 0;
    alcGetIntegerv(nullptr, ALC_MAJOR_VERSION, 1, &major);
    alcGetIntegerv(nullptr, ALC_MINOR_VERSION, 1, &minor);
    std::string text = "OpenAL " + std::to_string(major) + "." + std::to_string(minor);
    const ALCchar* device = alcGetString(nullptr, ALC_DEFAULT_DEVICE_SPECIFIER);
    if (device && *device)
        text += std::string(", default output ") + device;
    else
        text += ", no output device found";
    return text;
}

} // namespace sys
