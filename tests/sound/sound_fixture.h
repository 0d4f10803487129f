#pragma once
// Helpers of the sound tests: PCM and file builders, and a loopback device
// that renders into memory instead of a sound card.
#include <cstdint>
#include <string>
#include <vector>

namespace soundtest {

// A little-endian RIFF/WAVE image with the given fields; fmtSize 16 or 18
// (or anything, for broken files); sizes may lie about the data present.
struct WavSpec {
    uint16_t tag = 1;
    uint16_t channels = 1;
    uint32_t rate = 22050;
    uint16_t bits = 16;
    uint32_t fmtSize = 16;
    const std::vector<uint8_t>* data = nullptr;
    int64_t declaredDataSize = -1; // -1: the real size
    int64_t declaredRiffSize = -1;
};
std::string makeWav(const WavSpec& spec);

// Mono 16-bit samples of a sine of that frequency and amplitude.
std::vector<int16_t> sine(int frames, int rate, float hz, float amplitude);
std::vector<uint8_t> toBytes(const std::vector<int16_t>& samples);

// Writes a mono 16-bit WAV file.
void writeWav(const std::string& path, const std::vector<int16_t>& samples, int rate = 22050);
// Writes an Ogg Vorbis file of interleaved samples.
void writeOgg(const std::string& path, const std::vector<int16_t>& samples, int channels, int rate);

// Opens the sound system on a loopback device for the scope of a test and
// releases it (and every named sound) afterwards.
class LoopbackSound {
public:
    explicit LoopbackSound(int rate = 22050);
    ~LoopbackSound();
    // Renders frames of stereo output.
    std::vector<int16_t> render(int frames);
};

// Mean absolute value of the left and right channels of stereo samples.
void channelLevels(const std::vector<int16_t>& stereo, double& left, double& right);

} // namespace soundtest
