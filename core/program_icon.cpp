#include "core/program_icon.h"

#include <cmath>

const uint32_t* programIcon(int& width, int& height)
{
    static uint32_t pixels[32 * 32];
    static bool made = false;
    if (!made) {
        for (int y = 0; y < 32; ++y) {
            for (int x = 0; x < 32; ++x) {
                float dx = (x - 15.5f) / 14.0f, dy = (y - 15.5f) / 14.0f;
                float r2 = dx * dx + dy * dy;
                uint32_t p = 0;
                if (r2 <= 1.0f) {
                    float nz = std::sqrt(1.0f - r2);
                    float light = 0.25f + 0.75f * std::fmax(0.0f, (-dx - dy + nz) * 0.577f);
                    auto channel = [&](float base) {
                        float v = base * light * 255.0f;
                        return static_cast<uint32_t>(v > 255.0f ? 255.0f : v);
                    };
                    p = 0xFF000000u | (channel(0.45f) << 16) | (channel(0.75f) << 8) | channel(1.0f);
                }
                pixels[y * 32 + x] = p;
            }
        }
        made = true;
    }
    width = height = 32;
    return pixels;
}
