#pragma once
#include "core/math.h"

#include <string>
#include <vector>

class YSoundBuffer;
class YSoundSource;

// A sound effect played by name: the variant files of one effect, and a
// pool of voices so that overlapping plays sound at once. Each play takes a
// free voice or makes a new one on the next variant in turn.
class YNamedSound {
public:
    // Voices one sound may hold at most. OpenAL has a limited number of
    // sources for all sounds together; a play that finds every voice busy
    // at the cap is dropped.
    static constexpr int MAX_VOICES = 32;
    static constexpr int RESERVED_VOICES = 20;

    explicit YNamedSound(const std::string& name);
    ~YNamedSound();
    YNamedSound(const YNamedSound&) = delete;
    YNamedSound& operator=(const YNamedSound&) = delete;

    // Loads one more variant; only a file that opened is kept. Failures
    // are thrown (YError).
    void addFile(const char* path);
    // Plays one voice once at the position: a volume of 0 up to 0.1 plays
    // nothing, a negative one means full volume. Starts at the next frame.
    void play(const YVec3& position, float volume = -1.0f, const YVec3& velocity = YVec3());

    const std::string& name() const { return mName; }
    const std::vector<YSoundBuffer*>& buffers() const { return mBuffers; }
    const std::vector<YSoundSource*>& sources() const { return mSources; }

private:
    YSoundSource* acquireVoice();

    std::vector<YSoundBuffer*> mBuffers;
    std::vector<YSoundSource*> mSources;
    int mNextBuffer = 0;
    std::string mName;
    bool mReportedFailure = false;
};

// Every named sound, in creation order, for the whole run.
std::vector<YNamedSound*>& gNamedSounds();
// The named sound with exactly that name, or null.
YNamedSound* findNamedSound(const std::string& name);
// The same, creating and registering an empty one when missing.
YNamedSound* getNamedSound(const std::string& name);
// Deletes every named sound (at exit, and between tests).
void clearNamedSounds();
