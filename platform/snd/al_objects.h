#pragma once
// Making OpenAL names with a check: OpenAL reports a failure only through
// its error state, so that is cleared first and read right after.
#include <AL/al.h>

namespace snd {

// Makes one source; false when OpenAL refused (source is then unusable).
inline bool makeAlSource(ALuint& source)
{
    alGetError();
    alGenSources(1, &source);
    return alGetError() == AL_NO_ERROR;
}

// Makes count buffers; false when OpenAL refused (none were made).
inline bool makeAlBuffers(ALsizei count, ALuint* buffers)
{
    alGetError();
    alGenBuffers(count, buffers);
    return alGetError() == AL_NO_ERROR;
}

} // namespace snd
