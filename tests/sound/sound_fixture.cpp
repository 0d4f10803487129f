#include "tests/sound/sound_fixture.h"

#include "platform/snd/device.h"
#include "sound/named_sound.h"
#include "sound/sound_device.h"
#include "sound/sound_source.h"
#include "tests/common/test_util.h"
#include "tools/sound/ogg_writer.h"

#include <cmath>
#include <cstdlib>
#include <stdexcept>

namespace soundtest {

namespace {

// No sound card is needed: OpenAL reads its driver list on first use, so
// setting it here (unless the caller chose one) reaches every test.
[[maybe_unused]] const int gNullDriver = ::setenv("ALSOFT_DRIVERS", "null", 0);

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

std::string makeWav(const WavSpec& spec)
{
    std::vector<uint8_t> none;
    const std::vector<uint8_t>& data = spec.data ? *spec.data : none;
    std::string fmt;
    put16(fmt, spec.tag);
    put16(fmt, spec.channels);
    put32(fmt, spec.rate);
    uint32_t align = spec.channels * spec.bits / 8u;
    put32(fmt, spec.rate * align);
    put16(fmt, align);
    put16(fmt, spec.bits);
    if (spec.fmtSize >= 18)
        put16(fmt, 0);
    fmt.resize(spec.fmtSize, '\0');

    std::string body = "WAVE";
    body += "fmt ";
    put32(body, spec.fmtSize);
    body += fmt;
    if (spec.fmtSize & 1)
        body += '\0';
    body += "data";
    put32(body, spec.declaredDataSize < 0 ? static_cast<uint32_t>(data.size())
                                          : static_cast<uint32_t>(spec.declaredDataSize));
    body.append(reinterpret_cast<const char*>(data.data()), data.size());

    std::string out = "RIFF";
    put32(out, spec.declaredRiffSize < 0 ? static_cast<uint32_t>(body.size())
                                         : static_cast<uint32_t>(spec.declaredRiffSize));
    return out + body;
}

std::vector<int16_t> sine(int frames, int rate, float hz, float amplitude)
{
    std::vector<int16_t> s(static_cast<size_t>(frames));
    for (int i = 0; i < frames; ++i)
        s[static_cast<size_t>(i)] =
            static_cast<int16_t>(amplitude * 32767.0f * std::sin(6.2831853f * hz * static_cast<float>(i) / rate));
    return s;
}

std::vector<uint8_t> toBytes(const std::vector<int16_t>& samples)
{
    std::vector<uint8_t> out(samples.size() * 2);
    for (size_t i = 0; i < samples.size(); ++i) {
        out[2 * i] = static_cast<uint8_t>(samples[i] & 0xFF);
        out[2 * i + 1] = static_cast<uint8_t>((samples[i] >> 8) & 0xFF);
    }
    return out;
}

void writeWav(const std::string& path, const std::vector<int16_t>& samples, int rate)
{
    std::vector<uint8_t> bytes = toBytes(samples);
    WavSpec spec;
    spec.rate = static_cast<uint32_t>(rate);
    spec.data = &bytes;
    testutil::writeText(path, makeWav(spec));
}

void writeOgg(const std::string& path, const std::vector<int16_t>& samples, int channels, int rate)
{
    std::string ogg;
    if (!encodeOggVorbis(samples.data(), samples.size() / static_cast<size_t>(channels), channels, rate, 0.3f, ogg))
        throw std::runtime_error("encoder refused");
    testutil::writeText(path, ogg);
}

LoopbackSound::LoopbackSound(int rate) { initSoundLoopback(rate); }

LoopbackSound::~LoopbackSound()
{
    clearNamedSounds();
    releaseSound();
    setSoundActive(true);
    setSoundVolume(1.0f);
    setMusicVolume(1.0f);
}

std::vector<int16_t> LoopbackSound::render(int frames)
{
    std::vector<int16_t> out(static_cast<size_t>(frames) * 2);
    snd::Device* device = soundDevice();
    if (device)
        device->render(out.data(), frames);
    return out;
}

void channelLevels(const std::vector<int16_t>& stereo, double& left, double& right)
{
    left = right = 0;
    size_t frames = stereo.size() / 2;
    for (size_t i = 0; i < frames; ++i) {
        left += std::abs(static_cast<int>(stereo[2 * i]));
        right += std::abs(static_cast<int>(stereo[2 * i + 1]));
    }
    if (frames) {
        left /= static_cast<double>(frames);
        right /= static_cast<double>(frames);
    }
}

} // namespace soundtest
