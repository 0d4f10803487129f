// Resampling, mip chains and per-texel fills.
#include "platform/img/image.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

namespace img {

namespace {

// One source texel's share of a target texel along one axis.
struct Tap {
    int index;
    uint32_t weight;
};

struct Span {
    size_t first;
    size_t count;
};

// Box weights along one axis, in exact integers. Measured in units where a
// source texel is `target` long and a target texel `source` long, target
// texel t covers [t * source, (t + 1) * source) and source texel i covers
// [i * target, (i + 1) * target): the weights are the overlaps, and the
// weights of each target texel add up to `source`.
void buildTaps(int source, int target, std::vector<Span>& spans, std::vector<Tap>& taps)
{
    const uint64_t s = static_cast<uint64_t>(source), t = static_cast<uint64_t>(target);
    spans.resize(target);
    taps.clear();
    for (uint64_t i = 0; i < t; ++i) {
        uint64_t lo = i * s, hi = (i + 1) * s;
        spans[i].first = taps.size();
        for (uint64_t j = lo / t; j <= (hi - 1) / t; ++j) {
            uint64_t w = std::min(hi, (j + 1) * t) - std::max(lo, j * t);
            if (w > 0)
                taps.push_back({static_cast<int>(j), static_cast<uint32_t>(w)});
        }
        spans[i].count = taps.size() - spans[i].first;
    }
}

} // namespace

Image resizeBox(const Image& source, int width, int height)
{
    if (source.empty() || width <= 0 || height <= 0 ||
        source.rgba.size() != static_cast<size_t>(source.width) * source.height * 4)
        return Image();
    if (width == source.width && height == source.height)
        return source;

    std::vector<Span> xSpans, ySpans;
    std::vector<Tap> xTaps, yTaps;
    buildTaps(source.width, width, xSpans, xTaps);
    buildTaps(source.height, height, ySpans, yTaps);

    // Rows are resampled across first (sums up to 255 * source width), then
    // the rows each target row covers are added up with their vertical
    // weights. Consecutive target rows share at most their boundary source
    // row, so the last resampled row is kept.
    std::vector<uint32_t> row(static_cast<size_t>(width) * 4);
    int rowIndex = -1;
    auto resampleRow = [&](int y) {
        if (y == rowIndex)
            return;
        rowIndex = y;
        const uint8_t* src = source.texel(0, y);
        for (int x = 0; x < width; ++x) {
            uint32_t acc[4] = {0, 0, 0, 0};
            const Span& span = xSpans[x];
            for (size_t k = span.first; k < span.first + span.count; ++k) {
                const uint8_t* texel = src + static_cast<size_t>(xTaps[k].index) * 4;
                for (int c = 0; c < 4; ++c)
                    acc[c] += texel[c] * xTaps[k].weight;
            }
            std::copy(acc, acc + 4, &row[static_cast<size_t>(x) * 4]);
        }
    };

    Image out(width, height);
    const uint64_t total = static_cast<uint64_t>(source.width) * source.height;
    std::vector<uint64_t> sum(static_cast<size_t>(width) * 4);
    for (int y = 0; y < height; ++y) {
        std::fill(sum.begin(), sum.end(), 0);
        const Span& span = ySpans[y];
        for (size_t k = span.first; k < span.first + span.count; ++k) {
            resampleRow(yTaps[k].index);
            for (size_t i = 0; i < sum.size(); ++i)
                sum[i] += static_cast<uint64_t>(row[i]) * yTaps[k].weight;
        }
        uint8_t* dst = out.texel(0, y);
        for (size_t i = 0; i < sum.size(); ++i)
            dst[i] = static_cast<uint8_t>((sum[i] + total / 2) / total);
    }
    return out;
}

Image clampSize(const Image& source, int maxSize)
{
    maxSize = std::max(maxSize, 1);
    return resizeBox(source, std::min(source.width, maxSize), std::min(source.height, maxSize));
}

std::vector<Image> mipChain(const Image& top)
{
    std::vector<Image> chain;
    if (top.empty())
        return chain;
    for (;;) {
        // The reference is dropped before push_back can move the levels.
        const Image& level = chain.empty() ? top : chain.back();
        if (level.width <= 1 && level.height <= 1)
            break;
        Image next = resizeBox(level, std::max(1, level.width / 2), std::max(1, level.height / 2));
        if (next.empty())
            break;
        chain.push_back(std::move(next));
    }
    return chain;
}

void fillImage(Image& image, const std::function<void(float u, float v, float rgba[4])>& fill)
{
    if (image.empty() || !fill || image.rgba.size() != static_cast<size_t>(image.width) * image.height * 4)
        return;
    for (int y = 0; y < image.height; ++y) {
        float v = (y + 0.5f) / image.height;
        for (int x = 0; x < image.width; ++x) {
            float u = (x + 0.5f) / image.width;
            uint8_t* texel = image.texel(x, y);
            // The function starts from the texel's current colour.
            float rgba[4];
            for (int c = 0; c < 4; ++c)
                rgba[c] = texel[c] / 255.0f;
            fill(u, v, rgba);
            for (int c = 0; c < 4; ++c) {
                float value = rgba[c];
                if (!(value > 0.0f)) // also catches NaN
                    value = 0.0f;
                else if (value > 1.0f)
                    value = 1.0f;
                texel[c] = static_cast<uint8_t>(std::lround(value * 255.0f));
            }
        }
    }
}

} // namespace img
