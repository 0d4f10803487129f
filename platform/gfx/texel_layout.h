#pragma once
// How a texture's texels are kept in the driver. Many pictures use fewer
// channels than RGBA: font atlases are white with a varying alpha, some
// pictures are grey. Keeping only the channels that vary, and having the
// driver fill in the rest when it samples (a texture swizzle), gives every
// stage operation exactly the same colour at a quarter or half the memory.
#include "platform/img/image.h"

#include <cstdint>
#include <vector>

namespace gfx {

enum class TexelLayout {
    Rgba,       // 4 bytes: R, G, B, A
    WhiteAlpha, // 1 byte: A; R = G = B = 255
    Grey,       // 1 byte: R = G = B; A = 255
    GreyAlpha,  // 2 bytes: R = G = B, A
};

// The smallest layout that holds every texel of the image unchanged.
TexelLayout chooseTexelLayout(const img::Image& image);
int bytesPerTexel(TexelLayout layout);
// The image's texels in the layout, row after row with no padding. The
// layout must hold the image (as chooseTexelLayout says).
std::vector<uint8_t> packTexels(const img::Image& image, TexelLayout layout);
// Back to RGBA: `packed` holds out.width * out.height texels in the layout.
void unpackTexels(TexelLayout layout, const uint8_t* packed, img::Image& out);

} // namespace gfx
