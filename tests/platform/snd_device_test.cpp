// The sound device over OpenAL Soft, checked through a loopback device that
// renders into memory: what plays, where it sits and when it starts.
#include "platform/snd/device.h"
#include "platform/snd/stream_buffer.h"
#include "platform/snd/voice.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <vector>

namespace {

constexpr int RATE = 22050;

// Mono 16-bit: a loud sine for the first `loud` frames, silence after.
std::vector<int16_t> tone(int frames, int loud)
{
    std::vector<int16_t> s(static_cast<size_t>(frames), 0);
    for (int i = 0; i < loud && i < frames; ++i)
        s[static_cast<size_t>(i)] = static_cast<int16_t>(12000 * std::sin(i * 0.11));
    return s;
}

snd::Format mono16() { return snd::Format{1, 16, RATE}; }

struct Levels {
    double left = 0, right = 0;
    double sum() const { return left + right; }
};

Levels render(snd::Device& d, int frames)
{
    std::vector<int16_t> out(static_cast<size_t>(frames) * 2);
    d.render(out.data(), frames);
    Levels l;
    for (int i = 0; i < frames; ++i) {
        l.left += std::abs(out[2 * static_cast<size_t>(i)]);
        l.right += std::abs(out[2 * static_cast<size_t>(i) + 1]);
    }
    l.left /= frames;
    l.right /= frames;
    return l;
}

// OpenAL ramps every change of gain or place over a few hundred frames;
// measurements start after it.
void settle(snd::Device& d) { render(d, 2048); }

class SndDevice : public ::testing::Test {
protected:
    void SetUp() override
    {
        device = snd::Device::openLoopback(RATE);
        ASSERT_TRUE(device);
        samples = tone(RATE, RATE);
        buffer = snd::Buffer::create(*device, mono16(), samples.data(), samples.size() * 2);
        ASSERT_TRUE(buffer);
    }
    void TearDown() override
    {
        buffer.reset();
        device.reset();
    }
    std::unique_ptr<snd::Device> device;
    std::vector<int16_t> samples;
    std::unique_ptr<snd::Buffer> buffer;
};

} // namespace

TEST(SndVolume, MillibelsToGain)
{
    EXPECT_FLOAT_EQ(1.0f, snd::gainFromMillibels(0));
    EXPECT_NEAR(0.1f, snd::gainFromMillibels(-2000), 1e-6);
    EXPECT_NEAR(0.003162f, snd::gainFromMillibels(-5000), 1e-5);
}

TEST(SndFormat, OnlyMonoOrStereoOf8Or16Bits)
{
    EXPECT_TRUE((snd::Format{1, 8, 8000}).valid());
    EXPECT_TRUE((snd::Format{2, 16, 44100}).valid());
    EXPECT_FALSE((snd::Format{0, 16, 44100}).valid());
    EXPECT_FALSE((snd::Format{3, 16, 44100}).valid());
    EXPECT_FALSE((snd::Format{1, 24, 44100}).valid());
    EXPECT_FALSE((snd::Format{1, 16, 0}).valid());
}

TEST_F(SndDevice, BuffersRefuseBadFormatsAndKeepWholeFrames)
{
    EXPECT_FALSE(snd::Buffer::create(*device, snd::Format{3, 16, RATE}, samples.data(), 600));
    EXPECT_FALSE(snd::Buffer::create(*device, mono16(), samples.data(), 1)); // less than a frame
    auto stereo = snd::Buffer::create(*device, snd::Format{2, 16, RATE}, samples.data(), 1002);
    ASSERT_TRUE(stereo);
    EXPECT_EQ(1000u, stereo->bytes());
}

TEST_F(SndDevice, PositionsAreLeftHandedAndOrientationFollows)
{
    auto voice = snd::Voice::create(*device, *buffer);
    ASSERT_TRUE(voice);
    voice->setPosition({4, 0, 0});
    device->commitDeferredSettings();
    voice->play(true);
    settle(*device);
    Levels right = render(*device, 2048);
    EXPECT_GT(right.right, 3 * right.left);

    voice->setPosition({-4, 0, 0});
    device->commitDeferredSettings();
    settle(*device);
    Levels left = render(*device, 2048);
    EXPECT_GT(left.left, 3 * left.right);

    // Facing +x with y up, the right hand points to -z in the game's frame.
    snd::Listener l;
    l.front = {1, 0, 0};
    device->setListener(l, false);
    voice->setPosition({0, 0, -4});
    device->commitDeferredSettings();
    settle(*device);
    Levels turned = render(*device, 2048);
    EXPECT_GT(turned.right, 3 * turned.left);
}

TEST_F(SndDevice, DeferredSettingsWaitForTheCommit)
{
    auto voice = snd::Voice::create(*device, *buffer);
    voice->play(true);
    voice->setPosition({6, 0, 0});
    settle(*device);
    Levels before = render(*device, 2048);
    EXPECT_NEAR(before.left, before.right, before.sum() * 0.05); // still at the listener
    device->commitDeferredSettings();
    settle(*device);
    Levels after = render(*device, 2048);
    EXPECT_GT(after.right, 3 * after.left);

    // The listener moves only at the commit too.
    snd::Listener l;
    l.position = {12, 0, 0};
    device->setListener(l, true);
    EXPECT_FLOAT_EQ(12, device->listener().position.x);
    settle(*device);
    Levels pending = render(*device, 2048);
    EXPECT_GT(pending.right, 3 * pending.left);
    device->commitDeferredSettings();
    settle(*device);
    Levels moved = render(*device, 2048);
    EXPECT_GT(moved.left, 3 * moved.right);
}

TEST_F(SndDevice, PlayAgainDoesNotRestartAndStopPauses)
{
    auto shortTone = tone(RATE, RATE / 10); // loud for the first 0.1 s
    auto b = snd::Buffer::create(*device, mono16(), shortTone.data(), shortTone.size() * 2);
    auto voice = snd::Voice::create(*device, *b);
    voice->play(false);
    double loud = render(*device, RATE / 10).sum();
    EXPECT_GT(loud, 1000);
    render(*device, RATE / 10);
    voice->play(false); // playing: no restart into the loud part
    EXPECT_LT(render(*device, RATE / 20).sum(), 1);
    EXPECT_TRUE(voice->isPlaying());
    voice->stop();

    // stop keeps the place: the rest of the loud part follows the next play.
    auto v2 = snd::Voice::create(*device, *b);
    v2->play(false);
    render(*device, RATE / 20);
    v2->stop();
    EXPECT_FALSE(v2->isPlaying());
    render(*device, 512); // the short fade-out of a pause
    EXPECT_LT(render(*device, RATE / 10).sum(), 1);
    v2->play(false);
    EXPECT_GT(render(*device, RATE / 25).sum(), loud * 0.5);
    render(*device, RATE / 25);
    EXPECT_LT(render(*device, RATE / 10).sum(), 1);

    // Once a voice has played to its end, play starts from the beginning.
    render(*device, RATE);
    EXPECT_FALSE(v2->isPlaying());
    v2->play(false);
    EXPECT_GT(render(*device, RATE / 20).sum(), loud * 0.5);
}

TEST_F(SndDevice, VolumeMuteAndVoicesOnOneBuffer)
{
    auto a = snd::Voice::create(*device, *buffer);
    auto b = snd::Voice::create(*device, *buffer);
    a->play(true);
    settle(*device);
    double one = render(*device, 2048).sum();
    // Two voices of one buffer sound at once: one on each side.
    b->play(true);
    a->setPosition({4, 0, 0});
    b->setPosition({-4, 0, 0});
    device->commitDeferredSettings();
    settle(*device);
    Levels both = render(*device, 2048);
    EXPECT_GT(both.left, one * 0.1);
    EXPECT_GT(both.right, one * 0.1);
    b->stop();
    a->setPosition({0, 0, 0});
    device->commitDeferredSettings();
    a->setVolume(-2000);
    settle(*device);
    EXPECT_NEAR(one * 0.1, render(*device, 2048).sum(), one * 0.02);
    device->setMuted(true);
    EXPECT_TRUE(device->isMuted());
    settle(*device);
    EXPECT_LT(render(*device, 2048).sum(), 1);
    device->setMuted(false);
    settle(*device);
    EXPECT_NEAR(one * 0.1, render(*device, 2048).sum(), one * 0.02);
}

TEST_F(SndDevice, ReleaseOrderDoesNotMatter)
{
    auto voice = snd::Voice::create(*device, *buffer);
    voice->play(true);
    buffer.reset(); // the voice loses its buffer and falls silent
    EXPECT_FALSE(voice->isPlaying());
    voice->play(true);
    voice->setVolume(0);
    EXPECT_LT(render(*device, 512).sum(), 1);

    auto samplesB = tone(1000, 1000);
    auto b = snd::Buffer::create(*device, mono16(), samplesB.data(), samplesB.size() * 2);
    auto v = snd::Voice::create(*device, *b);
    auto s = snd::StreamBuffer::create(*device, mono16(), 4096);
    device.reset(); // everything left is detached, its calls do nothing
    v->play(true);
    EXPECT_FALSE(v->isPlaying());
    EXPECT_FALSE(s->play());
}
