// The streaming ring buffer: region locking, the play cursor and the
// notifications at its middle and end, driven by a loopback device.
#include "platform/snd/device.h"
#include "platform/snd/stream_buffer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <vector>

namespace {

constexpr int RATE = 22050;
const snd::Format MONO{1, 16, RATE};

void renderFrames(snd::Device& d, int frames)
{
    std::vector<int16_t> out(static_cast<size_t>(frames) * 2);
    d.render(out.data(), frames);
}

} // namespace

TEST(SndStreamBuffer, RefusesSizesThatAreNotWholeFramesPerHalf)
{
    auto d = snd::Device::openLoopback(RATE);
    ASSERT_TRUE(d);
    EXPECT_FALSE(snd::StreamBuffer::create(*d, MONO, 0));
    EXPECT_FALSE(snd::StreamBuffer::create(*d, MONO, 4098 + 1));
    EXPECT_FALSE(snd::StreamBuffer::create(*d, snd::Format{2, 16, RATE}, 4098)); // halves of 2049 bytes
    EXPECT_FALSE(snd::StreamBuffer::create(*d, snd::Format{5, 16, RATE}, 4096));
    EXPECT_TRUE(snd::StreamBuffer::create(*d, MONO, 4096));
}

TEST(SndStreamBuffer, LockGivesTwoPartsWhenTheRegionWraps)
{
    auto d = snd::Device::openLoopback(RATE);
    auto s = snd::StreamBuffer::create(*d, MONO, 1024);
    void *p1, *p2;
    uint32_t n1, n2;
    ASSERT_TRUE(s->lock(1000, 100, &p1, &n1, &p2, &n2));
    EXPECT_EQ(24u, n1);
    EXPECT_EQ(76u, n2);
    std::memset(p1, 1, n1);
    std::memset(p2, 2, n2);
    s->unlock();
    unsigned char back[4];
    s->peek(1022, back, 4);
    EXPECT_EQ(1, back[0]);
    EXPECT_EQ(1, back[1]);
    EXPECT_EQ(2, back[2]);
    ASSERT_TRUE(s->lock(0, 1024, &p1, &n1, &p2, &n2)); // the whole ring
    EXPECT_EQ(1024u, n1);
    EXPECT_EQ(nullptr, p2);
    EXPECT_FALSE(s->lock(1024, 1, &p1, &n1, &p2, &n2));
    EXPECT_FALSE(s->lock(0, 1025, &p1, &n1, &p2, &n2));
}

TEST(SndStreamBuffer, CursorAndNotificationsFollowWhatWasPlayed)
{
    auto d = snd::Device::openLoopback(RATE);
    const uint32_t size = 32768; // 16384 frames, 8192 per half
    auto s = snd::StreamBuffer::create(*d, MONO, size);
    std::atomic<int> fired{0};
    s->setNotifications({size / 2, size - 1}, [&] { ++fired; });
    EXPECT_EQ(0u, s->currentPosition());
    renderFrames(*d, 4000);
    EXPECT_EQ(0u, s->currentPosition()); // not playing yet
    ASSERT_TRUE(s->play());
    renderFrames(*d, 8192 + 600);
    EXPECT_EQ(size / 2, s->currentPosition());
    EXPECT_EQ(1, fired.load());
    renderFrames(*d, 8192);
    EXPECT_EQ(0u, s->currentPosition());
    EXPECT_EQ(2, fired.load());
    EXPECT_EQ(uint64_t(size), s->bytesPlayed());

    // stop keeps the cursor; nothing fires meanwhile.
    s->stop();
    EXPECT_FALSE(s->isPlaying());
    renderFrames(*d, 20000);
    EXPECT_EQ(0u, s->currentPosition());
    EXPECT_EQ(2, fired.load());
    ASSERT_TRUE(s->play());
    renderFrames(*d, 9000);
    // The piece that was playing at the pause goes on where it stood, so
    // the cursor may be one piece further than the frames rendered now.
    EXPECT_GE(s->currentPosition(), size / 2);
    EXPECT_LE(s->currentPosition(), size / 2 + size / 16);
    EXPECT_EQ(3, fired.load());

    // Moving the cursor drops what was queued and starts there.
    ASSERT_TRUE(s->setCurrentPosition(0));
    EXPECT_EQ(0u, s->currentPosition());
    renderFrames(*d, 8192 + 600);
    EXPECT_EQ(size / 2, s->currentPosition());
    EXPECT_FALSE(s->setCurrentPosition(size));
}

TEST(SndStreamBuffer, PlaysTheRingContent)
{
    auto d = snd::Device::openLoopback(RATE);
    auto s = snd::StreamBuffer::create(*d, MONO, 8192);
    void *p1, *p2;
    uint32_t n1, n2;
    ASSERT_TRUE(s->lock(0, 8192, &p1, &n1, &p2, &n2));
    auto* pcm = static_cast<int16_t*>(p1);
    for (int i = 0; i < 4096; ++i)
        pcm[i] = static_cast<int16_t>(i < 2048 ? 10000 * ((i / 20) % 2 ? 1 : -1) : 0);
    s->unlock();
    s->play();
    std::vector<int16_t> out(2 * 4096);
    d->render(out.data(), 4096);
    long first = 0, second = 0;
    for (int i = 0; i < 4096; ++i)
        (i < 2000 ? first : second) += std::abs(out[2 * static_cast<size_t>(i)]);
    EXPECT_GT(first, 1000000);
    EXPECT_LT(second, first / 10); // the silent half of the ring
}
