#pragma once

// Virtual-key codes: the program's key language. Letters and digits are
// their upper-case ASCII codes ('A', '0').
namespace vk {
enum : int {
    BACK = 0x08,
    TAB = 0x09,
    RETURN = 0x0D,
    SHIFT = 0x10,
    CONTROL = 0x11,
    MENU = 0x12, // Alt
    PAUSE = 0x13,
    CAPITAL = 0x14,
    ESCAPE = 0x1B,
    SPACE = 0x20,
    PRIOR = 0x21, // Page Up
    NEXT = 0x22,  // Page Down
    END = 0x23,
    HOME = 0x24,
    LEFT = 0x25,
    UP = 0x26,
    RIGHT = 0x27,
    DOWN = 0x28,
    SNAPSHOT = 0x2C,
    INSERT = 0x2D,
    DELETE_KEY = 0x2E,
    NUMPAD0 = 0x60,
    MULTIPLY = 0x6A,
    ADD = 0x6B,
    SUBTRACT = 0x6D,
    DECIMAL = 0x6E,
    DIVIDE = 0x6F,
    F1 = 0x70,
    F5 = 0x74,
    F8 = 0x77,
    F10 = 0x79,
    F12 = 0x7B,
    NUMLOCK = 0x90,
    SCROLL = 0x91,
    OEM_1 = 0xBA,      // ;
    OEM_PLUS = 0xBB,   // =
    OEM_COMMA = 0xBC,  // ,
    OEM_MINUS = 0xBD,  // -
    OEM_PERIOD = 0xBE, // .
    OEM_2 = 0xBF,      // /
    OEM_3 = 0xC0,      // ` (the console key)
    OEM_4 = 0xDB,      // [
    OEM_5 = 0xDC,      // backslash
    OEM_6 = 0xDD,      // ]
    OEM_7 = 0xDE,      // '
};
} // namespace vk
