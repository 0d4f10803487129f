// JPEG reading through libjpeg. Its default error handler ends the process;
// ours longjmps back instead. As in png.cpp, the jump target's function has
// only trivially destructible locals and all owning objects live in the
// caller.
#include "platform/img/codecs.h"

// jpeglib.h needs size_t and FILE declared first.
#include <cstdio>
#include <jpeglib.h>
#include <jerror.h>

#include <csetjmp>
#include <cstring>
#include <utility>
#include <vector>

namespace img {
namespace detail {

namespace {

struct JpegState {
    jpeg_decompress_struct cinfo;
    struct Errors {
        jpeg_error_mgr base; // first, so the library's pointer converts back
        std::jmp_buf jump;
        char message[JMSG_LENGTH_MAX];
    } errors;
    bool created = false;
    Image image;
    std::vector<JSAMPLE> row;
};

void jpegErrorExit(j_common_ptr cinfo)
{
    auto* errors = reinterpret_cast<JpegState::Errors*>(cinfo->err);
    cinfo->err->format_message(cinfo, errors->message);
    std::longjmp(errors->jump, 1);
}

// Warnings are not printed. A file that ends early is an error, though:
// libjpeg would otherwise pad the missing part with grey and succeed.
void jpegEmitMessage(j_common_ptr cinfo, int level)
{
    if (level < 0 && cinfo->err->msg_code == JWRN_JPEG_EOF)
        jpegErrorExit(cinfo);
}

void jpegOutputMessage(j_common_ptr) {}

bool readJpeg(JpegState& s, const uint8_t* data, size_t size)
{
    j_decompress_ptr cinfo = &s.cinfo;
    if (setjmp(s.errors.jump))
        return false;

    s.created = true; // destroying a zeroed or half-made object is safe
    jpeg_create_decompress(cinfo);
    jpeg_mem_src(cinfo, data, static_cast<unsigned long>(size));
    jpeg_read_header(cinfo, TRUE);

    if (cinfo->image_width == 0 || cinfo->image_height == 0 ||
        cinfo->image_width > static_cast<JDIMENSION>(MAX_SIDE) ||
        cinfo->image_height > static_cast<JDIMENSION>(MAX_SIDE)) {
        std::snprintf(s.errors.message, sizeof(s.errors.message), "image too large or empty (%u x %u)",
                      static_cast<unsigned>(cinfo->image_width), static_cast<unsigned>(cinfo->image_height));
        return false;
    }

    // Grey and CMYK are converted here; everything else comes out as RGB.
    const bool cmyk = cinfo->jpeg_color_space == JCS_CMYK || cinfo->jpeg_color_space == JCS_YCCK;
    if (cmyk)
        cinfo->out_color_space = JCS_CMYK;
    else if (cinfo->jpeg_color_space == JCS_GRAYSCALE)
        cinfo->out_color_space = JCS_GRAYSCALE;
    else
        cinfo->out_color_space = JCS_RGB;

    jpeg_start_decompress(cinfo);
    const int channels = cinfo->output_components;
    const int expected = cmyk ? 4 : (cinfo->out_color_space == JCS_GRAYSCALE ? 1 : 3);
    if (channels != expected || cinfo->output_width != cinfo->image_width ||
        cinfo->output_height != cinfo->image_height) {
        std::snprintf(s.errors.message, sizeof(s.errors.message), "unexpected output layout");
        return false;
    }
    // Adobe writes CMYK inverted (0 = full ink), which is what nearly every
    // CMYK JPEG in the wild has.
    const bool inverted = cinfo->saw_Adobe_marker;

    const int width = static_cast<int>(cinfo->output_width);
    s.image = Image(width, static_cast<int>(cinfo->output_height));
    s.row.resize(static_cast<size_t>(width) * channels);
    while (cinfo->output_scanline < cinfo->output_height) {
        int y = static_cast<int>(cinfo->output_scanline);
        JSAMPROW rows[1] = {s.row.data()};
        if (jpeg_read_scanlines(cinfo, rows, 1) != 1) {
            std::snprintf(s.errors.message, sizeof(s.errors.message), "no scanline read");
            return false;
        }
        uint8_t* dst = s.image.texel(0, y);
        const JSAMPLE* src = s.row.data();
        for (int x = 0; x < width; ++x, dst += 4, src += channels) {
            if (channels == 1) {
                dst[0] = dst[1] = dst[2] = src[0];
            } else if (channels == 3) {
                dst[0] = src[0];
                dst[1] = src[1];
                dst[2] = src[2];
            } else {
                unsigned k = inverted ? src[3] : 255u - src[3];
                for (int c = 0; c < 3; ++c) {
                    unsigned v = inverted ? src[c] : 255u - src[c];
                    dst[c] = static_cast<uint8_t>((v * k + 127) / 255);
                }
            }
            dst[3] = 255;
        }
    }
    jpeg_finish_decompress(cinfo);
    return true;
}

} // namespace

bool decodeJpeg(const uint8_t* data, size_t size, Image& out, std::string& error)
{
    JpegState s;
    std::memset(&s.cinfo, 0, sizeof(s.cinfo));
    s.cinfo.err = jpeg_std_error(&s.errors.base);
    s.errors.base.error_exit = jpegErrorExit;
    s.errors.base.emit_message = jpegEmitMessage;
    s.errors.base.output_message = jpegOutputMessage;
    s.errors.message[0] = '\0';

    bool ok = readJpeg(s, data, size);
    if (s.created)
        jpeg_destroy_decompress(&s.cinfo);
    if (!ok) {
        error = std::string("JPEG: ") + s.errors.message;
        return false;
    }
    out = std::move(s.image);
    return true;
}

} // namespace detail
} // namespace img
