#include "sound/sound_stream.h"

#include "core/error.h"
#include "core/log.h"
#include "platform/snd/stream_buffer.h"
#include "platform/sys/thread.h"
#include "sound/sound_source.h"

#include <algorithm>
#include <cstring>
#include <mutex>

namespace {

struct StreamList {
    std::mutex lock;
    std::vector<YSoundStream*> streams;
};

StreamList& streamList()
{
    static StreamList* list = new StreamList();
    return *list;
}

} // namespace

int streamRegionLength(int write, int play, int size)
{
    return write < play ? play - write : size - write + play;
}

bool streamPassedMark(int mark, int write, int play, int size)
{
    int distance = ((mark - write) % size + size) % size;
    return distance <= streamRegionLength(write, play, size);
}

std::vector<YSoundStream*> liveSoundStreams()
{
    std::lock_guard<std::mutex> guard(streamList().lock);
    return streamList().streams;
}

YSoundStream::YSoundStream(int bufferSize) : mSize(bufferSize)
{
    {
        std::lock_guard<std::mutex> guard(streamList().lock);
        streamList().streams.push_back(this);
    }
    // A thread the system refuses leaves a stream that never plays: its
    // ring would go round with nobody to refill it. The owner says so.
    try {
        mThread = sys::startThread("music stream", [this] { threadMain(); });
    } catch (const std::exception& e) {
        mThreadError = e.what();
    }
}

YSoundStream::~YSoundStream()
{
    // Ask the thread to end and let it go: it may be waiting for the lock
    // right now, so the lock must not be held while joining.
    {
        sys::Lock lock(mLock);
        mQuit = true;
    }
    mEvent.set();
    if (mThread.joinable())
        mThread.join();
    {
        sys::Lock lock(mLock);
        mBuffer.reset();
        mDecoder.reset();
    }
    std::lock_guard<std::mutex> guard(streamList().lock);
    auto& s = streamList().streams;
    s.erase(std::remove(s.begin(), s.end(), this), s.end());
}

void YSoundStream::threadMain()
{
    for (;;) {
        mEvent.wait();
        {
            sys::Lock lock(mLock);
            if (mQuit)
                return;
        }
        refill();
    }
}

void YSoundStream::open(const char* path)
{
    sys::Lock lock(mLock);
    // The new file opens first: one that cannot be opened leaves the stream
    // playing what it played.
    auto decoder = std::make_unique<YOggDecoder>();
    decoder->open(path);
    if (mDecoder) {
        stopLocked();
        mDecoder.reset();
    }
    mWrite = 0;
    mEnd = -1;
    mFilled = false;
    if (mBuffer && !mBuffer->setCurrentPosition(0))
        throw YError("DSB8::SetCurrentPosition error");
    // A file of another format needs a ring of its own format.
    const snd::Format& a = decoder->format();
    if (mBuffer && (mBuffer->format().channels != a.channels || mBuffer->format().sampleRate != a.sampleRate ||
                    mBuffer->format().bitsPerSample != a.bitsPerSample))
        mBuffer.reset();
    mDecoder = std::move(decoder);
    if (!soundDeviceReady())
        return;
    // A new ring is marked fresh by createDeviceObjects; a refilled one has
    // not played this file yet either.
    if (!mBuffer) {
        createDeviceObjects();
    } else {
        refill();
        mFresh = true;
    }
}

void YSoundStream::createDeviceObjects()
{
    sys::Lock lock(mLock);
    if (!mDecoder || mBuffer)
        return;
    {
        SoundDeviceLock device;
        if (!device.device())
            return;
        mBuffer = snd::StreamBuffer::create(*device.device(), mDecoder->format(), static_cast<uint32_t>(mSize));
    }
    if (!mBuffer)
        throw YError("DS8::CreateSoundBuffer error");
    mBuffer->setNotifications({static_cast<uint32_t>(mSize / 2), static_cast<uint32_t>(mSize - 1)},
                              [this] { mEvent.set(); });
    mWrite = 0;
    mEnd = -1;
    mFilled = false;
    applyVolume();
    refill();
    mFresh = !mPlaying;
    if (mPlaying)
        mBuffer->play();
}

void YSoundStream::releaseDeviceObjects()
{
    sys::Lock lock(mLock);
    if (mBuffer)
        mBuffer->stop();
    mBuffer.reset();
}

void YSoundStream::play(bool loop)
{
    sys::Lock lock(mLock);
    if (!mBuffer || !mThread.joinable())
        return;
    // The fill made by open used the loop flag of the stream's last play: a
    // short file would hold silence after its end. Nothing has played yet,
    // so fill again with this play's flag.
    if (mFresh && loop != mLoop && mDecoder) {
        mLoop = loop;
        mDecoder->rewind();
        mWrite = 0;
        mEnd = -1;
        mFilled = false;
        mBuffer->setCurrentPosition(0);
        refill();
    }
    mFresh = false;
    if (mBuffer->play()) {
        mPlaying = true;
        mLoop = loop;
    }
}

void YSoundStream::stop()
{
    sys::Lock lock(mLock);
    stopLocked();
}

void YSoundStream::stopLocked()
{
    if (mBuffer) {
        mBuffer->stop();
        mPlaying = false;
    }
}

bool YSoundStream::isPlaying() const
{
    sys::Lock lock(mLock);
    return mPlaying;
}

void YSoundStream::setVolume(float volume)
{
    sys::Lock lock(mLock);
    mVolume = volume;
    applyVolume();
}

void YSoundStream::applyVolume()
{
    sys::Lock lock(mLock);
    if (mBuffer)
        mBuffer->setVolume(soundVolumeToMillibels(mVolume, getMusicVolume()));
}

float YSoundStream::getVolume() const
{
    sys::Lock lock(mLock);
    return mVolume;
}

int YSoundStream::writePosition() const
{
    sys::Lock lock(mLock);
    return mWrite;
}

int YSoundStream::endMark() const
{
    sys::Lock lock(mLock);
    return mEnd;
}

void YSoundStream::fillPart(uint8_t* part, uint32_t bytes, uint32_t offset)
{
    uint32_t done = 0;
    bool rewound = false;
    while (done < bytes) {
        size_t n = mDecoder->read(part + done, bytes - done);
        done += static_cast<uint32_t>(n);
        if (done >= bytes)
            break;
        // The decoder ran dry. A looping file goes on from its start, unless
        // it gives nothing even from there.
        if (mLoop && !(rewound && n == 0)) {
            mDecoder->rewind();
            rewound = n == 0;
            continue;
        }
        std::memset(part + done, 0, bytes - done);
        if (mEnd == -1)
            mEnd = static_cast<int>((offset + done) % static_cast<uint32_t>(mSize));
        break;
    }
}

void YSoundStream::refill()
{
    sys::Lock lock(mLock);
    if (!mDecoder || !mBuffer)
        return;
    try {
        int play = static_cast<int>(mBuffer->currentPosition());
        // Once the ring is filled, a cursor still at the write position has
        // played nothing since: a wake-up left over from before open would
        // otherwise write the file's second ring over its first.
        if (mFilled && play == mWrite) {
            ++mRefills;
            return;
        }
        int length = streamRegionLength(mWrite, play, mSize);
        // The end mark is where the file's data stopped: once the cursor has
        // gone past it, only silence is left to play.
        if (mEnd != -1 && streamPassedMark(mEnd, mWrite, play, mSize))
            stopLocked();
        void* p1 = nullptr;
        void* p2 = nullptr;
        uint32_t n1 = 0, n2 = 0;
        if (!mBuffer->lock(static_cast<uint32_t>(mWrite), static_cast<uint32_t>(length), &p1, &n1, &p2, &n2))
            throw YError("DS8::Lock error");
        try {
            fillPart(static_cast<uint8_t*>(p1), n1, static_cast<uint32_t>(mWrite));
            if (p2)
                fillPart(static_cast<uint8_t*>(p2), n2, 0);
        } catch (...) {
            mBuffer->unlock();
            throw;
        }
        mBuffer->unlock();
        mWrite = (mWrite + length) % mSize;
        mFilled = true;
    } catch (const std::exception& e) {
        YLog::writef("SoundStream error: %s", e.what());
    }
    ++mRefills;
}
