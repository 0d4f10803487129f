// Named sounds: variants in turn, the voice pool, volume rules and the cap.
#include "sound/named_sound.h"
#include "sound/sound_buffer.h"
#include "sound/sound_device.h"
#include "sound/sound_source.h"
#include "tests/common/test_util.h"
#include "tests/sound/sound_fixture.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <set>

using namespace soundtest;

namespace {

YNamedSound* soundWithFiles(const std::string& name, int files)
{
    YNamedSound* s = getNamedSound(name);
    for (int i = 0; i < files; ++i) {
        std::string path = name + std::to_string(i) + ".wav";
        writeWav(path, sine(22050, 22050, 200.0f + 100.0f * static_cast<float>(i), 0.4f));
        s->addFile(path.c_str());
    }
    return s;
}

} // namespace

TEST(NamedSound, ThreeFilesMakeThreeVoicesInTurnThenReuseFreeOnes)
{
    LoopbackSound sound;
    YNamedSound* s = soundWithFiles("three", 3);
    for (int i = 0; i < 3; ++i) {
        s->play(YVec3());
        updateSound();
        s->sources()[static_cast<size_t>(i)]->stop(); // free again at once
    }
    ASSERT_EQ(3u, s->sources().size());
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(s->buffers()[static_cast<size_t>(i)], s->sources()[static_cast<size_t>(i)]->buffer());
    // Every voice is free now: plays reuse them, no new voice.
    std::set<YSoundSource*> used;
    for (int i = 0; i < 12; ++i) {
        s->play(YVec3());
        for (YSoundSource* v : s->sources())
            if (v->isQueued())
                used.insert(v);
        for (YSoundSource* v : s->sources())
            v->stop();
    }
    EXPECT_EQ(3u, s->sources().size());
    EXPECT_GE(used.size(), 2u); // a random start, not always the first
}

TEST(NamedSound, OverlappingPlaysEachGetAVoice)
{
    LoopbackSound sound;
    YNamedSound* s = soundWithFiles("ten", 1);
    for (int i = 0; i < 10; ++i)
        s->play(YVec3(static_cast<float>(i), 0, 0));
    EXPECT_EQ(10u, s->sources().size());
    for (YSoundSource* v : s->sources()) {
        EXPECT_EQ(s->buffers()[0], v->buffer());
        EXPECT_TRUE(v->isPlaying());
    }
    updateSound();
    double l, r;
    channelLevels(sound.render(2048), l, r);
    EXPECT_GT(l + r, 100);
}

TEST(NamedSound, QuietPlaysAreDroppedAndNegativeMeansFull)
{
    LoopbackSound sound;
    YNamedSound* s = soundWithFiles("vol", 1);
    s->play(YVec3(), 0.05f);
    s->play(YVec3(), 0.0f);
    EXPECT_TRUE(s->sources().empty());
    s->play(YVec3(), -1.0f);
    ASSERT_EQ(1u, s->sources().size());
    EXPECT_FLOAT_EQ(1.0f, s->sources()[0]->getVolume());
    s->sources()[0]->stop();
    s->play(YVec3(), 0.1f);
    EXPECT_FLOAT_EQ(0.1f, s->sources()[0]->getVolume());
}

TEST(NamedSound, ThePoolStopsGrowingAtItsCap)
{
    LoopbackSound sound;
    YNamedSound* s = soundWithFiles("many", 2);
    for (int i = 0; i < 100; ++i)
        s->play(YVec3());
    EXPECT_EQ(size_t(YNamedSound::MAX_VOICES), s->sources().size());
    EXPECT_GE(YNamedSound::MAX_VOICES, YNamedSound::RESERVED_VOICES);
    updateSound();
    // A voice that has finished is taken again.
    s->sources()[5]->stop();
    s->play(YVec3());
    EXPECT_TRUE(s->sources()[5]->isQueued());
}

TEST(NamedSound, UnknownNamesAndEmptySounds)
{
    EXPECT_EQ(nullptr, findNamedSound("nothing"));
    YNamedSound* empty = getNamedSound("nothing");
    EXPECT_EQ(empty, findNamedSound("nothing"));
    EXPECT_EQ(empty, getNamedSound("nothing"));
    EXPECT_EQ(nullptr, findNamedSound("Nothing")); // names are exact
    {
        LoopbackSound sound;
        empty = getNamedSound("nothing");
        empty->play(YVec3());
        EXPECT_TRUE(empty->sources().empty());
    }
    EXPECT_TRUE(gNamedSounds().empty()); // the fixture cleared them
    // Without a device a named sound loads but plays nothing.
    YNamedSound* quiet = soundWithFiles("quiet", 1);
    quiet->play(YVec3());
    EXPECT_EQ(1u, quiet->sources().size());
    EXPECT_FALSE(quiet->sources()[0]->isPlaying());
    clearNamedSounds();
}

// A voice the device cannot make is dropped with its play and said once per
// sound; it must not stay among the voices that a volume change reaches.
TEST(NamedSound, AVoiceThatCannotBeMadeIsDroppedAndNeverReachedAgain)
{
    struct Case {
        const char* what;
        bool exhaustDevice; // else the sound's file is removed
        const char* expected; // the reason in the log
    };
    const Case cases[] = {
        {"the device has no voice left", true, "Could create SoundSource"},
        {"the file went away before the first voice", false, "Could not open WAV file"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        size_t mark = testutil::logText().size();
        LoopbackSound sound;
        std::vector<YNamedSound*> sounds;
        if (c.exhaustDevice) {
            // Voices of many sounds, each up to its pool's cap, until the
            // device refuses one.
            for (int i = 0; i < 40 && !testutil::logHas(c.expected, mark); ++i) {
                sounds.push_back(soundWithFiles("busy" + std::to_string(i), 1));
                for (int k = 0; k < YNamedSound::MAX_VOICES; ++k)
                    sounds.back()->play(YVec3());
            }
        } else {
            sounds.push_back(soundWithFiles("gone", 1));
            std::remove("gone0.wav");
            sounds.back()->play(YVec3());
            sounds.back()->play(YVec3());
        }
        EXPECT_EQ(1u, testutil::logCount(c.expected, mark));
        setSoundVolume(0.5f);
        reapplySoundVolumes();
        for (YNamedSound* s : sounds)
            for (YSoundSource* v : s->sources())
                EXPECT_FLOAT_EQ(1.0f, v->getVolume());
    }
}
