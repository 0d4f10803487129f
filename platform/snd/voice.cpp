#include "platform/snd/voice.h"

#include "platform/snd/al_device.h"
#include "platform/snd/al_objects.h"

#include <algorithm>

namespace snd {

// ---------------------------------------------------------------------------
// Buffer

Buffer::Buffer(Device& device, const Format& format, unsigned name, size_t bytes)
    : mDevice(&device), mFormat(format), mName(name), mBytes(bytes)
{
    device.impl().addBuffer(this);
}

std::unique_ptr<Buffer> Buffer::create(Device& device, const Format& format, const void* data, size_t bytes)
{
    ALenum alf = alFormat(format);
    if (!alf || !data)
        return nullptr;
    // OpenAL takes whole sample frames only.
    bytes -= bytes % static_cast<size_t>(format.blockAlign());
    if (bytes == 0 || bytes > 0x7FFFFFFF)
        return nullptr;
    ALuint name = 0;
    if (!makeAlBuffers(1, &name))
        return nullptr;
    alBufferData(name, alf, data, static_cast<ALsizei>(bytes), format.sampleRate);
    if (alGetError() != AL_NO_ERROR) {
        alDeleteBuffers(1, &name);
        return nullptr;
    }
    return std::unique_ptr<Buffer>(new Buffer(device, format, name, bytes));
}

Buffer::~Buffer() { detach(); }

void Buffer::detach()
{
    if (!mDevice)
        return;
    // OpenAL refuses to delete a buffer that a source still holds.
    while (!mVoices.empty())
        mVoices.back()->detach();
    alDeleteBuffers(1, &mName);
    mDevice->impl().removeBuffer(this);
    mDevice = nullptr;
}

// ---------------------------------------------------------------------------
// Voice

Voice::Voice(Device& device, Buffer& buffer, unsigned source)
    : mDevice(&device), mBuffer(&buffer), mSource(source)
{
    device.impl().addVoice(this);
    buffer.mVoices.push_back(this);
}

std::unique_ptr<Voice> Voice::create(Device& device, Buffer& buffer)
{
    if (!buffer.mDevice)
        return nullptr;
    ALuint source = 0;
    if (!makeAlSource(source))
        return nullptr;
    alSourcei(source, AL_BUFFER, static_cast<ALint>(buffer.mName));
    alSourcef(source, AL_REFERENCE_DISTANCE, 1.0f);
    alSourcef(source, AL_ROLLOFF_FACTOR, device.impl().appliedRolloff);
    return std::unique_ptr<Voice>(new Voice(device, buffer, source));
}

Voice::~Voice() { detach(); }

void Voice::detach()
{
    if (!mDevice)
        return;
    alSourceStop(mSource);
    alSourcei(mSource, AL_BUFFER, 0);
    alDeleteSources(1, &mSource);
    mDevice->impl().removeVoice(this);
    auto& list = mBuffer->mVoices;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
    mDevice = nullptr;
    mBuffer = nullptr;
}

void Voice::setPosition(const Vec3& position)
{
    mPosition = position;
    mPending = true;
}

void Voice::setVelocity(const Vec3& velocity)
{
    mVelocity = velocity;
    mPending = true;
}

void Voice::applyPending()
{
    if (!mPending || !mDevice)
        return;
    alSource3f(mSource, AL_POSITION, mPosition.x, mPosition.y, -mPosition.z);
    alSource3f(mSource, AL_VELOCITY, mVelocity.x, mVelocity.y, -mVelocity.z);
    mPending = false;
}

void Voice::applyRolloff(float rolloff)
{
    if (mDevice)
        alSourcef(mSource, AL_ROLLOFF_FACTOR, rolloff);
}

void Voice::setVolume(int millibels)
{
    if (mDevice)
        alSourcef(mSource, AL_GAIN, gainFromMillibels(millibels));
}

void Voice::play(bool loop)
{
    if (!mDevice)
        return;
    alSourcei(mSource, AL_LOOPING, loop ? AL_TRUE : AL_FALSE);
    ALint state = AL_INITIAL;
    alGetSourcei(mSource, AL_SOURCE_STATE, &state);
    // OpenAL restarts a playing source; the game expects only its looping
    // to change.
    if (state != AL_PLAYING)
        alSourcePlay(mSource);
}

void Voice::stop()
{
    if (!mDevice)
        return;
    ALint state = AL_INITIAL;
    alGetSourcei(mSource, AL_SOURCE_STATE, &state);
    if (state == AL_PLAYING)
        alSourcePause(mSource);
}

bool Voice::isPlaying() const
{
    if (!mDevice)
        return false;
    ALint state = AL_INITIAL;
    alGetSourcei(mSource, AL_SOURCE_STATE, &state);
    return state == AL_PLAYING;
}

} // namespace snd
