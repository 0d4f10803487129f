#include "sound/sound_buffer.h"

#include "core/error.h"
#include "core/log.h"
#include "platform/snd/riff.h"
#include "platform/snd/voice.h"
#include "platform/sys/byte_order.h"
#include "sound/ogg_decoder.h"

#include <cctype>
#include <cstring>

namespace {

using sys::le16;
using sys::le32;

// The three characters after the last '.', lower-cased.
std::string extensionOf(const std::string& name, bool& found)
{
    size_t dot = name.find_last_of('.');
    found = dot != std::string::npos;
    if (!found)
        return std::string();
    std::string ext = name.substr(dot + 1, 3);
    for (char& c : ext)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return ext;
}

void readOggWhole(const char* fileName, snd::Format& format, std::vector<uint8_t>& data)
{
    YOggDecoder decoder;
    decoder.open(fileName);
    if (decoder.decodedSize() > 0x7FFFFFFFu)
        throw YError(std::string("Could not open Ogg stream. ") + YOggDecoder::errorText(-1));
    data.resize(static_cast<size_t>(decoder.decodedSize()));
    size_t got = decoder.read(data.data(), data.size());
    data.resize(got);
    format = decoder.format();
    decoder.close();
}

} // namespace

void readWav(snd::RiffReader& reader, const std::string& name, snd::Format& format, std::vector<uint8_t>& data)
{
    const std::string invalid = "Invalid WAV format " + name;
    snd::RiffChunk riff, fmt, chunk;
    if (!reader.descend(riff, nullptr, snd::fourCC("RIFF"), snd::fourCC("WAVE")))
        throw YError(invalid);
    if (!reader.descend(fmt, &riff, snd::fourCC("fmt ")))
        throw YError(invalid);
    // The record is 16 bytes, 18 with its extra-size word; more is skipped.
    unsigned char record[18] = {};
    size_t got = reader.read(fmt, record, sizeof(record));
    if (got < 16)
        throw YError(invalid);
    uint16_t tag = le16(record);
    snd::Format f;
    f.channels = le16(record + 2);
    f.sampleRate = static_cast<int>(le32(record + 4));
    f.bitsPerSample = le16(record + 14);
    if (tag != 1 || le32(record + 4) > 0x7FFFFFFFu || !f.valid())
        throw YError(invalid);
    reader.ascend(fmt);
    if (!reader.descend(chunk, &riff, snd::fourCC("data")))
        throw YError(invalid);
    if (chunk.size < chunk.declaredSize)
        YLog::writef("WAV file %s is cut short: %zu of its %u bytes of sound are there", name.c_str(), chunk.size,
                     chunk.declaredSize);
    size_t bytes = chunk.size - chunk.size % static_cast<size_t>(f.blockAlign());
    data.resize(bytes);
    data.resize(reader.read(chunk, data.data(), bytes));
    format = f;
}

void readWavFile(const std::string& fileName, snd::Format& format, std::vector<uint8_t>& data)
{
    YLog::writef("Load WAV file %s", fileName.c_str());
    snd::RiffReader reader;
    if (!reader.open(fileName))
        throw YError("Could not open WAV file " + fileName);
    readWav(reader, fileName, format, data);
}

YSoundBuffer::YSoundBuffer() = default;

YSoundBuffer::~YSoundBuffer() { mBuffer.reset(); }

namespace {

// Decodes a "wav" or "ogg" file (the extension in any case) whole.
void decodeSoundFile(const std::string& name, snd::Format& format, std::vector<uint8_t>& data)
{
    bool hasDot = false;
    std::string ext = extensionOf(name, hasDot);
    if (!hasDot)
        throw YError("Invalid filename: " + name);
    if (ext == "wav")
        readWavFile(name, format, data);
    else if (ext == "ogg")
        readOggWhole(name.c_str(), format, data);
    else
        throw YError("Unknown file type: " + name);
}

} // namespace

void YSoundBuffer::open(const char* fileName)
{
    if (mBytes > 0 || mBuffer)
        throw YError("SoundBuffer already opened.");
    std::string name = fileName ? fileName : "";
    std::vector<uint8_t> data;
    decodeSoundFile(name, mFormat, data);
    mBytes = data.size();
    mFileName = name;
}

void YSoundBuffer::makeDeviceBuffer(snd::Device& device)
{
    mWanted = true;
    std::vector<uint8_t> data;
    try {
        decodeSoundFile(mFileName, mFormat, data);
    } catch (...) {
        mFailed = true;
        throw;
    }
    mBuffer = snd::Buffer::create(device, mFormat, data.data(), data.size());
    if (!mBuffer) {
        mFailed = true;
        throw YError("DS8::CreateSoundBuffer error");
    }
}

void YSoundBuffer::createDeviceObjects()
{
    snd::Device* device = soundDevice();
    if (mWanted && !mBuffer && !mFailed && mBytes > 0 && device)
        makeDeviceBuffer(*device);
}

snd::Buffer* YSoundBuffer::deviceBuffer()
{
    snd::Device* device = soundDevice();
    if (!mBuffer && !mFailed && mBytes > 0 && device)
        makeDeviceBuffer(*device);
    return mBuffer.get();
}

void YSoundBuffer::releaseDeviceObjects()
{
    mBuffer.reset();
    mFailed = false;
}
