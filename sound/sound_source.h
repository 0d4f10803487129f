#pragma once
#include "core/math.h"
#include "sound/sound_device.h"

#include <memory>

namespace snd {
class Voice;
}
class YSoundBuffer;

// The volume law shared by sources and streams: volume v under master m
// plays at (1 - m * v) * -5000 hundredths of a decibel, truncated: 0 at full
// volume, -5000 (-50 dB) at silence. Inputs are clamped to 0..1.
int soundVolumeToMillibels(float volume, float master);

// The master volumes of effects and of music, 1.0 at start. Setting one
// re-applies the volume of every live source (or stream).
void setSoundVolume(float volume);
void setMusicVolume(float volume);
float getSoundVolume();
float getMusicVolume();
// Re-applies every live source's and stream's volume.
void reapplySoundVolumes();

// One voice of a sound effect, with its own 3D position, velocity and
// volume. play only queues it: it starts at the next updateSound, after the
// frame's deferred 3D settings are committed.
class YSoundSource : public YSoundResource {
public:
    explicit YSoundSource(YSoundBuffer* buffer); // the buffer is not owned
    ~YSoundSource() override;

    void createDeviceObjects() override;
    void releaseDeviceObjects() override;

    // With a device voice: keeps the loop flag and queues the start.
    void play(bool loop);
    // Starts now (updateSound calls it for the queued sources).
    void start();
    // Pauses the voice (a later start goes on from there) and takes it off
    // the queue.
    void stop();
    // True while queued, else while the voice plays.
    bool isPlaying() const;
    // Deferred to the next updateSound.
    void setPosition(const YVec3& position);
    void setVelocity(const YVec3& velocity);
    void setVolume(float volume);
    void applyVolume();

    float getVolume() const { return mVolume; }
    bool isQueued() const { return mQueued; }
    bool hasVoice() const { return mVoice != nullptr; }
    YSoundBuffer* buffer() const { return mBuffer; }

private:
    std::unique_ptr<snd::Voice> mVoice;
    float mVolume = 1.0f;
    bool mLoop = false;
    bool mQueued = false;
    YSoundBuffer* mBuffer;
    YVec3 mPosition, mVelocity;
};
