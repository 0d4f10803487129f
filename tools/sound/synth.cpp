#include "tools/sound/synth.h"

#include "platform/sys/files.h"
#include "platform/sys/paths.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace synth {

float noteHz(float note) { return 440.0f * std::pow(2.0f, (note - 69.0f) / 12.0f); }

void OnePole::setLowpass(float cutoffHz, int rate)
{
    mA = 1.0f - std::exp(-TWO_PI * cutoffHz / static_cast<float>(rate));
}

void Svf::set(float cutoffHz, float resonance, int rate)
{
    // The trapezoidal form stays stable at any cutoff below Nyquist.
    float g = std::tan(PI * std::min(cutoffHz, rate * 0.45f) / static_cast<float>(rate));
    float k = 1.0f / std::max(0.5f, resonance);
    mK = k;
    mA1 = 1.0f / (1.0f + g * (g + k));
    mA2 = g * mA1;
    mA3 = g * mA2;
}

void Svf::process(float x)
{
    float v3 = x - mS2;
    float v1 = mA1 * mS1 + mA2 * v3;
    float v2 = mS2 + mA2 * mS1 + mA3 * v3;
    mS1 = 2.0f * v1 - mS1;
    mS2 = 2.0f * v2 - mS2;
    low = v2;
    band = v1;
    high = x - mK * v1 - v2;
}

WaveTable::WaveTable(const std::vector<float>& harmonics) : mTable(SIZE + 1)
{
    for (int i = 0; i <= SIZE; ++i) {
        float p = TWO_PI * static_cast<float>(i) / SIZE;
        float v = 0;
        for (size_t h = 0; h < harmonics.size(); ++h)
            v += harmonics[h] * std::sin(p * static_cast<float>(h + 1));
        mTable[static_cast<size_t>(i)] = v;
    }
}

float WaveTable::at(float phase) const
{
    float x = (phase - std::floor(phase)) * SIZE;
    int i = static_cast<int>(x);
    float t = x - static_cast<float>(i);
    return mTable[static_cast<size_t>(i)] * (1.0f - t) + mTable[static_cast<size_t>(i + 1)] * t;
}

void addModes(std::vector<float>& out, int rate, int start, const std::vector<Partial>& partials)
{
    for (const Partial& p : partials) {
        // A recursive oscillator: one multiply-add per sample.
        float w = TWO_PI * p.hz / static_cast<float>(rate);
        if (w >= PI)
            continue;
        float k = 2.0f * std::cos(w);
        float s1 = 0, s2 = -std::sin(w);
        float g = p.amplitude;
        float fall = std::exp(-1.0f / (p.decay * static_cast<float>(rate)));
        for (size_t i = static_cast<size_t>(start); i < out.size() && g > 1e-5f; ++i) {
            float s0 = k * s1 - s2;
            s2 = s1;
            s1 = s0;
            out[i] += g * s0;
            g *= fall;
        }
    }
}

void addNoiseBurst(std::vector<float>& out, int rate, int start, float seconds, float attack, float decay,
                   float cutoffHz, float resonance, int band, float amplitude, Rng& rng)
{
    Svf f;
    f.set(cutoffHz, resonance, rate);
    int n = static_cast<int>(seconds * static_cast<float>(rate));
    float fall = std::exp(-1.0f / (decay * static_cast<float>(rate)));
    float env = 1.0f;
    for (int i = 0; i < n && static_cast<size_t>(start + i) < out.size(); ++i) {
        f.process(rng.signedUnit());
        float t = static_cast<float>(i) / static_cast<float>(rate);
        float a = attack > 0 && t < attack ? t / attack : 1.0f;
        float v = band == 0 ? f.low : (band == 1 ? f.band : f.high);
        out[static_cast<size_t>(start + i)] += amplitude * a * env * v;
        env *= fall;
    }
}

void addSweep(std::vector<float>& out, int rate, int start, float seconds, float hz0, float hz1, float glide,
              float attack, float decay, float amplitude)
{
    int n = static_cast<int>(seconds * static_cast<float>(rate));
    float phase = 0;
    float env = 1.0f;
    float fall = std::exp(-1.0f / (decay * static_cast<float>(rate)));
    for (int i = 0; i < n && static_cast<size_t>(start + i) < out.size(); ++i) {
        float t = static_cast<float>(i) / static_cast<float>(rate);
        float g = std::min(1.0f, t / glide);
        float hz = hz0 * std::pow(hz1 / hz0, g);
        phase += hz / static_cast<float>(rate);
        phase -= std::floor(phase);
        float a = attack > 0 && t < attack ? t / attack : 1.0f;
        out[static_cast<size_t>(start + i)] += amplitude * a * env * std::sin(TWO_PI * phase);
        env *= fall;
    }
}

void normalize(std::vector<float>& samples, float peak)
{
    double mean = 0;
    for (float s : samples)
        mean += s;
    if (!samples.empty())
        mean /= static_cast<double>(samples.size());
    float top = 0;
    for (float& s : samples) {
        s -= static_cast<float>(mean);
        top = std::max(top, std::fabs(s));
    }
    if (top > 0)
        for (float& s : samples)
            s *= peak / top;
}

void fadeEdges(std::vector<float>& samples, int rate, float fadeInMs, float fadeOutMs)
{
    size_t in = static_cast<size_t>(fadeInMs * 0.001f * static_cast<float>(rate));
    size_t outN = static_cast<size_t>(fadeOutMs * 0.001f * static_cast<float>(rate));
    for (size_t i = 0; i < in && i < samples.size(); ++i)
        samples[i] *= static_cast<float>(i) / static_cast<float>(in);
    for (size_t i = 0; i < outN && i < samples.size(); ++i)
        samples[samples.size() - 1 - i] *= static_cast<float>(i) / static_cast<float>(outN);
}

std::vector<int16_t> toPcm16(const std::vector<float>& interleaved)
{
    std::vector<int16_t> out(interleaved.size());
    for (size_t i = 0; i < interleaved.size(); ++i) {
        float v = interleaved[i];
        float a = std::fabs(v);
        if (a > 0.9f) // a soft knee instead of hard clipping
            v = std::copysign(0.9f + 0.1f * std::tanh((a - 0.9f) / 0.1f), v);
        out[i] = static_cast<int16_t>(std::lround(std::max(-1.0f, std::min(1.0f, v)) * 32767.0f));
    }
    return out;
}

namespace {

void put16(std::string& s, uint32_t v)
{
    s += static_cast<char>(v & 0xFF);
    s += static_cast<char>((v >> 8) & 0xFF);
}

void put32(std::string& s, uint32_t v)
{
    put16(s, v & 0xFFFF);
    put16(s, v >> 16);
}

} // namespace

std::string wavBytes(const std::vector<float>& mono, int rate)
{
    std::vector<int16_t> pcm = toPcm16(mono);
    uint32_t dataBytes = static_cast<uint32_t>(pcm.size() * 2);
    std::string s = "RIFF";
    put32(s, 4 + 8 + 16 + 8 + dataBytes);
    s += "WAVEfmt ";
    put32(s, 16);
    put16(s, 1);                                  // PCM
    put16(s, 1);                                  // mono
    put32(s, static_cast<uint32_t>(rate));
    put32(s, static_cast<uint32_t>(rate) * 2u);   // bytes per second
    put16(s, 2);                                  // block align
    put16(s, 16);                                 // bits
    s += "data";
    put32(s, dataBytes);
    for (int16_t v : pcm)
        put16(s, static_cast<uint16_t>(v));
    return s;
}

bool writeGameFile(const std::string& gameDir, const std::string& relPath, const std::string& bytes)
{
    std::string path = gameDir + "/" + relPath;
    size_t cut = path.find_last_of('/');
    if (cut != std::string::npos)
        sys::makeDirectories(path.substr(0, cut));
    std::string error;
    if (!sys::writeFileAtomic(path, bytes, &error)) {
        std::fprintf(stderr, "%s: %s\n", path.c_str(), error.c_str());
        return false;
    }
    return true;
}

} // namespace synth
