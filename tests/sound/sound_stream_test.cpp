// Streaming sounds: the ring arithmetic, playing a file once or looping,
// switching files, and tearing a stream down while its thread works.
#include "platform/snd/stream_buffer.h"
#include "sound/ogg_decoder.h"
#include "sound/sound_device.h"
#include "sound/sound_stream.h"
#include "tests/sound/sound_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <future>
#include <thread>

using namespace soundtest;

namespace {

constexpr int RATE = 22050;
constexpr int RING = 16384; // 8192 mono frames, 4096 per half

std::vector<int16_t> decodeAll(const char* path)
{
    YOggDecoder d;
    d.open(path);
    std::vector<int16_t> pcm(d.decodedSize() / 2);
    d.read(pcm.data(), pcm.size() * 2);
    return pcm;
}

// Waits until the stream's thread has answered every notification the
// played bytes gave (one per half ring), as a real device's slower pace
// would let it.
void waitForRefills(YSoundStream& s, uint32_t base, uint64_t basePlayed)
{
    uint64_t halves = s.deviceBuffer()->bytesPlayed() / (RING / 2) - basePlayed / (RING / 2);
    auto until = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (s.refillCount() < base + halves && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

// Renders in small steps, waiting for the refills between them; returns
// the left channel.
std::vector<int16_t> playFor(LoopbackSound& sound, YSoundStream& s, int frames, uint32_t base)
{
    std::vector<int16_t> left;
    uint64_t basePlayed = s.deviceBuffer()->bytesPlayed();
    for (int done = 0; done < frames; done += 256) {
        std::vector<int16_t> out = sound.render(256);
        for (size_t i = 0; i < out.size(); i += 2)
            left.push_back(out[i]);
        waitForRefills(s, base, basePlayed);
    }
    return left;
}

double meanAbs(const std::vector<int16_t>& v, size_t from, size_t to)
{
    double sum = 0;
    for (size_t i = from; i < to && i < v.size(); ++i)
        sum += std::abs(static_cast<int>(v[i]));
    return to > from ? sum / static_cast<double>(to - from) : 0;
}

} // namespace

TEST(StreamRegion, FromWritePositionUpToThePlayCursor)
{
    EXPECT_EQ(100, streamRegionLength(0, 100, 1000));
    EXPECT_EQ(1000, streamRegionLength(0, 0, 1000)); // the first fill: the whole ring
    EXPECT_EQ(1000, streamRegionLength(500, 500, 1000));
    EXPECT_EQ(600, streamRegionLength(500, 100, 1000)); // wraps
    EXPECT_EQ(500, streamRegionLength(500, 0, 1000));
    EXPECT_EQ(1, streamRegionLength(999, 0, 1000));
}

TEST(StreamRegion, EndMarkIsPassedOnceTheCursorReachesIt)
{
    // Played since the last refill: from the write position to the cursor.
    EXPECT_TRUE(streamPassedMark(300, 0, 500, 1000));
    EXPECT_TRUE(streamPassedMark(500, 0, 500, 1000));  // reached exactly
    EXPECT_FALSE(streamPassedMark(501, 0, 500, 1000));
    EXPECT_TRUE(streamPassedMark(0, 0, 500, 1000));    // data ended where this region began
    EXPECT_TRUE(streamPassedMark(900, 500, 0, 1000));  // across the wrap
    EXPECT_TRUE(streamPassedMark(0, 500, 0, 1000));
    EXPECT_FALSE(streamPassedMark(100, 500, 0, 1000));
    EXPECT_FALSE(streamPassedMark(499, 500, 0, 1000));
    EXPECT_TRUE(streamPassedMark(700, 700, 700, 1000)); // whole ring
}

TEST(SoundStream, ShortTrackPlaysOnceThenStops)
{
    // 5000 frames: more than half the ring, less than the whole.
    writeOgg("short.ogg", sine(5000, RATE, 500, 0.5f), 1, RATE);
    LoopbackSound sound(RATE);
    YSoundStream s(RING);
    s.open("short.ogg");
    ASSERT_NE(nullptr, s.deviceBuffer());
    EXPECT_EQ(1u, s.refillCount());      // the first refill...
    EXPECT_EQ(0, s.writePosition());     // ...filled the whole ring
    EXPECT_EQ(10000, s.endMark());       // where the file's data stops
    s.play(false);
    EXPECT_TRUE(s.isPlaying());
    std::vector<int16_t> out = playFor(sound, s, 3 * 8192, s.refillCount());
    EXPECT_FALSE(s.isPlaying());
    // All of the tone was heard, once, and silence after it.
    EXPECT_GT(meanAbs(out, 4000, 4900), 3000);
    EXPECT_LT(meanAbs(out, 5300, out.size()), 30);
}

TEST(SoundStream, LoopingGoesOnFromTheStartWithoutAGap)
{
    std::vector<int16_t> tone = sine(3000, RATE, 300, 0.5f);
    writeOgg("loop.ogg", tone, 1, RATE);
    std::vector<int16_t> pcm = decodeAll("loop.ogg");
    ASSERT_EQ(3000u, pcm.size());
    LoopbackSound sound(RATE);
    YSoundStream s(RING);
    s.open("loop.ogg");
    s.play(true);
    // The first fill: the file over and over, from the ring's start.
    std::vector<int16_t> ring(RING / 2);
    s.deviceBuffer()->peek(0, ring.data(), RING);
    for (size_t i = 0; i < ring.size(); ++i)
        ASSERT_EQ(pcm[i % pcm.size()], ring[i]) << i;
    // At the middle the first half is refilled, going on where it stopped.
    playFor(sound, s, 4096 + 512, s.refillCount());
    EXPECT_EQ(RING / 2, s.writePosition());
    s.deviceBuffer()->peek(0, ring.data(), RING);
    for (size_t i = 0; i < ring.size() / 2; ++i)
        ASSERT_EQ(pcm[(i + RING / 2) % pcm.size()], ring[i]) << i;
    EXPECT_EQ(-1, s.endMark());
    // It keeps playing far past the file's length.
    std::vector<int16_t> out = playFor(sound, s, 4 * 8192, s.refillCount());
    EXPECT_TRUE(s.isPlaying());
    EXPECT_GT(meanAbs(out, out.size() - 4000, out.size()), 3000);
}

TEST(SoundStream, OpenSwitchesFilesFromTheRingStart)
{
    writeOgg("one.ogg", sine(30000, RATE, 300, 0.5f), 1, RATE);
    writeOgg("two.ogg", sine(30000, RATE, 900, 0.2f), 1, RATE);
    std::vector<int16_t> two = decodeAll("two.ogg");
    LoopbackSound sound(RATE);
    YSoundStream s(RING);
    s.open("one.ogg");
    s.play(true);
    playFor(sound, s, 6000, s.refillCount());
    s.open("two.ogg");
    EXPECT_FALSE(s.isPlaying()); // open stops what played
    EXPECT_EQ(0u, s.deviceBuffer()->currentPosition());
    EXPECT_EQ(0, s.writePosition());
    std::vector<int16_t> ring(RING / 2);
    s.deviceBuffer()->peek(0, ring.data(), RING);
    for (size_t i = 0; i < ring.size(); ++i)
        ASSERT_EQ(two[i], ring[i]) << i;

    // A file that does not open leaves the stream as it was: playing the
    // file it had, from where it was.
    s.play(true);
    const int write = s.writePosition();
    EXPECT_THROW(s.open("missing.ogg"), std::exception);
    EXPECT_TRUE(s.isPlaying());
    EXPECT_EQ(write, s.writePosition());
    s.deviceBuffer()->peek(0, ring.data(), RING);
    for (size_t i = 0; i < ring.size(); ++i)
        ASSERT_EQ(two[i], ring[i]) << i;
}

// A wake-up given to the stream's thread before open must not refill the
// ring that open has just filled: the new file starts at its first byte.
TEST(SoundStream, ReopeningWhileThePumpRunsStartsAtTheFileStart)
{
    constexpr int SMALL = 4096;
    writeOgg("a.ogg", sine(30000, RATE, 300, 0.5f), 1, RATE);
    writeOgg("b.ogg", sine(30000, RATE, 900, 0.2f), 1, RATE);
    std::vector<int16_t> b = decodeAll("b.ogg");
    LoopbackSound sound(RATE);
    std::atomic<bool> stop{false};
    std::thread pump([&] {
        while (!stop)
            sound.render(64);
    });
    YSoundStream s(SMALL);
    int wrong = 0;
    for (int round = 0; round < 200; ++round) {
        s.open("a.ogg");
        s.play(true);
        std::this_thread::sleep_for(std::chrono::microseconds(200 + 50 * (round % 8)));
        s.open("b.ogg");
        // Give a pending wake-up time to reach the thread.
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        std::vector<int16_t> ring(SMALL / 2);
        s.deviceBuffer()->peek(0, ring.data(), SMALL);
        if (!std::equal(ring.begin(), ring.end(), b.begin()))
            ++wrong;
    }
    stop = true;
    pump.join();
    EXPECT_EQ(0, wrong);
}

TEST(SoundStream, StereoFileGetsARingOfItsOwnFormat)
{
    writeOgg("mono.ogg", sine(3000, RATE, 300, 0.5f), 1, RATE);
    std::vector<int16_t> st(6000);
    for (size_t i = 0; i < st.size(); ++i)
        st[i] = static_cast<int16_t>(i % 2 ? 3000 : -3000);
    writeOgg("stereo.ogg", st, 2, RATE);
    LoopbackSound sound(RATE);
    YSoundStream s(RING);
    s.open("mono.ogg");
    EXPECT_EQ(1, s.deviceBuffer()->format().channels);
    s.open("stereo.ogg");
    EXPECT_EQ(2, s.deviceBuffer()->format().channels);
}

TEST(SoundStream, StreamsWaitForTheDeviceAndSurviveItsRelease)
{
    writeOgg("t.ogg", sine(20000, RATE, 300, 0.5f), 1, RATE);
    YSoundStream s(RING);
    s.open("t.ogg");
    EXPECT_EQ(nullptr, s.deviceBuffer());
    s.play(true); // no ring: not playing
    EXPECT_FALSE(s.isPlaying());
    {
        LoopbackSound sound(RATE);
        ASSERT_NE(nullptr, s.deviceBuffer());
        s.play(true);
        EXPECT_TRUE(s.isPlaying());
    }
    EXPECT_EQ(nullptr, s.deviceBuffer());
    EXPECT_TRUE(s.isPlaying()); // remembered: it plays again with the next device
    LoopbackSound again(RATE);
    ASSERT_NE(nullptr, s.deviceBuffer());
    EXPECT_TRUE(s.deviceBuffer()->isPlaying());
}

TEST(SoundStream, DestroyingNeverDeadlocks)
{
    writeOgg("busy.ogg", sine(4000, RATE, 300, 0.5f), 1, RATE);
    LoopbackSound sound(RATE);
    // A tiny ring makes the thread refill all the time while the render
    // thread pumps, and streams die in the middle of it.
    auto run = std::async(std::launch::async, [&] {
        std::atomic<bool> stop{false};
        std::thread pump([&] {
            while (!stop)
                sound.render(64);
        });
        for (int i = 0; i < 40; ++i) {
            YSoundStream s(1024);
            s.open("busy.ogg");
            s.play(true);
            std::this_thread::sleep_for(std::chrono::milliseconds(i % 4));
        }
        stop = true;
        pump.join();
    });
    ASSERT_EQ(std::future_status::ready, run.wait_for(std::chrono::seconds(60)));
}
