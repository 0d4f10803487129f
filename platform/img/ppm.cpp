// Netpbm reading: P2 (grey, text), P3 (colour, text), P5 (grey, binary) and
// P6 (colour, binary), maxval 1..65535, '#' comments between header fields.
#include "platform/img/codecs.h"

#include <utility>

namespace img {
namespace detail {

namespace {

bool isSpace(uint8_t c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

class Tokens {
public:
    Tokens(const uint8_t* data, size_t size, size_t pos) : data_(data), size_(size), pos_(pos) {}

    // Skips white space and comments, then reads a decimal number no larger
    // than `limit`. False at the end of the data, on a non-digit or when the
    // number exceeds the limit.
    bool number(unsigned limit, unsigned& value)
    {
        skip();
        if (pos_ >= size_ || data_[pos_] < '0' || data_[pos_] > '9')
            return false;
        unsigned long long v = 0;
        while (pos_ < size_ && data_[pos_] >= '0' && data_[pos_] <= '9') {
            v = v * 10 + (data_[pos_++] - '0');
            if (v > limit)
                return false;
        }
        value = static_cast<unsigned>(v);
        return true;
    }

    size_t pos() const { return pos_; }
    size_t left() const { return size_ - pos_; }

private:
    void skip()
    {
        while (pos_ < size_) {
            if (isSpace(data_[pos_]))
                ++pos_;
            else if (data_[pos_] == '#')
                while (pos_ < size_ && data_[pos_] != '\n' && data_[pos_] != '\r')
                    ++pos_;
            else
                break;
        }
    }

    const uint8_t* data_;
    size_t size_;
    size_t pos_;
};

} // namespace

bool decodePpm(const uint8_t* data, size_t size, Image& out, std::string& error)
{
    auto fail = [&](const std::string& why) {
        error = "PNM: " + why;
        return false;
    };
    if (size < 2 || data[0] != 'P')
        return fail("not a PNM file");
    const char kind = static_cast<char>(data[1]);
    if (kind != '2' && kind != '3' && kind != '5' && kind != '6')
        return fail(std::string("unsupported kind P") + kind);
    const bool text = kind == '2' || kind == '3';
    const int channels = (kind == '3' || kind == '6') ? 3 : 1;

    Tokens tokens(data, size, 2);
    unsigned width = 0, height = 0, maxval = 0;
    // Sizes are read up to a generous limit so checkSize can word the error.
    if (!tokens.number(1000000000u, width) || !tokens.number(1000000000u, height))
        return fail("bad or missing width or height");
    if (!checkSize(width, height, "PNM", error))
        return false;
    if (!tokens.number(65535, maxval) || maxval == 0)
        return fail("bad or missing maxval (1..65535)");

    const size_t samples = static_cast<size_t>(width) * height * channels;
    const size_t sampleBytes = maxval > 255 ? 2 : 1;
    size_t pos = 0;
    if (!text) {
        // Exactly one white-space byte separates the header from the raster.
        pos = tokens.pos();
        if (pos >= size || !isSpace(data[pos]))
            return fail("missing white space after the header");
        ++pos;
        if (size - pos < samples * sampleBytes)
            return fail("truncated pixel data");
    } else if (tokens.left() < samples) {
        // Every text sample takes at least one digit.
        return fail("truncated pixel data");
    }

    Image image(static_cast<int>(width), static_cast<int>(height));
    uint8_t* dst = image.rgba.data();
    for (size_t i = 0; i < samples; ++i) {
        unsigned v;
        if (text) {
            if (!tokens.number(maxval, v))
                return fail("bad sample or sample above maxval at sample " + std::to_string(i));
        } else if (sampleBytes == 2) {
            v = (data[pos] << 8u) | data[pos + 1];
            pos += 2;
            if (v > maxval)
                return fail("sample above maxval at sample " + std::to_string(i));
        } else {
            v = data[pos++];
            if (v > maxval)
                return fail("sample above maxval at sample " + std::to_string(i));
        }
        uint8_t c = static_cast<uint8_t>((static_cast<unsigned long>(v) * 255 + maxval / 2) / maxval);
        if (channels == 1) {
            dst[0] = dst[1] = dst[2] = c;
            dst[3] = 255;
            dst += 4;
        } else {
            *dst++ = c;
            if (i % 3 == 2)
                *dst++ = 255;
        }
    }
    out = std::move(image);
    return true;
}

} // namespace detail
} // namespace img
