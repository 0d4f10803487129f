// The music player driven by hand with an injected clock: requests, fades,
// the shuffled order and the track timer.
#include "platform/sys/clock.h"
#include "platform/sys/thread.h"
#include "sound/music_player.h"
#include "sound/sound_device.h"
#include "tests/common/test_util.h"
#include "tests/sound/sound_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <set>

using namespace soundtest;

namespace {

constexpr int RATE = 22050;
constexpr int RING = 16384;

void writeTracks(int count)
{
    for (int i = 0; i < count; ++i)
        writeOgg("music\\" + std::string(1, static_cast<char>('0' + i)) + "_track.ogg",
                 sine(4000, RATE, 200.0f + 50.0f * static_cast<float>(i), 0.4f), 1, RATE);
}

class MusicPlayer : public ::testing::Test {
protected:
    // Steps of the player's thread: 100 ms each.
    void step(YMusicPlayer& p, int count = 1, uint32_t ms = 100)
    {
        for (int i = 0; i < count; ++i) {
            clock.advance(ms);
            p.update();
        }
    }
    // A player (not threaded) over count tracks written to "music".
    YMusicPlayer& playerOver(int count)
    {
        writeTracks(count);
        player = std::make_unique<YMusicPlayer>(false, RING);
        player->addFolder("music");
        return *player;
    }

    sys::ManualClock clock{5000};
    LoopbackSound sound{RATE};
    std::unique_ptr<YMusicPlayer> player; // goes before the device
};

} // namespace

TEST_F(MusicPlayer, FolderIsSortedIgnoringCaseAndMatchesAnyCase)
{
    for (const char* name : {"b_two.ogg", "A_one.ogg", "c_three.OGG", "notes.txt"})
        testutil::writeText(std::string("Music\\") + name, "x");
    YMusicPlayer p(false, RING);
    p.addFolder("music");
    std::vector<std::string> list = p.playlist();
    ASSERT_EQ(3u, list.size());
    EXPECT_EQ("music\\A_one.ogg", list[0]);
    EXPECT_EQ("music\\b_two.ogg", list[1]);
    EXPECT_EQ("music\\c_three.OGG", list[2]);
    EXPECT_EQ(std::vector<int>{2}, p.order()); // three tracks: only index 2 is shuffled
}

TEST_F(MusicPlayer, ShuffleKeepsTheFirstTwoOutAndTheLastInPlace)
{
    YMusicPlayer p(false, RING);
    for (int i = 0; i < 9; ++i)
        p.addTrack(("t" + std::to_string(i) + ".ogg").c_str());
    std::vector<int> order = p.order();
    ASSERT_EQ(7u, order.size());
    EXPECT_EQ(8, order.back());
    std::vector<int> sorted = order;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ((std::vector<int>{2, 3, 4, 5, 6, 7, 8}), sorted);
    // The seed is the clock at construction: the same clock, the same order.
    YMusicPlayer same(false, RING);
    for (int i = 0; i < 9; ++i)
        same.addTrack(("t" + std::to_string(i) + ".ogg").c_str());
    EXPECT_EQ(order, same.order());
    EXPECT_NE(std::vector<int>({2, 3, 4, 5, 6, 7, 8}), order);
}

TEST_F(MusicPlayer, RequestFadesInFromSilenceAndCrossFades)
{
    YMusicPlayer& p = playerOver(3);
    p.play(0, 2.0f);
    step(p);
    EXPECT_EQ(0, p.currentTrack());
    EXPECT_TRUE(p.stream(0).isPlaying());
    EXPECT_FLOAT_EQ(0.0f, p.stream(0).getVolume()); // from its first sample
    EXPECT_FLOAT_EQ(-2.0f, p.fadeTimer(0));
    step(p);
    EXPECT_NEAR(0.05f, p.stream(0).getVolume(), 1e-4);
    step(p, 20);
    EXPECT_FLOAT_EQ(1.0f, p.stream(0).getVolume());
    EXPECT_EQ(0.0f, p.fadeTimer(0));

    p.play(0, 2.0f); // the current track: nothing
    EXPECT_EQ(-1, p.requestedTrack());
    p.play(1, 1.0f);
    step(p);
    EXPECT_TRUE(p.stream(1).isPlaying());
    EXPECT_FLOAT_EQ(0.0f, p.stream(1).getVolume());
    EXPECT_FLOAT_EQ(1.0f, p.fadeTimer(0)); // fading out
    step(p, 5);
    EXPECT_NEAR(0.5f, p.stream(0).getVolume(), 1e-4);
    EXPECT_NEAR(0.5f, p.stream(1).getVolume(), 1e-4);
    step(p, 6);
    EXPECT_FALSE(p.stream(0).isPlaying());
    EXPECT_FLOAT_EQ(1.0f, p.stream(1).getVolume());

    p.fadeOut();
    step(p, 11);
    EXPECT_FALSE(p.stream(1).isPlaying());
}

// The menu asks for its tune again while a level's track is still fading
// in (the pause screen's "Main menu" within two seconds of a level start):
// the tune still fading out fades back in from where it is, nothing is cut
// or opened twice, and the faster fade of the menu does not make the slower
// one already running jump.
TEST_F(MusicPlayer, AskingForTheTuneThatIsFadingOutFadesItBackIn)
{
    YMusicPlayer& p = playerOver(4);
    size_t mark = testutil::logText().size();
    const float menuFade = 0.5f, step100 = 0.1f;
    float last[2] = {0, 0};
    bool wasPlaying[2] = {false, false};
    auto run = [&](int steps) {
        for (int k = 0; k < steps; ++k) {
            step(p);
            for (int i = 0; i < 2; ++i) {
                float v = p.stream(i).getVolume();
                // Playing on: the volume moves by one update of the fastest
                // fade at most.
                if (wasPlaying[i] && p.stream(i).isPlaying()) {
                    EXPECT_LE(std::abs(v - last[i]), step100 / menuFade + 1e-3f) << "stream " << i;
                }
                last[i] = v;
                wasPlaying[i] = p.stream(i).isPlaying();
            }
        }
    };
    p.play(0, menuFade);
    run(10);
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        p.next(2.0f); // a level starts
        run(5);
        int level = p.currentTrack();
        ASSERT_GE(level, 2);
        p.play(0, menuFade); // back to the menu half a second later
        run(1);
        EXPECT_EQ(0, p.currentTrack());
        run(20);
        int menuStream = p.stream(0).isPlaying() ? 0 : 1;
        EXPECT_TRUE(p.stream(menuStream).isPlaying());
        EXPECT_FALSE(p.stream(1 - menuStream).isPlaying());
        EXPECT_FLOAT_EQ(1.0f, p.stream(menuStream).getVolume());
    }
    EXPECT_EQ(1u, testutil::logCount("Open OGG stream music\\0_track.ogg", mark));
}

TEST_F(MusicPlayer, NoFadeTimeSwitchesAtOnce)
{
    YMusicPlayer& p = playerOver(2);
    p.play(0, 0.0f);
    step(p);
    EXPECT_FLOAT_EQ(1.0f, p.stream(0).getVolume());
    p.play(1, 0.0f);
    step(p);
    EXPECT_FALSE(p.stream(0).isPlaying());
    EXPECT_FLOAT_EQ(1.0f, p.stream(1).getVolume());
    p.fadeOut(); // with no fade time: silent and stopped, no division by zero
    step(p);
    EXPECT_FLOAT_EQ(0.0f, p.stream(1).getVolume());
    step(p, 10);
    EXPECT_FALSE(p.stream(1).isPlaying());
}

TEST_F(MusicPlayer, UpdatesCloserThan50msAreSkipped)
{
    YMusicPlayer& p = playerOver(1);
    p.play(0, 2.0f);
    step(p, 1, 10); // the first update counts 50 ms
    EXPECT_FLOAT_EQ(-2.0f, p.fadeTimer(0));
    step(p, 4, 10); // 40 ms since: skipped
    EXPECT_FLOAT_EQ(-2.0f, p.fadeTimer(0));
    step(p, 1, 10); // 50 ms since
    EXPECT_NEAR(-1.95f, p.fadeTimer(0), 1e-4);
}

TEST_F(MusicPlayer, OutOfRangeRequestsAndShortPlaylistsAreHarmless)
{
    YMusicPlayer empty(false, RING);
    empty.play(0, 2.0f);
    empty.play(1, 2.0f); // game over with no tracks
    empty.next(2.0f);
    EXPECT_EQ(-1, empty.requestedTrack());
    step(empty, 3);
    EXPECT_FALSE(empty.stream(0).isPlaying());

    YMusicPlayer& two = playerOver(2);
    EXPECT_TRUE(two.order().empty());
    two.next(2.0f); // nothing to follow
    EXPECT_EQ(-1, two.requestedTrack());
    two.play(5, 2.0f);
    two.play(-1, 2.0f);
    EXPECT_EQ(-1, two.requestedTrack());
    two.play(1, 2.0f);
    step(two);
    EXPECT_EQ(1, two.currentTrack());
}

TEST_F(MusicPlayer, PlayTracksFollowEachOtherMenuTracksDoNot)
{
    YMusicPlayer& p = playerOver(5);
    std::vector<int> order = p.order();
    p.play(0, 2.0f);
    step(p);
    float timer = p.trackTimer();
    EXPECT_GE(timer, 390.0f);
    EXPECT_LE(timer, 450.0f);
    step(p, 1, 460000);
    EXPECT_EQ(0, p.currentTrack()); // the menu tune stays
    EXPECT_LT(p.trackTimer(), 0.0f);

    p.play(3, 2.0f);
    step(p);
    EXPECT_EQ(3, p.currentTrack());
    step(p, 1, 200000);
    EXPECT_EQ(3, p.currentTrack());
    step(p, 1, 260000); // past 450 s: the next of the order
    EXPECT_EQ(order[1], p.currentTrack());
    std::set<int> playTracks(order.begin(), order.end());
    EXPECT_TRUE(playTracks.count(p.currentTrack()));
}

TEST_F(MusicPlayer, ThreeTracksKeepRequestingTheOnePlayTrack)
{
    YMusicPlayer& p = playerOver(3);
    p.play(2, 2.0f);
    step(p);
    step(p, 1, 460000);
    EXPECT_EQ(2, p.currentTrack());
    EXPECT_EQ(-1, p.requestedTrack());
    step(p, 3);
    EXPECT_EQ(2, p.currentTrack());
    EXPECT_TRUE(p.stream(0).isPlaying());
    EXPECT_FALSE(p.stream(1).isPlaying()); // no change while it is current
}

TEST_F(MusicPlayer, InactiveWindowHoldsFadesAndTimers)
{
    YMusicPlayer& p = playerOver(3);
    p.play(2, 2.0f);
    step(p);
    float timer = p.trackTimer();
    setSoundActive(false);
    step(p, 50); // five seconds away
    EXPECT_FLOAT_EQ(-2.0f, p.fadeTimer(0));
    EXPECT_FLOAT_EQ(timer, p.trackTimer());
    setSoundActive(true);
    step(p);
    EXPECT_NEAR(-1.9f, p.fadeTimer(0), 1e-4);
    EXPECT_NEAR(timer - 0.1f, p.trackTimer(), 1e-3);
}

TEST_F(MusicPlayer, ATrackThatWillNotOpenIsGivenUpOnce)
{
    YMusicPlayer& p = playerOver(1);
    p.addTrack("music\\gone.ogg");
    p.play(0, 2.0f);
    step(p, 25);
    size_t before = testutil::logText().size();
    p.play(1, 2.0f);
    step(p, 20);
    std::string log = testutil::logText().substr(before);
    size_t first = log.find("DirectSound error: Could not open Ogg file.");
    ASSERT_NE(std::string::npos, first);
    EXPECT_EQ(std::string::npos, log.find("DirectSound error", first + 1)); // once
    EXPECT_EQ(-1, p.requestedTrack());
    EXPECT_EQ(0, p.currentTrack());
    EXPECT_TRUE(p.stream(0).isPlaying()); // the old track plays on
    EXPECT_FLOAT_EQ(1.0f, p.stream(0).getVolume());
}

// The quieter stream in a cross-fade is the one fading the current track
// in: a request for a file that does not decode there leaves both fades as
// they were, instead of cutting the current track while the other fades
// out to silence.
TEST_F(MusicPlayer, ATrackThatWillNotOpenDuringACrossFadeCutsNothing)
{
    YMusicPlayer& p = playerOver(3);
    testutil::writeText("music\\2_track.ogg", "not an Ogg file");
    p.play(0, 2.0f);
    step(p, 25);
    p.play(1, 2.0f);
    step(p, 6);
    ASSERT_TRUE(p.stream(0).isPlaying());
    ASSERT_TRUE(p.stream(1).isPlaying());
    ASSERT_LT(p.stream(1).getVolume(), p.stream(0).getVolume()); // track 1 takes the request

    const size_t mark = testutil::logText().size();
    p.play(2, 2.0f);
    step(p);
    EXPECT_EQ(1u, testutil::logCount("DirectSound error", mark));
    EXPECT_EQ(-1, p.requestedTrack());
    EXPECT_EQ(1, p.currentTrack());
    step(p, 30);
    EXPECT_FALSE(p.stream(0).isPlaying());
    EXPECT_TRUE(p.stream(1).isPlaying());
    EXPECT_FLOAT_EQ(1.0f, p.stream(1).getVolume());
    EXPECT_EQ(1u, testutil::logCount("DirectSound error", mark));

    p.play(0, 2.0f); // another track is honoured
    step(p);
    EXPECT_EQ(0, p.currentTrack());
    step(p, 21);
    EXPECT_TRUE(p.stream(0).isPlaying());
    EXPECT_FALSE(p.stream(1).isPlaying());
    EXPECT_FLOAT_EQ(1.0f, p.stream(0).getVolume());
}

TEST(MusicPlayerThread, RunsAndStopsPromptly)
{
    LoopbackSound sound(RATE);
    writeTracks(3);
    auto p = std::make_unique<YMusicPlayer>(true, RING);
    p->addFolder("music");
    p->play(0, 0.5f);
    for (int i = 0; i < 200 && p->currentTrack() != 0; ++i)
        sys::sleepMs(10);
    EXPECT_EQ(0, p->currentTrack());
    p.reset(); // joins the thread; stops both streams
}

// The music's threads are not needed to play: a refused one leaves the game
// silent, says why once, and the player goes as cleanly as it came; the
// next player, with threads, plays.
TEST(MusicPlayerThread, ARefusedThreadMeansNoMusicSaidOnce)
{
    LoopbackSound sound(RATE);
    writeTracks(3);
    const struct {
        const char* refused; // the thread name refused
        int times;           // how many of them (-1: all)
    } cases[] = {{"music stream", -1}, {"music stream", 1}, {"music", -1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.refused) + " x" + std::to_string(c.times));
        int left = c.times;
        sys::setThreadRefusal([&](const char* name) { return name == std::string(c.refused) && left-- != 0; });
        const size_t mark = testutil::logText().size();
        auto p = std::make_unique<YMusicPlayer>(true, RING);
        p->addFolder("music");
        p->play(0, 0.0f);
        sys::sleepMs(300);
        EXPECT_EQ(1u, testutil::logCount("could not be started", mark));
        EXPECT_EQ(1u, testutil::logCount(
                          "Music thread could not be started: Resource temporarily unavailable; no music", mark));
        EXPECT_FALSE(p->stream(0).isPlaying());
        EXPECT_FALSE(p->stream(1).isPlaying());
        p.reset();
        sys::setThreadRefusal(nullptr);
    }
    // Driven by hand, a stream without its thread still never plays: its
    // ring would go round with nobody refilling it.
    sys::setThreadRefusal([](const char* name) { return name == std::string("music stream"); });
    YMusicPlayer byHand(false, RING);
    sys::setThreadRefusal(nullptr);
    byHand.addFolder("music");
    byHand.play(0, 0.0f);
    byHand.update();
    EXPECT_EQ(0, byHand.currentTrack());
    EXPECT_FALSE(byHand.stream(0).isPlaying());

    auto p = std::make_unique<YMusicPlayer>(true, RING);
    p->addFolder("music");
    p->play(0, 0.5f);
    for (int i = 0; i < 200 && !p->stream(0).isPlaying(); ++i)
        sys::sleepMs(10);
    EXPECT_TRUE(p->stream(0).isPlaying());
}
