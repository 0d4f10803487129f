#include "tools/gen_textures/marks.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace gen {

using namespace paint;

// A filled shape with a dark outline of the given width.
void outlined(float rgba[4], const Texel& t, const Shape& shape, const Color& fill, float outline)
{
    P2 p(t.x, t.y);
    float d = shape(p);
    over(rgba, Color(0.05f, 0.05f, 0.1f, 1.0f), cover(d - outline, t.px));
    over(rgba, fill, cover(d, t.px));
}

// A lit sphere: a disc whose colour brightens towards the upper left.
void sphere(float rgba[4], const Texel& t, P2 centre, float r, const Color& base)
{
    P2 p(t.x, t.y);
    float d = sdDisc(p, centre, r);
    P2 q = (p - centre) * (1.0f / r);
    float light =
        clamp01(0.55f - 0.45f * (q.x + q.y) * 0.7f + 0.2f * std::sqrt(std::max(0.0f, 1 - q.x * q.x - q.y * q.y)));
    float spec = std::exp(-((q.x + 0.35f) * (q.x + 0.35f) + (q.y + 0.4f) * (q.y + 0.4f)) * 14.0f);
    Color c = base * (0.35f + 0.9f * light) + Color(1, 1, 1, 0) * (spec * 0.8f);
    c.a = 1.0f;
    over(rgba, Color(0.05f, 0.05f, 0.1f), cover(d - 0.04f, t.px));
    over(rgba, c, cover(d, t.px));
}

namespace {

// The stroke letters, as polylines in a unit box (y down).
const std::vector<std::vector<P2>>& letter(char c)
{
    static const std::vector<std::vector<P2>> T = {{{0, 0}, {1, 0}}, {{0.5f, 0}, {0.5f, 1}}};
    static const std::vector<std::vector<P2>> A = {{{0, 1}, {0.5f, 0}, {1, 1}}, {{0.25f, 0.6f}, {0.75f, 0.6f}}};
    static const std::vector<std::vector<P2>> R = {
        {{0, 1}, {0, 0}, {0.7f, 0}, {0.95f, 0.15f}, {0.95f, 0.35f}, {0.7f, 0.5f}, {0, 0.5f}}, {{0.5f, 0.5f}, {1, 1}}};
    static const std::vector<std::vector<P2>> V = {{{0, 0}, {0.5f, 1}, {1, 0}}};
    static const std::vector<std::vector<P2>> E = {{{1, 0}, {0, 0}, {0, 1}, {1, 1}}, {{0, 0.5f}, {0.75f, 0.5f}}};
    static const std::vector<std::vector<P2>> L = {{{0, 0}, {0, 1}, {1, 1}}};
    static const std::vector<std::vector<P2>> I = {{{0.5f, 0}, {0.5f, 1}}};
    static const std::vector<std::vector<P2>> N = {{{0, 1}, {0, 0}, {1, 1}, {1, 0}}};
    static const std::vector<std::vector<P2>> v = {{{0, 0.4f}, {0.5f, 1}, {1, 0.4f}}};
    static const std::vector<std::vector<P2>> one = {{{0.1f, 0.22f}, {0.6f, 0}, {0.6f, 1}}};
    static const std::vector<std::vector<P2>> two = {
        {{0.02f, 0.22f}, {0.25f, 0.02f}, {0.7f, 0.02f}, {0.95f, 0.22f}, {0.9f, 0.45f}, {0, 1}, {1, 1}}};
    static const std::vector<std::vector<P2>> point = {{{0.5f, 0.97f}, {0.5f, 0.98f}}};
    switch (c) {
    case 'T': return T;
    case 'A': return A;
    case 'R': return R;
    case 'V': return V;
    case 'E': return E;
    case 'L': return L;
    case 'I': return I;
    case 'v': return v;
    case '1': return one;
    case '2': return two;
    case '.': return point;
    default: return N;
    }
}

// Width of a letter's box; the I and the point are narrow, the 1 a little.
float letterWidth(char c, float w)
{
    if (c == 'I' || c == '.')
        return w * 0.3f;
    return c == '1' ? w * 0.6f : w;
}

} // namespace

float wordWidth(const char* word, float w, float gap)
{
    float x = 0;
    for (const char* c = word; *c; ++c)
        x += letterWidth(*c, w) + (c[1] ? gap : 0.0f);
    return x;
}

// Distance to the word's strokes; letters w wide and h high from x0, y0.
float sdWord(P2 p, const char* word, float x0, float y0, float w, float h, float gap, float halfWidth)
{
    float d = 1e9f;
    float x = x0;
    for (const char* c = word; *c; ++c) {
        float lw = letterWidth(*c, w);
        float shift = lw < w ? -0.5f * (w - lw) : 0.0f; // narrow letters keep their strokes centred
        for (const auto& line : letter(*c)) {
            std::vector<P2> placed;
            for (P2 q : line)
                placed.push_back(P2(x + shift + q.x * w, y0 + q.y * h));
            d = std::min(d, sdPolyline(p, placed, halfWidth));
        }
        x += lw + gap;
    }
    return d;
}

} // namespace gen
