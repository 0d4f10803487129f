#pragma once
// What the device needs from a GL context, checked from the version string
// and the extension list alone (no GL calls), so the rules can be tested
// without a context that lacks them.
#include <functional>
#include <string>

namespace gfx {

// Reads "major.minor" from the start of a GL_VERSION string such as
// "4.5 (Compatibility Profile) Mesa 22.3.6". False for anything else,
// OpenGL ES strings included.
bool parseGlVersion(const char* text, int& major, int& minor);

// Empty when a context of that version with those extensions can run the
// device; otherwise a one-line reason naming the missing piece.
std::string missingGlFeature(int major, int minor, const std::function<bool(const char*)>& hasExtension);

} // namespace gfx
