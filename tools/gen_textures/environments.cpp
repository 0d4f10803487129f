// The backdrop environments: each is a function of the world direction
// (z up), painted onto the six faces through the same face table the game
// draws the cube with, so the pictures meet without seams.
#include "render/environment.h"
#include "tools/gen_textures/gen_textures.h"

#include <algorithm>
#include <cmath>

namespace gen {

using namespace paint;

namespace {

constexpr int FACE_SIZE = 512;
constexpr float PI = 3.14159265f;

YVec3 unit(float x, float y, float z)
{
    YVec3 v(x, y, z);
    v.normalize();
    return v;
}

// A field of stars: at most one per cell of a 3D grid of cell size 1/K,
// kept only when it lies within half a cell of the unit sphere. A star
// shows up to 3 sigma from its centre, so only the cells within REACH of
// the direction can hold a star it sees.
Color stars(const YVec3& d, float density, uint32_t seed)
{
    constexpr float K = 60.0f;
    constexpr float SIGMA = 0.0021f; // about 0.7 texel on a face of 512
    constexpr float REACH = 0.5f / K + 3.0f * SIGMA;
    int lo[3], hi[3];
    for (int i = 0; i < 3; ++i) {
        lo[i] = static_cast<int>(std::floor((d[i] - REACH) * K));
        hi[i] = static_cast<int>(std::floor((d[i] + REACH) * K));
    }
    Color sum(0, 0, 0, 0);
    for (int cz = lo[2]; cz <= hi[2]; ++cz)
        for (int cy = lo[1]; cy <= hi[1]; ++cy)
            for (int cx = lo[0]; cx <= hi[0]; ++cx) {
                uint32_t x = static_cast<uint32_t>(cx), y = static_cast<uint32_t>(cy), z = static_cast<uint32_t>(cz);
                if (hashFloat(x, y, z, seed) > density)
                    continue;
                YVec3 p((static_cast<float>(cx) + hashFloat(x, y, z, seed + 1)) / K,
                        (static_cast<float>(cy) + hashFloat(x, y, z, seed + 2)) / K,
                        (static_cast<float>(cz) + hashFloat(x, y, z, seed + 3)) / K);
                float r = p.length();
                if (std::fabs(r - 1.0f) > 0.5f / K)
                    continue;
                YVec3 q = p * (1.0f / r) - d;
                float a = q.dot(q) / (SIGMA * SIGMA);
                if (a > 9.0f)
                    continue;
                float h = hashFloat(x, y, z, seed + 4);
                float bright = 0.15f + 1.6f * h * h * h * h;
                float tint = hashFloat(x, y, z, seed + 5);
                Color c = mix(Color(0.75f, 0.85f, 1.0f), Color(1.0f, 0.9f, 0.7f), tint);
                sum = sum + c * (bright * std::exp(-a));
            }
    return sum;
}

// Evening over hills: a sun low over the far right corner of the table, a
// warm horizon fading to deep blue, lit clouds, two ranges of hills and a
// few early stars.
Color dusk(const YVec3& d)
{
    static const YVec3 sun = unit(0.55f, 0.85f, 0.07f);
    float elev = std::asin(std::max(-1.0f, std::min(1.0f, d.z)));
    float az = std::atan2(d.y, d.x);
    float sunDot = std::max(0.0f, d.dot(sun));

    // Sky.
    float up = std::pow(clamp01(elev / (PI * 0.5f)), 0.45f);
    Color horizon(1.0f, 0.52f, 0.28f), middle(0.55f, 0.32f, 0.45f), zenith(0.06f, 0.08f, 0.25f);
    Color sky = up < 0.35f ? mix(horizon, middle, up / 0.35f) : mix(middle, zenith, (up - 0.35f) / 0.65f);
    float halo = std::pow(sunDot, 6.0f) * 0.55f + std::pow(sunDot, 60.0f) * 0.6f;
    sky = sky + Color(1.0f, 0.7f, 0.4f, 0) * halo;
    if (sunDot > 0.9994f)
        sky = Color(1.0f, 0.97f, 0.85f);
    if (d.z > 0.25f)
        sky = sky + stars(d, 0.25f, 71) * (0.6f * smoothstep(0.25f, 0.7f, d.z));

    // Clouds on a plane above the eye, faded out towards the horizon.
    if (d.z > 0.0f) {
        float k = 1.2f / (d.z + 0.12f);
        float n = fbm3(d.x * k, d.y * k, 0.5f, 6, 11);
        float thin = fbm3(d.x * k * 3.0f, d.y * k * 0.8f, 2.0f, 4, 12);
        float amount = smoothstep(0.48f, 0.72f, n * 0.8f + thin * 0.2f) * smoothstep(0.02f, 0.18f, d.z);
        float lit = 0.35f + 0.65f * std::pow(sunDot, 3.0f);
        Color cloud = mix(Color(0.25f, 0.16f, 0.28f), Color(1.0f, 0.62f, 0.45f), lit * (0.5f + 0.5f * n));
        sky = mix(sky, cloud, amount * 0.9f);
    }

    // Hills: their height is a function of the azimuth alone.
    float ca = std::cos(az), sa = std::sin(az);
    float far = 0.02f + 0.3f * std::max(0.0f, fbm3(ca * 2.5f + 7.0f, sa * 2.5f, 0.0f, 5, 21) - 0.35f);
    float near = -0.015f + 0.22f * std::max(0.0f, fbm3(ca * 4.0f, sa * 4.0f + 3.0f, 1.0f, 5, 22) - 0.4f);
    if (elev < far) {
        float haze = clamp01(1.0f - (far - elev) * 6.0f);
        Color hill = mix(Color(0.16f, 0.12f, 0.22f), Color(0.42f, 0.25f, 0.3f), haze * 0.6f);
        sky = hill;
    }
    if (elev < near) {
        float n = fbm3(d.x * 30.0f, d.y * 30.0f, d.z * 30.0f, 3, 23);
        sky = mix(Color(0.06f, 0.05f, 0.09f), Color(0.11f, 0.08f, 0.12f), n);
    }
    if (elev < std::min(near, 0.0f) - 0.02f) {
        // The ground under the table, darker further down.
        float n = fbm3(d.x * 12.0f, d.y * 12.0f, d.z * 12.0f, 4, 24);
        float depth = clamp01(-elev / (PI * 0.5f));
        sky = mix(Color(0.08f, 0.06f, 0.1f), Color(0.02f, 0.02f, 0.03f), depth) * (0.8f + 0.4f * n);
    }
    return sky;
}

// Deep space: a band of coloured nebula across the sky, dark dust in it,
// stars everywhere and a ringless planet ahead on the left.
Color nebula(const YVec3& d)
{
    static const YVec3 band = unit(0.3f, -0.25f, 1.0f);
    static const YVec3 planet = unit(-0.55f, 1.0f, 0.42f);
    static const YVec3 light = unit(0.9f, -0.6f, 0.3f);

    Color c(0.008f, 0.01f, 0.03f);
    float across = d.dot(band);
    float inBand = std::exp(-across * across * 6.0f);

    float wx = fbm3(d.x * 1.7f, d.y * 1.7f, d.z * 1.7f, 4, 31) - 0.5f;
    float wy = fbm3(d.x * 1.7f + 5.0f, d.y * 1.7f, d.z * 1.7f, 4, 32) - 0.5f;
    float n = fbm3(d.x * 2.6f + wx * 1.6f, d.y * 2.6f + wy * 1.6f, d.z * 2.6f, 6, 33);
    float hue = fbm3(d.x * 1.2f, d.y * 1.2f, d.z * 1.2f + 9.0f, 3, 34);
    float gas = smoothstep(0.38f, 0.78f, n) * (0.25f + 0.75f * inBand);
    Color tint = mix(Color(0.55f, 0.12f, 0.6f), Color(0.08f, 0.45f, 0.62f), smoothstep(0.35f, 0.65f, hue));
    c = c + tint * (gas * 0.9f) + Color(1.0f, 0.75f, 0.85f, 0) * (std::pow(gas, 4.0f) * 0.6f);
    float dust = smoothstep(0.52f, 0.7f, fbm3(d.x * 5.0f, d.y * 5.0f, d.z * 5.0f, 5, 35));
    c = c * (1.0f - 0.75f * dust * inBand);

    c = c + stars(d, 0.35f, 41) + stars(d * 0.999f, 0.05f, 42) * 2.0f * inBand;

    // The planet: a lit disc with a thin bright rim of atmosphere.
    float angle = std::acos(std::max(-1.0f, std::min(1.0f, d.dot(planet))));
    const float radius = 0.11f;
    if (angle < radius * 1.08f) {
        float rim = clamp01(1.0f - std::fabs(angle - radius) / (radius * 0.08f));
        c = c + Color(0.3f, 0.5f, 1.0f, 0) * (rim * 0.5f);
    }
    if (angle < radius) {
        // The normal of the sphere under the direction, for the shading.
        YVec3 side = d - planet * d.dot(planet);
        float len = side.length();
        if (len > 0.0f)
            side = side * (1.0f / len);
        float r = std::min(1.0f, std::sin(angle) / std::sin(radius));
        YVec3 normal = planet * -std::sqrt(1.0f - r * r) + side * r;
        float lambert = std::max(0.0f, normal.dot(light));
        float bands = fbm3(d.x * 40.0f, d.y * 40.0f, d.z * 8.0f, 4, 36);
        Color surface = mix(Color(0.5f, 0.35f, 0.3f), Color(0.85f, 0.7f, 0.55f), bands);
        float edge = clamp01((radius - angle) / 0.002f);
        c = mix(c, surface * (0.04f + 0.96f * lambert), edge);
    }
    return c;
}

void writeEnvironment(Output& out, const char* name, Color (*sky)(const YVec3&))
{
    for (int f = 0; f < YEF_COUNT; ++f) {
        img::Image image = render(FACE_SIZE, FACE_SIZE, [&](const Texel& t, float rgba[4]) {
            YVec3 d = environmentFaceDirection(f, t.u, t.v);
            d.normalize();
            Color c = sky(d);
            rgba[0] = c.r;
            rgba[1] = c.g;
            rgba[2] = c.b;
            rgba[3] = 1.0f;
        });
        out.jpeg(std::string("env\\") + name + "\\" + ENVIRONMENT_FACES[f].name + ".jpg", image, 90);
    }
}

} // namespace

void writeEnvironments(Output& out)
{
    writeEnvironment(out, "dusk", dusk);
    writeEnvironment(out, "nebula", nebula);
}

} // namespace gen
