#include "platform/wnd/events.h"

#include "platform/wnd/sdl_translate.h"
#include "platform/wnd/window.h"

#include <deque>

namespace wnd {

namespace {

struct Queue {
    std::deque<Event> injected;
    std::deque<Event> translated;
    EventTranslator translator;
    std::vector<Event> scratch;
};

Queue& queue()
{
    static Queue q;
    return q;
}

} // namespace

bool pollEvent(Event& event)
{
    Queue& q = queue();
    if (!q.injected.empty()) {
        event = q.injected.front();
        q.injected.pop_front();
        return true;
    }
    while (q.translated.empty()) {
        if (!videoStarted())
            return false;
        SDL_Event e;
        if (!SDL_PollEvent(&e))
            return false;
        q.scratch.clear();
        q.translator.translate(e, q.scratch);
        q.translated.insert(q.translated.end(), q.scratch.begin(), q.scratch.end());
    }
    event = q.translated.front();
    q.translated.pop_front();
    return true;
}

void injectEvent(const Event& event)
{
    queue().injected.push_back(event);
}

void clearInjectedEvents()
{
    queue().injected.clear();
}

} // namespace wnd
