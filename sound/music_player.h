#pragma once
#include "platform/sys/random.h"
#include "platform/sys/sync.h"
#include "sound/sound_stream.h"

#include <cstdint>
#include <memory>
#include <string>
#include <thread>
#include <vector>

// The background music: a playlist of ".ogg" files played through two
// streams, so that a new track fades in while the old one fades out. The
// first two tracks (the menu's and the game-over tune) play only when asked
// for; the others follow one another in a shuffled order, each for about
// seven minutes. A thread of the player's own wakes every 100 ms to run the
// fades and the track changes.
class YMusicPlayer {
public:
    static constexpr int STREAM_BUFFER_SIZE = 262144;

    // runThread false leaves update to the caller (tests drive it with an
    // injected clock).
    explicit YMusicPlayer(bool runThread = true, int streamBufferSize = STREAM_BUFFER_SIZE);
    virtual ~YMusicPlayer();
    YMusicPlayer(const YMusicPlayer&) = delete;
    YMusicPlayer& operator=(const YMusicPlayer&) = delete;

    // Adds folder + "\" + name for every "*.ogg" in the folder, sorted by
    // name ignoring case, and shuffles again.
    void addFolder(const char* folder);
    void addTrack(const char* path);
    // Asks for a playlist track with that fade time; the current track and
    // indexes outside the playlist are ignored.
    void play(int index, float fade);
    // Asks for the next track of the shuffled order (nothing when the order
    // is empty or a request is pending).
    void next(float fade);
    // Fades whatever plays out within a second and stops it.
    void fadeOut();
    // One step of the fades and track changes.
    virtual void update();

    // State, for tests and the console.
    int currentTrack() const;
    int requestedTrack() const;
    float trackTimer() const;
    float fadeTimer(int stream) const;
    std::vector<std::string> playlist() const;
    std::vector<int> order() const;
    YSoundStream& stream(int index) { return *mStreams[index]; }
    void setAutoAdvance(bool on);

    static constexpr float TRACK_TIME = 420.0f;
    static constexpr float TRACK_SPREAD = 30.0f;

private:
    void shuffle();
    void startRequested();
    // Starts stream's fade in or out with the requested fade time, from its
    // present volume.
    void startFade(int stream, float from, bool in);
    void threadMain();

    std::vector<std::string> mPlaylist;
    std::vector<int> mOrder;
    std::unique_ptr<YSoundStream> mStreams[2];
    mutable sys::CriticalSection mLock;
    float mTrackTimer = 0.0f;
    float mTrackTime = TRACK_TIME;
    float mTrackSpread = TRACK_SPREAD;
    float mFadeTime = 2.0f;
    // Per stream: the fade timer (0 none, positive fading out, negative
    // fading in), the fade time it runs over and the track it holds.
    float mFade[2] = {0.0f, 0.0f};
    float mFadeLength[2] = {0.0f, 0.0f};
    int mTrack[2] = {-1, -1};
    bool mAutoAdvance = true;
    int mRequested = -1;
    int mCurrent = -1;
    uint32_t mLastTime = 0;
    bool mStarted = false;
    int mOrderPos = 0;
    sys::Random mRandom;
    sys::AutoResetEvent mWake;
    bool mQuit = false;
    std::thread mThread;
};
