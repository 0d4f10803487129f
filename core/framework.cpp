#include "core/framework.h"

#include "core/display_modes.h"
#include "core/init.h"
#include "core/log.h"
#include "platform/sys/clock.h"
#include "platform/sys/message_box.h"
#include "platform/wnd/keys.h"

#include <cmath>
#include <cstdlib>

YFramework* gFramework = nullptr;

namespace {
YRenderBinding* gRenderBinding = nullptr;
YSoundBinding* gSoundBinding = nullptr;
} // namespace

void setRenderBinding(YRenderBinding* binding) { gRenderBinding = binding; }
YRenderBinding* renderBinding() { return gRenderBinding; }
void setSoundBinding(YSoundBinding* binding) { gSoundBinding = binding; }
YSoundBinding* soundBinding() { return gSoundBinding; }

YRect applySizing(SizingEdge edge, YRect r, int frameWidth, int frameHeight, float aspect)
{
    const float cw = static_cast<float>(r.width() - frameWidth);
    const float ch = static_cast<float>(r.height() - frameHeight);
    auto heightFollows = [&](bool moveTop) {
        if (moveTop)
            r.top = static_cast<int>(r.bottom - cw / aspect - frameHeight);
        else
            r.bottom = static_cast<int>(r.top + frameHeight + cw / aspect);
    };
    auto widthFollows = [&](bool moveLeft) {
        if (moveLeft)
            r.left = static_cast<int>(r.right - ch * aspect - frameWidth);
        else
            r.right = static_cast<int>(r.left + frameWidth + ch * aspect);
    };
    switch (edge) {
    case SizingEdge::Left:
    case SizingEdge::Right:
        heightFollows(false);
        break;
    case SizingEdge::Top:
    case SizingEdge::Bottom:
        widthFollows(false);
        break;
    case SizingEdge::TopLeft:
    case SizingEdge::TopRight:
    case SizingEdge::BottomLeft:
    case SizingEdge::BottomRight: {
        bool top = edge == SizingEdge::TopLeft || edge == SizingEdge::TopRight;
        bool left = edge == SizingEdge::TopLeft || edge == SizingEdge::BottomLeft;
        if (ch * aspect <= cw)
            heightFollows(top);
        else
            widthFollows(left);
        break;
    }
    }
    return r;
}

namespace {

// True when a client size is at the ratio aspect to within one pixel of
// rounding along either dimension (with a little room for float error).
bool fitsAspect(int width, int height, float aspect)
{
    const double slack = 1.01;
    const double a = aspect;
    return std::fabs(width - height * a) < slack || std::fabs(height - width / a) < slack;
}

} // namespace

YFramework::YFramework()
{
    fpsTime = sys::timeGetTime();
    gFramework = this;
    // What the window could not get from the system goes into the log.
    wnd::setLogHandler([](const std::string& line) { YLog::write(line.c_str()); });
}

YFramework::~YFramework()
{
    destroyWindow();
    timers.clear();
    if (gFramework == this) {
        gFramework = nullptr;
        wnd::setLogHandler(nullptr);
    }
}

void YFramework::quit() { running = false; }

bool YFramework::restoreResources()
{
    return gRenderBinding ? gRenderBinding->restoreResources() : true;
}

void YFramework::invalidateResources()
{
    if (gRenderBinding)
        gRenderBinding->invalidateResources();
}

void YFramework::onSize(int, int) {}

bool YFramework::renderFrame()
{
    if (gRenderBinding)
        gRenderBinding->drawEmptyFrame();
    else if (mWindow)
        mWindow->presentBlank();
    return true;
}

void YFramework::onIdle() {}
void YFramework::onClose() { quit(); }
void YFramework::onMouseMove(int, int) {}
void YFramework::onMouseWheel(int) {}
void YFramework::onMouseDown(int, int, int) {}
void YFramework::onMouseUp(int, int, int) {}

void YFramework::onKeyDown(int virtualKey)
{
    if (virtualKey == vk::F10)
        quit();
}

void YFramework::onKeyUp(int) {}
void YFramework::onChar(int) {}
void YFramework::onDeadChar(int) {}
void YFramework::onTimer(uint32_t, uint32_t) {}

const uint32_t* YFramework::getIcon(int& width, int& height)
{
    width = height = 0;
    return nullptr;
}

bool YFramework::getCursor() const
{
    return false;
}

void YFramework::fail(const char* text, const char* caption, bool logged)
{
    if (!logged)
        YLog::writef("%s", text);
    sys::messageBox(text, caption);
    std::exit(1);
}

void YFramework::createWindowed(const char* title, int width, int height)
{
    createWindow(title, width, height, 0, 0, false);
}

void YFramework::createFullscreen(const char* title, const char* modeText)
{
    YDisplayMode mode = YDisplayModeList::parseMode(modeText ? modeText : "");
    createWindow(title, static_cast<int>(mode.width), static_cast<int>(mode.height), static_cast<int>(mode.bits),
                 static_cast<int>(mode.refresh), true);
}

void YFramework::createWindow(const char* title, int width, int height, int bits, int refresh, bool full)
{
    fullscreen = full;
    // A full-screen window covers the desktop and the picture is scaled;
    // a missing or absurd windowed size falls back to 800 x 600.
    if (width <= 0 || height <= 0 || width > 16384 || height > 16384) {
        width = 800;
        height = 600;
    }
    wnd::WindowDesc desc;
    desc.title = title ? title : "";
    desc.width = width;
    desc.height = height;
    desc.fullscreen = full;
    desc.maximized = maximized && !full;
    std::string error;
    mWindow = wnd::Window::create(desc, &error);
    if (!mWindow) {
        YLog::writef("Window creation failed: %s", error.c_str());
        destroyWindow();
        fail("Window Creation Error.", "ERROR");
    }
    int iconW = 0, iconH = 0;
    if (const uint32_t* icon = getIcon(iconW, iconH))
        mWindow->setIcon(icon, iconW, iconH);
    wnd::showSystemCursor(getCursor());
    mWindow->frameSize(frameWidth, frameHeight);

    if (gRenderBinding && !gRenderBinding->createDevice(*mWindow, full, width, height, bits, refresh)) {
        destroyWindow();
        // The renderer has logged the line itself, after its reasons.
        fail("Could not create D3D device.", "ERROR", true);
    }

    wnd::DisplayModeInfo desktop = wnd::desktopMode();
    desktopWidth = desktop.width;
    desktopHeight = desktop.height;
    if (desktopWidth > 0 && desktopHeight > 0)
        aspect = static_cast<float>(desktopWidth) / static_cast<float>(desktopHeight);
    if (!full)
        mWindow->setMinimumClientSize(320, static_cast<int>(320 / aspect));

    if (gSoundBinding)
        gSoundBinding->initSound(*mWindow);

    if (!restoreResources()) {
        destroyWindow();
        fail("Initialization Failed.", "ERROR");
    }
    mWindow->pointerPosition(mouseX, mouseY);
}

void YFramework::destroyWindow()
{
    if (gSoundBinding)
        gSoundBinding->releaseSound();
    if (gRenderBinding)
        gRenderBinding->releaseDevice();
    if (mWindow) {
        mWindow.reset();
        wnd::showSystemCursor(true);
    }
}

void YFramework::createConfiguredWindow(const char* title)
{
    maximized = fullscreen ? false : gInit().maximize;
    if (fullscreen)
        createFullscreen(title, gInit().mode.c_str());
    else
        createWindowed(title, gInit().width, gInit().height);
}

void YFramework::setFullscreen(bool wanted, const char* title)
{
    // The window keeps its GL context when it can switch in place.
    if (mWindow && mWindow->setFullscreen(wanted)) {
        fullscreen = wanted;
    } else {
        destroyWindow();
        fullscreen = wanted;
        createConfiguredWindow(title);
    }
    gInit().fullscreen = fullscreen;
}

void YFramework::rememberWindowSize(int width, int height)
{
    if (fullscreen)
        return;
    gInit().maximize = maximized;
    if (!maximized) {
        gInit().width = width;
        gInit().height = height;
    }
}

void YFramework::keepAspect(int width, int height)
{
    if (fullscreen || maximized || !mWindow)
        return;
    // The window answers a resize with a size event of its own: a size that
    // already fits is kept, so a correction (which truncates to within a
    // pixel) comes back accepted instead of being truncated again.
    if (fitsAspect(width, height, aspect))
        return;
    // The window system reports the result of a drag, not the edge: an
    // edge changed one dimension, a corner both.
    bool widthChanged = width != clientWidth;
    bool heightChanged = height != clientHeight;
    if (!widthChanged && !heightChanged)
        return;
    SizingEdge edge = widthChanged && heightChanged ? SizingEdge::BottomRight
                      : widthChanged                ? SizingEdge::Right
                                                    : SizingEdge::Bottom;
    YRect r;
    r.right = width + frameWidth;
    r.bottom = height + frameHeight;
    YRect fitted = applySizing(edge, r, frameWidth, frameHeight, aspect);
    int fw = fitted.width() - frameWidth, fh = fitted.height() - frameHeight;
    if (fw != width || fh != height)
        mWindow->setClientSize(fw, fh);
}

void YFramework::windowProc(const wnd::Event& e)
{
    using wnd::EventType;
    switch (e.type) {
    case EventType::Size:
        if (e.x > 0 && e.y > 0) {
            keepAspect(e.x, e.y);
            clientWidth = e.x;
            clientHeight = e.y;
            active = true;
            stretch = (static_cast<float>(clientWidth) / static_cast<float>(clientHeight)) / aspect * 1.3333334f;
            maximized = mWindow && mWindow->isMaximized();
            if (gRenderBinding)
                gRenderBinding->resizeBackBuffer(clientWidth, clientHeight);
            onSize(clientWidth, clientHeight);
        } else {
            active = false;
        }
        break;
    case EventType::Activate:
        active = e.code != 0;
        if (gSoundBinding)
            gSoundBinding->setSoundActive(active);
        break;
    case EventType::Paint:
        countFrame();
        break;
    case EventType::Close:
        onClose();
        break;
    case EventType::Quit:
        running = false;
        break;
    case EventType::KeyDown:
        keys[e.code & 0xFF] = 1;
        onKeyDown(e.code);
        break;
    case EventType::KeyUp:
        keys[e.code & 0xFF] = 0;
        onKeyUp(e.code);
        break;
    case EventType::Char:
        onChar(e.code);
        break;
    case EventType::MouseMove:
        mouseX = e.x;
        mouseY = e.y;
        onMouseMove(e.x, e.y);
        break;
    case EventType::ButtonDown:
        if (mWindow)
            mWindow->captureMouse(true);
        mouseX = e.x;
        mouseY = e.y;
        mouseButtons |= e.code == 1 ? 1u : 2u;
        onMouseDown(e.code, e.x, e.y);
        break;
    case EventType::ButtonUp:
        if (mWindow)
            mWindow->captureMouse(false);
        mouseX = e.x;
        mouseY = e.y;
        mouseButtons &= ~(e.code == 1 ? 1u : 2u);
        onMouseUp(e.code, e.x, e.y);
        break;
    case EventType::Wheel:
        onMouseWheel(e.code);
        break;
    }
}

void YFramework::run()
{
    running = true;
    while (step()) {
    }
}

bool YFramework::step()
{
    ++pumpDepth;
    // Every pending event is handled before the frame, so input never lags
    // behind the picture.
    wnd::Event e;
    bool any = false;
    while (wnd::pollEvent(e)) {
        any = true;
        if (e.type == wnd::EventType::Quit) {
            running = false;
            --pumpDepth;
            return false;
        }
        windowProc(e);
    }
    if (!any)
        onIdle();
    dispatchTimers();
    countFrame();
    --pumpDepth;
    return running;
}

void YFramework::setTimer(uint32_t id, uint32_t delayMs)
{
    uint32_t now = sys::timeGetTime();
    timers.push_back(Timer{id, now, now + delayMs});
}

void YFramework::dispatchTimers()
{
    uint32_t now = sys::timeGetTime();
    for (auto it = timers.begin(); it != timers.end(); ++it) {
        // Wrapping clock: the timer is due when now is not before due.
        if (static_cast<int32_t>(now - it->due) >= 0) {
            Timer t = *it;
            timers.erase(it);
            onTimer(t.id, now - t.start);
            return; // at most one timer per pass
        }
    }
}

void YFramework::countFrame()
{
    if (!active || !renderFrame())
        return;
    ++frameCount;
    uint32_t now = sys::timeGetTime();
    uint32_t elapsed = now - fpsTime;
    if (elapsed > 1000) {
        fps = static_cast<float>(frameCount) * 1000.0f / static_cast<float>(elapsed);
        fpsTime = now;
        frameCount = 0;
    }
}

void YFramework::setCursorPos(int x, int y)
{
    mouseX = x;
    mouseY = y;
    if (mWindow)
        mWindow->warpPointer(x, y);
}

bool YFramework::isKeyDown(int virtualKey)
{
    return gFramework && gFramework->keys[virtualKey & 0xFF] != 0;
}
