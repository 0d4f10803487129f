// Particles, light spots, cracks and the surfaces of blocks, table and
// balls. Particle pictures are white with alpha so the particle's colour
// tints them; surfaces that repeat over a mesh tile in both directions.
#include "tools/gen_textures/gen_textures.h"

#include <algorithm>
#include <cmath>

namespace gen {

using namespace paint;

namespace {

void set(float rgba[4], const Color& c)
{
    rgba[0] = c.r;
    rgba[1] = c.g;
    rgba[2] = c.b;
    rgba[3] = c.a;
}

float radius(const Texel& t)
{
    return std::sqrt(t.x * t.x + t.y * t.y);
}

// White with a given alpha.
void white(float rgba[4], float alpha)
{
    set(rgba, Color(1, 1, 1, clamp01(alpha)));
}

// Light and shade along the edges of a square tile: +1 on the top and left
// bevel, -1 on the bottom and right, 0 inside.
float bevel(float u, float v, float width)
{
    float left = 1.0f - smoothstep(0.0f, width, u), top = 1.0f - smoothstep(0.0f, width, v);
    float right = 1.0f - smoothstep(0.0f, width, 1.0f - u), bottom = 1.0f - smoothstep(0.0f, width, 1.0f - v);
    return std::max(left, top) - std::max(right, bottom);
}

// A bright ragged line along the borders of tiling cells, in 0..1.
float cellEdges(float u, float v, int period, float width, uint32_t seed)
{
    float f1, f2;
    cellsTile(u, v, period, seed, f1, f2);
    return 1.0f - smoothstep(0.0f, width, f2 - f1);
}

void writeParticles(Output& out)
{
    out.png("textures\\glow.png", 128, 128, true, [](const Texel& t, float rgba[4]) {
        float r = radius(t);
        float a = clamp01(1.0f - r);
        white(rgba, a * a * (0.6f + 0.4f * a));
    });
    out.png("textures\\spark.png", 64, 64, true, [](const Texel& t, float rgba[4]) {
        float r = radius(t);
        float core = std::exp(-r * r * 40.0f);
        float rays = std::exp(-std::fabs(t.x) * 40.0f) + std::exp(-std::fabs(t.y) * 40.0f);
        float fadeOut = clamp01(1.0f - r);
        white(rgba, core + 0.6f * rays * fadeOut * fadeOut + 0.35f * clamp01(1.0f - r * 1.6f));
    });
    out.png("textures\\ring.png", 128, 128, true, [](const Texel& t, float rgba[4]) {
        float r = radius(t);
        float ring = std::exp(-(r - 0.78f) * (r - 0.78f) * 300.0f);
        white(rgba, ring + 0.15f * smoothstep(0.85f, 0.3f, r));
    });
    out.png("textures\\smoke.png", 128, 128, true, [](const Texel& t, float rgba[4]) {
        float r = radius(t);
        float n = fbm3(t.x * 3.0f, t.y * 3.0f, 0.5f, 5, 101);
        float a = smoothstep(1.0f, 0.2f, r + (n - 0.5f) * 0.5f) * (0.45f + 0.55f * n);
        float shade = 0.7f + 0.3f * clamp01(0.5f - t.y * 0.5f) * n;
        set(rgba, Color(shade, shade, shade, a * 0.85f));
    });
    out.png("textures\\flare.png", 128, 128, true, [](const Texel& t, float rgba[4]) {
        float r = radius(t);
        float core = std::exp(-r * r * 18.0f);
        float halo = clamp01(1.0f - r) * 0.35f;
        float streak = std::exp(-std::fabs(t.y) * 60.0f) * clamp01(1.0f - std::fabs(t.x)) +
            std::exp(-std::fabs(t.x) * 60.0f) * clamp01(1.0f - std::fabs(t.y)) * 0.6f;
        float ring = std::exp(-(r - 0.6f) * (r - 0.6f) * 500.0f) * 0.25f;
        float a = core + halo * halo * 3.0f + streak * 0.8f + ring;
        set(rgba, Color(1.0f, 1.0f - 0.1f * r, 1.0f - 0.05f * r, clamp01(a)));
    });
    out.png("textures\\comet.png", 64, 64, true, [](const Texel& t, float rgba[4]) {
        float r = radius(t);
        float a = std::exp(-r * r * 25.0f) + 0.5f * std::pow(clamp01(1.0f - r), 3.0f);
        white(rgba, a);
    });
    out.png("textures\\blast.png", 128, 128, true, [](const Texel& t, float rgba[4]) {
        float r = radius(t);
        float n = fbm3(t.x * 4.0f, t.y * 4.0f, 1.5f, 5, 111);
        float body = smoothstep(0.95f, 0.35f, r + (n - 0.5f) * 0.6f) * smoothstep(1.0f, 0.8f, r);
        float heat = clamp01(1.2f - r * 1.1f) * (0.6f + 0.4f * n);
        Color c = mix(Color(1.0f, 0.45f, 0.15f), Color(1.0f, 0.95f, 0.75f), heat);
        c.a = body;
        set(rgba, c);
    });
    out.png("textures\\lightspot.png", 128, 128, true, [](const Texel& t, float rgba[4]) {
        float r = radius(t);
        float a = std::exp(-r * r * 3.5f) * smoothstep(1.0f, 0.8f, r);
        white(rgba, a);
    });
}

// White cracks on black that tile: wide main cracks brightest, branches and
// hairlines dimmer. The crack textures subtract what is left after lowering
// it by the block's health, so the main cracks show first and the fine ones
// only on a block about to break. Nothing reaches 0.9 (the JPEG's ringing
// included): a whole block, whose texture is lowered by 0.9, shows no
// cracks, and the game draws its faces without them.
void writeCracks(Output& out)
{
    out.jpeg("textures\\split.jpg", 256, 256, 92, [](const Texel& t, float rgba[4]) {
        float ju = (fbmTile(t.u, t.v, 4, 3, 201) - 0.5f) * 0.06f;
        float jv = (fbmTile(t.u, t.v, 4, 3, 202) - 0.5f) * 0.06f;
        float u = t.u + ju, v = t.v + jv;
        float main = cellEdges(u, v, 3, 0.07f, 203);
        float branch = cellEdges(u, v, 6, 0.06f, 204) * smoothstep(0.45f, 0.55f, fbmTile(u, v, 4, 2, 205));
        float fine = cellEdges(u, v, 12, 0.07f, 206) * smoothstep(0.5f, 0.6f, fbmTile(u, v, 8, 2, 207));
        float grain = fbmTile(t.u, t.v, 16, 3, 208);
        float c = std::max({main, branch * 0.7f, fine * 0.4f}) * (0.85f + 0.15f * grain);
        c = std::min(c, 0.86f);
        set(rgba, Color(c, c, c));
    });
}

void writeBlocks(Output& out)
{
    auto panel = [](uint32_t seed, Color base, float noiseAmount, float bevelWidth) {
        return render(128, 128, [=](const Texel& t, float rgba[4]) {
            float n = fbmTile(t.u, t.v, 4, 5, seed);
            float light = 1.0f + 0.25f * bevel(t.u, t.v, bevelWidth) + (n - 0.5f) * noiseAmount;
            float inner = 1.0f - 0.08f * smoothstep(0.3f, 0.7f, std::max(std::fabs(t.x), std::fabs(t.y)));
            set(rgba, base * (light * inner));
            rgba[3] = 1.0f;
        });
    };
    out.png("textures\\block.png", panel(301, Color(0.82f, 0.84f, 0.88f), 0.12f, 0.1f), false);
    out.png("textures\\block_stone.png", 128, 128, false, [](const Texel& t, float rgba[4]) {
        float n = fbmTile(t.u, t.v, 4, 6, 311);
        float pits = smoothstep(0.62f, 0.7f, fbmTile(t.u, t.v, 16, 2, 312));
        float light = 0.75f + 0.5f * n + 0.2f * bevel(t.u, t.v, 0.08f) - 0.25f * pits;
        set(rgba, Color(0.62f, 0.56f, 0.5f) * light);
        rgba[3] = 1.0f;
    });
    out.png("textures\\block_metal.png", 128, 128, false, [](const Texel& t, float rgba[4]) {
        float brushed = noiseTile(t.u * 64.0f, t.v * 2.0f, 64, 2, 321) * 0.5f + fbmTile(t.u, t.v, 4, 3, 322) * 0.5f;
        float light = 0.85f + 0.2f * brushed + 0.3f * bevel(t.u, t.v, 0.07f);
        Color c = Color(0.7f, 0.73f, 0.78f) * light;
        // Rivets in the corners.
        for (int i = 0; i < 4; ++i) {
            P2 centre((i & 1) ? 0.8f : -0.8f, (i & 2) ? 0.8f : -0.8f);
            float d = sdDisc(P2(t.x, t.y), centre, 0.07f);
            float shade = 0.9f + 0.5f * clamp01((centre.y - t.y) * 8.0f + (centre.x - t.x) * 8.0f);
            c = mix(c, Color(0.75f, 0.77f, 0.8f) * shade, cover(d, t.px));
        }
        set(rgba, c);
        rgba[3] = 1.0f;
    });
    out.png("textures\\block_wood.png", 128, 128, false, [](const Texel& t, float rgba[4]) {
        float warp = fbmTile(t.u, t.v, 2, 4, 331);
        float grain = std::sin((t.v * 14.0f + warp * 3.0f) * 2.0f * 3.14159265f) * 0.5f + 0.5f;
        float fibre = noiseTile(t.u * 4.0f, t.v * 64.0f, 4, 64, 332);
        float light = 0.8f + 0.15f * grain + 0.1f * fibre + 0.25f * bevel(t.u, t.v, 0.08f);
        set(rgba, mix(Color(0.55f, 0.33f, 0.17f), Color(0.75f, 0.5f, 0.28f), grain) * light);
        rgba[3] = 1.0f;
    });
    out.png("textures\\block_glass.png", 128, 128, true, [](const Texel& t, float rgba[4]) {
        float edge = 1.0f - smoothstep(0.0f, 0.08f, std::min(std::min(t.u, t.v), std::min(1 - t.u, 1 - t.v)));
        float streak = std::exp(-std::pow((t.x + t.y) * 4.0f - 0.8f, 2.0f)) * 0.35f;
        float n = fbmTile(t.u, t.v, 4, 3, 341);
        set(rgba,
            Color(0.7f + 0.3f * edge, 0.85f + 0.15f * edge, 1.0f,
                  clamp01(0.3f + 0.5f * edge + streak + (n - 0.5f) * 0.1f)));
    });
    out.png("textures\\block_in.png", 128, 128, false, [](const Texel& t, float rgba[4]) {
        float n = fbmTile(t.u, t.v, 8, 5, 351);
        float grit = hashFloat(static_cast<uint32_t>(t.u * 128.0f), static_cast<uint32_t>(t.v * 128.0f), 0, 352);
        float f1, f2;
        cellsTile(t.u, t.v, 6, 353, f1, f2);
        float light = 0.45f + 0.45f * n + 0.12f * grit - 0.2f * (1.0f - smoothstep(0.0f, 0.12f, f2 - f1));
        set(rgba, Color(0.7f, 0.62f, 0.55f) * light);
        rgba[3] = 1.0f;
    });
}

void writeTable(Output& out)
{
    // Four by four floor tiles with grout; each tile a slightly different tone.
    out.png("textures\\table_floor.png", 256, 256, false, [](const Texel& t, float rgba[4]) {
        float gu = t.u * 4.0f, gv = t.v * 4.0f;
        int tu = static_cast<int>(gu), tv = static_cast<int>(gv);
        float fu = gu - static_cast<float>(tu), fv = gv - static_cast<float>(tv);
        float grout = 1.0f - smoothstep(0.0f, 0.035f, std::min(std::min(fu, fv), std::min(1 - fu, 1 - fv)));
        float tone = hashFloat(static_cast<uint32_t>(tu), static_cast<uint32_t>(tv), 0, 401);
        float marble = fbmTile(t.u, t.v, 4, 6, 402);
        float vein = 1.0f - smoothstep(0.0f, 0.04f, std::fabs(marble - 0.5f));
        Color tile = mix(Color(0.2f, 0.24f, 0.33f), Color(0.28f, 0.32f, 0.42f), tone);
        tile = tile * (0.85f + 0.3f * marble) + Color(0.15f, 0.15f, 0.18f, 0) * vein;
        Color c = mix(tile, Color(0.08f, 0.08f, 0.1f), grout);
        set(rgba, c);
        rgba[3] = 1.0f;
    });
    // The walls: a panel between a dark foot and a bright top moulding.
    out.png("textures\\table_wall.png", 256, 256, false, [](const Texel& t, float rgba[4]) {
        float n = fbmTile(t.u, t.v, 4, 4, 411);
        Color c = Color(0.35f, 0.3f, 0.42f) * (0.85f + 0.3f * n);
        float top = smoothstep(0.12f, 0.08f, t.v), foot = smoothstep(0.85f, 0.9f, t.v);
        c = mix(c, Color(0.75f, 0.7f, 0.55f) * (0.9f + 0.2f * std::sin(t.v * 80.0f)), top);
        c = mix(c, Color(0.12f, 0.1f, 0.15f), foot);
        float groove = std::exp(-std::pow((std::fmod(t.u * 2.0f, 1.0f) - 0.5f) * 60.0f, 2.0f));
        c = c * (1.0f - 0.35f * groove * (1.0f - top) * (1.0f - foot));
        set(rgba, c);
        rgba[3] = 1.0f;
    });
    // A rounded metal band: bright in the middle row, dark at the edges.
    out.png("textures\\table_rim.png", 128, 128, false, [](const Texel& t, float rgba[4]) {
        float round = std::sin(t.v * 3.14159265f);
        float brushed = noiseTile(t.u * 64.0f, t.v * 4.0f, 64, 4, 421);
        float light = 0.35f + 0.75f * std::pow(round, 1.5f) + 0.1f * brushed;
        set(rgba, Color(0.8f, 0.72f, 0.5f) * light);
        rgba[3] = 1.0f;
    });
    // The outer sides: large stone blocks in courses, every course offset.
    out.png("textures\\table_side.png", 256, 256, false, [](const Texel& t, float rgba[4]) {
        float gv = t.v * 4.0f;
        int row = static_cast<int>(gv);
        float gu = t.u * 2.0f + (row % 2) * 0.5f;
        int col = static_cast<int>(std::floor(gu));
        float fu = gu - static_cast<float>(col), fv = gv - static_cast<float>(row);
        float joint = 1.0f - smoothstep(0.0f, 0.04f, std::min(std::min(fu, fv), std::min(1 - fu, 1 - fv)));
        float tone = hashFloat(static_cast<uint32_t>(col & 1), static_cast<uint32_t>(row), 0, 431);
        float n = fbmTile(t.u, t.v, 4, 5, 432);
        Color c = mix(Color(0.42f, 0.38f, 0.36f), Color(0.52f, 0.47f, 0.42f), tone) * (0.75f + 0.5f * n);
        set(rgba, mix(c, Color(0.15f, 0.13f, 0.13f), joint));
        rgba[3] = 1.0f;
    });
}

void writeBalls(Output& out)
{
    out.png("textures\\ball.png", 128, 128, false, [](const Texel& t, float rgba[4]) {
        float n = fbmTile(t.u, t.v, 4, 4, 501);
        float stripe = smoothstep(0.06f, 0.04f, std::fabs(t.v - 0.5f));
        Color c = mix(Color(0.82f, 0.86f, 0.95f), Color(0.25f, 0.4f, 0.85f), stripe) * (0.9f + 0.2f * n);
        set(rgba, c);
        rgba[3] = 1.0f;
    });
    out.png("textures\\ball_small.png", 128, 128, false, [](const Texel& t, float rgba[4]) {
        float n = fbmTile(t.u, t.v, 4, 4, 502);
        float stripe = smoothstep(0.06f, 0.04f, std::fabs(t.v - 0.5f));
        Color c = mix(Color(1.0f, 0.9f, 0.5f), Color(0.9f, 0.45f, 0.1f), stripe) * (0.9f + 0.2f * n);
        set(rgba, c);
        rgba[3] = 1.0f;
    });
    out.png("textures\\ball_heavy.png", 128, 128, false, [](const Texel& t, float rgba[4]) {
        float n = fbmTile(t.u, t.v, 8, 5, 511);
        float gu = std::fmod(t.u * 6.0f, 1.0f) - 0.5f, gv = std::fmod(t.v * 6.0f, 1.0f) - 0.5f;
        float rivet = 1.0f - smoothstep(0.1f, 0.14f, std::sqrt(gu * gu + gv * gv));
        Color c = Color(0.25f, 0.24f, 0.26f) * (0.7f + 0.6f * n);
        set(rgba, mix(c, Color(0.55f, 0.53f, 0.5f) * (0.8f + 0.4f * clamp01(-gv * 4.0f)), rivet));
        rgba[3] = 1.0f;
    });
    out.png("textures\\ball_phantom.png", 128, 128, true, [](const Texel& t, float rgba[4]) {
        float n = fbmTile(t.u + fbmTile(t.u, t.v, 2, 3, 521) * 0.3f, t.v, 4, 5, 522);
        float wisp = smoothstep(0.35f, 0.75f, n);
        set(rgba, Color(0.75f + 0.25f * wisp, 0.8f + 0.2f * wisp, 1.0f, 0.25f + 0.6f * wisp));
    });
    out.png("textures\\ball_fire.png", 128, 128, false, [](const Texel& t, float rgba[4]) {
        float heat = cellEdges(t.u, t.v, 5, 0.25f, 531);
        float n = fbmTile(t.u, t.v, 4, 5, 532);
        float glowing = clamp01(heat * 0.8f + (n - 0.4f));
        Color crust = Color(0.25f, 0.06f, 0.02f) * (0.6f + 0.8f * n);
        Color lava = mix(Color(1.0f, 0.35f, 0.05f), Color(1.0f, 0.9f, 0.4f), glowing * glowing);
        set(rgba, mix(crust, lava, glowing));
        rgba[3] = 1.0f;
    });
    out.png("textures\\ball_electro.png", 128, 128, false, [](const Texel& t, float rgba[4]) {
        float n = fbmTile(t.u, t.v, 4, 6, 541);
        float ridge = 1.0f - std::fabs(2.0f * n - 1.0f);
        float vein = std::pow(ridge, 12.0f);
        Color c = mix(Color(0.05f, 0.1f, 0.35f), Color(0.6f, 0.9f, 1.0f), vein) + Color(0.1f, 0.2f, 0.4f, 0) * n;
        set(rgba, c);
        rgba[3] = 1.0f;
    });
    out.png("textures\\ball_generative.png", 128, 128, false, [](const Texel& t, float rgba[4]) {
        float f1, f2;
        cellsTile(t.u, t.v, 6, 551, f1, f2);
        float wall = 1.0f - smoothstep(0.0f, 0.1f, f2 - f1);
        float core = 1.0f - smoothstep(0.0f, 0.35f, f1);
        Color c = mix(Color(0.15f, 0.45f, 0.15f), Color(0.55f, 0.95f, 0.4f), core);
        set(rgba, mix(c, Color(0.05f, 0.2f, 0.08f), wall));
        rgba[3] = 1.0f;
    });
    // The shell of a falling bonus: clear glass with a few bright streaks.
    out.png("textures\\bonus.png", 128, 128, true, [](const Texel& t, float rgba[4]) {
        float n = fbmTile(t.u, t.v, 4, 4, 561);
        float streak = std::pow(1.0f - std::fabs(2.0f * n - 1.0f), 8.0f);
        set(rgba, Color(0.85f, 0.95f, 1.0f, clamp01(0.25f + 0.6f * streak)));
    });
    // Gun-metal for the bomb, the grenade, the boomerang and the pipe.
    out.png("textures\\metal.png", 128, 128, false, [](const Texel& t, float rgba[4]) {
        float n = fbmTile(t.u, t.v, 4, 5, 571);
        float scratches = std::pow(noiseTile(t.u * 32.0f, t.v * 2.0f, 32, 2, 572), 6.0f);
        set(rgba, Color(0.36f, 0.38f, 0.4f) * (0.75f + 0.45f * n) + Color(0.2f, 0.2f, 0.2f, 0) * scratches);
        rgba[3] = 1.0f;
    });
}

} // namespace

void writeSurfaces(Output& out)
{
    writeParticles(out);
    writeCracks(out);
    writeBlocks(out);
    writeTable(out);
    writeBalls(out);
}

} // namespace gen
