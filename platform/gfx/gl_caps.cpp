#include "platform/gfx/gl_caps.h"

#include <cctype>

namespace gfx {

namespace {

bool readNumber(const char*& p, int& value)
{
    if (!std::isdigit(static_cast<unsigned char>(*p)))
        return false;
    value = 0;
    while (std::isdigit(static_cast<unsigned char>(*p))) {
        if (value > 1000)
            return false;
        value = value * 10 + (*p - '0');
        ++p;
    }
    return true;
}

bool atLeast(int major, int minor, int wantMajor, int wantMinor)
{
    return major > wantMajor || (major == wantMajor && minor >= wantMinor);
}

} // namespace

bool parseGlVersion(const char* text, int& major, int& minor)
{
    if (!text)
        return false;
    const char* p = text;
    int a = 0, b = 0;
    if (!readNumber(p, a) || *p != '.')
        return false;
    ++p;
    if (!readNumber(p, b))
        return false;
    major = a;
    minor = b;
    return true;
}

std::string missingGlFeature(int major, int minor, const std::function<bool(const char*)>& hasExtension)
{
    if (!atLeast(major, minor, 2, 1))
        return "OpenGL 2.1 or later is required, the context offers " + std::to_string(major) + "." +
               std::to_string(minor);
    if (!atLeast(major, minor, 3, 0) && !hasExtension("GL_ARB_framebuffer_object"))
        return "framebuffer objects are missing (OpenGL 3.0 or GL_ARB_framebuffer_object)";
    // Texture combiners (GL_COMBINE, DOT3) are core since 1.3, so 2.1 has them.
    if (!atLeast(major, minor, 3, 3) && !hasExtension("GL_ARB_sampler_objects"))
        return "sampler objects are missing (OpenGL 3.3 or GL_ARB_sampler_objects)";
    return std::string();
}

} // namespace gfx
