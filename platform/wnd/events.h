#pragma once

// Window events shaped like the messages the framework dispatches.
namespace wnd {

enum class EventType {
    Size,       // x, y: new client size; 0 x 0 when minimized
    Activate,   // code: 1 visible, 0 minimized
    Paint,      // the window needs drawing
    Close,      // the user asked to close the window
    Quit,       // the application is asked to end
    KeyDown,    // code: virtual-key code; repeats while held
    KeyUp,      // code: virtual-key code
    Char,       // code: character 1..255 (Latin-1)
    MouseMove,  // x, y: pointer in client coordinates (signed)
    ButtonDown, // code: 1 left, 2 right; x, y
    ButtonUp,   // code: 1 left, 2 right; x, y
    Wheel,      // code: delta, 120 per notch
};

struct Event {
    EventType type = EventType::Paint;
    int code = 0;
    int x = 0;
    int y = 0;

    Event() = default;
    explicit Event(EventType t, int c = 0, int x_ = 0, int y_ = 0) : type(t), code(c), x(x_), y(y_) {}
};

// Takes the next pending event: injected events first, then the system's.
// False when none is waiting.
bool pollEvent(Event& event);

// Queues an event as if the system had sent it (tests, pointer warps).
void injectEvent(const Event& event);
// Drops every queued injected event.
void clearInjectedEvents();

} // namespace wnd
