#include "ui/ui_control.h"

#include "core/framework.h"
#include "render/font.h"
#include "render/render.h"
#include "ui/ui_blocks.h"
#include "ui/ui_context.h"

#include <algorithm>

namespace {

// The toolkit's process-wide state.
struct UIState {
    UIPointerSink* sink = nullptr;
    int pointerKind = 0;
    YVec2 lastPointer;
    UIControl* modal = nullptr;
};

UIState& state()
{
    static UIState s;
    return s;
}

// The world matrix of the control being drawn: each control adds its
// position while it and its children draw.
YMatrix& drawMatrix()
{
    static YMatrix m;
    return m;
}

bool isKey(int key, int code) { return (key & 0xFF) == code; }

bool canTakeInput(const UIControl* c) { return c->visible && c->enabled; }

bool isCandidate(const UIControl* c) { return c->focusable && c->enabled && c->visible; }

// Runs handler on the control and, while it returns false, on each ancestor
// with the point moved into that ancestor's coordinates.
template <typename Handler>
bool bubblePointer(UIControl* c, float x, float y, Handler handler)
{
    bool handled = handler(c, x, y);
    while (!handled && c->getParent()) {
        x += c->rect.x;
        y += c->rect.y;
        c = c->getParent();
        handled = handler(c, x, y);
    }
    return handled;
}

template <typename Handler>
bool bubbleKey(UIControl* c, Handler handler)
{
    bool handled = handler(c);
    while (!handled && c->getParent()) {
        c = c->getParent();
        handled = handler(c);
    }
    return handled;
}

YVec2 centre(const UIControl* c) { return YVec2(c->rect.x + c->rect.width * 0.5f, c->rect.y + c->rect.height * 0.5f); }

} // namespace

// ---------------------------------------------------------------------------
// Styles and process-wide state

UIFontStyle UIFontStyle::base()
{
    UIFontStyle s;
    s.font = getFont("default");
    return s;
}

float UIFontStyle::textWidth(const std::string& text) const
{
    return font ? font->textWidth(text) * size : 0.0f;
}

float drawStyledText(float x, float y, const UIFontStyle& style, const std::string& text)
{
    return drawStyledTextColored(x, y, style, style.color, text);
}

float drawStyledTextColored(float x, float y, const UIFontStyle& style, const YVec4& color, const std::string& text)
{
    if (!style.font)
        return 0.0f;
    return style.font->drawText(x, y, style.size, text.c_str(), &color.x);
}

void setPointerKind(int kind)
{
    UIState& s = state();
    if (kind == s.pointerKind)
        return;
    s.pointerKind = kind;
    if (s.sink)
        s.sink->setPointerKind(kind);
}

int currentPointerKind() { return state().pointerKind; }
void setPointerSink(UIPointerSink* sink) { state().sink = sink; }
UIControl* modalControl() { return state().modal; }
YVec2 lastPointerPosition() { return state().lastPointer; }

bool uiClick(UIControl& control)
{
    if (control.enabled) {
        setPointerKind(3);
        control.fireEvent(UIE_ACTION);
    }
    return true;
}

// ---------------------------------------------------------------------------
// Tree

UIControl::UIControl(UIEvent* eventListener) : listener(eventListener) {}

UIControl::UIControl(const UIRect& r, UIEvent* eventListener) : listener(eventListener), rect(r) {}

UIControl::~UIControl()
{
    deleteChildren();
    if (mParent)
        mParent->removeChild(this);
    detachHost();
    if (state().modal == this)
        state().modal = nullptr;
    if (gUIContext && gUIContext->root == this)
        gUIContext->root = nullptr;
}

void UIControl::detachHost()
{
    if (mHost)
        mHost->control = nullptr;
    mHost = nullptr;
}

void UIControl::addChild(UIControl* child)
{
    if (!child || child == this)
        return;
    // A control has one owner: taking it from another parent first keeps it
    // from being deleted twice.
    if (child->mParent && child->mParent != this)
        child->mParent->removeChild(child);
    mChildren.push_back(child);
    child->mParent = this;
}

void UIControl::removeChild(UIControl* child)
{
    if (!child)
        return;
    if (child->mParent == this)
        child->mParent = nullptr;
    mChildren.erase(std::remove(mChildren.begin(), mChildren.end(), child), mChildren.end());
    if (mHovered == child)
        mHovered = nullptr;
    if (mFocusedChild == child)
        mFocusedChild = nullptr;
}

void UIControl::deleteChildren()
{
    // Detached first: a child's destructor then finds no parent to remove
    // itself from while this list is being walked.
    std::vector<UIControl*> children;
    children.swap(mChildren);
    mHovered = nullptr;
    mFocusedChild = nullptr;
    for (UIControl* c : children)
        c->mParent = nullptr;
    for (UIControl* c : children)
        delete c;
}

void UIControl::setPosition(float x, float y)
{
    rect.x = x;
    rect.y = y;
}

UIControl* UIControl::findChild(const std::string& childName) const
{
    for (UIControl* c : mChildren) {
        if (c->name == childName)
            return c;
    }
    return nullptr;
}

UIControl* UIControl::findDescendant(const std::string& descendantName) const
{
    for (UIControl* c : mChildren) {
        if (c->name == descendantName)
            return c;
        if (UIControl* found = c->findDescendant(descendantName))
            return found;
    }
    return nullptr;
}

UIControl* UIControl::getRoot()
{
    UIControl* c = this;
    while (c->mParent)
        c = c->mParent;
    return c;
}

UIControl* UIControl::findHovered(float& x, float& y)
{
    UIControl* c = this;
    while (c->mHovered) {
        c = c->mHovered;
        x -= c->rect.x;
        y -= c->rect.y;
    }
    return c;
}

UIControl* UIControl::findFocused()
{
    UIControl* c = this;
    while (c->mFocusedChild)
        c = c->mFocusedChild;
    return c;
}

void UIControl::fireEvent(int kind)
{
    UIEvent* target = listener ? listener : (gUIContext ? gUIContext->defaultListener : nullptr);
    if (target)
        target->onUIEvent(kind, this);
}

void UIControl::setPointerKind(int kind)
{
    if (kind == mPointerKind)
        return;
    mPointerKind = kind;
    if (!mHovered)
        ::setPointerKind(kind);
}

bool UIControl::hitTest(float x, float y) const
{
    return x >= rect.x && x <= rect.x + rect.width && y >= rect.y && y <= rect.y + rect.height;
}

// ---------------------------------------------------------------------------
// Pointer

bool UIControl::mouseMove(float x, float y)
{
    if (!mParent)
        state().lastPointer = YVec2(x, y);
    if (mHovered && !(canTakeInput(mHovered) && mHovered->hitTest(x, y))) {
        UIControl* left = mHovered;
        mHovered = nullptr;
        left->mouseLeave();
    }
    if (!mHovered) {
        for (size_t i = 0; i < mChildren.size(); ++i) {
            UIControl* c = mChildren[i];
            if (canTakeInput(c) && c->hitTest(x, y)) {
                mHovered = c;
                c->onMouseEnter();
                break;
            }
        }
    }
    if (mHovered)
        return mHovered->mouseMove(x - mHovered->rect.x, y - mHovered->rect.y);
    ::setPointerKind(mPointerKind);
    return bubblePointer(this, x, y, [](UIControl* c, float px, float py) { return c->onMouseMove(px, py); });
}

bool UIControl::mouseDown(int button, float x, float y)
{
    mouseMove(x, y);
    UIControl* target = findHovered(x, y);
    return bubblePointer(target, x, y,
                         [button](UIControl* c, float px, float py) { return c->onMouseDown(button, px, py); });
}

bool UIControl::mouseUp(int button, float x, float y)
{
    mouseMove(x, y);
    UIControl* target = findHovered(x, y);
    return bubblePointer(target, x, y,
                         [button](UIControl* c, float px, float py) { return c->onMouseUp(button, px, py); });
}

void UIControl::mouseLeave()
{
    if (mHovered) {
        UIControl* left = mHovered;
        mHovered = nullptr;
        left->mouseLeave();
    }
    onMouseLeave();
}

// ---------------------------------------------------------------------------
// Keys

bool UIControl::keyDown(int key)
{
    return bubbleKey(findFocused(), [key](UIControl* c) { return c->onKeyDown(key); });
}

bool UIControl::keyUp(int key)
{
    return bubbleKey(findFocused(), [key](UIControl* c) { return c->onKeyUp(key); });
}

bool UIControl::charInput(int ch)
{
    return bubbleKey(findFocused(), [ch](UIControl* c) { return c->onChar(ch); });
}

bool UIControl::deadChar(int ch)
{
    return bubbleKey(findFocused(), [ch](UIControl* c) { return c->onDeadChar(ch); });
}

bool UIControl::onKeyDown(int key)
{
    if (!mFocused)
        return false;
    if (isKey(key, 9))
        return focusNextSibling(!YFramework::isKeyDown(16));
    if (!arrowNavigation)
        return false;
    if (isKey(key, 37))
        return focusNearest(-1, 0);
    if (isKey(key, 38))
        return focusNearest(0, -1);
    if (isKey(key, 39))
        return focusNearest(1, 0);
    if (isKey(key, 40))
        return focusNearest(0, 1);
    return false;
}

// ---------------------------------------------------------------------------
// Focus

void UIControl::onChildFocused(UIControl* child)
{
    mFocusedChild = child;
    mFocused = true;
    if (mParent)
        mParent->onChildFocused(this);
}

void UIControl::setFocus()
{
    if (mFocused || !visible || !enabled)
        return;
    // Nothing inside a hidden control takes the focus (a page not shown).
    for (const UIControl* p = mParent; p; p = p->mParent) {
        if (!p->visible)
            return;
    }
    for (UIControl* c : mChildren) {
        if (canTakeInput(c)) {
            c->setFocus();
            return;
        }
    }
    getRoot()->killFocus();
    mFocused = true;
    if (mParent)
        mParent->onChildFocused(this);
    fireEvent(UIE_FOCUS_GAINED);
}

void UIControl::killFocus()
{
    if (mFocused) {
        mFocused = false;
        if (mFocusedChild) {
            UIControl* child = mFocusedChild;
            mFocusedChild = nullptr;
            child->killFocus();
        } else {
            fireEvent(UIE_FOCUS_LOST);
        }
    }
    onFocusLost();
}

bool UIControl::focusNextSibling(bool forward)
{
    auto at = std::find(mChildren.begin(), mChildren.end(), mFocusedChild);
    if (mFocusedChild && at != mChildren.end()) {
        size_t i = static_cast<size_t>(at - mChildren.begin());
        if (forward && i + 1 < mChildren.size()) {
            for (size_t j = i + 1; j < mChildren.size(); ++j) {
                if (isCandidate(mChildren[j])) {
                    mChildren[j]->setFocus();
                    return true;
                }
            }
        } else if (!forward && i > 0) {
            for (size_t j = i; j-- > 0;) {
                if (isCandidate(mChildren[j])) {
                    mChildren[j]->setFocus();
                    return true;
                }
            }
        }
    }
    for (UIControl* c : mChildren) {
        if (isCandidate(c)) {
            c->setFocus();
            return true;
        }
    }
    return false;
}

bool UIControl::focusNearest(float dx, float dy)
{
    UIControl* f = mFocusedChild;
    if (!f)
        return focusNextSibling(true);
    const YVec2 from = centre(f);
    const float beyond = (std::abs(dx) * f->rect.width + std::abs(dy) * f->rect.height) * 0.5f;
    UIControl* best = nullptr;
    float bestDistance = 1e7f;
    for (UIControl* c : mChildren) {
        if (c == f || !isCandidate(c))
            continue;
        const YVec2 to = centre(c);
        const float d = (to.x - from.x) * dx + (to.y - from.y) * dy;
        if (d > beyond && d < bestDistance) {
            bestDistance = d;
            best = c;
        }
    }
    if (!best)
        return false;
    best->setFocus();
    return true;
}

// ---------------------------------------------------------------------------
// Visibility, update and drawing

void UIControl::show()
{
    visible = true;
    UIControl* root = getRoot();
    if (root->visible) {
        const YVec2 p = state().lastPointer;
        root->mouseMove(p.x, p.y);
    }
}

bool UIControl::showModal()
{
    UIState& s = state();
    if (s.modal && s.modal != this)
        return false;
    s.modal = this;
    show();
    return true;
}

void UIControl::hide()
{
    mouseLeave();
    if (mParent && mParent->mHovered == this)
        mParent->mHovered = nullptr;
    visible = false;
    mHovered = nullptr;
    if (state().modal == this)
        state().modal = nullptr;
    // A hidden control takes no keys: the focus path ends above it.
    if (mFocused)
        killFocus();
    if (mParent && mParent->mFocusedChild == this)
        mParent->mFocusedChild = nullptr;
    UIControl* root = getRoot();
    if (root->visible) {
        const YVec2 p = state().lastPointer;
        root->mouseMove(p.x, p.y);
    }
}

void UIControl::update(float dt)
{
    onUpdate(dt);
    for (size_t i = 0; i < mChildren.size(); ++i) {
        if (mChildren[i]->visible)
            mChildren[i]->update(dt);
    }
}

void UIControl::updateGeometryAll()
{
    for (UIControl* c : mChildren)
        c->updateGeometry();
    updateGeometry();
}

void UIControl::render()
{
    if (!visible)
        return;
    YMatrix& m = drawMatrix();
    const float x = m.m[12], y = m.m[13];
    m.m[12] = x + rect.x;
    m.m[13] = y + rect.y;
    if (gRender)
        gRender->setWorldMatrix(m.m);
    draw();
    for (size_t i = 0; i < mChildren.size(); ++i)
        mChildren[i]->render();
    m.m[12] = x;
    m.m[13] = y;
    if (gRender)
        gRender->setWorldMatrix(m.m);
}
