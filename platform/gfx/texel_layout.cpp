#include "platform/gfx/texel_layout.h"

namespace gfx {

TexelLayout chooseTexelLayout(const img::Image& image)
{
    bool white = true, grey = true, opaque = true;
    const uint8_t* t = image.rgba.data();
    const size_t count = static_cast<size_t>(image.width) * image.height;
    for (size_t i = 0; i < count && (grey || white); ++i, t += 4) {
        grey = grey && t[0] == t[1] && t[1] == t[2];
        white = white && (t[0] & t[1] & t[2]) == 255;
        opaque = opaque && t[3] == 255;
    }
    if (image.empty() || (!grey && !white))
        return TexelLayout::Rgba;
    if (white)
        return TexelLayout::WhiteAlpha;
    return opaque ? TexelLayout::Grey : TexelLayout::GreyAlpha;
}

int bytesPerTexel(TexelLayout layout)
{
    switch (layout) {
    case TexelLayout::WhiteAlpha:
    case TexelLayout::Grey:
        return 1;
    case TexelLayout::GreyAlpha:
        return 2;
    case TexelLayout::Rgba:
        break;
    }
    return 4;
}

std::vector<uint8_t> packTexels(const img::Image& image, TexelLayout layout)
{
    if (layout == TexelLayout::Rgba)
        return image.rgba;
    const size_t count = static_cast<size_t>(image.width) * image.height;
    std::vector<uint8_t> packed(count * static_cast<size_t>(bytesPerTexel(layout)));
    const uint8_t* t = image.rgba.data();
    uint8_t* p = packed.data();
    for (size_t i = 0; i < count; ++i, t += 4) {
        switch (layout) {
        case TexelLayout::WhiteAlpha:
            *p++ = t[3];
            break;
        case TexelLayout::Grey:
            *p++ = t[0];
            break;
        default:
            *p++ = t[0];
            *p++ = t[3];
            break;
        }
    }
    return packed;
}

void unpackTexels(TexelLayout layout, const uint8_t* packed, img::Image& out)
{
    const size_t count = static_cast<size_t>(out.width) * out.height;
    uint8_t* t = out.rgba.data();
    for (size_t i = 0; i < count; ++i, t += 4) {
        switch (layout) {
        case TexelLayout::WhiteAlpha:
            t[0] = t[1] = t[2] = 255;
            t[3] = *packed++;
            break;
        case TexelLayout::Grey:
            t[0] = t[1] = t[2] = *packed++;
            t[3] = 255;
            break;
        case TexelLayout::GreyAlpha:
            t[0] = t[1] = t[2] = *packed++;
            t[3] = *packed++;
            break;
        case TexelLayout::Rgba:
            for (int c = 0; c < 4; ++c)
                t[c] = *packed++;
            break;
        }
    }
}

} // namespace gfx
