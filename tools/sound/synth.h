#pragma once
// Small building blocks of the sound generators: a fixed random sequence,
// oscillators, filters, envelopes and 16-bit WAV output. Everything is
// deterministic, so the generators write the same bytes on every run.
#include <cstdint>
#include <string>
#include <vector>

namespace synth {

constexpr float PI = 3.14159265358979f;
constexpr float TWO_PI = 6.28318530717959f;

// A fixed pseudo-random sequence (xorshift32).
class Rng {
public:
    explicit Rng(uint32_t seed) : mState(seed ? seed : 1u) {}
    uint32_t next()
    {
        mState ^= mState << 13;
        mState ^= mState >> 17;
        mState ^= mState << 5;
        return mState;
    }
    // Uniform in 0..1.
    float unit() { return static_cast<float>(next() >> 8) / 16777215.0f; }
    // Uniform in -1..1.
    float signedUnit() { return unit() * 2.0f - 1.0f; }

private:
    uint32_t mState;
};

// Frequency of a MIDI note number (69 = A4 = 440 Hz).
float noteHz(float note);

// One-pole low-pass and high-pass filters.
class OnePole {
public:
    void setLowpass(float cutoffHz, int rate);
    float lowpass(float x)
    {
        mY += mA * (x - mY);
        return mY;
    }
    float highpass(float x) { return x - lowpass(x); }

private:
    float mA = 1.0f;
    float mY = 0.0f;
};

// A state-variable filter: low-pass, band-pass and high-pass at once.
class Svf {
public:
    void set(float cutoffHz, float resonance, int rate);
    void process(float x);
    float low = 0, band = 0, high = 0;

private:
    float mK = 1.0f, mA1 = 1.0f, mA2 = 0.0f, mA3 = 0.0f;
    float mS1 = 0.0f, mS2 = 0.0f;
};

// A single-cycle wave table read with linear interpolation.
class WaveTable {
public:
    static constexpr int SIZE = 2048;
    // Harmonic amplitudes, index 0 the fundamental.
    explicit WaveTable(const std::vector<float>& harmonics);
    float at(float phase) const; // phase in cycles, 0..1
private:
    std::vector<float> mTable;
};

// Decaying sine partials (struck objects): frequency, amplitude, decay time
// (seconds to fall to 1/e), added into out from start.
struct Partial {
    float hz, amplitude, decay;
};
void addModes(std::vector<float>& out, int rate, int start, const std::vector<Partial>& partials);

// Noise through a band of the state-variable filter with an exponential
// envelope of the given attack and decay, from start.
void addNoiseBurst(std::vector<float>& out, int rate, int start, float seconds, float attack, float decay,
                   float cutoffHz, float resonance, int band, float amplitude, Rng& rng);

// A sine whose frequency glides exponentially from hz0 to hz1 over the
// glide time, under an exponential decay envelope.
void addSweep(std::vector<float>& out, int rate, int start, float seconds, float hz0, float hz1, float glide,
              float attack, float decay, float amplitude);

// Scales to the peak, fades the last milliseconds out and removes the
// offset.
void normalize(std::vector<float>& samples, float peak);
void fadeEdges(std::vector<float>& samples, int rate, float fadeInMs, float fadeOutMs);

// A mono 16-bit PCM WAV image (fmt chunk of 16 bytes).
std::string wavBytes(const std::vector<float>& mono, int rate);
// Interleaved 16-bit samples with a soft limit above 0.9.
std::vector<int16_t> toPcm16(const std::vector<float>& interleaved);

// Writes a file under the game folder, making its folder; false on failure
// (with a line on stderr).
bool writeGameFile(const std::string& gameDir, const std::string& relPath, const std::string& bytes);

} // namespace synth
