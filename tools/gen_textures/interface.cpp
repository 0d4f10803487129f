// Pictures of the interface's widgets: the option list's arrow buttons, the
// slider's groove and knob, the text entry's field and the window's panel.
// The shaders tint them with the widget colours, so most are white shapes
// whose alpha is the coverage, with a little shading kept in the grey.
#include "tools/gen_textures/gen_textures.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace gen {

using namespace paint;

namespace {

// A rounded panel over the whole picture: a dark translucent fill, a light
// rim and a faint highlight along the top. aspect = width / height.
void panel(float rgba[4], const Texel& t, float aspect, float round, float rim, float fillAlpha)
{
    P2 p(t.x * aspect, t.y);
    float d = sdBox(p, P2(0, 0), P2(aspect - 0.02f, 0.98f), round);
    float px = t.px * aspect;
    float shade = 0.5f - 0.5f * t.y;
    over(rgba, mix(Color(0.05f, 0.07f, 0.16f, fillAlpha), Color(0.12f, 0.16f, 0.3f, fillAlpha), shade),
         cover(d, px));
    over(rgba, Color(0.75f, 0.82f, 1.0f, 0.9f), cover(std::fabs(d + rim) - rim * 0.6f, px));
}

} // namespace

void writeInterface(Output& out)
{
    // Option-list buttons: a left arrow in the left half, a right arrow in
    // the right half.
    out.png("textures\\ui_select.png", 64, 32, true, [](const Texel& t, float rgba[4]) {
        float local = t.x < 0 ? (t.x + 0.5f) * 2.0f : (t.x - 0.5f) * 2.0f; // -1..1 within each half
        float direction = t.x < 0 ? -1.0f : 1.0f;
        P2 p(local * direction, t.y);
        static const std::vector<P2> head = {{0.55f, 0}, {-0.4f, -0.62f}, {-0.4f, 0.62f}};
        float d = sdPolygon(p, head) - 0.05f;
        float px = t.px * 2.0f;
        over(rgba, Color(0.2f, 0.2f, 0.25f, 0.8f), cover(d - 0.1f, px));
        over(rgba, mix(Color(1, 1, 1), Color(0.75f, 0.75f, 0.8f), clamp01(t.y * 0.5f + 0.5f)), cover(d, px));
    });

    // The slider's groove: a rounded bar, lighter at the bottom edge.
    out.png("textures\\ui_tracker1.png", 128, 16, true, [](const Texel& t, float rgba[4]) {
        const float aspect = 8.0f;
        P2 p(t.x * aspect, t.y);
        float d = sdBox(p, P2(0, 0), P2(aspect - 0.05f, 0.8f), 0.75f);
        float px = t.px * aspect;
        over(rgba, Color(0.25f, 0.25f, 0.3f, 0.85f), cover(d, px));
        over(rgba, Color(0.9f, 0.9f, 0.95f, 0.9f), cover(d + 0.3f, px));
        over(rgba, Color(1, 1, 1, 0.5f * clamp01(t.y)), cover(d + 0.3f, px));
    });

    // The slider's knob: a lit sphere-like disc.
    out.png("textures\\ui_tracker2.png", 32, 64, true, [](const Texel& t, float rgba[4]) {
        P2 p(t.x, t.y * 2.0f);
        float d = sdBox(p, P2(0, 0), P2(0.8f, 1.8f), 0.75f);
        float light = clamp01(0.75f - 0.35f * t.x - 0.3f * t.y);
        over(rgba, Color(0.15f, 0.15f, 0.2f), cover(d, t.px));
        over(rgba, Color(light, light, light), cover(d + 0.18f, t.px));
    });

    // The text entry's field: dark and translucent, with a light rim.
    out.png("textures\\ui_edit.png", 128, 32, true,
            [](const Texel& t, float rgba[4]) { panel(rgba, t, 4.0f, 0.25f, 0.08f, 0.75f); });

    // The window's panel.
    out.png("textures\\ui_window.png", 128, 128, true,
            [](const Texel& t, float rgba[4]) { panel(rgba, t, 1.0f, 0.08f, 0.02f, 0.82f); });
}

} // namespace gen
