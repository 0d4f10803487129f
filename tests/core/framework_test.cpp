#include "core/framework.h"
#include "platform/sys/clock.h"
#include "platform/wnd/keys.h"
#include "tests/common/test_util.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <utility>
#include <vector>

using wnd::Event;
using wnd::EventType;

namespace {

// A framework without a window that records what reaches it.
class Probe : public YFramework {
public:
    int frames = 0;
    int idles = 0;
    std::vector<std::string> calls;
    std::vector<std::pair<uint32_t, uint32_t>> fired;

    bool renderFrame() override
    {
        ++frames;
        return true;
    }
    void onIdle() override { ++idles; }
    void onSize(int w, int h) override { calls.push_back("size " + std::to_string(w) + "x" + std::to_string(h)); }
    void onKeyDown(int k) override
    {
        calls.push_back("down " + std::to_string(k));
        YFramework::onKeyDown(k);
    }
    void onKeyUp(int k) override { calls.push_back("up " + std::to_string(k)); }
    void onChar(int c) override { calls.push_back("char " + std::to_string(c)); }
    void onMouseDown(int b, int x, int y) override
    {
        calls.push_back("press " + std::to_string(b) + " " + std::to_string(x) + "," + std::to_string(y));
    }
    void onMouseWheel(int d) override { calls.push_back("wheel " + std::to_string(d)); }
    void onTimer(uint32_t id, uint32_t elapsed) override { fired.emplace_back(id, elapsed); }

    using YFramework::keys;

    // Keeps the aspect of a desktop of the given size, as window creation
    // would have found on it.
    void desktop(int width, int height)
    {
        desktopWidth = width;
        desktopHeight = height;
        aspect = static_cast<float>(width) / static_cast<float>(height);
        window()->setMinimumClientSize(320, static_cast<int>(320 / aspect));
    }
};

class FrameworkTest : public ::testing::Test {
protected:
    void SetUp() override { wnd::clearInjectedEvents(); }
    void TearDown() override { wnd::clearInjectedEvents(); }
};

} // namespace

TEST(Sizing, EdgesMoveTheOtherDimension)
{
    const float aspect = 4.0f / 3.0f;
    // Frame adds 10 x 40; client 400 x 100 after dragging the right edge.
    YRect r{100, 50, 510, 190};
    YRect out = applySizing(SizingEdge::Right, r, 10, 40, aspect);
    EXPECT_EQ(100, out.left);
    EXPECT_EQ(510, out.right);
    EXPECT_EQ(50, out.top);
    EXPECT_EQ(50 + 40 + 300, out.bottom); // client height = 400 / (4/3)
    out = applySizing(SizingEdge::Bottom, YRect{0, 0, 10 + 100, 40 + 300}, 10, 40, aspect);
    EXPECT_EQ(10 + 400, out.right);
    EXPECT_EQ(340, out.bottom);
}

TEST(Sizing, CornersFollowTheLargerDimension)
{
    const float aspect = 4.0f / 3.0f;
    // Client 800 x 300: width rules, the height follows.
    YRect wide{0, 0, 800, 300};
    YRect out = applySizing(SizingEdge::TopLeft, wide, 0, 0, aspect);
    EXPECT_EQ(300 - 600, out.top); // the top edge moves
    EXPECT_EQ(300, out.bottom);
    out = applySizing(SizingEdge::BottomRight, wide, 0, 0, aspect);
    EXPECT_EQ(0, out.top);
    EXPECT_EQ(600, out.bottom);
    // Client 100 x 600: height rules, the width follows.
    YRect tall{0, 0, 100, 600};
    out = applySizing(SizingEdge::BottomLeft, tall, 0, 0, aspect);
    EXPECT_EQ(100 - 800, out.left); // the left edge moves
    EXPECT_EQ(100, out.right);
    out = applySizing(SizingEdge::TopRight, tall, 0, 0, aspect);
    EXPECT_EQ(800, out.right);
    // Exactly at the ratio nothing changes.
    YRect exact{0, 0, 400, 300};
    out = applySizing(SizingEdge::BottomRight, exact, 0, 0, aspect);
    EXPECT_EQ(400, out.right);
    EXPECT_EQ(300, out.bottom);
}

TEST_F(FrameworkTest, KeysReachTheHandlersAndF10EndsTheLoop)
{
    Probe p;
    wnd::injectEvent(Event(EventType::KeyDown, 'A'));
    wnd::injectEvent(Event(EventType::Char, 'a'));
    wnd::injectEvent(Event(EventType::KeyDown, vk::SHIFT));
    wnd::injectEvent(Event(EventType::KeyUp, 'A'));
    wnd::injectEvent(Event(EventType::KeyDown, vk::F10));
    wnd::injectEvent(Event(EventType::KeyDown, 'B')); // still handled this pass
    p.run();                                        // returns: F10 quit
    EXPECT_FALSE(p.isRunning());
    EXPECT_EQ((std::vector<std::string>{"down 65", "char 97", "down 16", "up 65", "down 121", "down 66"}), p.calls);
    EXPECT_FALSE(YFramework::isKeyDown('A'));
    EXPECT_TRUE(YFramework::isKeyDown(vk::SHIFT));
    EXPECT_TRUE(YFramework::isKeyDown('B'));
    EXPECT_EQ(1, p.frames); // the pass still drew its frame
    EXPECT_EQ(0, p.idles);
}

TEST_F(FrameworkTest, QuitEventEndsThePassAtOnce)
{
    Probe p;
    wnd::injectEvent(Event(EventType::Quit));
    wnd::injectEvent(Event(EventType::KeyDown, 'C'));
    p.run();
    EXPECT_TRUE(p.calls.empty());
    EXPECT_EQ(0, p.frames);
    // The key after the quit stays queued for whoever pumps next.
    Event left;
    ASSERT_TRUE(wnd::pollEvent(left));
    EXPECT_EQ('C', left.code);
}

TEST_F(FrameworkTest, CloseQuitsAndIdleRunsWhenNothingWaits)
{
    Probe p;
    EXPECT_FALSE(p.step()); // not running yet
    EXPECT_EQ(1, p.idles);
    wnd::injectEvent(Event(EventType::Close));
    p.run();
    EXPECT_FALSE(p.isRunning());
}

TEST_F(FrameworkTest, MinimizedWindowDrawsNothingAndKeepsFps)
{
    sys::ManualClock clock(1000);
    Probe p;
    wnd::injectEvent(Event(EventType::Size, 0, 640, 480));
    EXPECT_FALSE(p.step());
    EXPECT_EQ(1, p.frames);
    EXPECT_TRUE(p.isActive());
    EXPECT_EQ((std::vector<std::string>{"size 640x480"}), p.calls);
    EXPECT_FLOAT_EQ(1.3333334f, p.getStretch()); // 4:3 client on a 4:3 aspect

    // 50 frames over 1001 ms: fps is measured once more than 1000 ms passed.
    for (int i = 0; i < 49; ++i) {
        clock.advance(20);
        p.step();
    }
    EXPECT_FLOAT_EQ(0.0f, p.getFps()); // 980 ms: not yet
    clock.advance(21);
    p.step();
    EXPECT_NEAR(51 * 1000.0f / 1001.0f, p.getFps(), 0.01f);

    wnd::injectEvent(Event(EventType::Size, 0, 0, 0)); // minimized
    int before = p.frames;
    p.step();
    clock.advance(5000);
    p.step();
    EXPECT_FALSE(p.isActive());
    EXPECT_EQ(before, p.frames);
    EXPECT_NEAR(51 * 1000.0f / 1001.0f, p.getFps(), 0.01f);
    EXPECT_EQ(1u, p.calls.size()); // no onSize for the zero size

    wnd::injectEvent(Event(EventType::Activate, 1)); // restored
    p.step();
    EXPECT_TRUE(p.isActive());
    EXPECT_EQ(before + 1, p.frames);
    // A paint draws a frame of its own.
    wnd::injectEvent(Event(EventType::Paint));
    p.step();
    EXPECT_EQ(before + 3, p.frames);
}

TEST_F(FrameworkTest, MouseStateAndWheel)
{
    Probe p;
    wnd::injectEvent(Event(EventType::ButtonDown, 2, -15, 7)); // captured drag left of the window
    wnd::injectEvent(Event(EventType::ButtonDown, 1, 3, 4));
    p.step();
    EXPECT_EQ(3u, p.getMouseButtons());
    EXPECT_EQ(3, p.getMouseX());
    wnd::injectEvent(Event(EventType::ButtonUp, 2, -40, -2));
    wnd::injectEvent(Event(EventType::MouseMove, 0, -41, -3));
    wnd::injectEvent(Event(EventType::Wheel, -120));
    p.step();
    EXPECT_EQ(1u, p.getMouseButtons());
    EXPECT_EQ(-41, p.getMouseX());
    EXPECT_EQ(-3, p.getMouseY());
    EXPECT_EQ("press 2 -15,7", p.calls[0]);
    EXPECT_EQ("wheel -120", p.calls.back());
}

TEST_F(FrameworkTest, AtMostOneDueTimerFiresEachPass)
{
    sys::ManualClock clock(0xFFFFFF00u); // the clock wraps while timers wait
    Probe p;
    p.setTimer(1, 300);
    p.setTimer(2, 100);
    p.setTimer(3, 100);
    clock.advance(99);
    p.step();
    EXPECT_TRUE(p.fired.empty());
    clock.advance(150);
    p.step();
    p.step();
    ASSERT_EQ(2u, p.fired.size());
    EXPECT_EQ(2u, p.fired[0].first); // list order among due timers
    EXPECT_EQ(249u, p.fired[0].second);
    EXPECT_EQ(3u, p.fired[1].first);
    p.step();
    ASSERT_EQ(2u, p.fired.size()); // timer 1 not yet due
    clock.advance(51);
    p.step();
    ASSERT_EQ(3u, p.fired.size());
    EXPECT_EQ(1u, p.fired[2].first);
    EXPECT_EQ(300u, p.fired[2].second);
}

// The window answers every size the framework asks for with a size event of
// its own, so an aspect correction must be accepted when it comes back:
// otherwise each round truncates again and the window shrinks.
TEST_F(FrameworkTest, WindowSizeSettlesAfterOneCorrectionAndNeverDrifts)
{
    struct Case {
        int desktopWidth, desktopHeight;
        std::vector<std::pair<int, int>> drags; // client sizes the user drags to
    };
    const Case cases[] = {
        {1366, 768, {{900, 600}, {1270, 600}, {1270, 714}, {1085, 611}, {683, 384}, {684, 500}, {330, 100}}},
        {1920, 1080, {{1085, 611}, {1086, 611}, {1000, 800}, {1600, 800}, {1600, 903}}},
        {1280, 1024, {{1024, 768}, {1000, 801}, {640, 512}, {641, 700}}},
        {2560, 1080, {{1366, 768}, {1200, 506}, {900, 380}, {901, 390}}},
        {1080, 1920, {{600, 900}, {700, 1244}, {640, 1000}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.desktopWidth) + "x" + std::to_string(c.desktopHeight));
        Probe p;
        p.createWindowed("sizing", 800, 600);
        p.desktop(c.desktopWidth, c.desktopHeight);
        const double aspect = p.getAspect();
        for (int i = 0; i < 4; ++i)
            p.step(); // the creation's size and its correction
        for (auto [w, h] : c.drags) {
            SCOPED_TRACE("drag to " + std::to_string(w) + "x" + std::to_string(h));
            p.calls.clear();
            p.window()->setClientSize(w, h);
            for (int i = 0; i < 20; ++i)
                p.step();
            // The drag itself and at most one correction reached the game.
            EXPECT_LE(p.calls.size(), 2u);
            const int cw = p.getClientWidth(), ch = p.getClientHeight();
            int ww = 0, wh = 0;
            p.window()->clientSize(ww, wh);
            EXPECT_EQ(ww, cw);
            EXPECT_EQ(wh, ch);
            EXPECT_TRUE(std::fabs(cw - ch * aspect) < 1.01 || std::fabs(ch - cw / aspect) < 1.01)
                << cw << "x" << ch;
            // Sizes already at the aspect are kept exactly.
            if (std::fabs(w - h * aspect) < 1.0 && w >= 320) {
                EXPECT_EQ(w, cw);
                EXPECT_EQ(h, ch);
            }
        }
    }
}

// Full screen waits for the screen's refresh at each swap (interval 1) and
// a window does not (0), however the window got there: made so, or switched
// in place as the console and the editor do. A driver that refuses is named
// in the log once, and the game goes on.
TEST_F(FrameworkTest, FullScreenWaitsForTheRefreshAndARefusalIsLoggedOnce)
{
    std::vector<int> asked;
    wnd::setSwapIntervalRequest([&asked](int interval) {
        asked.push_back(interval);
        return interval == 0; // the driver refuses to wait
    });
    const size_t from = testutil::logText().size();
    {
        Probe p;
        p.createWindowed("swap", 320, 240);
        p.setFullscreen(true, "swap");
        p.setFullscreen(false, "swap");
        p.setFullscreen(true, "swap");
        p.destroyWindow();
        p.createFullscreen("swap", "");
        ASSERT_TRUE(p.window());
        p.step();
        EXPECT_EQ(1, p.frames);
    }
    wnd::setSwapIntervalRequest(nullptr);
    EXPECT_EQ((std::vector<int>{0, 1, 0, 1, 1}), asked);
    EXPECT_EQ(1u, testutil::logCount("Swap interval 1 refused by the graphics driver", from));
}
