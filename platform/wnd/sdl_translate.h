#pragma once
// Turning SDL's events into the window events of events.h. Internal to the
// platform layer; tests feed it hand-made SDL events.
#include "platform/wnd/events.h"

#include <SDL.h>
#include <vector>

namespace wnd {

// The virtual-key code of a key (left and right modifiers folded); 0 for
// keys the game has no code for.
int virtualKey(SDL_Scancode scancode);

class EventTranslator {
public:
    // Appends the window events that one SDL event stands for.
    void translate(const SDL_Event& event, std::vector<Event>& out);

private:
    bool mCtrl = false;
    bool mAlt = false;
    bool mMinimized = false;
};

} // namespace wnd
