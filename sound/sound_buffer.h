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

// One whole sound effect: a WAV or Ogg Vorbis file, read whole when opened
// (so a bad file is said at once) and again for the device buffer, which is
// made when the first voice asks for it. Voices that play it (YSoundSource)
// share the device buffer; an effect never played holds no memory for its
// samples.
class YSoundBuffer : public YSoundResource {
public:
    YSoundBuffer();
    ~YSoundBuffer() override;

    // Reads the file by its extension ("wav" or "ogg", any case) for its
    // format and size. Failures are thrown (YError).
    void open(const char* fileName);

    // Makes the device buffer again for a new device when one was made for
    // an earlier device.
    void createDeviceObjects() override;
    void releaseDeviceObjects() override;

    // The device buffer, made at the first request while a device exists.
    // Null without a device or when making it failed: the request that
    // failed throws (YError), later ones return null until the next device.
    snd::Buffer* deviceBuffer();
    const snd::Format& format() const { return mFormat; }
    // Bytes of PCM the file gave.
    size_t bytes() const { return mBytes; }
    const std::string& fileName() const { return mFileName; }

private:
    void makeDeviceBuffer(snd::Device& device);

    snd::Format mFormat;
    std::unique_ptr<snd::Buffer> mBuffer;
    size_t mBytes = 0;
    std::string mFileName;
    bool mWanted = false; // a voice asked for the device buffer
    bool mFailed = false; // making it failed on this device
};

// Reads a PCM WAV file: "RIFF" of form "WAVE" with a "fmt " chunk (16 or 18
// bytes or more; format tag 1; 1 or 2 channels; 8 or 16 bits; a sample
// rate) and a "data" chunk, read whole up to the bytes the file holds and
// cut to whole sample frames. Throws "Could not open WAV file " or
// "Invalid WAV format " with the name.
void readWavFile(const std::string& fileName, snd::Format& format, std::vector<uint8_t>& data);
void readWav(snd::RiffReader& reader, const std::string& name, snd::Format& format,
             std::vector<uint8_t>& data);
