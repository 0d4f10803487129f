#pragma once
// The OpenAL side of the device, shared by the files of platform/snd only.
#include "platform/snd/device.h"

#include <AL/al.h>
#include <AL/alc.h>

#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace snd {

// The OpenAL buffer format of a PCM format; 0 when there is none.
ALenum alFormat(const Format& format);

struct Device::Impl {
    ALCdevice* device = nullptr;
    ALCcontext* context = nullptr;
    bool loopback = false;
    int rate = 44100;
    bool muted = false;

    Listener listener;       // as last handed over
    bool listenerPending = false;
    float appliedRolloff = 1.0f;

    // Main-thread objects.
    std::vector<Buffer*> buffers;
    std::vector<Voice*> voices;

    // Streams are pumped on the pump thread: the list has its own lock,
    // taken before any stream's lock.
    std::mutex streamsLock;
    std::vector<StreamBuffer*> streams;

    std::thread pump;
    std::mutex pumpLock;
    std::condition_variable pumpWake;
    bool pumpStop = false;

    void (*renderSamples)(ALCdevice*, ALCvoid*, ALCsizei) = nullptr;

    void applyListener();
    void startPump();
    void stopPump();
    void pumpAll();

    void addVoice(Voice* v);
    void removeVoice(Voice* v);
    void addBuffer(Buffer* b);
    void removeBuffer(Buffer* b);
    void addStream(StreamBuffer* s);
    void removeStream(StreamBuffer* s);
};

} // namespace snd
