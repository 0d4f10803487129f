// BMP/DIB reading (BITMAPINFOHEADER and its longer versions; 1, 4, 8, 16,
// 24 and 32 bits; uncompressed, bit fields, RLE8 and RLE4) and 24-bit BMP
// writing.
#include "platform/img/codecs.h"
#include "platform/sys/files.h"

#include <cstring>
#include <utility>

namespace img {

namespace detail {

namespace {

enum : uint32_t { BI_RGB = 0, BI_RLE8 = 1, BI_RLE4 = 2, BI_BITFIELDS = 3, BI_ALPHABITFIELDS = 6 };

// One colour channel of a 16- or 32-bit pixel described by a bit mask.
struct Channel {
    uint32_t mask = 0;
    int shift = 0;
    uint64_t maximum = 0; // largest value of (pixel & mask) >> shift; 0 = absent

    explicit Channel(uint32_t m) : mask(m)
    {
        if (!m)
            return;
        while (!((m >> shift) & 1u))
            ++shift;
        int bits = 0;
        while (bits + shift < 32 && (m >> (shift + bits)))
            ++bits;
        maximum = (bits >= 32) ? 0xFFFFFFFFull : ((1ull << bits) - 1);
    }

    // Scales the channel to 0..255, rounding to nearest.
    uint8_t get(uint32_t pixel, uint8_t absent) const
    {
        if (!maximum)
            return absent;
        uint64_t value = (pixel & mask) >> shift;
        return static_cast<uint8_t>((value * 255 + maximum / 2) / maximum);
    }
};

struct Palette {
    uint8_t colour[256][4] = {};
    uint32_t count = 0;
};

struct RleTarget {
    Image& image;
    const Palette& palette;
    bool topDown;
    long x = 0;
    long y = 0; // in file order: 0 is the first row stored
    std::string& why;

    bool put(uint32_t index)
    {
        if (y >= image.height) {
            why = "RLE data runs past the last row";
            return false;
        }
        if (x >= image.width) {
            why = "RLE run past the end of a row";
            return false;
        }
        if (index >= palette.count) {
            why = "palette index " + std::to_string(index) + " out of range (" + std::to_string(palette.count) +
                  " colours)";
            return false;
        }
        int row = topDown ? static_cast<int>(y) : image.height - 1 - static_cast<int>(y);
        std::memcpy(image.texel(static_cast<int>(x), row), palette.colour[index], 4);
        ++x;
        return true;
    }
};

// RLE8 / RLE4: (count, value) runs and escapes: 0 0 end of line, 0 1 end of
// bitmap, 0 2 dx dy move, 0 n n literal pixels padded to an even byte count.
// Texels the stream skips stay transparent black.
bool decodeRle(const uint8_t* p, size_t n, bool four, RleTarget& t)
{
    size_t i = 0;
    for (;;) {
        if (n - i < 2) {
            if (t.y >= t.image.height)
                return true; // every row done; only the end marker is missing
            t.why = "RLE data ends early";
            return false;
        }
        uint8_t count = p[i], value = p[i + 1];
        i += 2;
        if (count > 0) {
            for (int k = 0; k < count; ++k) {
                uint32_t index = four ? ((k & 1) ? (value & 15u) : (value >> 4u)) : value;
                if (!t.put(index))
                    return false;
            }
        } else if (value == 0) {
            t.x = 0;
            ++t.y;
        } else if (value == 1) {
            return true;
        } else if (value == 2) {
            if (n - i < 2) {
                t.why = "RLE data ends early";
                return false;
            }
            t.x += p[i];
            t.y += p[i + 1];
            i += 2;
            if (t.x > t.image.width || t.y > t.image.height) {
                t.why = "RLE move leaves the image";
                return false;
            }
        } else {
            size_t bytes = four ? (value + 1u) / 2u : value;
            size_t padded = (bytes + 1u) & ~static_cast<size_t>(1);
            if (n - i < padded) {
                t.why = "RLE data ends early";
                return false;
            }
            for (int k = 0; k < value; ++k) {
                uint32_t index = four ? ((k & 1) ? (p[i + k / 2] & 15u) : (p[i + k / 2] >> 4u)) : p[i + k];
                if (!t.put(index))
                    return false;
            }
            i += padded;
        }
    }
}

} // namespace

bool decodeBmp(const uint8_t* data, size_t size, Image& out, std::string& error)
{
    auto fail = [&](const std::string& why) {
        error = "BMP: " + why;
        return false;
    };
    if (size < 18)
        return fail("file too short");
    uint32_t offBits = le32(data + 10);
    uint32_t headerSize = le32(data + 14);
    if (headerSize != 40 && headerSize != 52 && headerSize != 56 && headerSize != 108 && headerSize != 124)
        return fail("unsupported header size " + std::to_string(headerSize));
    if (size < 14 + headerSize)
        return fail("truncated header");
    const uint8_t* h = data + 14;
    int32_t width = static_cast<int32_t>(le32(h + 4));
    int32_t rawHeight = static_cast<int32_t>(le32(h + 8));
    unsigned bitCount = le16(h + 14);
    uint32_t compression = le32(h + 16);
    uint32_t clrUsed = le32(h + 32);

    bool topDown = rawHeight < 0;
    long long height = topDown ? -static_cast<long long>(rawHeight) : rawHeight;
    if (!checkSize(width, height, "BMP", error))
        return false;

    bool valid = false;
    switch (compression) {
    case BI_RGB:
        valid = bitCount == 1 || bitCount == 4 || bitCount == 8 || bitCount == 16 || bitCount == 24 || bitCount == 32;
        break;
    case BI_RLE8: valid = bitCount == 8; break;
    case BI_RLE4: valid = bitCount == 4; break;
    case BI_BITFIELDS:
    case BI_ALPHABITFIELDS: valid = bitCount == 16 || bitCount == 32; break;
    default: return fail("unsupported compression " + std::to_string(compression));
    }
    if (!valid)
        return fail(std::to_string(bitCount) + " bits per pixel with compression " + std::to_string(compression));

    size_t pos = 14 + headerSize;
    uint32_t masks[4] = {0, 0, 0, 0};
    bool bitFields = compression == BI_BITFIELDS || compression == BI_ALPHABITFIELDS;
    if (bitFields) {
        // The masks sit in the longer headers, or right after a 40-byte one.
        int count = compression == BI_ALPHABITFIELDS ? 4 : 3;
        if (headerSize == 40) {
            if (size - pos < static_cast<size_t>(count) * 4)
                return fail("truncated colour masks");
            for (int i = 0; i < count; ++i)
                masks[i] = le32(data + pos + i * 4);
            pos += count * 4;
        } else {
            for (int i = 0; i < 3; ++i)
                masks[i] = le32(h + 40 + i * 4);
            if (headerSize >= 56)
                masks[3] = le32(h + 52);
        }
    } else if (bitCount == 16) {
        masks[0] = 0x7C00;
        masks[1] = 0x03E0;
        masks[2] = 0x001F;
    } else if (bitCount == 32) {
        masks[0] = 0x00FF0000;
        masks[1] = 0x0000FF00;
        masks[2] = 0x000000FF;
    }

    Palette palette;
    if (bitCount <= 8) {
        uint32_t most = 1u << bitCount;
        palette.count = (clrUsed == 0 || clrUsed > most) ? most : clrUsed;
        if (size - pos < static_cast<size_t>(palette.count) * 4)
            return fail("truncated palette");
        for (uint32_t i = 0; i < palette.count; ++i) {
            const uint8_t* e = data + pos + i * 4;
            palette.colour[i][0] = e[2];
            palette.colour[i][1] = e[1];
            palette.colour[i][2] = e[0];
            palette.colour[i][3] = 255;
        }
        pos += static_cast<size_t>(palette.count) * 4;
    }

    // Some writers leave the offset at 0: the pixels then follow the palette.
    size_t pixels = offBits ? offBits : pos;
    if (pixels >= size)
        return fail("pixel data offset past the end of the file");
    const uint8_t* src = data + pixels;
    size_t available = size - pixels;
    int w = width, hgt = static_cast<int>(height);

    if (compression == BI_RLE8 || compression == BI_RLE4) {
        Image image(w, hgt);
        std::string why;
        RleTarget target{image, palette, topDown, 0, 0, why};
        if (!decodeRle(src, available, compression == BI_RLE4, target))
            return fail(why);
        out = std::move(image);
        return true;
    }

    uint64_t rowBytes = (static_cast<uint64_t>(w) * bitCount + 7) / 8;
    uint64_t stride = (static_cast<uint64_t>(w) * bitCount + 31) / 32 * 4;
    // The padding after the last row is not required.
    if (available < stride * (hgt - 1) + rowBytes)
        return fail("truncated pixel data");

    Channel red(masks[0]), green(masks[1]), blue(masks[2]), alpha(masks[3]);
    if (bitCount == 32 && compression == BI_RGB) {
        // The fourth byte is unused in most such files: it is alpha only when
        // some texel sets it.
        bool anyAlpha = false;
        for (int r = 0; r < hgt && !anyAlpha; ++r)
            for (int x = 0; x < w && !anyAlpha; ++x)
                anyAlpha = src[r * stride + x * 4 + 3] != 0;
        if (anyAlpha)
            alpha = Channel(0xFF000000u);
    }

    Image image(w, hgt);
    for (int r = 0; r < hgt; ++r) {
        const uint8_t* row = src + r * stride;
        uint8_t* dst = image.texel(0, topDown ? r : hgt - 1 - r);
        for (int x = 0; x < w; ++x, dst += 4) {
            if (bitCount <= 8) {
                unsigned index;
                if (bitCount == 8)
                    index = row[x];
                else if (bitCount == 4)
                    index = (row[x / 2] >> ((x & 1) ? 0 : 4)) & 15u;
                else
                    index = (row[x / 8] >> (7 - (x & 7))) & 1u;
                if (index >= palette.count)
                    return fail("palette index " + std::to_string(index) + " out of range (" +
                                std::to_string(palette.count) + " colours)");
                std::memcpy(dst, palette.colour[index], 4);
            } else if (bitCount == 24) {
                dst[0] = row[x * 3 + 2];
                dst[1] = row[x * 3 + 1];
                dst[2] = row[x * 3];
                dst[3] = 255;
            } else {
                uint32_t v = bitCount == 16 ? le16(row + x * 2) : le32(row + x * 4);
                dst[0] = red.get(v, 0);
                dst[1] = green.get(v, 0);
                dst[2] = blue.get(v, 0);
                dst[3] = alpha.get(v, 255);
            }
        }
    }
    out = std::move(image);
    return true;
}

} // namespace detail

namespace {

void put16(std::string& s, size_t at, uint32_t v)
{
    s[at] = static_cast<char>(v & 0xFF);
    s[at + 1] = static_cast<char>((v >> 8) & 0xFF);
}

void put32(std::string& s, size_t at, uint32_t v)
{
    put16(s, at, v & 0xFFFF);
    put16(s, at + 2, v >> 16);
}

} // namespace

bool saveBmp(const std::string& path, int width, int height, const uint8_t* rgba, bool rowsBottomUp,
             std::string* error)
{
    if (!rgba || width <= 0 || height <= 0 || width > detail::MAX_SIDE || height > detail::MAX_SIDE) {
        if (error)
            *error = "cannot write " + path + ": bad image size " + std::to_string(width) + " x " +
                     std::to_string(height);
        return false;
    }
    const size_t stride = (static_cast<size_t>(width) * 3 + 3) & ~static_cast<size_t>(3);
    const size_t imageSize = stride * height;
    std::string file(54 + imageSize, '\0');
    file[0] = 'B';
    file[1] = 'M';
    put32(file, 2, static_cast<uint32_t>(file.size()));
    put32(file, 10, 54);
    put32(file, 14, 40);
    put32(file, 18, static_cast<uint32_t>(width));
    put32(file, 22, static_cast<uint32_t>(height)); // positive: rows stored bottom-up
    put16(file, 26, 1);
    put16(file, 28, 24);
    put32(file, 30, 0);
    put32(file, 34, static_cast<uint32_t>(imageSize));
    put32(file, 38, 2835); // 72 dpi
    put32(file, 42, 2835);

    for (int r = 0; r < height; ++r) {
        int source = rowsBottomUp ? r : height - 1 - r;
        const uint8_t* s = rgba + static_cast<size_t>(source) * width * 4;
        char* d = &file[54 + r * stride];
        for (int x = 0; x < width; ++x, s += 4, d += 3) {
            d[0] = static_cast<char>(s[2]);
            d[1] = static_cast<char>(s[1]);
            d[2] = static_cast<char>(s[0]);
        }
    }
    return sys::writeFileAtomic(path, file, error);
}

bool saveBmp(const std::string& path, const Image& image, std::string* error)
{
    if (image.empty() || image.rgba.size() != static_cast<size_t>(image.width) * image.height * 4) {
        if (error)
            *error = "cannot write " + path + ": empty or inconsistent image";
        return false;
    }
    return saveBmp(path, image.width, image.height, image.rgba.data(), false, error);
}

} // namespace img
