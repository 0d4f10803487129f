// Synthesizes the game's sound effects into "sound\" of the game folder:
// mono 16-bit WAV files, one function per effect. Struck objects are sums
// of decaying partials, bursts and crumbles are filtered noise, glides are
// swept sines. A fixed seed per effect keeps the bytes the same every run.
#include "tools/sound/synth.h"

#include <cmath>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

using namespace synth;

namespace {

constexpr int RATE = 44100;

std::vector<float> silence(float seconds) { return std::vector<float>(static_cast<size_t>(seconds * RATE), 0.0f); }

int at(float seconds) { return static_cast<int>(seconds * RATE); }

// A partial set scaled in frequency, for variants of one material.
std::vector<Partial> scaled(std::vector<Partial> p, float factor, float decayFactor = 1.0f)
{
    for (Partial& x : p) {
        x.hz *= factor;
        x.decay *= decayFactor;
    }
    return p;
}

// Many small struck grains scattered over a span: breaking things.
void addGrains(std::vector<float>& out, Rng& rng, int count, float start, float span, float lowHz, float highHz,
               float decay, float amplitude)
{
    for (int i = 0; i < count; ++i) {
        float t = start + span * rng.unit() * rng.unit(); // denser early
        float hz = lowHz * std::pow(highHz / lowHz, rng.unit());
        float a = amplitude * (0.3f + 0.7f * rng.unit()) * (1.0f - 0.6f * (t - start) / span);
        addModes(out, RATE, at(t),
                 {{hz, a, decay}, {hz * 2.37f, a * 0.5f, decay * 0.6f}, {hz * 3.91f, a * 0.25f, decay * 0.4f}});
    }
}

// --- The ball -------------------------------------------------------------

std::vector<float> kick(int variant)
{
    auto s = silence(0.25f);
    float f = variant == 0 ? 1.0f : 1.12f;
    addSweep(s, RATE, 0, 0.2f, 420 * f, 180 * f, 0.03f, 0.001f, 0.04f, 0.8f);
    addModes(s, RATE, 0, {{1250 * f, 0.25f, 0.012f}, {2900 * f, 0.1f, 0.008f}});
    Rng rng(11 + variant);
    addNoiseBurst(s, RATE, 0, 0.02f, 0.0f, 0.004f, 3000, 0.7f, 1, 0.3f, rng);
    return s;
}

std::vector<float> kickHeavy()
{
    auto s = silence(0.45f);
    addSweep(s, RATE, 0, 0.4f, 200, 60, 0.08f, 0.002f, 0.12f, 1.0f);
    addModes(s, RATE, 0, {{520, 0.3f, 0.03f}, {1130, 0.12f, 0.02f}});
    Rng rng(21);
    addNoiseBurst(s, RATE, 0, 0.06f, 0.0f, 0.015f, 900, 0.7f, 0, 0.5f, rng);
    return s;
}

std::vector<float> kickFire()
{
    auto s = silence(0.5f);
    addSweep(s, RATE, 0, 0.2f, 380, 160, 0.03f, 0.001f, 0.04f, 0.6f);
    Rng rng(31);
    // A whoosh of flame with crackles in it.
    addNoiseBurst(s, RATE, 0, 0.45f, 0.02f, 0.12f, 1800, 0.8f, 1, 0.5f, rng);
    for (int i = 0; i < 14; ++i) {
        float t = 0.02f + 0.3f * rng.unit();
        addNoiseBurst(s, RATE, at(t), 0.01f, 0.0f, 0.002f, 5000, 0.7f, 2, 0.5f * rng.unit(), rng);
    }
    return s;
}

std::vector<float> kickElectro()
{
    auto s = silence(0.4f);
    addSweep(s, RATE, 0, 0.15f, 400, 170, 0.03f, 0.001f, 0.04f, 0.5f);
    // A buzzing zap: a fast-wobbling tone through a band-pass.
    Svf f;
    f.set(2200, 3.0f, RATE);
    float phase = 0, env = 1.0f;
    float fall = std::exp(-1.0f / (0.08f * RATE));
    for (size_t i = 0; i < s.size(); ++i) {
        float t = static_cast<float>(i) / RATE;
        float hz = 180 + 60 * std::sin(TWO_PI * 35 * t);
        phase += hz / RATE;
        phase -= std::floor(phase);
        float square = phase < 0.5f ? 1.0f : -1.0f;
        f.process(square);
        s[i] += 0.5f * env * f.band;
        env *= fall;
    }
    return s;
}

std::vector<float> kickSmall()
{
    auto s = silence(0.15f);
    addSweep(s, RATE, 0, 0.1f, 900, 600, 0.02f, 0.0005f, 0.02f, 0.7f);
    addModes(s, RATE, 0, {{2400, 0.3f, 0.01f}});
    return s;
}

std::vector<float> mutation()
{
    auto s = silence(0.7f);
    addSweep(s, RATE, 0, 0.65f, 300, 1200, 0.5f, 0.05f, 0.3f, 0.5f);
    addSweep(s, RATE, 0, 0.65f, 452, 1810, 0.5f, 0.05f, 0.3f, 0.3f);
    Rng rng(41);
    for (int i = 0; i < 10; ++i)
        addModes(s, RATE, at(0.05f + 0.5f * rng.unit()), {{2000 + 3000 * rng.unit(), 0.08f, 0.05f}});
    return s;
}

std::vector<float> destroyBall()
{
    auto s = silence(0.6f);
    addSweep(s, RATE, 0, 0.5f, 700, 90, 0.35f, 0.002f, 0.15f, 0.7f);
    Rng rng(51);
    addNoiseBurst(s, RATE, 0, 0.5f, 0.005f, 0.12f, 1400, 0.7f, 0, 0.6f, rng);
    return s;
}

std::vector<float> smallBall()
{
    auto s = silence(0.25f);
    // A bubble: a short rising blip.
    addSweep(s, RATE, 0, 0.2f, 600, 1500, 0.06f, 0.003f, 0.05f, 0.7f);
    return s;
}

std::vector<float> lightning()
{
    auto s = silence(0.8f);
    Rng rng(61);
    addNoiseBurst(s, RATE, 0, 0.8f, 0.0f, 0.25f, 3500, 0.6f, 2, 0.35f, rng);
    // Crackles: sharp spikes in bursts.
    for (int i = 0; i < 40; ++i) {
        float t = 0.6f * rng.unit() * rng.unit();
        addNoiseBurst(s, RATE, at(t), 0.008f, 0.0f, 0.0015f, 6000, 0.7f, 2, 0.9f * rng.unit(), rng);
    }
    addSweep(s, RATE, 0, 0.7f, 90, 50, 0.5f, 0.01f, 0.25f, 0.4f);
    return s;
}

// --- The hero and bonuses -------------------------------------------------

std::vector<float> heroStep()
{
    auto s = silence(0.15f);
    addSweep(s, RATE, 0, 0.12f, 140, 90, 0.05f, 0.002f, 0.03f, 0.6f);
    Rng rng(71);
    addNoiseBurst(s, RATE, 0, 0.06f, 0.002f, 0.015f, 1200, 0.7f, 0, 0.4f, rng);
    return s;
}

// Bell-like notes (a few inharmonic partials) at the given times.
void addChime(std::vector<float>& s, float t, float note, float amplitude, float decay)
{
    float hz = noteHz(note);
    addModes(s, RATE, at(t),
             {{hz, amplitude, decay}, {hz * 2.0f, amplitude * 0.35f, decay * 0.6f},
              {hz * 3.01f, amplitude * 0.15f, decay * 0.4f}, {hz * 4.2f, amplitude * 0.06f, decay * 0.25f}});
}

std::vector<float> bonus()
{
    auto s = silence(0.7f);
    addChime(s, 0.0f, 76, 0.5f, 0.25f);
    addChime(s, 0.07f, 83, 0.5f, 0.3f);
    return s;
}

std::vector<float> bonusMinSpeed()
{
    auto s = silence(0.7f);
    addSweep(s, RATE, 0, 0.6f, 880, 330, 0.45f, 0.01f, 0.3f, 0.6f);
    addSweep(s, RATE, 0, 0.6f, 1320, 495, 0.45f, 0.01f, 0.3f, 0.2f);
    return s;
}

std::vector<float> bonusMaxSpeed()
{
    auto s = silence(0.7f);
    addSweep(s, RATE, 0, 0.6f, 330, 990, 0.35f, 0.01f, 0.3f, 0.6f);
    addSweep(s, RATE, 0, 0.6f, 495, 1485, 0.35f, 0.01f, 0.3f, 0.2f);
    return s;
}

std::vector<float> bonusLife()
{
    auto s = silence(1.1f);
    const float notes[] = {72, 76, 79, 84};
    for (int i = 0; i < 4; ++i)
        addChime(s, 0.09f * static_cast<float>(i), notes[i], 0.45f, i == 3 ? 0.45f : 0.2f);
    return s;
}

std::vector<float> bonusDeath()
{
    auto s = silence(1.0f);
    addSweep(s, RATE, 0, 0.95f, 220, 110, 0.8f, 0.01f, 0.4f, 0.5f);
    addSweep(s, RATE, 0, 0.95f, 233, 104, 0.8f, 0.01f, 0.4f, 0.4f); // beating, unsettling
    return s;
}

std::vector<float> gameOver()
{
    auto s = silence(2.6f);
    const float notes[] = {69, 67, 64, 60};
    for (int i = 0; i < 4; ++i)
        addChime(s, 0.35f * static_cast<float>(i), notes[i] - 12, 0.45f, i == 3 ? 0.9f : 0.35f);
    addChime(s, 1.05f, 55, 0.25f, 0.9f); // under the last note, a fifth below
    return s;
}

// --- Weapons --------------------------------------------------------------

std::vector<float> explosion(uint32_t seed, float seconds, float cutoff, float low)
{
    auto s = silence(seconds);
    Rng rng(seed);
    addNoiseBurst(s, RATE, 0, seconds, 0.004f, seconds * 0.25f, cutoff, 0.6f, 0, 1.0f, rng);
    addSweep(s, RATE, 0, seconds * 0.7f, low * 2.0f, low, 0.15f, 0.002f, seconds * 0.2f, 0.8f);
    for (int i = 0; i < 12; ++i)
        addNoiseBurst(s, RATE, at(seconds * 0.4f * rng.unit()), 0.05f, 0.0f, 0.01f, 2500, 0.7f, 1,
                      0.3f * rng.unit(), rng);
    return s;
}

std::vector<float> boomer()
{
    auto s = silence(0.6f);
    // A whoosh: a band of noise that swells and sweeps up.
    Rng rng(91);
    Svf f;
    for (size_t i = 0; i < s.size(); ++i) {
        float t = static_cast<float>(i) / RATE;
        f.set(500 + 2500 * t / 0.6f, 2.5f, RATE);
        f.process(rng.signedUnit());
        float env = std::sin(PI * std::min(1.0f, t / 0.6f));
        s[i] = 0.6f * env * env * f.band;
    }
    return s;
}

// --- Blocks and walls -----------------------------------------------------

const std::vector<Partial> WOOD = {{420, 0.6f, 0.045f}, {930, 0.35f, 0.03f}, {1610, 0.2f, 0.02f}, {2470, 0.1f, 0.012f}};
const std::vector<Partial> GLASS = {{1870, 0.4f, 0.25f}, {4120, 0.25f, 0.15f}, {6950, 0.12f, 0.1f}, {9300, 0.05f, 0.06f}};
const std::vector<Partial> STONE = {{180, 0.5f, 0.04f}, {460, 0.3f, 0.025f}, {1020, 0.15f, 0.015f}};
const std::vector<Partial> METAL = {{540, 0.4f, 0.6f}, {1312, 0.3f, 0.45f}, {2237, 0.2f, 0.35f}, {3461, 0.1f, 0.25f}};
const std::vector<Partial> ICE = {{2600, 0.35f, 0.06f}, {5300, 0.2f, 0.04f}, {7800, 0.1f, 0.03f}};

std::vector<float> stroke(const std::vector<Partial>& modes, uint32_t seed, float seconds, float click)
{
    auto s = silence(seconds);
    addModes(s, RATE, 0, modes);
    Rng rng(seed);
    addNoiseBurst(s, RATE, 0, 0.015f, 0.0f, 0.003f, 4000, 0.7f, 1, click, rng);
    return s;
}

std::vector<float> defStroke(int variant) { return stroke(scaled(WOOD, variant == 0 ? 1.3f : 1.45f, 0.8f), 101 + variant, 0.25f, 0.3f); }

std::vector<float> wallStroke() { return stroke(scaled(STONE, 0.8f, 1.3f), 111, 0.3f, 0.25f); }

std::vector<float> crumble(const std::vector<Partial>& base, uint32_t seed, float seconds, int grains, float lowHz,
                           float highHz, float grainDecay, float noiseCutoff)
{
    auto s = silence(seconds);
    addModes(s, RATE, 0, base);
    Rng rng(seed);
    addNoiseBurst(s, RATE, 0, seconds, 0.002f, seconds * 0.2f, noiseCutoff, 0.7f, 0, 0.5f, rng);
    addGrains(s, rng, grains, 0.01f, seconds * 0.7f, lowHz, highHz, grainDecay, 0.25f);
    return s;
}

std::vector<float> rubberStroke()
{
    auto s = silence(0.35f);
    // A boing: a low tone that bends up and wobbles.
    float phase = 0, env = 1.0f, fall = std::exp(-1.0f / (0.09f * RATE));
    for (size_t i = 0; i < s.size(); ++i) {
        float t = static_cast<float>(i) / RATE;
        float hz = 160 + 90 * (1.0f - std::exp(-t * 30)) + 12 * std::sin(TWO_PI * 18 * t);
        phase += hz / RATE;
        phase -= std::floor(phase);
        s[i] = 0.7f * env * std::sin(TWO_PI * phase);
        env *= fall;
    }
    return s;
}

std::vector<float> rubberDestroy()
{
    auto s = silence(0.5f);
    addSweep(s, RATE, 0, 0.3f, 300, 70, 0.2f, 0.002f, 0.08f, 0.8f);
    Rng rng(121);
    addNoiseBurst(s, RATE, 0, 0.4f, 0.002f, 0.07f, 700, 0.8f, 0, 0.6f, rng);
    return s;
}

struct Effect {
    const char* file;
    float peak;
    std::function<std::vector<float>()> make;
};

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: gen_sounds <game folder>\n");
        return 2;
    }
    std::string game = argv[1];
    const std::vector<Effect> effects = {
        {"kick_1", 0.7f, [] { return kick(0); }},
        {"kick_2", 0.7f, [] { return kick(1); }},
        {"kick_heavy", 0.8f, kickHeavy},
        {"kick_fire", 0.7f, kickFire},
        {"kick_electro", 0.7f, kickElectro},
        {"kick_small", 0.6f, kickSmall},
        {"mutation", 0.6f, mutation},
        {"destroy_ball", 0.7f, destroyBall},
        {"small_ball", 0.6f, smallBall},
        {"lightning", 0.7f, lightning},
        {"hero_step", 0.35f, heroStep},
        {"bonus", 0.6f, bonus},
        {"bonus_minspeed", 0.6f, bonusMinSpeed},
        {"bonus_maxspeed", 0.6f, bonusMaxSpeed},
        {"bonus_life", 0.6f, bonusLife},
        {"bonus_death", 0.6f, bonusDeath},
        {"game_over", 0.65f, gameOver},
        {"bomb", 0.85f, [] { return explosion(81, 1.6f, 900, 45); }},
        {"grenade", 0.8f, [] { return explosion(82, 1.0f, 1600, 70); }},
        {"boomer", 0.55f, boomer},
        {"wall_stroke", 0.55f, wallStroke},
        {"def_stroke_1", 0.6f, [] { return defStroke(0); }},
        {"def_stroke_2", 0.6f, [] { return defStroke(1); }},
        {"def_destroy", 0.7f, [] { return crumble(WOOD, 131, 0.6f, 30, 500, 2500, 0.02f, 1500); }},
        {"wood_stroke", 0.6f, [] { return stroke(WOOD, 141, 0.3f, 0.3f); }},
        {"wood_destroy", 0.7f, [] { return crumble(scaled(WOOD, 0.8f), 142, 0.7f, 35, 350, 1800, 0.03f, 1200); }},
        {"glass_stroke", 0.5f, [] { return stroke(GLASS, 151, 0.8f, 0.15f); }},
        {"glass_destroy", 0.6f, [] { return crumble(GLASS, 152, 1.0f, 70, 1500, 9000, 0.08f, 6000); }},
        {"stone_stroke", 0.6f, [] { return stroke(STONE, 161, 0.3f, 0.4f); }},
        {"stone_destroy", 0.75f, [] { return crumble(scaled(STONE, 0.9f, 1.5f), 162, 0.9f, 45, 150, 1200, 0.03f, 700); }},
        {"metal_stroke", 0.5f, [] { return stroke(METAL, 171, 1.2f, 0.2f); }},
        {"metal_destroy", 0.65f, [] { return crumble(scaled(METAL, 0.9f), 172, 1.4f, 25, 400, 3500, 0.15f, 2500); }},
        {"ice_stroke", 0.5f, [] { return stroke(ICE, 181, 0.3f, 0.3f); }},
        {"ice_destroy", 0.6f, [] { return crumble(ICE, 182, 0.8f, 60, 2000, 8000, 0.03f, 5000); }},
        {"rubber_stroke", 0.6f, rubberStroke},
        {"rubber_destroy", 0.65f, rubberDestroy},
    };
    bool ok = true;
    for (const Effect& e : effects) {
        std::vector<float> s = e.make();
        normalize(s, e.peak);
        fadeEdges(s, RATE, 0.5f, 8.0f);
        ok = writeGameFile(game, std::string("sound/") + e.file + ".wav", wavBytes(s, RATE)) && ok;
    }
    return ok ? 0 : 1;
}
