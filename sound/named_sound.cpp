#include "sound/named_sound.h"

#include "core/log.h"
#include "platform/sys/random.h"
#include "sound/sound_buffer.h"
#include "sound/sound_source.h"

#include <memory>

YNamedSound::YNamedSound(const std::string& name) : mName(name)
{
    mSources.reserve(RESERVED_VOICES);
}

YNamedSound::~YNamedSound()
{
    // Voices go before the buffers they play.
    for (YSoundSource* s : mSources)
        delete s;
    for (YSoundBuffer* b : mBuffers)
        delete b;
}

void YNamedSound::addFile(const char* path)
{
    auto buffer = std::make_unique<YSoundBuffer>();
    buffer->open(path);
    mBuffers.push_back(buffer.release());
}

YSoundSource* YNamedSound::acquireVoice()
{
    if (mBuffers.empty())
        return nullptr;
    int count = static_cast<int>(mSources.size());
    if (count >= static_cast<int>(mBuffers.size())) {
        int start = sys::rand() % count;
        for (int i = 0; i < count; ++i) {
            YSoundSource* s = mSources[(start + i) % count];
            if (!s->isPlaying())
                return s;
        }
        if (count >= MAX_VOICES)
            return nullptr;
    }
    YSoundBuffer* buffer = mBuffers[mNextBuffer];
    std::unique_ptr<YSoundSource> source;
    try {
        source.reset(new YSoundSource(buffer));
    } catch (const std::exception& e) {
        // Out of device voices: this play is dropped, and said once.
        if (!mReportedFailure)
            YLog::writef("Sound %s: %s", mName.c_str(), e.what());
        mReportedFailure = true;
        return nullptr;
    }
    mSources.push_back(source.get());
    mNextBuffer = (mNextBuffer + 1) % static_cast<int>(mBuffers.size());
    return source.release();
}

void YNamedSound::play(const YVec3& position, float volume, const YVec3& velocity)
{
    if (volume >= 0.0f && volume < 0.1f)
        return;
    if (volume < 0.0f)
        volume = 1.0f;
    YSoundSource* voice = acquireVoice();
    if (!voice)
        return;
    voice->setPosition(position);
    voice->setVelocity(velocity);
    voice->setVolume(volume);
    voice->play(false);
}

std::vector<YNamedSound*>& gNamedSounds()
{
    // Never destroyed: the sounds stay reachable until the very end.
    static std::vector<YNamedSound*>* sounds = new std::vector<YNamedSound*>();
    return *sounds;
}

YNamedSound* findNamedSound(const std::string& name)
{
    for (YNamedSound* s : gNamedSounds())
        if (s->name() == name)
            return s;
    return nullptr;
}

YNamedSound* getNamedSound(const std::string& name)
{
    YNamedSound* s = findNamedSound(name);
    if (!s) {
        s = new YNamedSound(name);
        gNamedSounds().push_back(s);
    }
    return s;
}

void clearNamedSounds()
{
    for (YNamedSound* s : gNamedSounds())
        delete s;
    gNamedSounds().clear();
}
