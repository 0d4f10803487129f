#pragma once
#include "platform/snd/device.h"

#include <cstddef>
#include <cstdint>
#include <memory>

// Decodes an Ogg Vorbis file into 16-bit signed little-endian PCM through
// libvorbisfile, a piece at a time: the whole-file reader of sound buffers
// and the streaming sounds both use it. Failures are thrown as YError.
class YOggDecoder {
public:
    YOggDecoder();
    ~YOggDecoder(); // closes
    YOggDecoder(const YOggDecoder&) = delete;
    YOggDecoder& operator=(const YOggDecoder&) = delete;

    // Opens the file through path resolution.
    void open(const char* path);
    // Reads until size bytes are stored or the stream ends; the bytes stored.
    size_t read(void* buffer, size_t size);
    // Back to the first sample.
    void rewind();
    void close();

    bool isOpen() const;
    const snd::Format& format() const { return mFormat; }
    // The whole decoded size in bytes.
    uint64_t decodedSize() const { return mSize; }

    // The text of a libvorbisfile result code.
    static const char* errorText(int code);

private:
    struct Vorbis;
    std::unique_ptr<Vorbis> mVorbis;
    snd::Format mFormat;
    uint64_t mSize = 0;
};
