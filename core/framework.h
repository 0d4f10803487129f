#pragma once
#include "platform/wnd/events.h"
#include "platform/wnd/window.h"

#include <cstdint>
#include <list>
#include <memory>
#include <string>

// What the framework needs of the render device. The renderer installs
// itself here when it is created, so the engine core does not depend on it.
class YRenderBinding {
public:
    virtual ~YRenderBinding() = default;
    // Creates the device on the window's context in the wanted mode.
    virtual bool createDevice(wnd::Window& window, bool fullscreen, int width, int height, int bits,
                              int refresh) = 0;
    virtual void releaseDevice() = 0;
    virtual void resizeBackBuffer(int width, int height) = 0;
    virtual bool restoreResources() = 0;
    virtual void invalidateResources() = 0;
    // Begins and ends an empty frame (the base framework's frame).
    virtual void drawEmptyFrame() = 0;
};

// What the framework needs of the sound device, installed the same way.
class YSoundBinding {
public:
    virtual ~YSoundBinding() = default;
    virtual void initSound(wnd::Window& window) = 0;
    virtual void releaseSound() = 0;
    virtual void setSoundActive(bool active) = 0;
};

void setRenderBinding(YRenderBinding* binding);
YRenderBinding* renderBinding();
void setSoundBinding(YSoundBinding* binding);
YSoundBinding* soundBinding();

// Which edge or corner of the window the user drags.
enum class SizingEdge { Left, Right, Top, Bottom, TopLeft, TopRight, BottomLeft, BottomRight };

struct YRect {
    int left = 0, top = 0, right = 0, bottom = 0;
    int width() const { return right - left; }
    int height() const { return bottom - top; }
};

// Keeps the client area of a dragged window rectangle at the ratio aspect:
// an edge moves the other dimension, a corner lets the smaller dimension
// follow the larger. frameWidth, frameHeight: what the frame adds.
YRect applySizing(SizingEdge edge, YRect rect, int frameWidth, int frameHeight, float aspect);

// The base of the game and editor applications: the one window, the event
// loop that draws a frame per pass, the frame-rate count, and the keyboard
// and mouse state the rest of the program reads.
class YFramework {
public:
    YFramework();
    virtual ~YFramework();
    YFramework(const YFramework&) = delete;
    YFramework& operator=(const YFramework&) = delete;

    // Handles one window event (the window procedure).
    virtual void windowProc(const wnd::Event& event);
    virtual void quit();
    virtual bool restoreResources();
    virtual void invalidateResources();
    virtual void onSize(int width, int height);
    // Draws a frame; the result says whether one was drawn.
    virtual bool renderFrame();
    virtual void onIdle();
    virtual void onClose();
    virtual void onMouseMove(int x, int y);
    virtual void onMouseWheel(int delta);
    virtual void onMouseDown(int button, int x, int y);
    virtual void onMouseUp(int button, int x, int y);
    virtual void onKeyDown(int virtualKey);
    virtual void onKeyUp(int virtualKey);
    virtual void onChar(int character);
    virtual void onDeadChar(int character);
    virtual void onTimer(uint32_t id, uint32_t elapsedMs);
    // The window icon as 32-bit ARGB pixels (null: the system's).
    virtual const uint32_t* getIcon(int& width, int& height);
    // The pointer over the window: false hides the system's (the game draws
    // its own), true keeps the system's arrow.
    virtual bool getCursor() const;

    void createWindowed(const char* title, int width, int height);
    void createFullscreen(const char* title, const char* modeText);
    void createWindow(const char* title, int width, int height, int bits, int refresh, bool fullscreen);
    void destroyWindow();
    // The window the settings ask for: full screen in their mode, or
    // windowed at their size (maximized when they say so).
    void createConfiguredWindow(const char* title);
    // Full screen on or off: in place when the window can switch, else the
    // window is made anew. The setting follows.
    void setFullscreen(bool wanted, const char* title);
    // The size of a windowed window that is not maximized goes into the
    // settings, and whether it is maximized.
    void rememberWindowSize(int width, int height);

    void run();
    bool step();
    void setCursorPos(int x, int y);
    static bool isKeyDown(int virtualKey);

    // A timer fires once, delayMs after it is set, through onTimer.
    void setTimer(uint32_t id, uint32_t delayMs);

    wnd::Window* window() const { return mWindow.get(); }
    bool isRunning() const { return running; }
    bool isActive() const { return active; }
    bool isFullscreen() const { return fullscreen; }
    float getFps() const { return fps; }
    int getMouseX() const { return mouseX; }
    int getMouseY() const { return mouseY; }
    uint32_t getMouseButtons() const { return mouseButtons; }
    int getClientWidth() const { return clientWidth; }
    int getClientHeight() const { return clientHeight; }
    float getAspect() const { return aspect; }
    float getStretch() const { return stretch; }

protected:
    struct Timer {
        uint32_t id;
        uint32_t start;
        uint32_t due;
    };

    void dispatchTimers();
    void countFrame();
    // Fits the window to the aspect after the user resized it.
    void keepAspect(int width, int height);
    // A fatal start-up failure: the message (logged unless it is already),
    // then the process ends non-zero.
    [[noreturn]] void fail(const char* text, const char* caption, bool logged = false);

    std::list<Timer> timers;
    bool fullscreen = false;
    bool maximized = false;
    bool active = true;
    bool running = false;
    unsigned char keys[256] = {};
    uint32_t mouseButtons = 0;
    int clientWidth = 0, clientHeight = 0;
    int frameWidth = 0, frameHeight = 0;
    int mouseX = 0, mouseY = 0;
    int pumpDepth = 0;
    int desktopWidth = 0, desktopHeight = 0;
    uint32_t frameCount = 0;
    uint32_t fpsTime = 0;
    float fps = 0.0f;
    float aspect = 1.3333334f;
    float stretch = 1.0f;
    std::unique_ptr<wnd::Window> mWindow;
};

// The live framework.
extern YFramework* gFramework;
