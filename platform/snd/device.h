#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

// The audio device over OpenAL Soft, shaped like the 3D sound device the
// game was written for. Positions, velocities and orientations are given in
// the game's left-handed frame (x right, y up, z forward) and turned into
// OpenAL's right-handed one by negating z. Volumes are attenuations in
// hundredths of a decibel (0 full, negative quieter).
//
// One device exists at a time: opening one makes its context current for
// the whole process. Buffers, voices and stream buffers made on a device
// must be destroyed before it; the device detaches any that are left, so
// their later calls do nothing.
namespace snd {

class Buffer;
class Voice;
class StreamBuffer;

struct Vec3 {
    float x = 0, y = 0, z = 0;
};

// PCM format of a buffer: 1 or 2 channels, 8 (unsigned) or 16 (signed) bits.
struct Format {
    int channels = 1;
    int bitsPerSample = 16;
    int sampleRate = 44100;
    int blockAlign() const { return channels * bitsPerSample / 8; }
    int bytesPerSecond() const { return blockAlign() * sampleRate; }
    // True for the formats OpenAL plays.
    bool valid() const;
};

// The listener's parameters, in the game's frame. The values before any
// device exists are these defaults.
struct Listener {
    Vec3 position;
    Vec3 velocity;
    Vec3 front{0, 0, 1};
    Vec3 top{0, 1, 0};
    float distanceFactor = 1.0f; // metres per world unit
    float rolloffFactor = 1.0f;
    float dopplerFactor = 1.0f;
};

// Gain factor of an attenuation in hundredths of a decibel: 10^(mB / 2000).
float gainFromMillibels(int millibels);

class Device {
public:
    // The default output device. Null with a reason when there is none (a
    // machine without a sound card): the game then runs silent.
    static std::unique_ptr<Device> open(std::string* error = nullptr);
    // A device that plays into memory (render), stereo 16-bit at the given
    // rate; streams are pumped by render itself. For tests.
    static std::unique_ptr<Device> openLoopback(int sampleRate, std::string* error = nullptr);

    ~Device();
    Device(const Device&) = delete;
    Device& operator=(const Device&) = delete;

    // Hands the listener's parameters over; a deferred setting takes effect
    // at the next commitDeferredSettings.
    void setListener(const Listener& listener, bool deferred);
    // The parameters last handed over (committed or not).
    Listener listener() const;
    // Applies every deferred listener and voice setting at once.
    void commitDeferredSettings();

    // Silences all output (the window is inactive) without stopping anything.
    void setMuted(bool muted);
    bool isMuted() const;

    bool isLoopback() const;
    int sampleRate() const;
    // Loopback only: renders frames of stereo 16-bit samples into out,
    // pumping the streams between small pieces as the real device's pump
    // thread would.
    void render(int16_t* out, int frames);
    // Moves every playing stream's cursor on and keeps its queue filled.
    // The pump thread of a real device calls it every few milliseconds.
    void pumpStreams();

    struct Impl;
    Impl& impl() { return *m; }

private:
    explicit Device(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> m;
};

} // namespace snd
