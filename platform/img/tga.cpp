// TGA reading: colour-mapped (1, 9), true-colour (2, 10) and grey (3, 11)
// images, raw or run-length encoded, with either origin.
#include "platform/img/codecs.h"

#include <cstring>
#include <utility>
#include <vector>

namespace img {
namespace detail {

namespace {

struct Header {
    unsigned idLength, mapType, type, mapFirst, mapLength, mapEntryBits;
    unsigned width, height, depth, descriptor;

    explicit Header(const uint8_t* d)
        : idLength(d[0]), mapType(d[1]), type(d[2]), mapFirst(le16(d + 3)), mapLength(le16(d + 5)),
          mapEntryBits(d[7]), width(le16(d + 12)), height(le16(d + 14)), depth(d[16]), descriptor(d[17])
    {
    }
    bool colourMapped() const { return type == 1 || type == 9; }
    bool grey() const { return type == 3 || type == 11; }
    bool rle() const { return type >= 9; }
    unsigned alphaBits() const { return descriptor & 15u; }
};

bool colourDepthValid(unsigned bits) { return bits == 15 || bits == 16 || bits == 24 || bits == 32; }

// Turns one stored colour (a true-colour pixel or a colour-map entry) into
// RGBA. 16-bit colours carry a one-bit alpha only when the file says so.
void colourToRgba(const uint8_t* p, unsigned bits, bool alphaBit, uint8_t* dst)
{
    if (bits == 15 || bits == 16) {
        unsigned v = le16(p);
        dst[0] = static_cast<uint8_t>((((v >> 10) & 31u) * 255 + 15) / 31);
        dst[1] = static_cast<uint8_t>((((v >> 5) & 31u) * 255 + 15) / 31);
        dst[2] = static_cast<uint8_t>(((v & 31u) * 255 + 15) / 31);
        dst[3] = (bits == 16 && alphaBit) ? ((v & 0x8000u) ? 255 : 0) : 255;
    } else {
        dst[0] = p[2];
        dst[1] = p[1];
        dst[2] = p[0];
        dst[3] = bits == 32 ? p[3] : 255;
    }
}

} // namespace

bool looksLikeTga(const uint8_t* data, size_t size)
{
    if (size < 18)
        return false;
    Header h(data);
    if (h.mapType > 1)
        return false;
    if (h.mapType == 1 && !colourDepthValid(h.mapEntryBits))
        return false;
    switch (h.type) {
    case 1:
    case 9: return h.mapType == 1 && (h.depth == 8 || h.depth == 16);
    case 2:
    case 10: return colourDepthValid(h.depth);
    case 3:
    case 11: return h.depth == 8 || h.depth == 16;
    default: return false;
    }
}

bool decodeTga(const uint8_t* data, size_t size, Image& out, std::string& error)
{
    auto fail = [&](const std::string& why) {
        error = "TGA: " + why;
        return false;
    };
    if (!looksLikeTga(data, size))
        return fail("not a TGA file this reader understands");
    Header h(data);
    if (!checkSize(h.width, h.height, "TGA", error))
        return false;

    size_t pos = 18 + static_cast<size_t>(h.idLength);
    if (pos > size)
        return fail("truncated image id");

    // The 16-bit alpha bit counts only when the descriptor gives one bit of
    // alpha; a 32-bit pixel's fourth byte is alpha unless every texel leaves
    // it at 0 with no alpha bits declared (checked after decoding).
    const bool alphaBit = h.alphaBits() >= 1;
    std::vector<uint8_t> map; // RGBA entries
    if (h.mapType == 1) {
        size_t entryBytes = (h.mapEntryBits + 7) / 8;
        size_t mapBytes = entryBytes * h.mapLength;
        if (size - pos < mapBytes)
            return fail("truncated colour map");
        if (h.colourMapped()) {
            map.resize(static_cast<size_t>(h.mapLength) * 4);
            for (unsigned i = 0; i < h.mapLength; ++i)
                colourToRgba(data + pos + i * entryBytes, h.mapEntryBits, alphaBit, &map[i * 4]);
        }
        pos += mapBytes;
    }

    const size_t bpp = (h.depth + 7) / 8;
    const size_t count = static_cast<size_t>(h.width) * h.height;
    // Check the data can hold the image before allocating it: raw pixels
    // need bpp bytes each, RLE packets at most 128 texels per 1 + bpp bytes.
    size_t least = h.rle() ? (count + 127) / 128 * (1 + bpp) : count * bpp;
    if (size - pos < least)
        return fail("truncated pixel data");

    std::string why;
    // Converts the stored pixel at p; false for a colour-map index outside
    // the map.
    auto convert = [&](const uint8_t* p, uint8_t* dst) {
        if (h.colourMapped()) {
            unsigned value = h.depth == 8 ? p[0] : le16(p);
            if (value < h.mapFirst || value - h.mapFirst >= h.mapLength) {
                why = "colour-map index " + std::to_string(value) + " out of range";
                return false;
            }
            std::memcpy(dst, &map[(value - h.mapFirst) * 4], 4);
        } else if (h.grey()) {
            dst[0] = dst[1] = dst[2] = p[0];
            dst[3] = h.depth == 16 ? p[1] : 255;
        } else {
            colourToRgba(p, h.depth, alphaBit, dst);
        }
        return true;
    };

    // Texels arrive in file order; the origin bits place them.
    const int w = static_cast<int>(h.width), hgt = static_cast<int>(h.height);
    const bool topOrigin = (h.descriptor & 0x20u) != 0;
    const bool rightToLeft = (h.descriptor & 0x10u) != 0;
    Image image(w, hgt);
    auto target = [&](size_t k) {
        int r = static_cast<int>(k / w), c = static_cast<int>(k % w);
        return image.texel(rightToLeft ? w - 1 - c : c, topOrigin ? r : hgt - 1 - r);
    };
    if (!h.rle()) {
        for (size_t k = 0; k < count; ++k)
            if (!convert(data + pos + k * bpp, target(k)))
                return fail(why);
    } else {
        size_t k = 0;
        while (k < count) {
            if (pos >= size)
                return fail("truncated RLE data");
            unsigned header = data[pos++];
            size_t run = (header & 0x7Fu) + 1;
            if (run > count - k)
                return fail("RLE packet runs past the end of the image");
            if (header & 0x80u) {
                if (size - pos < bpp)
                    return fail("truncated RLE data");
                uint8_t texel[4];
                if (!convert(data + pos, texel))
                    return fail(why);
                pos += bpp;
                for (size_t j = 0; j < run; ++j, ++k)
                    std::memcpy(target(k), texel, 4);
            } else {
                if (size - pos < run * bpp)
                    return fail("truncated RLE data");
                for (size_t j = 0; j < run; ++j, ++k, pos += bpp)
                    if (!convert(data + pos, target(k)))
                        return fail(why);
            }
        }
    }

    bool thirtyTwo = h.depth == 32 || (h.colourMapped() && h.mapEntryBits == 32);
    if (thirtyTwo && h.alphaBits() == 0) {
        bool anyAlpha = false;
        for (size_t k = 0; k < count && !anyAlpha; ++k)
            anyAlpha = image.rgba[k * 4 + 3] != 0;
        if (!anyAlpha)
            for (size_t k = 0; k < count; ++k)
                image.rgba[k * 4 + 3] = 255;
    }
    out = std::move(image);
    return true;
}

} // namespace detail
} // namespace img
