#pragma once
#include <string>

namespace wnd {

// UTF-8 text to the game's single-byte characters: code points up to 255
// stay, others (and broken sequences) become '?'.
std::string utf8ToLatin1(const char* text);

} // namespace wnd
