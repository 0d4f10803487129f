#include "platform/snd/al_device.h"

#include "platform/snd/stream_buffer.h"
#include "platform/snd/voice.h"

#include <AL/alext.h>
#include <AL/efx.h>

#include <algorithm>
#include <chrono>
#include <cmath>

namespace snd {

namespace {

// OpenAL's speed of sound in metres per second.
constexpr float SPEED_OF_SOUND = 343.3f;

// Pieces rendered between two pumps of a loopback device.
constexpr int RENDER_PIECE_FRAMES = 512;

// How often the pump thread of a real device looks at the streams.
constexpr auto PUMP_PERIOD = std::chrono::milliseconds(10);

void setError(std::string* error, const std::string& text)
{
    if (error)
        *error = text;
}

template <typename T> void removeFrom(std::vector<T*>& list, T* item)
{
    list.erase(std::remove(list.begin(), list.end(), item), list.end());
}

} // namespace

bool Format::valid() const
{
    return (channels == 1 || channels == 2) && (bitsPerSample == 8 || bitsPerSample == 16) &&
           sampleRate > 0;
}

ALenum alFormat(const Format& f)
{
    if (!f.valid())
        return 0;
    if (f.channels == 1)
        return f.bitsPerSample == 8 ? AL_FORMAT_MONO8 : AL_FORMAT_MONO16;
    return f.bitsPerSample == 8 ? AL_FORMAT_STEREO8 : AL_FORMAT_STEREO16;
}

float gainFromMillibels(int millibels)
{
    return std::pow(10.0f, static_cast<float>(millibels) / 2000.0f);
}

// ---------------------------------------------------------------------------
// Impl

void Device::Impl::applyListener()
{
    const Listener& l = listener;
    alListener3f(AL_POSITION, l.position.x, l.position.y, -l.position.z);
    alListener3f(AL_VELOCITY, l.velocity.x, l.velocity.y, -l.velocity.z);
    ALfloat orientation[6] = {l.front.x, l.front.y, -l.front.z, l.top.x, l.top.y, -l.top.z};
    alListenerfv(AL_ORIENTATION, orientation);
    float factor = l.distanceFactor > 0.0f ? l.distanceFactor : 1.0f;
    alSpeedOfSound(SPEED_OF_SOUND / factor);
    alDopplerFactor(std::max(0.0f, l.dopplerFactor));
    // The game sets the roll-off once for the listener; OpenAL keeps it per
    // source, so every voice gets it.
    float rolloff = std::max(0.0f, l.rolloffFactor);
    if (rolloff != appliedRolloff) {
        appliedRolloff = rolloff;
        for (Voice* v : voices)
            v->applyRolloff(rolloff);
    }
    listenerPending = false;
}

void Device::Impl::startPump()
{
    pump = std::thread([this] {
        std::unique_lock<std::mutex> guard(pumpLock);
        while (!pumpStop) {
            pumpWake.wait_for(guard, PUMP_PERIOD, [this] { return pumpStop; });
            if (pumpStop)
                break;
            guard.unlock();
            pumpAll();
            guard.lock();
        }
    });
}

void Device::Impl::stopPump()
{
    if (!pump.joinable())
        return;
    {
        std::lock_guard<std::mutex> guard(pumpLock);
        pumpStop = true;
    }
    pumpWake.notify_all();
    pump.join();
}

void Device::Impl::pumpAll()
{
    std::lock_guard<std::mutex> guard(streamsLock);
    for (StreamBuffer* s : streams) {
        std::function<void()> callback;
        int fired;
        {
            std::lock_guard<std::mutex> sg(s->mMutex);
            fired = s->pumpLocked();
            if (fired > 0)
                callback = s->mCallback;
        }
        for (int i = 0; i < fired && callback; ++i)
            callback();
    }
}

void Device::Impl::addVoice(Voice* v) { voices.push_back(v); }
void Device::Impl::removeVoice(Voice* v) { removeFrom(voices, v); }
void Device::Impl::addBuffer(Buffer* b) { buffers.push_back(b); }
void Device::Impl::removeBuffer(Buffer* b) { removeFrom(buffers, b); }

void Device::Impl::addStream(StreamBuffer* s)
{
    std::lock_guard<std::mutex> guard(streamsLock);
    streams.push_back(s);
}

void Device::Impl::removeStream(StreamBuffer* s)
{
    std::lock_guard<std::mutex> guard(streamsLock);
    removeFrom(streams, s);
}

// ---------------------------------------------------------------------------
// Device

Device::Device(std::unique_ptr<Impl> impl) : m(std::move(impl)) {}

namespace {

// A context on an opened device, made current; the device is closed again
// when that fails.
ALCcontext* makeContext(ALCdevice* device, const ALCint* attributes, std::string* error)
{
    ALCcontext* context = alcCreateContext(device, attributes);
    if (!context || !alcMakeContextCurrent(context)) {
        if (context)
            alcDestroyContext(context);
        alcCloseDevice(device);
        setError(error, "no audio context");
        return nullptr;
    }
    return context;
}

// The game uses no effects: its voices get no effect sends, which makes the
// context's voices smaller (by about a tenth with OpenAL Soft).
constexpr ALCint NO_SENDS[] = {ALC_MAX_AUXILIARY_SENDS, 0};

} // namespace

std::unique_ptr<Device> Device::open(std::string* error)
{
    ALCdevice* device = alcOpenDevice(nullptr);
    if (!device) {
        setError(error, "no audio output device");
        return nullptr;
    }
    const ALCint attributes[] = {NO_SENDS[0], NO_SENDS[1], 0};
    ALCcontext* context = makeContext(device, attributes, error);
    if (!context)
        return nullptr;
    auto impl = std::make_unique<Impl>();
    impl->device = device;
    impl->context = context;
    ALCint rate = 0;
    alcGetIntegerv(device, ALC_FREQUENCY, 1, &rate);
    impl->rate = rate > 0 ? rate : 44100;
    std::unique_ptr<Device> result(new Device(std::move(impl)));
    alDistanceModel(AL_INVERSE_DISTANCE_CLAMPED);
    result->m->applyListener();
    result->m->startPump();
    return result;
}

std::unique_ptr<Device> Device::openLoopback(int sampleRate, std::string* error)
{
    if (!alcIsExtensionPresent(nullptr, "ALC_SOFT_loopback")) {
        setError(error, "no loopback device");
        return nullptr;
    }
    auto openLoop = reinterpret_cast<LPALCLOOPBACKOPENDEVICESOFT>(
        alcGetProcAddress(nullptr, "alcLoopbackOpenDeviceSOFT"));
    auto renderSamples =
        reinterpret_cast<LPALCRENDERSAMPLESSOFT>(alcGetProcAddress(nullptr, "alcRenderSamplesSOFT"));
    ALCdevice* device = openLoop ? openLoop(nullptr) : nullptr;
    if (!device || !renderSamples) {
        if (device)
            alcCloseDevice(device);
        setError(error, "no loopback device");
        return nullptr;
    }
    const ALCint attributes[] = {ALC_FORMAT_CHANNELS_SOFT, ALC_STEREO_SOFT, ALC_FORMAT_TYPE_SOFT, ALC_SHORT_SOFT,
                                 ALC_FREQUENCY,            sampleRate,      NO_SENDS[0],          NO_SENDS[1],
                                 0};
    ALCcontext* context = makeContext(device, attributes, error);
    if (!context)
        return nullptr;
    auto impl = std::make_unique<Impl>();
    impl->device = device;
    impl->context = context;
    impl->loopback = true;
    impl->rate = sampleRate;
    impl->renderSamples = renderSamples;
    std::unique_ptr<Device> result(new Device(std::move(impl)));
    alDistanceModel(AL_INVERSE_DISTANCE_CLAMPED);
    result->m->applyListener();
    return result;
}

Device::~Device()
{
    m->stopPump();
    // Whatever is left loses its device; its later calls do nothing.
    {
        std::vector<StreamBuffer*> streams;
        {
            std::lock_guard<std::mutex> guard(m->streamsLock);
            streams.swap(m->streams);
        }
        for (StreamBuffer* s : streams)
            s->detach();
    }
    while (!m->voices.empty())
        m->voices.back()->detach(); // removes itself from the list
    while (!m->buffers.empty())
        m->buffers.back()->detach();
    if (alcGetCurrentContext() == m->context)
        alcMakeContextCurrent(nullptr);
    alcDestroyContext(m->context);
    alcCloseDevice(m->device);
}

void Device::setListener(const Listener& listener, bool deferred)
{
    m->listener = listener;
    if (deferred)
        m->listenerPending = true;
    else
        m->applyListener();
}

Listener Device::listener() const { return m->listener; }

void Device::commitDeferredSettings()
{
    if (m->listenerPending)
        m->applyListener();
    for (Voice* v : m->voices)
        v->applyPending();
}

void Device::setMuted(bool muted)
{
    m->muted = muted;
    alListenerf(AL_GAIN, muted ? 0.0f : 1.0f);
}

bool Device::isMuted() const { return m->muted; }
bool Device::isLoopback() const { return m->loopback; }
int Device::sampleRate() const { return m->rate; }

void Device::render(int16_t* out, int frames)
{
    if (!m->loopback)
        return;
    while (frames > 0) {
        int n = std::min(frames, RENDER_PIECE_FRAMES);
        m->pumpAll();
        m->renderSamples(m->device, out, n);
        out += 2 * n;
        frames -= n;
    }
    m->pumpAll();
}

void Device::pumpStreams() { m->pumpAll(); }

} // namespace snd
