#pragma once
// Internal to platform/img: the per-format decoders behind decodeImage and
// the little-endian helpers they share. Every decoder reads from a byte
// range it must never leave, fills `out` only on success and otherwise
// leaves a one-line reason in `error`.
#include "platform/img/image.h"
#include "platform/sys/byte_order.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace img {
namespace detail {

// Largest width or height accepted from any file.
constexpr int MAX_SIDE = 16384;
// At most 64 million texels (256 MiB decoded): a few bytes of RLE or
// compressed data must not make the game allocate gigabytes.
constexpr long long MAX_TEXELS = 64LL * 1024 * 1024;

bool decodeBmp(const uint8_t* data, size_t size, Image& out, std::string& error);
bool decodeTga(const uint8_t* data, size_t size, Image& out, std::string& error);
bool decodePpm(const uint8_t* data, size_t size, Image& out, std::string& error);
bool decodePng(const uint8_t* data, size_t size, Image& out, std::string& error);
bool decodeJpeg(const uint8_t* data, size_t size, Image& out, std::string& error);

// TGA files carry no magic: true when the first 18 bytes make a header this
// reader understands, which is how decodeImage tells TGA from garbage.
bool looksLikeTga(const uint8_t* data, size_t size);

// Checks decoded dimensions before anything is allocated for them.
inline bool checkSize(long long width, long long height, const char* format, std::string& error)
{
    if (width <= 0 || height <= 0) {
        error = std::string(format) + ": empty image (" + std::to_string(width) + " x " + std::to_string(height) + ")";
        return false;
    }
    if (width > MAX_SIDE || height > MAX_SIDE) {
        error = std::string(format) + ": image too large (" + std::to_string(width) + " x " + std::to_string(height) +
                ", at most " + std::to_string(MAX_SIDE) + " per side)";
        return false;
    }
    if (width * height > MAX_TEXELS) {
        error = std::string(format) + ": image too large (" + std::to_string(width) + " x " + std::to_string(height) +
                ", at most " + std::to_string(MAX_TEXELS) + " texels)";
        return false;
    }
    return true;
}

using sys::le16;
using sys::le32;

} // namespace detail
} // namespace img
