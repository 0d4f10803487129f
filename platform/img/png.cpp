// PNG reading through libpng. libpng reports errors by longjmp: the jump
// target lives in a function whose locals are all trivially destructible,
// and every object that owns memory lives in the caller, so a jump never
// skips a destructor and never leaks.
#include "platform/img/codecs.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <utility>
#include <vector>

namespace img {
namespace detail {

namespace {

struct PngState {
    const uint8_t* data = nullptr;
    size_t size = 0;
    size_t pos = 0;
    char message[200] = "";
    png_structp png = nullptr;
    png_infop info = nullptr;
    Image image;
    std::vector<png_bytep> rows;
};

void pngError(png_structp png, png_const_charp message)
{
    auto* state = static_cast<PngState*>(png_get_error_ptr(png));
    std::snprintf(state->message, sizeof(state->message), "%s", message ? message : "unknown error");
    png_longjmp(png, 1);
}

void pngWarning(png_structp, png_const_charp) {}

void pngRead(png_structp png, png_bytep out, png_size_t length)
{
    auto* state = static_cast<PngState*>(png_get_io_ptr(png));
    if (length > state->size - state->pos)
        png_error(png, "unexpected end of file");
    std::memcpy(out, state->data + state->pos, length);
    state->pos += length;
}

// Reads the whole image into s.image; false (with s.message set) when libpng
// gives up or the image is refused.
bool readPng(PngState& s)
{
    if (setjmp(png_jmpbuf(s.png)))
        return false;

    png_set_read_fn(s.png, &s, pngRead);
    // libpng refuses larger images itself while reading the header.
    png_set_user_limits(s.png, MAX_SIDE, MAX_SIDE);
    png_read_info(s.png, s.info);

    png_uint_32 width = png_get_image_width(s.png, s.info);
    png_uint_32 height = png_get_image_height(s.png, s.info);
    if (width == 0 || height == 0 || width > static_cast<png_uint_32>(MAX_SIDE) ||
        height > static_cast<png_uint_32>(MAX_SIDE)) {
        std::snprintf(s.message, sizeof(s.message), "bad image size %u x %u", static_cast<unsigned>(width),
                      static_cast<unsigned>(height));
        return false;
    }

    // Every colour type to 8-bit RGBA: palettes and low bit depths expand,
    // tRNS becomes alpha, 16-bit samples drop their low byte, grey turns to
    // RGB and images without alpha get an opaque one.
    int colourType = png_get_color_type(s.png, s.info);
    png_set_expand(s.png);
    png_set_strip_16(s.png);
    if (colourType == PNG_COLOR_TYPE_GRAY || colourType == PNG_COLOR_TYPE_GRAY_ALPHA)
        png_set_gray_to_rgb(s.png);
    png_set_filler(s.png, 0xFF, PNG_FILLER_AFTER);
    png_set_interlace_handling(s.png);
    png_read_update_info(s.png, s.info);

    if (png_get_rowbytes(s.png, s.info) != static_cast<png_size_t>(width) * 4) {
        std::snprintf(s.message, sizeof(s.message), "unexpected row layout after conversion");
        return false;
    }
    s.image = Image(static_cast<int>(width), static_cast<int>(height));
    s.rows.resize(height);
    for (png_uint_32 y = 0; y < height; ++y)
        s.rows[y] = s.image.texel(0, static_cast<int>(y));
    png_read_image(s.png, s.rows.data());
    return true;
}

} // namespace

bool decodePng(const uint8_t* data, size_t size, Image& out, std::string& error)
{
    PngState s;
    s.data = data;
    s.size = size;
    s.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &s, pngError, pngWarning);
    if (s.png)
        s.info = png_create_info_struct(s.png);
    if (!s.png || !s.info) {
        png_destroy_read_struct(&s.png, s.info ? &s.info : nullptr, nullptr);
        error = "PNG: out of memory";
        return false;
    }
    bool ok = readPng(s);
    png_destroy_read_struct(&s.png, &s.info, nullptr);
    if (!ok) {
        error = std::string("PNG: ") + s.message;
        return false;
    }
    out = std::move(s.image);
    return true;
}

} // namespace detail
} // namespace img
