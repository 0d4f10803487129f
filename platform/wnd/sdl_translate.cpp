#include "platform/wnd/sdl_translate.h"

#include "platform/wnd/keys.h"
#include "platform/wnd/latin1.h"

namespace wnd {

int virtualKey(SDL_Scancode sc)
{
    if (sc >= SDL_SCANCODE_A && sc <= SDL_SCANCODE_Z)
        return 'A' + (sc - SDL_SCANCODE_A);
    if (sc >= SDL_SCANCODE_1 && sc <= SDL_SCANCODE_9)
        return '1' + (sc - SDL_SCANCODE_1);
    if (sc >= SDL_SCANCODE_F1 && sc <= SDL_SCANCODE_F12)
        return vk::F1 + (sc - SDL_SCANCODE_F1);
    if (sc >= SDL_SCANCODE_KP_1 && sc <= SDL_SCANCODE_KP_9)
        return vk::NUMPAD0 + 1 + (sc - SDL_SCANCODE_KP_1);
    switch (sc) {
    case SDL_SCANCODE_0: return '0';
    case SDL_SCANCODE_KP_0: return vk::NUMPAD0;
    case SDL_SCANCODE_BACKSPACE: return vk::BACK;
    case SDL_SCANCODE_TAB: return vk::TAB;
    case SDL_SCANCODE_RETURN:
    case SDL_SCANCODE_KP_ENTER: return vk::RETURN;
    case SDL_SCANCODE_LSHIFT:
    case SDL_SCANCODE_RSHIFT: return vk::SHIFT;
    case SDL_SCANCODE_LCTRL:
    case SDL_SCANCODE_RCTRL: return vk::CONTROL;
    case SDL_SCANCODE_LALT:
    case SDL_SCANCODE_RALT: return vk::MENU;
    case SDL_SCANCODE_PAUSE: return vk::PAUSE;
    case SDL_SCANCODE_CAPSLOCK: return vk::CAPITAL;
    case SDL_SCANCODE_ESCAPE: return vk::ESCAPE;
    case SDL_SCANCODE_SPACE: return vk::SPACE;
    case SDL_SCANCODE_PAGEUP: return vk::PRIOR;
    case SDL_SCANCODE_PAGEDOWN: return vk::NEXT;
    case SDL_SCANCODE_END: return vk::END;
    case SDL_SCANCODE_HOME: return vk::HOME;
    case SDL_SCANCODE_LEFT: return vk::LEFT;
    case SDL_SCANCODE_UP: return vk::UP;
    case SDL_SCANCODE_RIGHT: return vk::RIGHT;
    case SDL_SCANCODE_DOWN: return vk::DOWN;
    case SDL_SCANCODE_PRINTSCREEN: return vk::SNAPSHOT;
    case SDL_SCANCODE_INSERT: return vk::INSERT;
    case SDL_SCANCODE_DELETE: return vk::DELETE_KEY;
    case SDL_SCANCODE_KP_MULTIPLY: return vk::MULTIPLY;
    case SDL_SCANCODE_KP_PLUS: return vk::ADD;
    case SDL_SCANCODE_KP_MINUS: return vk::SUBTRACT;
    case SDL_SCANCODE_KP_PERIOD: return vk::DECIMAL;
    case SDL_SCANCODE_KP_DIVIDE: return vk::DIVIDE;
    case SDL_SCANCODE_NUMLOCKCLEAR: return vk::NUMLOCK;
    case SDL_SCANCODE_SCROLLLOCK: return vk::SCROLL;
    case SDL_SCANCODE_SEMICOLON: return vk::OEM_1;
    case SDL_SCANCODE_EQUALS: return vk::OEM_PLUS;
    case SDL_SCANCODE_COMMA: return vk::OEM_COMMA;
    case SDL_SCANCODE_MINUS: return vk::OEM_MINUS;
    case SDL_SCANCODE_PERIOD: return vk::OEM_PERIOD;
    case SDL_SCANCODE_SLASH: return vk::OEM_2;
    case SDL_SCANCODE_GRAVE: return vk::OEM_3;
    case SDL_SCANCODE_LEFTBRACKET: return vk::OEM_4;
    case SDL_SCANCODE_BACKSLASH: return vk::OEM_5;
    case SDL_SCANCODE_RIGHTBRACKET: return vk::OEM_6;
    case SDL_SCANCODE_APOSTROPHE: return vk::OEM_7;
    default: return 0;
    }
}

namespace {

// SDL's text input has nothing for these keys: the character a Windows
// keyboard would send with them, or 0.
int controlCharacter(int key, bool ctrl, bool alt)
{
    switch (key) {
    case vk::BACK: return 8;
    case vk::TAB: return 9;
    case vk::RETURN: return 13;
    case vk::ESCAPE: return 27;
    default: break;
    }
    if (ctrl && !alt && key >= 'A' && key <= 'Z')
        return key - 'A' + 1; // Ctrl+A .. Ctrl+Z: 1 .. 26 (Ctrl+V pastes)
    return 0;
}

int button(Uint8 sdlButton)
{
    if (sdlButton == SDL_BUTTON_LEFT)
        return 1;
    if (sdlButton == SDL_BUTTON_RIGHT)
        return 2;
    return 0; // the middle button is not used
}

} // namespace

void EventTranslator::translate(const SDL_Event& e, std::vector<Event>& out)
{
    switch (e.type) {
    case SDL_QUIT:
        out.push_back(Event(EventType::Quit));
        break;
    case SDL_WINDOWEVENT:
        switch (e.window.event) {
        case SDL_WINDOWEVENT_SIZE_CHANGED:
            if (!mMinimized)
                out.push_back(Event(EventType::Size, 0, e.window.data1, e.window.data2));
            break;
        case SDL_WINDOWEVENT_MINIMIZED:
            mMinimized = true;
            out.push_back(Event(EventType::Size, 0, 0, 0));
            out.push_back(Event(EventType::Activate, 0));
            break;
        case SDL_WINDOWEVENT_RESTORED:
        case SDL_WINDOWEVENT_MAXIMIZED:
            if (mMinimized) {
                mMinimized = false;
                out.push_back(Event(EventType::Activate, 1));
            }
            break;
        case SDL_WINDOWEVENT_FOCUS_GAINED:
        case SDL_WINDOWEVENT_FOCUS_LOST:
            // Focus changes keep the minimized state as it is.
            out.push_back(Event(EventType::Activate, mMinimized ? 0 : 1));
            break;
        case SDL_WINDOWEVENT_EXPOSED:
            out.push_back(Event(EventType::Paint));
            break;
        case SDL_WINDOWEVENT_CLOSE:
            out.push_back(Event(EventType::Close));
            break;
        default:
            break;
        }
        break;
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
        int key = virtualKey(e.key.keysym.scancode);
        bool down = e.type == SDL_KEYDOWN;
        if (key == vk::CONTROL)
            mCtrl = down;
        if (key == vk::MENU)
            mAlt = down;
        if (key == 0)
            break;
        out.push_back(Event(down ? EventType::KeyDown : EventType::KeyUp, key));
        if (down) {
            int c = controlCharacter(key, mCtrl, mAlt);
            if (c)
                out.push_back(Event(EventType::Char, c));
        }
        break;
    }
    case SDL_TEXTINPUT: {
        // With Ctrl held the key itself sends the control character.
        if (mCtrl && !mAlt)
            break;
        for (char c : utf8ToLatin1(e.text.text)) {
            unsigned char u = static_cast<unsigned char>(c);
            if (u >= 32 && u != 127)
                out.push_back(Event(EventType::Char, u));
        }
        break;
    }
    case SDL_MOUSEMOTION:
        out.push_back(Event(EventType::MouseMove, 0, e.motion.x, e.motion.y));
        break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
        int b = button(e.button.button);
        if (b)
            out.push_back(Event(e.type == SDL_MOUSEBUTTONDOWN ? EventType::ButtonDown : EventType::ButtonUp, b,
                               e.button.x, e.button.y));
        break;
    }
    case SDL_MOUSEWHEEL: {
        int notches = e.wheel.y;
        if (e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED)
            notches = -notches;
        if (notches)
            out.push_back(Event(EventType::Wheel, notches * 120));
        break;
    }
    default:
        break;
    }
}

} // namespace wnd
