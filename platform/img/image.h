#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace img {

// An 8-bit RGBA image, rows from the top down, 4 bytes per texel in the
// order R, G, B, A.
struct Image {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgba;

    Image() = default;
    Image(int w, int h) : width(w), height(h), rgba(static_cast<size_t>(w) * h * 4, 0) {}
    bool empty() const { return width <= 0 || height <= 0; }
    uint8_t* texel(int x, int y) { return &rgba[(static_cast<size_t>(y) * width + x) * 4]; }
    const uint8_t* texel(int x, int y) const { return &rgba[(static_cast<size_t>(y) * width + x) * 4]; }
};

// Reads an image file: PNG, JPEG, BMP/DIB (1, 4, 8, 16, 24, 32 bits,
// uncompressed and RLE8/RLE4, bottom-up and top-down), TGA (true-colour,
// grey and colour-mapped, raw and RLE, either origin), PPM/PGM (binary and
// text). The kind is told by the file's first bytes, not by its name. The
// path goes through path resolution. False with a one-line reason on
// failure; images wider or taller than 16384 texels are refused. On failure
// `out` is left as it was.
bool loadImage(const std::string& path, Image& out, std::string* error = nullptr);
bool decodeImage(const std::string& bytes, Image& out, std::string* error = nullptr);

// Resamples with a box filter (each target texel averages the source area
// it covers, weighted exactly by overlap, for shrinking and growing alike).
// An empty source or a target size below 1 gives an empty image.
Image resizeBox(const Image& source, int width, int height);
// Width and height each clamped to maxSize, box-resampled when needed.
Image clampSize(const Image& source, int maxSize);
// The mip chain below a level: each level half the size (at least 1) of the
// one before, box-filtered, down to 1 x 1. The top level is not included.
std::vector<Image> mipChain(const Image& top);

// Fills every texel through a function of its texture coordinates: the
// texel centre ((x + 0.5) / width, (y + 0.5) / height), rgba in 0..1.
// rgba holds the texel's current colour on entry; results are clamped to
// 0..1 (NaN gives 0) and rounded.
void fillImage(Image& image, const std::function<void(float u, float v, float rgba[4])>& fill);

// Writes a 24-bit uncompressed BMP file through sys::writeFileAtomic.
// rowsBottomUp: the rows of rgba are stored from the bottom up already (as
// GL reads them back), so they are written in that order without a flip.
bool saveBmp(const std::string& path, int width, int height, const uint8_t* rgba, bool rowsBottomUp,
             std::string* error = nullptr);
bool saveBmp(const std::string& path, const Image& image, std::string* error = nullptr);

} // namespace img
