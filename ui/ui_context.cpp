#include "ui/ui_context.h"

#include "render/render.h"

UIContext* gUIContext = nullptr;

UIContext::~UIContext()
{
    if (gUIContext == this)
        gUIContext = nullptr;
}

void UIContext::init(float width, float height, UIEvent* listener, UIPointerSink* pointerSink)
{
    virtualWidth = width;
    virtualHeight = height;
    defaultListener = listener;
    setPointerSink(pointerSink);
    root = nullptr;
    gUIContext = this;
}

void UIContext::detach()
{
    if (gUIContext == this)
        gUIContext = nullptr;
}

void UIContext::resize(int width, int height)
{
    // A window without area has no aspect: the last viewport stays.
    if (width <= 0 || height <= 0 || virtualWidth <= 0 || virtualHeight <= 0)
        return;
    windowWidth = width;
    windowHeight = height;
    const float a = static_cast<float>(width) / static_cast<float>(height);
    const float v = virtualWidth / virtualHeight;
    if (a <= v)
        viewport.set(0, (virtualHeight - virtualWidth / a) * 0.5f, virtualWidth, virtualWidth / a);
    else
        viewport.set((virtualWidth - a * virtualHeight) * 0.5f, 0, a * virtualHeight, virtualHeight);
}

void UIContext::toVirtual(float& x, float& y) const
{
    if (viewport.width == 0 || windowWidth <= 0 || windowHeight <= 0)
        return;
    x = x / static_cast<float>(windowWidth) * viewport.width + viewport.x;
    y = y / static_cast<float>(windowHeight) * viewport.height + viewport.y;
}

UIControl* UIContext::target() const
{
    UIControl* t = modalControl() ? modalControl() : root;
    // A page that is not shown takes no input.
    return t && t->visible ? t : nullptr;
}

bool UIContext::pointerTarget(int x, int y, UIControl*& t, float& lx, float& ly) const
{
    t = target();
    if (!t)
        return false;
    lx = static_cast<float>(x);
    ly = static_cast<float>(y);
    toVirtual(lx, ly);
    lx -= t->rect.x;
    ly -= t->rect.y;
    return true;
}

void UIContext::mouseMove(int x, int y)
{
    UIControl* t;
    float lx, ly;
    if (pointerTarget(x, y, t, lx, ly))
        t->mouseMove(lx, ly);
}

void UIContext::mouseDown(int button, int x, int y)
{
    UIControl* t;
    float lx, ly;
    if (pointerTarget(x, y, t, lx, ly))
        t->mouseDown(button, lx, ly);
}

void UIContext::mouseUp(int button, int x, int y)
{
    UIControl* t;
    float lx, ly;
    if (pointerTarget(x, y, t, lx, ly))
        t->mouseUp(button, lx, ly);
}

bool UIContext::keyDown(int key)
{
    UIControl* t = target();
    return t ? t->keyDown(key) : false;
}

void UIContext::charInput(int ch)
{
    if (UIControl* t = target())
        t->charInput(ch);
}

void UIContext::render(bool withProjection)
{
    if (root)
        renderControl(root, withProjection);
}

void UIContext::renderControl(UIControl* control, bool withProjection)
{
    if (!control)
        return;
    if (withProjection && gRender)
        gRender->setOrtho2D(viewport.x, viewport.y, viewport.width, viewport.height);
    control->render();
}
