#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace wnd {

struct WindowDesc {
    std::string title;
    int width = 800;  // client size
    int height = 600;
    bool fullscreen = false; // full-screen desktop window, picture scaled
    bool maximized = false;
};

// The one top-level window with its OpenGL compatibility context (depth 24,
// stencil 8). The system pointer is hidden over it: the game draws its own.
class Window {
public:
    // Null on failure, with a one-line reason.
    static std::unique_ptr<Window> create(const WindowDesc& desc, std::string* error);
    ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    // Switches between windowed and full screen keeping the GL context.
    // Full screen waits for the screen's refresh at each swap (interval 1)
    // and does not tear; a window swaps at once (interval 0).
    bool setFullscreen(bool fullscreen);
    bool isFullscreen() const { return mFullscreen; }
    bool isMaximized() const;

    void clientSize(int& width, int& height) const;
    void setClientSize(int width, int height);
    void setMinimumClientSize(int width, int height);
    // The size the window frame adds to the client area (0 when unknown).
    void frameSize(int& width, int& height) const;
    void setTitle(const std::string& title);
    // Window icon from 32-bit ARGB pixels, rows top to bottom.
    void setIcon(const uint32_t* argb, int width, int height);

    // Moves the pointer to a client point; a mouse-move event follows.
    void warpPointer(int x, int y);
    // Keeps mouse events coming while a button is held outside the window.
    void captureMouse(bool capture);
    // Current pointer position in client coordinates.
    void pointerPosition(int& x, int& y) const;

    // The GL context of the window: current after create.
    void makeCurrent();
    void swapBuffers();
    // Clears the window to black and shows it (when nothing else draws).
    void presentBlank();
    // Size of the drawable in pixels (may differ from the client size).
    void drawableSize(int& width, int& height) const;

    void* nativeHandle() const { return mWindow; }

private:
    Window() = default;
    void requestSwapInterval();
    void* mWindow = nullptr;  // SDL_Window
    void* mContext = nullptr; // SDL_GLContext
    bool mFullscreen = false;
};

struct DisplayModeInfo {
    int width = 0;
    int height = 0;
    int bits = 0;    // bytes per pixel x 8
    int refresh = 0; // Hz, 0 unknown
};

// Starts the video system once; false (with a reason) when there is none.
bool initVideo(std::string* error = nullptr);
void shutdownVideo();
bool videoStarted();

// Modes of the first display, in the system's order, and the desktop mode.
std::vector<DisplayModeInfo> displayModes();
DisplayModeInfo desktopMode();

// Clipboard text as 8-bit characters (code points above 255 become '?').
std::string clipboardText();
// Puts 8-bit text on the clipboard; false when there is no video system.
bool setClipboardText(const std::string& text);

// Shows or hides the system pointer over the game's windows.
void showSystemCursor(bool show);

// Where the window layer reports what it could not get from the system (a
// refused swap interval, once per run). Without a handler lines go to stderr.
void setLogHandler(std::function<void(const std::string&)> handler);

// How a window asks the GL driver for a swap interval on its current
// context; false when the driver refuses. Tests put their own in to see what
// is asked and to refuse it; an empty function puts the driver's back.
void setSwapIntervalRequest(std::function<bool(int interval)> request);

} // namespace wnd
