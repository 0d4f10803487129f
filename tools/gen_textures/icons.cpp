// Pictures of the screen overlays and the HUD: pointer, logo, heart, the
// throw-angle arrow and one badge per bonus kind. Each is a few shapes given
// by signed distances, painted with antialiased edges in the -1..1 frame of
// the picture (y down).
#include "tools/gen_textures/gen_textures.h"
#include "tools/gen_textures/marks.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace gen {

using namespace paint;

namespace {

float sdHeart(P2 p, float size)
{
    P2 q = p * (1.0f / size);
    float lobes = std::min(sdDisc(q, P2(-0.42f, -0.2f), 0.46f), sdDisc(q, P2(0.42f, -0.2f), 0.46f));
    float point = sdBox(rotate(q - P2(0, 0.12f), 45.0f), P2(0, 0), P2(0.5f, 0.5f));
    return std::min(lobes, point) * size;
}

void writeOverlays(Output& out)
{
    // The pointer: its tip is the picture's top-left corner.
    out.png("textures\\cursor.png", 64, 64, true, [](const Texel& t, float rgba[4]) {
        static const std::vector<P2> arrow = {{0.03f, 0.03f}, {0.03f, 0.78f}, {0.21f, 0.61f}, {0.34f, 0.9f},
                                              {0.46f, 0.84f}, {0.33f, 0.56f}, {0.57f, 0.56f}};
        float px = t.px * 0.5f;
        float d = sdPolygon(P2(t.u, t.v), arrow);
        over(rgba, Color(0.02f, 0.02f, 0.08f), cover(d - 0.035f, px));
        over(rgba, mix(Color(1, 1, 1), Color(0.7f, 0.82f, 1.0f), t.v), cover(d, px));
    });

    out.png("textures\\heart.png", 64, 64, true, [](const Texel& t, float rgba[4]) {
        outlined(
            rgba, t, [](P2 p) { return sdHeart(p, 0.85f); },
            mix(Color(1.0f, 0.35f, 0.4f), Color(0.75f, 0.05f, 0.12f), t.v), 0.07f);
        float shine = sdDisc(P2(t.x, t.y), P2(-0.38f, -0.38f), 0.13f);
        over(rgba, Color(1, 1, 1, 0.75f), cover(shine, t.px));
    });

    // The throw-angle pointer: an arrow head at the top rim, stem downwards.
    out.png("textures\\ball_angle.png", 64, 64, true, [](const Texel& t, float rgba[4]) {
        static const std::vector<P2> head = {{0, -0.97f}, {0.24f, -0.6f}, {-0.24f, -0.6f}};
        auto shape = [](P2 p) {
            return std::min(sdPolygon(p, head), sdSegment(p, P2(0, -0.65f), P2(0, -0.3f), 0.07f));
        };
        outlined(rgba, t, shape, Color(1.0f, 0.9f, 0.3f), 0.06f);
    });

    // The title: the name in stroke letters with a gold fill, a dark edge
    // and a blue glow, over a swept arc.
    out.png("textures\\logo.png", 512, 256, true, [](const Texel& t, float rgba[4]) {
        P2 p(t.x, t.y);
        const float w = 0.18f, h = 0.34f, gap = 0.07f;
        float x0 = -wordWidth("TARVELIN", w, gap) * 0.5f;
        float d = sdWord(p, "TARVELIN", x0, -0.26f, w, h, gap, 0.035f);
        float arc = std::fabs(sdDisc(p, P2(0, -1.45f), 1.65f)) - 0.012f;
        arc = std::max(arc, std::fabs(t.x) - 0.85f);
        over(rgba, Color(0.3f, 0.55f, 1.0f, 0.55f * std::exp(-std::max(0.0f, d) * 25.0f)));
        over(rgba, Color(0.9f, 0.6f, 0.2f, 0.9f * (1.0f - std::fabs(t.x) / 0.85f)), cover(arc, t.px));
        over(rgba, Color(0.08f, 0.05f, 0.15f), cover(d - 0.018f, t.px));
        float g = clamp01((t.y + 0.26f) / 0.34f);
        over(rgba, mix(Color(1.0f, 0.95f, 0.6f), Color(0.95f, 0.5f, 0.1f), g), cover(d, t.px));
    });
}

// One bonus badge: a dark disc inside a rim of the kind's colour, with the
// kind's sign painted over it.
using Sign = void (*)(float rgba[4], const Texel& t);

void badge(Output& out, const char* name, const Color& rim, Sign sign)
{
    out.png(std::string("textures\\") + name + ".png", 64, 64, true, [&](const Texel& t, float rgba[4]) {
        P2 p(t.x, t.y);
        float d = sdDisc(p, P2(0, 0), 0.94f);
        over(rgba, Color(0.03f, 0.03f, 0.06f), cover(d, t.px));
        over(rgba, rim * (0.75f + 0.25f * clamp01(-t.y)), cover(std::fabs(d + 0.07f) - 0.05f, t.px));
        over(rgba, mix(Color(0.18f, 0.2f, 0.3f), Color(0.06f, 0.06f, 0.12f), clamp01(t.y * 0.5f + 0.5f)),
             cover(d + 0.14f, t.px));
        sign(rgba, t);
    });
}

void chevrons(float rgba[4], const Texel& t, float direction, const Color& c)
{
    auto shape = [direction](P2 p) {
        float x = p.x * direction;
        float a = sdPolyline(P2(x, p.y), {{-0.45f, -0.4f}, {-0.05f, 0}, {-0.45f, 0.4f}}, 0.1f);
        float b = sdPolyline(P2(x, p.y), {{0.05f, -0.4f}, {0.45f, 0}, {0.05f, 0.4f}}, 0.1f);
        return std::min(a, b);
    };
    outlined(rgba, t, shape, c, 0.05f);
}

void writeBonusIcons(Output& out)
{
    const Color pale(1, 1, 0.9f), green(0.5f, 1, 0.5f), orange(1, 0.9f, 0.5f);
    badge(out, "bonus_ballnormal", pale,
          [](float* c, const Texel& t) { sphere(c, t, P2(0, 0), 0.5f, Color(0.7f, 0.78f, 0.95f)); });
    badge(out, "bonus_ballheavy", pale, [](float* c, const Texel& t) {
        sphere(c, t, P2(0, 0), 0.55f, Color(0.35f, 0.33f, 0.36f));
        for (int i = 0; i < 8; ++i)
            over(c, Color(0.75f, 0.72f, 0.65f),
                 cover(sdDisc(P2(t.x, t.y), rotate(P2(0.38f, 0), i * 45.0f), 0.05f), t.px));
    });
    badge(out, "bonus_ballphantom", pale, [](float* c, const Texel& t) {
        P2 p(t.x, t.y);
        float wave = 0.05f * std::sin(std::atan2(p.y, p.x) * 6.0f);
        over(c, Color(0.75f, 0.8f, 1.0f, 0.35f), cover(sdDisc(p, P2(0, 0), 0.5f + wave), t.px));
        over(c, Color(0.85f, 0.9f, 1.0f, 0.9f), cover(std::fabs(sdDisc(p, P2(0, 0), 0.5f + wave)) - 0.04f, t.px));
    });
    badge(out, "bonus_ballfire", pale, [](float* c, const Texel& t) {
        P2 p(t.x, t.y);
        for (int i = -1; i <= 1; ++i) {
            float d = sdPolygon(
                p,
                {{i * 0.28f - 0.14f, -0.05f}, {i * 0.22f, -0.7f + std::abs(i) * 0.15f}, {i * 0.28f + 0.14f, -0.05f}});
            over(c, Color(1.0f, 0.55f + 0.2f * std::abs(i), 0.1f), cover(d, t.px));
        }
        sphere(c, t, P2(0, 0.12f), 0.42f, Color(1.0f, 0.45f, 0.1f));
    });
    badge(out, "bonus_ballelectro", pale, [](float* c, const Texel& t) {
        sphere(c, t, P2(0, 0), 0.5f, Color(0.3f, 0.45f, 1.0f));
        auto bolt = [](P2 p) {
            return sdPolygon(
                p,
                {{0.12f, -0.62f}, {-0.22f, 0.05f}, {0.02f, 0.05f}, {-0.12f, 0.62f}, {0.24f, -0.08f}, {0.0f, -0.08f}});
        };
        outlined(c, t, bolt, Color(1.0f, 0.95f, 0.3f), 0.04f);
    });
    badge(out, "bonus_ballgenerative", pale, [](float* c, const Texel& t) {
        sphere(c, t, P2(-0.08f, 0.08f), 0.4f, Color(0.35f, 0.85f, 0.35f));
        for (int i = 0; i < 3; ++i)
            sphere(c, t, rotate(P2(0.56f, 0), -20.0f - i * 50.0f), 0.14f, Color(0.6f, 1.0f, 0.5f));
    });
    badge(out, "bonus_hand", pale, [](float* c, const Texel& t) {
        auto glove = [](P2 p) {
            float d = sdBox(p, P2(0, 0.2f), P2(0.3f, 0.28f), 0.12f);
            for (int i = 0; i < 4; ++i) {
                float x = -0.22f + i * 0.15f;
                d = std::min(d, sdSegment(p, P2(x, 0.0f), P2(x, -0.5f + std::abs(i - 1.5f) * 0.08f), 0.07f));
            }
            return std::min(d, sdSegment(p, P2(0.25f, 0.25f), P2(0.5f, -0.05f), 0.08f));
        };
        outlined(c, t, glove, Color(0.98f, 0.95f, 0.88f), 0.05f);
    });
    badge(out, "bonus_boomer", pale, [](float* c, const Texel& t) {
        // Two arms at a wide angle with a rounded elbow.
        auto shape = [](P2 p) {
            return sdPolyline(p, {{-0.6f, 0.3f}, {-0.18f, -0.3f}, {-0.05f, -0.36f}, {0.08f, -0.3f}, {0.6f, 0.12f}},
                              0.12f);
        };
        outlined(c, t, shape, Color(0.8f, 0.5f, 0.22f), 0.05f);
    });
    badge(out, "bonus_bomb", pale, [](float* c, const Texel& t) {
        P2 p(t.x, t.y);
        over(c, Color(0.6f, 0.5f, 0.35f),
             cover(sdPolyline(p, {{0.2f, -0.3f}, {0.35f, -0.55f}, {0.55f, -0.6f}}, 0.04f), t.px));
        sphere(c, t, P2(-0.08f, 0.12f), 0.45f, Color(0.2f, 0.2f, 0.24f));
        float spark = std::exp(-((p.x - 0.58f) * (p.x - 0.58f) + (p.y + 0.62f) * (p.y + 0.62f)) * 80.0f);
        over(c, Color(1.0f, 0.9f, 0.3f, spark * 1.5f));
    });
    badge(out, "bonus_grenade", pale, [](float* c, const Texel& t) {
        P2 p(t.x, t.y);
        over(c, Color(0.8f, 0.8f, 0.75f), cover(std::fabs(sdDisc(p, P2(0.3f, -0.52f), 0.13f)) - 0.03f, t.px));
        outlined(
            c, t, [](P2 q) { return sdBox(q, P2(0.02f, -0.45f), P2(0.14f, 0.1f), 0.03f); }, Color(0.5f, 0.5f, 0.45f),
            0.04f);
        outlined(
            c, t, [](P2 q) { return sdDisc(P2(q.x / 0.8f, q.y), P2(0, 0.1f), 0.48f) * 0.8f; },
            Color(0.35f, 0.45f, 0.2f), 0.04f);
        for (int i = -1; i <= 1; ++i)
            over(c, Color(0.15f, 0.2f, 0.08f),
                 cover(sdSegment(p, P2(-0.35f, 0.1f + i * 0.2f), P2(0.35f, 0.1f + i * 0.2f), 0.02f), t.px));
    });
    badge(out, "bonus_minspeed", pale,
          [](float* c, const Texel& t) { chevrons(c, t, -1.0f, Color(0.4f, 0.85f, 1.0f)); });
    badge(out, "bonus_maxspeed", pale,
          [](float* c, const Texel& t) { chevrons(c, t, 1.0f, Color(1.0f, 0.45f, 0.2f)); });
    badge(out, "bonus_death", orange, [](float* c, const Texel& t) {
        P2 p(t.x, t.y);
        auto skull = [](P2 q) {
            return std::min(sdDisc(q, P2(0, -0.12f), 0.45f), sdBox(q, P2(0, 0.35f), P2(0.24f, 0.16f), 0.05f));
        };
        outlined(c, t, skull, Color(0.95f, 0.92f, 0.85f), 0.05f);
        Color hole(0.08f, 0.05f, 0.05f);
        over(c, hole, cover(sdDisc(p, P2(-0.18f, -0.08f), 0.12f), t.px));
        over(c, hole, cover(sdDisc(p, P2(0.18f, -0.08f), 0.12f), t.px));
        over(c, hole, cover(sdPolygon(p, {{0, 0.08f}, {0.07f, 0.2f}, {-0.07f, 0.2f}}), t.px));
        for (int i = -1; i <= 1; ++i)
            over(c, hole, cover(sdSegment(p, P2(i * 0.1f, 0.3f), P2(i * 0.1f, 0.48f), 0.02f), t.px));
    });
    badge(out, "bonus_life", green, [](float* c, const Texel& t) {
        outlined(
            c, t, [](P2 p) { return sdHeart(p, 0.55f); }, Color(0.95f, 0.2f, 0.3f), 0.05f);
        P2 p(t.x, t.y);
        float plus = std::min(sdBox(p, P2(0, -0.08f), P2(0.2f, 0.06f)), sdBox(p, P2(0, -0.08f), P2(0.06f, 0.2f)));
        over(c, Color(1, 1, 1), cover(plus, t.px));
    });
    badge(out, "bonus_frost", orange, [](float* c, const Texel& t) {
        auto flake = [](P2 p) {
            float d = 1e9f;
            for (int i = 0; i < 6; ++i) {
                P2 q = rotate(p, -60.0f * i);
                d = std::min(d, sdSegment(q, P2(0, 0), P2(0, -0.6f), 0.05f));
                d = std::min(d, sdPolyline(q, {{-0.16f, -0.5f}, {0, -0.36f}, {0.16f, -0.5f}}, 0.04f));
            }
            return d;
        };
        outlined(c, t, flake, Color(0.75f, 0.9f, 1.0f), 0.04f);
    });
    badge(out, "bonus_next", green, [](float* c, const Texel& t) {
        auto arrow = [](P2 p) {
            float head = sdPolygon(p, {{0.15f, -0.4f}, {0.5f, 0}, {0.15f, 0.4f}});
            return std::min({head, sdBox(p, P2(-0.2f, 0), P2(0.36f, 0.12f)), sdBox(p, P2(0.6f, 0), P2(0.05f, 0.42f))});
        };
        outlined(c, t, arrow, Color(0.55f, 1.0f, 0.55f), 0.05f);
    });
}

} // namespace

void writeIcons(Output& out)
{
    writeOverlays(out);
    writeBonusIcons(out);
}

} // namespace gen
