#include "sound/music_player.h"

#include "core/file_list.h"
#include "core/log.h"
#include "core/math.h"
#include "platform/sys/clock.h"
#include "platform/sys/thread.h"

#include <algorithm>
#include <cctype>

namespace {

bool lessIgnoringCase(const std::string& a, const std::string& b)
{
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) < std::tolower(static_cast<unsigned char>(y));
    });
}

} // namespace

YMusicPlayer::YMusicPlayer(bool runThread, int streamBufferSize) : mRandom(sys::timeGetTime())
{
    mStreams[0].reset(new YSoundStream(streamBufferSize));
    mStreams[1].reset(new YSoundStream(streamBufferSize));
    // The game needs none of the music's threads: without one it goes on
    // without music, and the log says why, once.
    std::string refused = mStreams[0]->threadError();
    if (refused.empty())
        refused = mStreams[1]->threadError();
    if (runThread && refused.empty()) {
        try {
            mThread = sys::startThread("music", [this] { threadMain(); });
        } catch (const std::exception& e) {
            refused = e.what();
        }
    }
    if (!refused.empty())
        YLog::writef("Music thread could not be started: %s; no music", refused.c_str());
}

YMusicPlayer::~YMusicPlayer()
{
    if (mThread.joinable()) {
        {
            sys::Lock lock(mLock);
            mQuit = true;
        }
        mWake.set();
        mThread.join();
    }
    mStreams[0]->stop();
    mStreams[1]->stop();
}

void YMusicPlayer::threadMain()
{
    for (;;) {
        mWake.wait(100);
        {
            sys::Lock lock(mLock);
            if (mQuit)
                return;
        }
        update();
    }
}

void YMusicPlayer::shuffle()
{
    mOrder.clear();
    int n = static_cast<int>(mPlaylist.size());
    if (n <= 2)
        return;
    for (int i = 2; i < n; ++i)
        mOrder.push_back(i);
    int k = static_cast<int>(mOrder.size());
    if (k <= 2)
        return;
    // As many swaps as entries among the first k - 1: the last keeps its place.
    for (int s = 0; s < k; ++s) {
        int a = mRandom.next() % (k - 1);
        int b = mRandom.next() % (k - 1);
        std::swap(mOrder[a], mOrder[b]);
    }
}

void YMusicPlayer::addFolder(const char* folder)
{
    sys::Lock lock(mLock);
    std::string prefix = std::string(folder) + "\\";
    std::vector<std::string> names = findFiles(prefix + "*.ogg", false);
    if (names.empty())
        YLog::writef("Music folder %s holds no tracks: the game plays without music", folder);
    std::stable_sort(names.begin(), names.end(), lessIgnoringCase);
    for (const std::string& name : names)
        mPlaylist.push_back(prefix + name);
    shuffle();
}

void YMusicPlayer::addTrack(const char* path)
{
    sys::Lock lock(mLock);
    mPlaylist.push_back(path);
    shuffle();
}

void YMusicPlayer::play(int index, float fade)
{
    sys::Lock lock(mLock);
    if (index < 0 || index >= static_cast<int>(mPlaylist.size()))
        return;
    if (index != mCurrent) {
        mRequested = index;
        mFadeTime = fade;
    }
}

void YMusicPlayer::next(float fade)
{
    sys::Lock lock(mLock);
    if (mRequested != -1 || mOrder.empty())
        return;
    ++mOrderPos;
    if (mOrderPos >= static_cast<int>(mOrder.size())) {
        shuffle();
        mOrderPos = 0;
    }
    mFadeTime = fade;
    mRequested = mOrder[mOrderPos];
}

void YMusicPlayer::fadeOut()
{
    sys::Lock lock(mLock);
    for (int i = 0; i < 2; ++i) {
        mFade[i] = 1.0f;
        mFadeLength[i] = mFadeTime;
    }
}

void YMusicPlayer::update()
{
    sys::Lock lock(mLock);
    uint32_t now = sys::timeGetTime();
    // While the window is inactive (or there is no device) nothing moves:
    // the clock is followed so that the time away is not counted later.
    if (!isSoundActive() || !soundDeviceReady()) {
        mLastTime = now;
        return;
    }
    float dt = 0.05f;
    if (mStarted) {
        dt = static_cast<float>(static_cast<uint32_t>(now - mLastTime)) / 1000.0f;
        if (dt < 0.05f)
            return;
    }
    mStarted = true;
    mLastTime = now;

    try {
        for (int i = 0; i < 2; ++i) {
            float& f = mFade[i];
            if (f == 0.0f)
                continue;
            YSoundStream& s = *mStreams[i];
            if (!s.isPlaying()) {
                f = 0.0f;
                continue;
            }
            float volume;
            float length = mFadeLength[i];
            if (f > 0.0f) {
                f -= dt;
                if (f <= 0.0f) {
                    f = 0.0f;
                    s.stop();
                }
                volume = length > 0.0f ? f / length : 0.0f;
            } else {
                f += dt;
                if (f >= 0.0f)
                    f = 0.0f;
                volume = length > 0.0f ? f / length + 1.0f : 1.0f;
            }
            s.setVolume(clampUnit(volume));
        }

        if (!mPlaylist.empty()) {
            if (mRequested == -1) {
                if (mTrackTimer >= 0.0f)
                    mTrackTimer -= dt;
                if (mTrackTimer < 0.0f && mAutoAdvance && mCurrent > 1)
                    next(2.0f);
            }
            if (mRequested != -1 && mRequested != mCurrent)
                startRequested();
            mRequested = -1;
        }
    } catch (const std::exception& e) {
        YLog::writef("DirectSound error: %s", e.what());
    }
}

void YMusicPlayer::startFade(int stream, float from, bool in)
{
    // The timer is placed where the fade's volume law gives the stream's
    // present volume, so the fade goes on from there without a jump.
    mFadeLength[stream] = mFadeTime;
    if (mFadeTime <= 0.0f) {
        mFade[stream] = 0.0f;
        mStreams[stream]->setVolume(in ? 1.0f : 0.0f);
        if (!in)
            mStreams[stream]->stop();
        return;
    }
    mFade[stream] = in ? (from - 1.0f) * mFadeTime : from * mFadeTime;
}

void YMusicPlayer::startRequested()
{
    // A request for the track that is still fading out on one stream fades
    // that stream back in: the tune is neither cut nor opened a second time.
    int j = -1;
    for (int i = 0; i < 2; ++i)
        if (mTrack[i] == mRequested && mStreams[i]->isPlaying())
            j = i;
    if (j >= 0) {
        startFade(j, mStreams[j]->getVolume(), true);
    } else {
        // Otherwise the new track takes the quieter stream: one that is
        // silent, else the one further into its fade-out.
        bool playing0 = mStreams[0]->isPlaying(), playing1 = mStreams[1]->isPlaying();
        j = playing0 && (!playing1 || mStreams[1]->getVolume() <= mStreams[0]->getVolume()) ? 1 : 0;
        YSoundStream& incoming = *mStreams[j];
        try {
            incoming.open(mPlaylist[mRequested].c_str());
            // Silent from its first sample: the fade-in starts from nothing.
            incoming.setVolume(mFadeTime > 0.0f ? 0.0f : 1.0f);
            incoming.play(true);
        } catch (const std::exception& e) {
            // A track that does not open is given up, not retried every
            // update; what plays goes on as it did (the stream keeps its
            // track and fade), for another track time.
            YLog::writef("DirectSound error: %s", e.what());
            mRequested = -1;
            mTrackTimer = mTrackTime;
            return;
        }
        mTrack[j] = mRequested;
        startFade(j, 0.0f, true);
    }
    // The other stream fades out from where it is; one already fading out
    // keeps the pace it started with.
    YSoundStream& outgoing = *mStreams[1 - j];
    if (outgoing.isPlaying() && mFade[1 - j] <= 0.0f)
        startFade(1 - j, outgoing.getVolume(), false);
    mCurrent = mRequested;
    float spread = 2.0f * static_cast<float>(mRandom.next() % 32767) / 32767.0f - 1.0f;
    mTrackTimer = mTrackTime + mTrackSpread * spread;
}

int YMusicPlayer::currentTrack() const
{
    sys::Lock lock(mLock);
    return mCurrent;
}

int YMusicPlayer::requestedTrack() const
{
    sys::Lock lock(mLock);
    return mRequested;
}

float YMusicPlayer::trackTimer() const
{
    sys::Lock lock(mLock);
    return mTrackTimer;
}

float YMusicPlayer::fadeTimer(int stream) const
{
    sys::Lock lock(mLock);
    return mFade[stream];
}

std::vector<std::string> YMusicPlayer::playlist() const
{
    sys::Lock lock(mLock);
    return mPlaylist;
}

std::vector<int> YMusicPlayer::order() const
{
    sys::Lock lock(mLock);
    return mOrder;
}

void YMusicPlayer::setAutoAdvance(bool on)
{
    sys::Lock lock(mLock);
    mAutoAdvance = on;
}
