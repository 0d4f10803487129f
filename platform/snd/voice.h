#pragma once
#include "platform/snd/device.h"

#include <cstddef>
#include <memory>
#include <vector>

namespace snd {

// A whole sound held by the device (an OpenAL buffer).
class Buffer {
public:
    // Null when the format is not playable or the device refuses the data.
    // The data size is cut to whole sample frames.
    static std::unique_ptr<Buffer> create(Device& device, const Format& format, const void* data,
                                          size_t bytes);
    ~Buffer();
    Buffer(const Buffer&) = delete;
    Buffer& operator=(const Buffer&) = delete;

    const Format& format() const { return mFormat; }
    size_t bytes() const { return mBytes; }

private:
    friend class Voice;
    friend class Device;
    friend struct Device::Impl;
    Buffer(Device& device, const Format& format, unsigned name, size_t bytes);
    void detach();

    Device* mDevice;
    Format mFormat;
    unsigned mName;
    size_t mBytes;
    std::vector<Voice*> mVoices; // voices playing this buffer
};

// One voice of a buffer (an OpenAL source): several voices may play one
// buffer at once. Mono buffers are placed in space, stereo ones are not.
class Voice {
public:
    // Null when the device has no source left.
    static std::unique_ptr<Voice> create(Device& device, Buffer& buffer);
    ~Voice();
    Voice(const Voice&) = delete;
    Voice& operator=(const Voice&) = delete;

    // Deferred: applied at the device's next commitDeferredSettings.
    void setPosition(const Vec3& position);
    void setVelocity(const Vec3& velocity);
    // Immediate, in hundredths of a decibel.
    void setVolume(int millibels);
    // Starts from where the voice stands (the start once it has played to
    // its end). On a playing voice it only changes the looping.
    void play(bool loop);
    // Pauses: the position is kept for the next play.
    void stop();
    bool isPlaying() const;

private:
    friend class Buffer;
    friend class Device;
    friend struct Device::Impl;
    Voice(Device& device, Buffer& buffer, unsigned source);
    void detach();
    void applyPending();
    void applyRolloff(float rolloff);

    Device* mDevice;
    Buffer* mBuffer;
    unsigned mSource;
    Vec3 mPosition, mVelocity;
    bool mPending = false;
};

} // namespace snd
