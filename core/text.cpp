#include "core/text.h"

#include <cctype>
#include <cstdio>

std::string toLower(const std::string& text)
{
    std::string out = text;
    for (char& c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

std::string toUpper(const std::string& text)
{
    std::string out = text;
    for (char& c : out)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

std::string intToString(int value)
{
    char buffer[16];
    std::snprintf(buffer, sizeof(buffer), "%d", value);
    return buffer;
}

std::string cutAtDot(const std::string& text)
{
    size_t dot = text.find('.');
    return dot == std::string::npos ? text : text.substr(0, dot);
}
