#pragma once
// The interface's link to the window: it holds the page shown (the root
// control), maps window pixels to the virtual screen and routes the
// framework's pointer, key and character input into the tree.
#include "ui/ui_control.h"

class UIContext {
public:
    UIContext() = default;
    ~UIContext();
    UIContext(const UIContext&) = delete;
    UIContext& operator=(const UIContext&) = delete;

    // Stores the virtual size, the default listener and the pointer sink,
    // clears the root and makes this the live context (gUIContext).
    void init(float virtualWidth, float virtualHeight, UIEvent* defaultListener, UIPointerSink* pointerSink);
    // No live context any more.
    void detach();

    // The window's client size in pixels. A size of 0 (a minimised window)
    // is refused and the old viewport stays.
    void resize(int width, int height);
    // Window pixels to virtual units.
    void toVirtual(float& x, float& y) const;

    // Input in window pixels; nothing happens without a root. The modal
    // control, when there is one, takes it instead of the root.
    void mouseMove(int x, int y);
    void mouseDown(int button, int x, int y);
    void mouseUp(int button, int x, int y);
    bool keyDown(int key);
    void charInput(int ch);

    // Draws the root; withProjection sets the 2D projection over the
    // viewport first.
    void render(bool withProjection);
    void renderControl(UIControl* control, bool withProjection);

    UIControl* root = nullptr; // the page shown; not owned
    UIEvent* defaultListener = nullptr;
    int windowWidth = 0, windowHeight = 0;
    UIRect viewport; // the visible part of the virtual screen
    float virtualWidth = 800.0f, virtualHeight = 600.0f;

private:
    // The control that takes input (the modal control, else a shown root).
    UIControl* target() const;
    // The target and the window point in its coordinates; false without one.
    bool pointerTarget(int x, int y, UIControl*& t, float& lx, float& ly) const;
};

// The live context, or null.
extern UIContext* gUIContext;
