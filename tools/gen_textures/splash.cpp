// The pictures of the splash sequence under "splash\": a backdrop that
// darkens towards the edges, an emblem of a ball breaking a stack of
// bricks, and the title card with the game's name and version.
#include "core/version.h"
#include "tools/gen_textures/gen_textures.h"
#include "tools/gen_textures/marks.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <string>

namespace gen {

using namespace paint;

namespace {

std::string upper(const char* text)
{
    std::string s(text);
    for (char& c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

// One brick: a rounded box lit from the upper left, with a dark edge.
void brick(float rgba[4], const Texel& t, P2 centre, P2 half, float angle, const Color& base)
{
    P2 q = rotate(P2(t.x, t.y) - centre, -angle);
    float d = sdBox(q, P2(0, 0), half, 0.02f);
    float light = clamp01(0.75f - 0.35f * (q.x / half.x + q.y / half.y));
    Color c = base * (0.55f + 0.6f * light);
    c.a = 1.0f;
    over(rgba, Color(0.04f, 0.03f, 0.08f), cover(d - 0.018f, t.px));
    over(rgba, c, cover(d, t.px));
}

void writeBackdrop(Output& out)
{
    // Grey, so the splash entry's background colour tints it; brightest a
    // little above the middle.
    out.png("splash\\backdrop.png", 256, 256, false, [](const Texel& t, float rgba[4]) {
        float r = P2(t.x, (t.y + 0.15f) * 1.2f).length();
        float n = fbm3(t.x * 3.0f, t.y * 3.0f, 0.5f, 4, 71);
        float v = clamp01(1.0f - 0.55f * r * r) * (0.9f + 0.2f * n);
        rgba[0] = rgba[1] = rgba[2] = clamp01(v);
        rgba[3] = 1.0f;
    });
}

void writeEmblem(Output& out)
{
    out.png("splash\\emblem.png", 256, 256, true, [](const Texel& t, float rgba[4]) {
        P2 p(t.x, t.y);
        // A soft ring behind everything.
        float ring = std::fabs(sdDisc(p, P2(0, 0), 0.86f)) - 0.025f;
        over(rgba, Color(0.35f, 0.6f, 1.0f, 0.35f * std::exp(-std::max(0.0f, ring) * 30.0f)));
        over(rgba, Color(0.55f, 0.75f, 1.0f, 0.9f), cover(ring, t.px));
        // The stack: two rows of bricks, the top right one knocked loose.
        const Color wood(0.78f, 0.5f, 0.26f), glass(0.45f, 0.8f, 0.95f), stone(0.62f, 0.6f, 0.66f);
        const P2 half(0.19f, 0.1f);
        brick(rgba, t, P2(-0.42f, 0.52f), half, 0.0f, stone);
        brick(rgba, t, P2(-0.02f, 0.52f), half, 0.0f, wood);
        brick(rgba, t, P2(0.38f, 0.52f), half, 0.0f, stone);
        brick(rgba, t, P2(-0.22f, 0.3f), half, 0.0f, glass);
        brick(rgba, t, P2(0.3f, 0.16f), half, 28.0f, wood);
        // Splinters flying off where the ball struck.
        for (int i = 0; i < 7; ++i) {
            P2 c = P2(0.2f, 0.1f) + rotate(P2(0.3f + 0.08f * (i % 3), 0), -20.0f - i * 24.0f);
            brick(rgba, t, c, P2(0.035f, 0.025f), i * 37.0f, i % 2 ? glass : wood);
        }
        // The ball's trail, then the ball.
        float trail = sdSegment(p, P2(-0.62f, -0.7f), P2(-0.04f, -0.2f), 0.0f);
        float along = clamp01((p.x + 0.62f) / 0.58f);
        over(rgba, Color(1.0f, 0.85f, 0.45f, 0.6f * along * std::exp(-std::max(0.0f, trail) * 18.0f)));
        sphere(rgba, t, P2(-0.02f, -0.18f), 0.16f, Color(0.9f, 0.92f, 1.0f));
    });
}

void writeTitle(Output& out)
{
    const std::string name = upper(PRODUCT_NAME);
    const std::string version = PRODUCT_VERSION;
    // The picture is twice as wide as high: y runs from -0.5 to 0.5.
    out.png("splash\\title.png", 512, 256, true, [&](const Texel& t, float rgba[4]) {
        P2 p(t.x, t.y);
        // The name: gold stroke letters with a dark edge and a blue glow.
        const float w = 0.15f, h = 0.32f, gap = 0.065f, top = -0.36f;
        float d = sdWord(p, name.c_str(), -wordWidth(name.c_str(), w, gap) * 0.5f, top, w, h, gap, 0.03f);
        over(rgba, Color(0.3f, 0.55f, 1.0f, 0.5f * std::exp(-std::max(0.0f, d) * 22.0f)));
        over(rgba, Color(0.08f, 0.05f, 0.15f), cover(d - 0.016f, t.px));
        float g = clamp01((t.y - top) / h);
        over(rgba, mix(Color(1.0f, 0.95f, 0.6f), Color(0.95f, 0.5f, 0.1f), g), cover(d, t.px));
        // A rule under the name with a ball resting on it.
        float rule = sdSegment(p, P2(-0.8f, 0.15f), P2(0.8f, 0.15f), 0.005f);
        over(rgba, Color(0.9f, 0.6f, 0.2f, 0.9f * (1.0f - std::fabs(t.x) / 0.8f)), cover(rule, t.px));
        sphere(rgba, t, P2(0.6f, 0.11f), 0.035f, Color(0.75f, 0.85f, 1.0f));
        // The version, small and pale, on the right under the rule.
        const float vw = 0.045f, vh = 0.11f, vgap = 0.022f;
        float vd = sdWord(p, version.c_str(), 0.8f - wordWidth(version.c_str(), vw, vgap), 0.24f, vw, vh, vgap, 0.011f);
        over(rgba, Color(0.75f, 0.85f, 1.0f), cover(vd, t.px));
    });
}

} // namespace

void writeSplash(Output& out)
{
    writeBackdrop(out);
    writeEmblem(out);
    writeTitle(out);
}

} // namespace gen
