#pragma once
// The few painting tools every generated picture is made of: hashed noise
// (3D for directions, tiling 2D for surfaces), signed distances of simple
// shapes with antialiased coverage, colour mixing, and the PNG and JPEG
// writers. Everything is a pure function of its arguments, so a picture
// comes out the same, byte for byte, on every run.
#include "platform/img/image.h"

#include <cmath>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace paint {

struct Color {
    float r = 0, g = 0, b = 0, a = 1;
    Color() = default;
    constexpr Color(float r_, float g_, float b_, float a_ = 1.0f) : r(r_), g(g_), b(b_), a(a_) { }
    Color operator*(float s) const { return Color(r * s, g * s, b * s, a * s); }
    Color operator+(const Color& c) const { return Color(r + c.r, g + c.g, b + c.b, a + c.a); }
};

struct P2 {
    float x = 0, y = 0;
    P2() = default;
    constexpr P2(float x_, float y_) : x(x_), y(y_) { }
    P2 operator+(P2 o) const { return P2(x + o.x, y + o.y); }
    P2 operator-(P2 o) const { return P2(x - o.x, y - o.y); }
    P2 operator*(float s) const { return P2(x * s, y * s); }
    float length() const { return std::sqrt(x * x + y * y); }
};

inline float clamp01(float x)
{
    return x < 0 ? 0 : (x > 1 ? 1 : x);
}
inline float mix(float a, float b, float t)
{
    return a + (b - a) * t;
}
Color mix(const Color& a, const Color& b, float t);
float smoothstep(float e0, float e1, float x);

// 32-bit integer hash (xorshift-multiply), and one of three coordinates
// and a seed to a float in 0..1.
inline uint32_t hash(uint32_t x)
{
    x ^= x >> 16;
    x *= 0x7feb352dU;
    x ^= x >> 15;
    x *= 0x846ca68bU;
    x ^= x >> 16;
    return x;
}

inline float hashFloat(uint32_t a, uint32_t b = 0, uint32_t c = 0, uint32_t seed = 0)
{
    uint32_t h = hash(a * 0x8da6b343U ^ b * 0xd8163841U ^ c * 0xcb1ab31fU ^ seed * 0x9e3779b9U);
    return static_cast<float>(h >> 8) * (1.0f / 16777216.0f);
}

// Value noise in 0..1 with quintic smoothing. The 2D form repeats every
// periodX units in x and periodY units in y, so a texture that feeds it
// u x periodX and v x periodY tiles.
float noise3(float x, float y, float z, uint32_t seed);
float noiseTile(float x, float y, int periodX, int periodY, uint32_t seed);
// Sums of octaves (each twice the frequency, half the weight), in 0..1.
float fbm3(float x, float y, float z, int octaves, uint32_t seed);
float fbmTile(float u, float v, int period, int octaves, uint32_t seed);

// Distance from the nearest and second nearest feature point of a tiling
// cell grid (period cells across 0..1), for cracks and cells.
void cellsTile(float u, float v, int period, uint32_t seed, float& f1, float& f2);

// Signed distances (negative inside).
float sdDisc(P2 p, P2 centre, float radius);
float sdSegment(P2 p, P2 a, P2 b, float halfWidth);
float sdBox(P2 p, P2 centre, P2 half, float round = 0.0f);
float sdPolygon(P2 p, const std::vector<P2>& points);
// A polyline of strokes of the given half width.
float sdPolyline(P2 p, const std::vector<P2>& points, float halfWidth);
P2 rotate(P2 p, float degrees);

// Coverage of a shape of signed distance d where a texel is px across.
inline float cover(float d, float px)
{
    return clamp01(0.5f - d / px);
}

// Paints colour c over dst with the coverage (straight alpha).
void over(float dst[4], const Color& c, float coverage = 1.0f);
// Adds light: rgb += c.rgb * amount, alpha raised towards c.a * amount.
void glow(float dst[4], const Color& c, float amount);

// A picture of the given size, painted texel by texel. The painter gets
// the texel centre as (u, v) in 0..1 and as (x, y) in -1..1 (y down), the
// size of one texel in the -1..1 frame, and the texel's colour (starting
// transparent black).
struct Texel {
    float u, v, x, y, px;
};
using Painter = std::function<void(const Texel& t, float rgba[4])>;
img::Image render(int width, int height, const Painter& painter);

// The output: files under the game folder, written atomically. Names are
// game paths with backslashes ("textures\spark.png").
class Output {
public:
    explicit Output(std::string gameDir) : mGameDir(std::move(gameDir)) { }
    // PNG with alpha when `alpha`, else RGB.
    void png(const std::string& name, const img::Image& image, bool alpha);
    // Baseline JPEG, RGB.
    void jpeg(const std::string& name, const img::Image& image, int quality = 92);
    // The same, painted first.
    void png(const std::string& name, int width, int height, bool alpha, const Painter& painter)
    {
        png(name, render(width, height, painter), alpha);
    }
    void jpeg(const std::string& name, int width, int height, int quality, const Painter& painter)
    {
        jpeg(name, render(width, height, painter), quality);
    }
    bool ok() const { return mOk; }
    const std::vector<std::string>& written() const { return mWritten; }

private:
    void write(const std::string& name, const std::string& bytes);
    std::string mGameDir;
    std::vector<std::string> mWritten;
    bool mOk = true;
};

} // namespace paint
