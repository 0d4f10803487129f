#include "sound/sound_source.h"

#include "core/error.h"
#include "platform/snd/voice.h"
#include "sound/sound_buffer.h"
#include "sound/sound_convert.h"
#include "sound/sound_stream.h"

#include <algorithm>
#include <atomic>
#include <vector>

namespace {

std::atomic<float> gSoundMaster{1.0f};
std::atomic<float> gMusicMaster{1.0f};

// Sources live on the main thread only.
std::vector<YSoundSource*>& liveSources()
{
    static std::vector<YSoundSource*>* list = new std::vector<YSoundSource*>();
    return *list;
}

} // namespace

int soundVolumeToMillibels(float volume, float master)
{
    float level = clampUnit(master) * clampUnit(volume);
    return static_cast<int>((1.0f - level) * -5000.0f);
}

void setSoundVolume(float volume)
{
    gSoundMaster = clampUnit(volume);
    for (YSoundSource* s : liveSources())
        s->applyVolume();
}

void setMusicVolume(float volume)
{
    gMusicMaster = clampUnit(volume);
    for (YSoundStream* s : liveSoundStreams())
        s->applyVolume();
}

float getSoundVolume() { return gSoundMaster; }
float getMusicVolume() { return gMusicMaster; }

void reapplySoundVolumes()
{
    for (YSoundSource* s : liveSources())
        s->applyVolume();
    for (YSoundStream* s : liveSoundStreams())
        s->applyVolume();
}

YSoundSource::YSoundSource(YSoundBuffer* buffer) : mBuffer(buffer)
{
    // The voice is made before the source joins the list: when the device
    // refuses it the constructor throws, no destructor runs, and nothing
    // may be left listed.
    if (soundDevice())
        createDeviceObjects();
    liveSources().push_back(this);
}

YSoundSource::~YSoundSource()
{
    // A source destroyed between play and the next frame must leave the
    // play queue, or the frame would start a dead object.
    unqueueSoundSource(this);
    auto& list = liveSources();
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
    mVoice.reset();
}

void YSoundSource::createDeviceObjects()
{
    snd::Device* device = soundDevice();
    if (mVoice || !device || !mBuffer || !mBuffer->deviceBuffer())
        return;
    mVoice = snd::Voice::create(*device, *mBuffer->deviceBuffer());
    if (!mVoice)
        throw YError("Could create SoundSource");
    mVoice->setPosition(toSnd(mPosition));
    mVoice->setVelocity(toSnd(mVelocity));
    applyVolume();
}

void YSoundSource::releaseDeviceObjects()
{
    if (mQueued) {
        unqueueSoundSource(this);
        mQueued = false;
    }
    mVoice.reset();
}

void YSoundSource::play(bool loop)
{
    if (!mVoice)
        return;
    mLoop = loop;
    queueSoundSource(this);
    mQueued = true;
}

void YSoundSource::start()
{
    if (mVoice)
        mVoice->play(mLoop);
    mQueued = false;
}

void YSoundSource::stop()
{
    if (mQueued) {
        unqueueSoundSource(this);
        mQueued = false;
    }
    if (mVoice)
        mVoice->stop();
}

bool YSoundSource::isPlaying() const
{
    if (mQueued)
        return true;
    return mVoice && mVoice->isPlaying();
}

void YSoundSource::setPosition(const YVec3& position)
{
    mPosition = position;
    if (mVoice)
        mVoice->setPosition(toSnd(position));
    markSoundCommit();
}

void YSoundSource::setVelocity(const YVec3& velocity)
{
    mVelocity = velocity;
    if (mVoice)
        mVoice->setVelocity(toSnd(velocity));
    markSoundCommit();
}

void YSoundSource::setVolume(float volume)
{
    mVolume = volume;
    applyVolume();
}

void YSoundSource::applyVolume()
{
    if (mVoice)
        mVoice->setVolume(soundVolumeToMillibels(mVolume, gSoundMaster));
}
