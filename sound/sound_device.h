#pragma once
#include "core/math.h"

#include <mutex>
#include <vector>

namespace snd {
class Device;
}
namespace wnd {
class Window;
}

class YSoundSource;

// Base of every sound object that holds device objects. All live ones stand
// in one registry, so the device can be created after them (they get their
// device objects then) and released before them (they keep their data).
class YSoundResource {
public:
    YSoundResource();
    virtual ~YSoundResource();
    YSoundResource(const YSoundResource&) = delete;
    YSoundResource& operator=(const YSoundResource&) = delete;

    virtual void createDeviceObjects() = 0;
    virtual void releaseDeviceObjects() = 0;
};

// The live resources, in creation order.
std::vector<YSoundResource*> soundResources();

// Opens the sound device for the window and gives every registered resource
// its device objects. Failures are thrown as message strings (YError); the
// game then runs without sound.
void initSound(wnd::Window* window);
// The same over a loopback device that renders into memory (tests).
void initSoundLoopback(int sampleRate);
// Releases every resource's device objects, then the device. The listener's
// parameters are kept for the next initSound.
void releaseSound();

// The window's activation: inactive mutes all sound; activation re-applies
// every source's and stream's volume.
void setSoundActive(bool active);
bool isSoundActive();

void setListenerPosition(const YVec3& position);
void setListenerVelocity(const YVec3& velocity);
void setListenerOrientation(const YVec3& front, const YVec3& top);
// Distance and roll-off factor both (the game passes 0.02).
void setListenerDistanceFactors(float factor);

// Once a frame: commits the deferred 3D settings, then starts every queued
// source. Without a device it does nothing and the queue stays.
void updateSound();

// A source changed a deferred 3D setting: commit at the next updateSound.
void markSoundCommit();

// The sources waiting for the next updateSound.
void queueSoundSource(YSoundSource* source);
void unqueueSoundSource(YSoundSource* source);
size_t queuedSoundSources();

// True while a device exists (any thread may ask).
bool soundDeviceReady();
// The device, for code on the main thread (null without one).
snd::Device* soundDevice();

// Holds the device for the scope: while held the device cannot go away.
// Threads other than the main one make device objects under it; take it
// after the object's own lock, never before.
class SoundDeviceLock {
public:
    SoundDeviceLock();
    ~SoundDeviceLock();
    SoundDeviceLock(const SoundDeviceLock&) = delete;
    SoundDeviceLock& operator=(const SoundDeviceLock&) = delete;
    snd::Device* device() const;

private:
    std::unique_lock<std::mutex> mGuard;
};

// Lets the application framework open and release the device with its
// window and pass activation changes on. Call once at start-up, before the
// window is created.
void installSoundBinding();
void uninstallSoundBinding();
