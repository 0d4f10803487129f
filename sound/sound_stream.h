#pragma once
#include "platform/sys/sync.h"
#include "sound/ogg_decoder.h"
#include "sound/sound_device.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace snd {
class StreamBuffer;
}

// Bytes from the write position up to the play cursor in a ring of size
// bytes, wrapping at its end; equal positions mean the whole ring.
int streamRegionLength(int write, int play, int size);
// True when the stream's data ends at mark (a ring offset) and the cursor,
// moving from write to play, has reached or passed it: everything before
// the mark has been played.
bool streamPassedMark(int mark, int write, int play, int size);

// Plays a long ".ogg" file without decoding it whole: a ring buffer of
// fixed size plays round and round, and a thread of the stream's own
// refills the part behind the play cursor, woken at the ring's middle and
// end. Every operation takes the stream's lock; callers holding another
// sound lock take theirs first (the music player's, then the stream's).
class YSoundStream : public YSoundResource {
public:
    explicit YSoundStream(int bufferSize);
    ~YSoundStream() override;

    // Switches to a file: stops, closes the open one, starts the new one at
    // ring position 0 (and refills at once with a device). Throws YError; a
    // file that cannot be opened leaves the stream as it was.
    void open(const char* path);
    void createDeviceObjects() override;
    void releaseDeviceObjects() override;
    // Fills the ring from the write position up to the play cursor.
    virtual void refill();

    // The ring always loops; loop says whether the file does.
    void play(bool loop);
    void stop();
    bool isPlaying() const;
    void setVolume(float volume);
    void applyVolume();

    float getVolume() const;
    int bufferSize() const { return mSize; }
    int writePosition() const;
    int endMark() const;
    uint32_t refillCount() const { return mRefills; }
    snd::StreamBuffer* deviceBuffer() const { return mBuffer.get(); }
    // Why the stream's thread could not be started (then it never plays);
    // empty when it runs.
    const std::string& threadError() const { return mThreadError; }

private:
    void threadMain();
    void stopLocked();
    void fillPart(uint8_t* part, uint32_t bytes, uint32_t offset);

    std::unique_ptr<snd::StreamBuffer> mBuffer;
    int mSize;
    int mWrite = 0;
    int mEnd = -1;
    float mVolume = 1.0f;
    std::unique_ptr<YOggDecoder> mDecoder;
    bool mLoop = false;
    mutable sys::CriticalSection mLock;
    sys::AutoResetEvent mEvent;
    std::thread mThread;
    std::string mThreadError;
    bool mPlaying = false;
    bool mFresh = false; // filled by open, not played since
    bool mFilled = false; // the ring holds data up to the play cursor
    bool mQuit = false;
    std::atomic<uint32_t> mRefills{0};
};

// The live streams (for the music master volume).
std::vector<YSoundStream*> liveSoundStreams();
