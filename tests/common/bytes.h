#pragma once
// Files built byte by byte, little-endian (image fixtures, fuzz seeds).
#include <cstdint>
#include <initializer_list>
#include <string>

namespace testutil {

struct Bytes {
    std::string s;
    Bytes& u8(unsigned v)
    {
        s += static_cast<char>(v & 0xFF);
        return *this;
    }
    Bytes& u16(unsigned v) { return u8(v).u8(v >> 8); }
    Bytes& u32(uint32_t v) { return u16(v & 0xFFFF).u16(v >> 16); }
    Bytes& raw(const std::string& t)
    {
        s += t;
        return *this;
    }
    Bytes& raw(std::initializer_list<unsigned> list)
    {
        for (unsigned v : list)
            u8(v);
        return *this;
    }
};

} // namespace testutil
