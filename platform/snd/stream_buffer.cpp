#include "platform/snd/stream_buffer.h"

#include "platform/snd/al_device.h"
#include "platform/snd/al_objects.h"

#include <algorithm>
#include <cstring>

namespace snd {

StreamBuffer::StreamBuffer(Device& device, const Format& format, uint32_t size, unsigned source)
    : mDevice(&device), mFormat(format), mSize(size), mRing(size, format.bitsPerSample == 8 ? 0x80 : 0),
      mSource(source)
{
}

std::unique_ptr<StreamBuffer> StreamBuffer::create(Device& device, const Format& format, uint32_t size)
{
    if (!alFormat(format))
        return nullptr;
    uint32_t half = static_cast<uint32_t>(2 * format.blockAlign());
    if (size < half || size % half != 0 || size > 0x40000000u)
        return nullptr;
    ALuint source = 0;
    if (!makeAlSource(source))
        return nullptr;
    ALuint buffers[QUEUE_LENGTH] = {};
    if (!makeAlBuffers(QUEUE_LENGTH, buffers)) {
        alDeleteSources(1, &source);
        return nullptr;
    }
    // Music is not placed in space: it stays at the listener, unattenuated.
    alSourcei(source, AL_SOURCE_RELATIVE, AL_TRUE);
    alSource3f(source, AL_POSITION, 0.0f, 0.0f, 0.0f);
    alSourcef(source, AL_ROLLOFF_FACTOR, 0.0f);
    std::unique_ptr<StreamBuffer> s(new StreamBuffer(device, format, size, source));
    s->mFree.assign(buffers, buffers + QUEUE_LENGTH);
    device.impl().addStream(s.get());
    return s;
}

StreamBuffer::~StreamBuffer()
{
    Device* device;
    {
        std::lock_guard<std::mutex> guard(mMutex);
        device = mDevice;
    }
    // Leaving the list first guarantees the pump is not inside this object.
    if (device)
        device->impl().removeStream(this);
    detach();
}

void StreamBuffer::detach()
{
    std::lock_guard<std::mutex> guard(mMutex);
    if (!mDevice)
        return;
    dropQueueLocked();
    alDeleteSources(1, &mSource);
    alDeleteBuffers(static_cast<ALsizei>(mFree.size()), mFree.data());
    mFree.clear();
    mDevice = nullptr;
    mPlaying = false;
}

void StreamBuffer::setNotifications(const std::vector<uint32_t>& offsets, std::function<void()> callback)
{
    std::lock_guard<std::mutex> guard(mMutex);
    mNotify.clear();
    for (uint32_t o : offsets)
        if (o < mSize)
            mNotify.push_back(o);
    mCallback = std::move(callback);
}

bool StreamBuffer::lock(uint32_t offset, uint32_t bytes, void** part1, uint32_t* bytes1, void** part2,
                        uint32_t* bytes2)
{
    // Taking the lock orders these writes after the pump's last reads of
    // the same bytes, and unlock orders them before its next ones.
    std::lock_guard<std::mutex> guard(mMutex);
    if (offset >= mSize || bytes > mSize)
        return false;
    uint32_t first = std::min(bytes, mSize - offset);
    *part1 = mRing.data() + offset;
    *bytes1 = first;
    *part2 = bytes > first ? mRing.data() : nullptr;
    *bytes2 = bytes - first;
    return true;
}

void StreamBuffer::unlock()
{
    std::lock_guard<std::mutex> guard(mMutex);
}

uint32_t StreamBuffer::currentPosition() const
{
    std::lock_guard<std::mutex> guard(mMutex);
    return static_cast<uint32_t>(mPlayed % mSize);
}

uint64_t StreamBuffer::bytesPlayed() const
{
    std::lock_guard<std::mutex> guard(mMutex);
    return mPlayed;
}

bool StreamBuffer::setCurrentPosition(uint32_t pos)
{
    std::lock_guard<std::mutex> guard(mMutex);
    if (!mDevice || pos >= mSize)
        return false;
    pos -= pos % static_cast<uint32_t>(mFormat.blockAlign());
    dropQueueLocked();
    // The cursor is kept as a running count; move it within its lap.
    mPlayed = mPlayed - mPlayed % mSize + pos;
    mFeed = pos;
    if (mPlaying) {
        feedLocked();
        alSourcePlay(mSource);
    }
    return true;
}

bool StreamBuffer::play()
{
    std::lock_guard<std::mutex> guard(mMutex);
    if (!mDevice)
        return false;
    mPlaying = true;
    feedLocked();
    ALint state = AL_INITIAL;
    alGetSourcei(mSource, AL_SOURCE_STATE, &state);
    if (state != AL_PLAYING)
        alSourcePlay(mSource);
    return true;
}

void StreamBuffer::stop()
{
    std::lock_guard<std::mutex> guard(mMutex);
    mPlaying = false;
    if (mDevice)
        alSourcePause(mSource);
}

bool StreamBuffer::isPlaying() const
{
    std::lock_guard<std::mutex> guard(mMutex);
    return mPlaying;
}

void StreamBuffer::setVolume(int millibels)
{
    std::lock_guard<std::mutex> guard(mMutex);
    if (mDevice)
        alSourcef(mSource, AL_GAIN, gainFromMillibels(millibels));
}

void StreamBuffer::peek(uint32_t offset, void* out, uint32_t bytes) const
{
    std::lock_guard<std::mutex> guard(mMutex);
    auto* dst = static_cast<uint8_t*>(out);
    for (uint32_t i = 0; i < bytes; ++i)
        dst[i] = mRing[(offset + i) % mSize];
}

uint32_t StreamBuffer::pieceAt(uint32_t offset) const
{
    // Pieces end at the middle and at the end of the ring, so the cursor
    // stands exactly there once a piece is played.
    // What is queued stays well under half the ring, so the owner's refill
    // of the half behind the cursor is done before the queue gets there.
    uint32_t align = static_cast<uint32_t>(mFormat.blockAlign());
    uint32_t piece = std::min(PIECE_BYTES, mSize / (4 * QUEUE_LENGTH));
    piece = std::max(align, piece - piece % align);
    uint32_t half = mSize / 2;
    uint32_t boundary = offset < half ? half : mSize;
    return std::min(piece, boundary - offset);
}

void StreamBuffer::feedLocked()
{
    ALenum format = alFormat(mFormat);
    while (!mFree.empty() && mQueued.size() < static_cast<size_t>(QUEUE_LENGTH)) {
        uint32_t n = pieceAt(mFeed);
        ALuint b = mFree.back();
        alGetError();
        alBufferData(b, format, mRing.data() + mFeed, static_cast<ALsizei>(n), mFormat.sampleRate);
        if (alGetError() != AL_NO_ERROR)
            break;
        alSourceQueueBuffers(mSource, 1, &b);
        if (alGetError() != AL_NO_ERROR)
            break;
        mFree.pop_back();
        mQueued.push_back(n);
        mFeed = (mFeed + n) % mSize;
    }
}

void StreamBuffer::dropQueueLocked()
{
    alSourceStop(mSource);
    while (!mQueued.empty()) {
        ALuint b = 0;
        alSourceUnqueueBuffers(mSource, 1, &b);
        mFree.push_back(b);
        mQueued.pop_front();
    }
}

int StreamBuffer::pumpLocked()
{
    if (!mDevice)
        return 0;
    int fired = 0;
    ALint processed = 0;
    alGetSourcei(mSource, AL_BUFFERS_PROCESSED, &processed);
    for (; processed > 0 && !mQueued.empty(); --processed) {
        ALuint b = 0;
        alSourceUnqueueBuffers(mSource, 1, &b);
        mFree.push_back(b);
        uint32_t from = static_cast<uint32_t>(mPlayed % mSize);
        uint32_t n = mQueued.front();
        mQueued.pop_front();
        mPlayed += n;
        // An offset fires when the cursor moves from before it to at or
        // past it.
        for (uint32_t o : mNotify) {
            uint32_t d = (o + mSize - from) % mSize;
            if (d == 0)
                d = mSize;
            if (d <= n)
                ++fired;
        }
    }
    if (mPlaying) {
        feedLocked();
        ALint state = AL_INITIAL;
        alGetSourcei(mSource, AL_SOURCE_STATE, &state);
        // A pump that came late lets the queue run dry: start again.
        if (state != AL_PLAYING && !mQueued.empty())
            alSourcePlay(mSource);
    }
    return fired;
}

} // namespace snd
