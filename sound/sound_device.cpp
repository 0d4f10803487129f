#include "sound/sound_device.h"

#include "core/error.h"
#include "core/framework.h"
#include "core/log.h"
#include "platform/snd/device.h"
#include "sound/sound_convert.h"
#include "sound/sound_source.h"

#include <algorithm>
#include <atomic>
#include <memory>

namespace {

struct SoundState {
    std::mutex registryLock;
    std::vector<YSoundResource*> registry;

    // The device lock guards the device's presence, not its use: objects
    // made on it live until releaseSound takes them back.
    std::mutex deviceLock;
    std::unique_ptr<snd::Device> device;
    std::atomic<bool> ready{false};

    std::atomic<bool> active{true};
    snd::Listener listener; // kept across devices
    bool commit = false;
    std::vector<YSoundSource*> playQueue;
};

SoundState& state()
{
    static SoundState* s = new SoundState(); // outlives every static resource
    return *s;
}

void handListener()
{
    SoundState& s = state();
    if (!s.device)
        return;
    s.device->setListener(s.listener, true);
    s.commit = true;
}

// Installs the device and hands it to every resource.
void startDevice(std::unique_ptr<snd::Device> device)
{
    SoundState& s = state();
    device->setListener(s.listener, false);
    device->setMuted(!s.active);
    {
        std::lock_guard<std::mutex> guard(s.deviceLock);
        s.device = std::move(device);
        s.ready = true;
    }
    // Each resource is handed the device on its own; one that fails keeps
    // its data and stays silent.
    for (YSoundResource* r : soundResources()) {
        try {
            r->createDeviceObjects();
        } catch (const std::exception& e) {
            YLog::writef("DirectSound init error: %s", e.what());
        }
    }
    s.playQueue.reserve(20);
}

class SoundBinding : public YSoundBinding {
public:
    void initSound(wnd::Window& window) override
    {
        try {
            ::initSound(&window);
        } catch (const std::exception& e) {
            YLog::writef("DirectSound init error: %s", e.what());
        }
    }
    void releaseSound() override { ::releaseSound(); }
    void setSoundActive(bool active) override { ::setSoundActive(active); }
};

SoundBinding gBinding;

} // namespace

YSoundResource::YSoundResource()
{
    std::lock_guard<std::mutex> guard(state().registryLock);
    state().registry.push_back(this);
}

YSoundResource::~YSoundResource()
{
    std::lock_guard<std::mutex> guard(state().registryLock);
    auto& r = state().registry;
    r.erase(std::remove(r.begin(), r.end(), this), r.end());
}

std::vector<YSoundResource*> soundResources()
{
    std::lock_guard<std::mutex> guard(state().registryLock);
    return state().registry;
}

void initSound(wnd::Window*)
{
    if (state().device)
        return;
    std::string reason;
    std::unique_ptr<snd::Device> device = snd::Device::open(&reason);
    if (!device) {
        YLog::writef("Sound device: %s", reason.c_str());
        throw YError(reason == "no audio context" ? "Could not create Primary DirectSoundBuffer."
                                                  : "Could not create DirectSound object.");
    }
    startDevice(std::move(device));
}

void initSoundLoopback(int sampleRate)
{
    if (state().device)
        return;
    std::unique_ptr<snd::Device> device = snd::Device::openLoopback(sampleRate);
    if (!device)
        throw YError("Could not create DirectSound object.");
    startDevice(std::move(device));
}

void releaseSound()
{
    YLog::write("DirectSound Release.");
    SoundState& s = state();
    if (!s.device)
        return;
    s.listener = s.device->listener();
    std::unique_ptr<snd::Device> device;
    {
        // From here on no thread can make new device objects.
        std::lock_guard<std::mutex> guard(s.deviceLock);
        s.ready = false;
        device = std::move(s.device);
    }
    for (YSoundResource* r : soundResources())
        r->releaseDeviceObjects();
    s.commit = false;
    device.reset();
}

void setSoundActive(bool active)
{
    SoundState& s = state();
    s.active = active;
    if (!s.device)
        return;
    s.device->setMuted(!active);
    if (active)
        reapplySoundVolumes();
}

bool isSoundActive() { return state().active; }

void setListenerPosition(const YVec3& position)
{
    state().listener.position = toSnd(position);
    handListener();
}

void setListenerVelocity(const YVec3& velocity)
{
    state().listener.velocity = toSnd(velocity);
    handListener();
}

void setListenerOrientation(const YVec3& front, const YVec3& top)
{
    state().listener.front = toSnd(front);
    state().listener.top = toSnd(top);
    handListener();
}

void setListenerDistanceFactors(float factor)
{
    state().listener.distanceFactor = factor;
    state().listener.rolloffFactor = factor;
    handListener();
}

void updateSound()
{
    SoundState& s = state();
    if (!s.device)
        return;
    if (s.commit) {
        s.device->commitDeferredSettings();
        s.commit = false;
    }
    for (YSoundSource* source : s.playQueue)
        source->start();
    s.playQueue.clear();
}

void markSoundCommit() { state().commit = true; }

void queueSoundSource(YSoundSource* source)
{
    auto& q = state().playQueue;
    if (std::find(q.begin(), q.end(), source) == q.end())
        q.push_back(source);
}

void unqueueSoundSource(YSoundSource* source)
{
    auto& q = state().playQueue;
    q.erase(std::remove(q.begin(), q.end(), source), q.end());
}

size_t queuedSoundSources() { return state().playQueue.size(); }

bool soundDeviceReady() { return state().ready; }

snd::Device* soundDevice() { return state().device.get(); }

SoundDeviceLock::SoundDeviceLock() : mGuard(state().deviceLock) {}
SoundDeviceLock::~SoundDeviceLock() = default;
snd::Device* SoundDeviceLock::device() const { return state().device.get(); }

void installSoundBinding() { setSoundBinding(&gBinding); }

void uninstallSoundBinding()
{
    if (soundBinding() == &gBinding)
        setSoundBinding(nullptr);
}
