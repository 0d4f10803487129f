// The sound device layer: resources across device creation and release,
// the listener record, the play queue and the window's activation.
#include "core/framework.h"
#include "platform/wnd/window.h"
#include "platform/snd/device.h"
#include "sound/named_sound.h"
#include "sound/sound_buffer.h"
#include "sound/sound_device.h"
#include "sound/sound_source.h"
#include "tests/common/test_util.h"
#include "tests/sound/sound_fixture.h"

#include <gtest/gtest.h>

#include <cstdio>

using namespace soundtest;

namespace {

std::unique_ptr<YSoundBuffer> loadTone(float seconds = 1.0f)
{
    writeWav("tone.wav", sine(static_cast<int>(22050 * seconds), 22050, 330, 0.5f));
    auto b = std::make_unique<YSoundBuffer>();
    b->open("tone.wav");
    return b;
}

double level(LoopbackSound& s, int frames)
{
    double l, r;
    channelLevels(s.render(frames), l, r);
    return l + r;
}

// A tone looping on the device from a frame that started it.
struct LoopingTone {
    explicit LoopingTone(LoopbackSound& sound)
    {
        source.play(true);
        updateSound();
        sound.render(2048);
    }
    std::unique_ptr<YSoundBuffer> buffer = loadTone();
    YSoundSource source{buffer.get()};
};

} // namespace

TEST(SoundDevice, ResourcesGetDeviceObjectsWhenTheDeviceComes)
{
    auto buffer = loadTone();
    YSoundSource source(buffer.get());
    EXPECT_FALSE(soundDeviceReady());
    EXPECT_FALSE(source.hasVoice());
    source.play(false); // no device: nothing is queued
    EXPECT_FALSE(source.isPlaying());
    EXPECT_EQ(0u, queuedSoundSources());
    {
        LoopbackSound sound;
        EXPECT_TRUE(soundDeviceReady());
        EXPECT_NE(nullptr, buffer->deviceBuffer());
        EXPECT_TRUE(source.hasVoice());
        source.play(false);
        EXPECT_TRUE(source.isPlaying()); // queued, before the frame
        EXPECT_EQ(1u, queuedSoundSources());
    }
    // Released with the device: the queue is left.
    EXPECT_FALSE(soundDeviceReady());
    EXPECT_EQ(nullptr, buffer->deviceBuffer());
    EXPECT_FALSE(source.hasVoice());
    EXPECT_FALSE(source.isPlaying());
    EXPECT_EQ(0u, queuedSoundSources());
    EXPECT_NE(std::string::npos, testutil::logText().find("DirectSound Release."));

    // No samples are kept in memory: each device has the file read again
    // for its buffer, and with the file gone the sound stays silent, said
    // once.
    for (bool fileThere : {true, false}) {
        if (!fileThere) {
            ASSERT_EQ(0, std::remove("tone.wav"));
        }
        LoopbackSound sound;
        EXPECT_EQ(fileThere, buffer->deviceBuffer() != nullptr);
        EXPECT_EQ(fileThere, source.hasVoice());
        EXPECT_EQ(44100u, buffer->bytes()); // one second, mono 16-bit
    }
    const std::string log = testutil::logText(), line = "Could not open WAV file tone.wav";
    EXPECT_NE(std::string::npos, log.find("DirectSound init error: " + line));
    EXPECT_EQ(log.find(line), log.rfind(line));
}

TEST(SoundDevice, QueuedSourcesStartAtTheFrame)
{
    LoopbackSound sound;
    auto buffer = loadTone();
    YSoundSource source(buffer.get());
    source.play(false);
    EXPECT_LT(level(sound, 1024), 1); // not before updateSound
    updateSound();
    EXPECT_EQ(0u, queuedSoundSources());
    sound.render(1024);
    EXPECT_GT(level(sound, 2048), 1000);
    EXPECT_TRUE(source.isPlaying());
}

TEST(SoundDevice, SourceDestroyedWhileQueuedLeavesTheQueue)
{
    LoopbackSound sound;
    auto buffer = loadTone();
    auto* doomed = new YSoundSource(buffer.get());
    YSoundSource kept(buffer.get());
    doomed->play(false);
    kept.play(false);
    EXPECT_EQ(2u, queuedSoundSources());
    delete doomed;
    EXPECT_EQ(1u, queuedSoundSources());
    updateSound(); // would touch freed memory otherwise (caught by ASan)
    EXPECT_TRUE(kept.isPlaying());
}

TEST(SoundDevice, SourcePositionWaitsForTheFrame)
{
    LoopbackSound sound;
    LoopingTone tone(sound);
    tone.source.setPosition(YVec3(3, 0, 0));
    sound.render(2048);
    double l, r;
    channelLevels(sound.render(2048), l, r);
    EXPECT_NEAR(l, r, (l + r) * 0.05);
    updateSound();
    sound.render(2048);
    channelLevels(sound.render(2048), l, r);
    EXPECT_GT(r, 3 * l);
}

TEST(SoundDevice, ListenerSetBeforeTheDeviceIsKept)
{
    setListenerPosition(YVec3(1, 2, 3));
    setListenerOrientation(YVec3(1, 0, 0), YVec3(0, 0, 1));
    setListenerDistanceFactors(0.02f);
    {
        LoopbackSound sound;
        snd::Listener l = soundDevice()->listener();
        EXPECT_FLOAT_EQ(3, l.position.z);
        EXPECT_FLOAT_EQ(1, l.front.x);
        EXPECT_FLOAT_EQ(1, l.top.z);
        EXPECT_FLOAT_EQ(0.02f, l.distanceFactor);
        EXPECT_FLOAT_EQ(0.02f, l.rolloffFactor);
        setListenerPosition(YVec3(5, 0, 0));
        updateSound();
    }
    LoopbackSound again; // the last values survive the release
    EXPECT_FLOAT_EQ(5, soundDevice()->listener().position.x);
    setListenerPosition(YVec3());
    setListenerOrientation(YVec3(0, 0, 1), YVec3(0, 1, 0));
    setListenerDistanceFactors(1.0f);
}

TEST(SoundDevice, InactiveWindowMutesAndActivationRestoresVolumes)
{
    LoopbackSound sound;
    LoopingTone tone(sound);
    double full = level(sound, 2048);
    setSoundActive(false);
    EXPECT_FALSE(isSoundActive());
    sound.render(2048);
    EXPECT_LT(level(sound, 2048), 1);
    setSoundVolume(0.5f); // changed while inactive
    setSoundActive(true);
    sound.render(2048);
    EXPECT_NEAR(full * 0.0562, level(sound, 2048), full * 0.01); // -2500 mB
    EXPECT_FLOAT_EQ(0.5f, getSoundVolume());
    setSoundVolume(7.0f);
    EXPECT_FLOAT_EQ(1.0f, getSoundVolume()); // clamped
}

TEST(SoundDevice, RealDeviceAndBinding)
{
    // The tests' null backend opens like a sound card that nobody hears.
    initSound(nullptr);
    EXPECT_TRUE(soundDeviceReady());
    EXPECT_FALSE(soundDevice()->isLoopback());
    initSound(nullptr); // a second call keeps the device
    installSoundBinding();
    ASSERT_NE(nullptr, soundBinding());
    soundBinding()->setSoundActive(false);
    EXPECT_FALSE(isSoundActive());
    EXPECT_TRUE(soundDevice()->isMuted());
    soundBinding()->setSoundActive(true);
    soundBinding()->releaseSound();
    EXPECT_FALSE(soundDeviceReady());
    uninstallSoundBinding();
    EXPECT_EQ(nullptr, soundBinding());
}
