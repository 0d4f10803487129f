#pragma once
#include <string>

// Small text helpers. Text is single-byte (Latin-1): characters go through
// the C library's "C" locale as unsigned char.
std::string toLower(const std::string& text);
std::string toUpper(const std::string& text);
std::string intToString(int value);
// The text cut at its first '.' (a file's base name).
std::string cutAtDot(const std::string& text);
