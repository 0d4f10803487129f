#pragma once
#include "platform/snd/device.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

namespace snd {

// A looping ring buffer of PCM in memory that the device plays round and
// round, like the streaming buffers the game was written for. The device's pump
// copies the ring, a small piece at a time, into a few OpenAL buffers queued
// on a source. The play cursor is the start of the piece that is playing;
// a notification fires when the cursor has passed its offset. The owner
// refills the part of the ring behind the cursor while it plays.
//
// All operations may be called from any thread; the notification callback
// runs on the pump's thread (or inside Device::render) and must not call
// back into the stream buffer or the device.
class StreamBuffer {
public:
    // Null when the format is not playable, the size is not a whole number
    // of sample frames in each half, or the device has no source left.
    static std::unique_ptr<StreamBuffer> create(Device& device, const Format& format, uint32_t size);
    ~StreamBuffer();
    StreamBuffer(const StreamBuffer&) = delete;
    StreamBuffer& operator=(const StreamBuffer&) = delete;

    uint32_t size() const { return mSize; }
    const Format& format() const { return mFormat; }

    // Offsets in the ring at which the callback fires once per lap.
    void setNotifications(const std::vector<uint32_t>& offsets, std::function<void()> callback);

    // Gives the region of bytes from offset as up to two parts (the second
    // when it wraps past the end). False when the region is out of range.
    // unlock ends the write.
    bool lock(uint32_t offset, uint32_t bytes, void** part1, uint32_t* bytes1, void** part2,
              uint32_t* bytes2);
    void unlock();

    // The play cursor.
    uint32_t currentPosition() const;
    // Moves the cursor (and the next byte to be queued) to pos; what was
    // queued is dropped.
    bool setCurrentPosition(uint32_t pos);

    // Plays the ring round and round until stop.
    bool play();
    // Pauses where it stands.
    void stop();
    bool isPlaying() const;
    void setVolume(int millibels);

    // Copies bytes of the ring (for tests).
    void peek(uint32_t offset, void* out, uint32_t bytes) const;
    // Bytes played since creation, not wrapped (for tests).
    uint64_t bytesPlayed() const;

private:
    friend class Device;
    friend struct Device::Impl;
    StreamBuffer(Device& device, const Format& format, uint32_t size, unsigned source);
    // Under mMutex. Unqueues what was played, returns the notifications to
    // fire, queues more of the ring.
    int pumpLocked();
    void feedLocked();
    void dropQueueLocked();
    void detach();
    uint32_t pieceAt(uint32_t offset) const;

    static constexpr int QUEUE_LENGTH = 4;
    static constexpr uint32_t PIECE_BYTES = 8192;

    mutable std::mutex mMutex;
    Device* mDevice;
    Format mFormat;
    uint32_t mSize;
    std::vector<uint8_t> mRing;
    unsigned mSource;
    std::vector<unsigned> mFree;   // AL buffers not queued
    std::deque<uint32_t> mQueued;  // sizes of the queued pieces, oldest first
    uint64_t mPlayed = 0;          // bytes played, not wrapped
    uint32_t mFeed = 0;            // next ring byte to queue
    bool mPlaying = false;
    std::vector<uint32_t> mNotify;
    std::function<void()> mCallback;
};

} // namespace snd
