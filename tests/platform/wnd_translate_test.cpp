#include "platform/wnd/keys.h"
#include "platform/wnd/latin1.h"
#include "platform/wnd/sdl_translate.h"

#include <gtest/gtest.h>

#include <cstring>

using wnd::Event;
using wnd::EventType;

namespace {

SDL_Event key(Uint32 type, SDL_Scancode sc, Uint8 repeat = 0)
{
    SDL_Event e;
    std::memset(&e, 0, sizeof(e));
    e.type = type;
    e.key.keysym.scancode = sc;
    e.key.repeat = repeat;
    return e;
}

SDL_Event text(const char* utf8)
{
    SDL_Event e;
    std::memset(&e, 0, sizeof(e));
    e.type = SDL_TEXTINPUT;
    std::strncpy(e.text.text, utf8, sizeof(e.text.text) - 1);
    return e;
}

SDL_Event windowEvent(Uint8 which, int a = 0, int b = 0)
{
    SDL_Event e;
    std::memset(&e, 0, sizeof(e));
    e.type = SDL_WINDOWEVENT;
    e.window.event = which;
    e.window.data1 = a;
    e.window.data2 = b;
    return e;
}

struct Translated {
    wnd::EventTranslator translator;
    std::vector<Event> out;
    std::vector<Event>& operator()(const SDL_Event& e)
    {
        out.clear();
        translator.translate(e, out);
        return out;
    }
};

void expectEvent(const Event& e, EventType type, int code, int x = 0, int y = 0)
{
    EXPECT_EQ(static_cast<int>(type), static_cast<int>(e.type));
    EXPECT_EQ(code, e.code);
    EXPECT_EQ(x, e.x);
    EXPECT_EQ(y, e.y);
}

} // namespace

TEST(WindowEvents, KeysBecomeVirtualKeyCodes)
{
    EXPECT_EQ(vk::OEM_3, wnd::virtualKey(SDL_SCANCODE_GRAVE)); // the console key
    EXPECT_EQ('A', wnd::virtualKey(SDL_SCANCODE_A));
    EXPECT_EQ('Z', wnd::virtualKey(SDL_SCANCODE_Z));
    EXPECT_EQ('0', wnd::virtualKey(SDL_SCANCODE_0));
    EXPECT_EQ('9', wnd::virtualKey(SDL_SCANCODE_9));
    EXPECT_EQ(vk::F10, wnd::virtualKey(SDL_SCANCODE_F10));
    EXPECT_EQ(0x70, wnd::virtualKey(SDL_SCANCODE_F1));
    EXPECT_EQ(0x25, wnd::virtualKey(SDL_SCANCODE_LEFT));
    EXPECT_EQ(0x28, wnd::virtualKey(SDL_SCANCODE_DOWN));
    EXPECT_EQ(0x21, wnd::virtualKey(SDL_SCANCODE_PAGEUP));
    EXPECT_EQ(0x2D, wnd::virtualKey(SDL_SCANCODE_INSERT));
    // Left and right modifiers fold into one code.
    EXPECT_EQ(vk::SHIFT, wnd::virtualKey(SDL_SCANCODE_RSHIFT));
    EXPECT_EQ(vk::CONTROL, wnd::virtualKey(SDL_SCANCODE_LCTRL));
    EXPECT_EQ(vk::MENU, wnd::virtualKey(SDL_SCANCODE_RALT));
    EXPECT_EQ(vk::RETURN, wnd::virtualKey(SDL_SCANCODE_KP_ENTER));
    EXPECT_EQ(0, wnd::virtualKey(SDL_SCANCODE_APPLICATION));
}

TEST(WindowEvents, ControlKeysSendTheirCharacters)
{
    Translated t;
    auto& bs = t(key(SDL_KEYDOWN, SDL_SCANCODE_BACKSPACE));
    ASSERT_EQ(2u, bs.size());
    expectEvent(bs[0], EventType::KeyDown, 8);
    expectEvent(bs[1], EventType::Char, 8);
    // Held keys repeat their key-down and character, like the original.
    auto& rep = t(key(SDL_KEYDOWN, SDL_SCANCODE_RETURN, 1));
    ASSERT_EQ(2u, rep.size());
    expectEvent(rep[1], EventType::Char, 13);
    EXPECT_EQ(2u, t(key(SDL_KEYDOWN, SDL_SCANCODE_ESCAPE)).size());
    EXPECT_EQ(9, t(key(SDL_KEYDOWN, SDL_SCANCODE_TAB))[1].code);
    auto& up = t(key(SDL_KEYUP, SDL_SCANCODE_BACKSPACE));
    ASSERT_EQ(1u, up.size());
    expectEvent(up[0], EventType::KeyUp, 8);

    // Ctrl+V: the key, then character 22; the text event SDL may send for
    // the letter is dropped while Ctrl is held.
    t(key(SDL_KEYDOWN, SDL_SCANCODE_RCTRL));
    auto& paste = t(key(SDL_KEYDOWN, SDL_SCANCODE_V));
    ASSERT_EQ(2u, paste.size());
    expectEvent(paste[0], EventType::KeyDown, 'V');
    expectEvent(paste[1], EventType::Char, 22);
    EXPECT_TRUE(t(text("v")).empty());
    EXPECT_EQ(1, t(key(SDL_KEYDOWN, SDL_SCANCODE_A))[1].code);
    t(key(SDL_KEYUP, SDL_SCANCODE_RCTRL));
    // Without Ctrl a letter key sends no character of its own: text does.
    EXPECT_EQ(1u, t(key(SDL_KEYDOWN, SDL_SCANCODE_V)).size());
    auto& typed = t(text("v"));
    ASSERT_EQ(1u, typed.size());
    expectEvent(typed[0], EventType::Char, 'v');
    // Ctrl+Alt (AltGr on some keyboards) types text normally.
    t(key(SDL_KEYDOWN, SDL_SCANCODE_LCTRL));
    t(key(SDL_KEYDOWN, SDL_SCANCODE_LALT));
    EXPECT_EQ(1u, t(text("@")).size());
    EXPECT_EQ(1u, t(key(SDL_KEYDOWN, SDL_SCANCODE_Q)).size());
}

TEST(WindowEvents, TextBecomesLatin1Characters)
{
    Translated t;
    auto& out = t(text("a\xC3\xA4\xE2\x82\xAC")); // a, a-umlaut, euro sign
    ASSERT_EQ(3u, out.size());
    EXPECT_EQ('a', out[0].code);
    EXPECT_EQ(0xE4, out[1].code);
    EXPECT_EQ('?', out[2].code);
    EXPECT_EQ("?x", wnd::utf8ToLatin1("\xC3x"));  // broken sequence
    EXPECT_EQ("?", wnd::utf8ToLatin1("\xFF"));     // not UTF-8 at all
    EXPECT_EQ("\xFF", wnd::utf8ToLatin1("\xC3\xBF"));
}

TEST(WindowEvents, MouseButtonsWheelAndSignedCoordinates)
{
    Translated t;
    SDL_Event e;
    std::memset(&e, 0, sizeof(e));
    e.type = SDL_MOUSEMOTION;
    e.motion.x = -20; // dragged left of the window while captured
    e.motion.y = -3;
    expectEvent(t(e)[0], EventType::MouseMove, 0, -20, -3);

    std::memset(&e, 0, sizeof(e));
    e.type = SDL_MOUSEBUTTONDOWN;
    e.button.button = SDL_BUTTON_RIGHT;
    e.button.x = 5;
    e.button.y = 6;
    expectEvent(t(e)[0], EventType::ButtonDown, 2, 5, 6);
    e.type = SDL_MOUSEBUTTONUP;
    e.button.button = SDL_BUTTON_LEFT;
    expectEvent(t(e)[0], EventType::ButtonUp, 1, 5, 6);
    e.button.button = SDL_BUTTON_MIDDLE;
    EXPECT_TRUE(t(e).empty());

    std::memset(&e, 0, sizeof(e));
    e.type = SDL_MOUSEWHEEL;
    e.wheel.y = -2;
    expectEvent(t(e)[0], EventType::Wheel, -240);
    e.wheel.direction = SDL_MOUSEWHEEL_FLIPPED;
    expectEvent(t(e)[0], EventType::Wheel, 240);
    e.wheel.y = 0; // a sideways scroll
    EXPECT_TRUE(t(e).empty());
}

TEST(WindowEvents, MinimizeRestoreAndClose)
{
    Translated t;
    auto& size = t(windowEvent(SDL_WINDOWEVENT_SIZE_CHANGED, 640, 480));
    expectEvent(size[0], EventType::Size, 0, 640, 480);
    auto& mini = t(windowEvent(SDL_WINDOWEVENT_MINIMIZED));
    ASSERT_EQ(2u, mini.size());
    expectEvent(mini[0], EventType::Size, 0, 0, 0);
    expectEvent(mini[1], EventType::Activate, 0);
    // Focus changes while minimized keep the window inactive.
    expectEvent(t(windowEvent(SDL_WINDOWEVENT_FOCUS_LOST))[0], EventType::Activate, 0);
    expectEvent(t(windowEvent(SDL_WINDOWEVENT_RESTORED))[0], EventType::Activate, 1);
    EXPECT_TRUE(t(windowEvent(SDL_WINDOWEVENT_RESTORED)).empty());
    expectEvent(t(windowEvent(SDL_WINDOWEVENT_EXPOSED))[0], EventType::Paint, 0);
    expectEvent(t(windowEvent(SDL_WINDOWEVENT_CLOSE))[0], EventType::Close, 0);
    SDL_Event q;
    std::memset(&q, 0, sizeof(q));
    q.type = SDL_QUIT;
    expectEvent(t(q)[0], EventType::Quit, 0);
}
