#pragma once
#include <string>

namespace wnd {

// UTF-8 text to the game's single-byte characters: code points up to 255
// stay, others (and broken sequences) become '?'.
std::string utf8ToLatin1(const char* text);
// The game's single-byte characters as UTF-8.
std::string latin1ToUtf8(const std::string& text);

} // namespace wnd
