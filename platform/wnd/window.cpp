#include "platform/wnd/window.h"

#include "platform/wnd/events.h"
#include "platform/wnd/latin1.h"
#include "platform/wnd/session_bus.h"

#include <SDL.h>
#include <SDL_opengl.h>

#include <cstdio>
#include <cstring>

namespace wnd {

namespace {
bool gVideoStarted = false;
std::function<void(const std::string&)> gLogHandler;
std::function<bool(int)> gSwapIntervalRequest;
bool gSwapIntervalRefused = false;

SDL_Window* sdl(void* w) { return static_cast<SDL_Window*>(w); }

void report(const std::string& line)
{
    if (gLogHandler)
        gLogHandler(line);
    else
        std::fprintf(stderr, "wnd: %s\n", line.c_str());
}
} // namespace

void setLogHandler(std::function<void(const std::string&)> handler) { gLogHandler = std::move(handler); }

void setSwapIntervalRequest(std::function<bool(int)> request) { gSwapIntervalRequest = std::move(request); }

bool initVideo(std::string* error)
{
    if (gVideoStarted)
        return true;
    skipUnreachableSessionBus();
    if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
        if (error)
            *error = SDL_GetError();
        return false;
    }
    // With no display server SDL falls back to its offscreen driver, and the
    // game would run in a window nobody can see until it is killed. That
    // driver is for headless runs, which ask for it by name.
    const char* driver = SDL_GetCurrentVideoDriver();
    const char* asked = SDL_GetHint(SDL_HINT_VIDEODRIVER);
    if (driver && std::strcmp(driver, "offscreen") == 0 && !(asked && std::strstr(asked, "offscreen"))) {
        SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS);
        if (error)
            *error = "no display to show a window on: no X or Wayland server could be reached";
        return false;
    }
    // Keep the GL driver loaded for the whole run: SDL would unload it with
    // the last window, and a full-screen switch or window recreation would
    // load it again (the driver also keeps memory that it frees only when
    // the process ends).
    SDL_GL_LoadLibrary(nullptr); // no GL at all: window creation reports it
    SDL_DisableScreenSaver();
    SDL_StartTextInput();
    gVideoStarted = true;
    return true;
}

void shutdownVideo()
{
    if (!gVideoStarted)
        return;
    SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS);
    gVideoStarted = false;
}

bool videoStarted() { return gVideoStarted; }

std::unique_ptr<Window> Window::create(const WindowDesc& desc, std::string* error)
{
    if (!initVideo(error))
        return nullptr;
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 2);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 8);

    Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_RESIZABLE | SDL_WINDOW_HIDDEN;
    if (desc.fullscreen)
        flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
    SDL_Window* window = SDL_CreateWindow(desc.title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                          desc.width, desc.height, flags);
    if (!window) {
        if (error)
            *error = SDL_GetError();
        return nullptr;
    }
    SDL_GLContext context = SDL_GL_CreateContext(window);
    if (!context) {
        if (error)
            *error = SDL_GetError();
        SDL_DestroyWindow(window);
        return nullptr;
    }
    std::unique_ptr<Window> w(new Window());
    w->mWindow = window;
    w->mContext = context;
    w->mFullscreen = desc.fullscreen;
    w->requestSwapInterval();
    SDL_ShowWindow(window);
    if (desc.maximized && !desc.fullscreen)
        SDL_MaximizeWindow(window);
    SDL_RaiseWindow(window);

    // The system sends no size event for a new window: the framework learns
    // its client size from this one.
    int cw = 0, ch = 0;
    SDL_GetWindowSize(window, &cw, &ch);
    injectEvent(Event(EventType::Size, 0, cw, ch));
    return w;
}

Window::~Window()
{
    if (mContext)
        SDL_GL_DeleteContext(static_cast<SDL_GLContext>(mContext));
    if (mWindow)
        SDL_DestroyWindow(sdl(mWindow));
}

bool Window::setFullscreen(bool fullscreen)
{
    if (SDL_SetWindowFullscreen(sdl(mWindow), fullscreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0) != 0)
        return false;
    mFullscreen = fullscreen;
    requestSwapInterval();
    return true;
}

void Window::requestSwapInterval()
{
    const int interval = mFullscreen ? 1 : 0;
    if (gSwapIntervalRequest ? gSwapIntervalRequest(interval) : SDL_GL_SetSwapInterval(interval) == 0)
        return;
    // The game runs on at whatever pace the driver keeps; one line says so.
    if (!gSwapIntervalRefused) {
        gSwapIntervalRefused = true;
        report("Swap interval " + std::to_string(interval) + " refused by the graphics driver: " + SDL_GetError());
    }
}

bool Window::isMaximized() const
{
    return (SDL_GetWindowFlags(sdl(mWindow)) & SDL_WINDOW_MAXIMIZED) != 0;
}

void Window::clientSize(int& width, int& height) const
{
    SDL_GetWindowSize(sdl(mWindow), &width, &height);
}

void Window::setClientSize(int width, int height)
{
    SDL_SetWindowSize(sdl(mWindow), width, height);
}

void Window::setMinimumClientSize(int width, int height)
{
    SDL_SetWindowMinimumSize(sdl(mWindow), width, height);
}

void Window::frameSize(int& width, int& height) const
{
    int top = 0, left = 0, bottom = 0, right = 0;
    if (SDL_GetWindowBordersSize(sdl(mWindow), &top, &left, &bottom, &right) != 0)
        top = left = bottom = right = 0;
    width = left + right;
    height = top + bottom;
}

void Window::setTitle(const std::string& title)
{
    SDL_SetWindowTitle(sdl(mWindow), title.c_str());
}

void Window::setIcon(const uint32_t* argb, int width, int height)
{
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormatFrom(const_cast<uint32_t*>(argb), width, height, 32,
                                                              width * 4, SDL_PIXELFORMAT_ARGB8888);
    if (!surface)
        return;
    SDL_SetWindowIcon(sdl(mWindow), surface);
    SDL_FreeSurface(surface);
}

void Window::warpPointer(int x, int y)
{
    SDL_WarpMouseInWindow(sdl(mWindow), x, y);
    // Not every video driver reports a warp: always send the move.
    injectEvent(Event(EventType::MouseMove, 0, x, y));
}

void Window::captureMouse(bool capture)
{
    SDL_CaptureMouse(capture ? SDL_TRUE : SDL_FALSE);
}

void Window::pointerPosition(int& x, int& y) const
{
    int gx = 0, gy = 0, wx = 0, wy = 0;
    SDL_GetGlobalMouseState(&gx, &gy);
    SDL_GetWindowPosition(sdl(mWindow), &wx, &wy);
    x = gx - wx;
    y = gy - wy;
}

void Window::makeCurrent()
{
    SDL_GL_MakeCurrent(sdl(mWindow), static_cast<SDL_GLContext>(mContext));
}

void Window::swapBuffers()
{
    SDL_GL_SwapWindow(sdl(mWindow));
}

void Window::presentBlank()
{
    int w = 0, h = 0;
    drawableSize(w, h);
    glViewport(0, 0, w, h);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    swapBuffers();
}

void Window::drawableSize(int& width, int& height) const
{
    SDL_GL_GetDrawableSize(sdl(mWindow), &width, &height);
}

static DisplayModeInfo toInfo(const SDL_DisplayMode& m)
{
    DisplayModeInfo info;
    info.width = m.w;
    info.height = m.h;
    info.bits = SDL_BYTESPERPIXEL(m.format) * 8;
    info.refresh = m.refresh_rate;
    return info;
}

std::vector<DisplayModeInfo> displayModes()
{
    std::vector<DisplayModeInfo> modes;
    if (!initVideo())
        return modes;
    int count = SDL_GetNumDisplayModes(0);
    for (int i = 0; i < count; ++i) {
        SDL_DisplayMode m;
        if (SDL_GetDisplayMode(0, i, &m) == 0)
            modes.push_back(toInfo(m));
    }
    return modes;
}

DisplayModeInfo desktopMode()
{
    DisplayModeInfo info;
    SDL_DisplayMode m;
    if (initVideo() && SDL_GetDesktopDisplayMode(0, &m) == 0)
        info = toInfo(m);
    return info;
}

std::string clipboardText()
{
    if (!initVideo() || !SDL_HasClipboardText())
        return std::string();
    char* text = SDL_GetClipboardText();
    std::string out = text ? utf8ToLatin1(text) : std::string();
    SDL_free(text);
    return out;
}

bool setClipboardText(const std::string& text)
{
    return initVideo() && SDL_SetClipboardText(latin1ToUtf8(text).c_str()) == 0;
}

void showSystemCursor(bool show)
{
    if (gVideoStarted)
        SDL_ShowCursor(show ? SDL_ENABLE : SDL_DISABLE);
}

} // namespace wnd
