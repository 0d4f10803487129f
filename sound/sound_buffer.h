#pragma once
#include "platform/snd/device.h"
#include "sound/sound_device.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace snd {
class Buffer;
class RiffReader;
}

// One whole sound effect: the PCM decoded from a WAV or Ogg Vorbis file and
// the device buffer made from it. Voices that play it (YSoundSource) share
// the device buffer. The PCM is kept in memory only until a device buffer
// holds it; a later device reads the file again.
class YSoundBuffer : public YSoundResource {
public:
    YSoundBuffer();
    ~YSoundBuffer() override;

    // Loads the file by its extension ("wav" or "ogg", any case) and, with a
    // device present, makes the device buffer. Failures are thrown (YError).
    void open(const char* fileName);

    void createDeviceObjects() override;
    void releaseDeviceObjects() override;

    snd::Buffer* deviceBuffer() const { return mBuffer.get(); }
    const snd::Format& format() const { return mFormat; }
    // Bytes of PCM the file gave (whether kept in memory or not).
    size_t bytes() const { return mBytes; }
    const std::string& fileName() const { return mFileName; }

private:
    snd::Format mFormat;
    std::unique_ptr<snd::Buffer> mBuffer;
    std::vector<uint8_t> mData; // until a device buffer holds it
    size_t mBytes = 0;
    std::string mFileName;
};

// Reads a PCM WAV file: "RIFF" of form "WAVE" with a "fmt " chunk (16 or 18
// bytes or more; format tag 1; 1 or 2 channels; 8 or 16 bits; a sample
// rate) and a "data" chunk, read whole up to the bytes the file holds and
// cut to whole sample frames. Throws "Could not open WAV file " or
// "Invalid WAV format " with the name.
void readWavFile(const std::string& fileName, snd::Format& format, std::vector<uint8_t>& data);
void readWav(snd::RiffReader& reader, const std::string& name, snd::Format& format,
             std::vector<uint8_t>& data);
