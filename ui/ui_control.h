#pragma once
// The interface's control tree: every menu page is a tree of UIControl
// objects in a virtual 2D screen (800 x 600 in the game, y down). A control
// owns its children, draws itself in its own coordinates, routes the pointer
// to the topmost child under it and keys to the deepest focused child, and
// reports what happened to a UIEvent listener by kind and control.
#include "core/math.h"

#include <string>
#include <vector>

class YFont;
class UIControl;
class UIControlBlock;

// A position relative to the parent, and a size.
struct UIRect {
    float x = 0, y = 0, width = 0, height = 0;
    UIRect() = default;
    UIRect(float x_, float y_, float w, float h) : x(x_), y(y_), width(w), height(h) {}
    void set(float x_, float y_, float w, float h)
    {
        x = x_;
        y = y_;
        width = w;
        height = h;
    }
};

// A text style: font, size (virtual units per line) and colour.
struct UIFontStyle {
    YFont* font = nullptr;
    float size = 16.0f;
    YVec4 color{1, 1, 1, 1};

    // The font "default", size 16, opaque white.
    static UIFontStyle base();
    // Width of the text drawn in this style (0 without a font).
    float textWidth(const std::string& text) const;
};

// What a control reports.
enum UIEventKind {
    UIE_ACTION = 0,        // a click, Enter, a changed slider value
    UIE_FOCUS_GAINED = 1,
    UIE_FOCUS_LOST = 2,
    UIE_SELECTION = 3,     // an option list changed its selection
    UIE_CANCEL = 4,        // Escape in a text entry
};

// Receives the events of controls.
class UIEvent {
public:
    virtual ~UIEvent() = default;
    virtual void onUIEvent(int kind, UIControl* control) = 0;
};

// Receives the pointer shape that the control under the pointer wants.
class UIPointerSink {
public:
    virtual ~UIPointerSink() = default;
    virtual void setPointerKind(int kind) = 0;
};

// Draws text in a style at (x, y), y being the bottom of its line; returns
// the drawn width.
float drawStyledText(float x, float y, const UIFontStyle& style, const std::string& text);
float drawStyledTextColored(float x, float y, const UIFontStyle& style, const YVec4& color, const std::string& text);

// The pointer kind wanted now: passed to the sink when it changes.
void setPointerKind(int kind);
int currentPointerKind();
// The sink the pointer kinds go to (null: none).
void setPointerSink(UIPointerSink* sink);
// The control that takes all input while it is shown, or null.
UIControl* modalControl();
// The last pointer position, in the root's coordinates.
YVec2 lastPointerPosition();

class UIControl {
public:
    explicit UIControl(UIEvent* listener = nullptr);
    UIControl(const UIRect& rect, UIEvent* listener);
    // Deletes every child, then leaves the parent.
    virtual ~UIControl();
    UIControl(const UIControl&) = delete;
    UIControl& operator=(const UIControl&) = delete;

    // Marks the focus path from the child up to the root.
    virtual void onChildFocused(UIControl* child);
    // Pointer input in this control's coordinates; the result says whether
    // a control handled it.
    virtual bool mouseMove(float x, float y);
    virtual bool mouseDown(int button, float x, float y);
    virtual bool mouseUp(int button, float x, float y);
    virtual void mouseLeave();
    // onUpdate, then the visible children.
    virtual void update(float dt);
    // Key input goes to the deepest focused control and bubbles up.
    virtual bool keyDown(int key);
    virtual bool keyUp(int key);
    virtual bool charInput(int ch);
    virtual bool deadChar(int ch);
    // Draws this control and its children, each in its own coordinates.
    virtual void render();
    virtual float getWidth() const { return rect.width; }
    virtual float getHeight() const { return rect.height; }
    virtual float getArea() const { return getWidth() * getHeight(); }
    virtual void autoSize() {}
    virtual void updateGeometryAll();
    virtual void updateGeometry() {}
    virtual void draw() {}
    virtual void addChild(UIControl* child);
    // Takes the child out of the list (it is not deleted); the hover and
    // focus links to it are cleared.
    virtual void removeChild(UIControl* child);
    virtual void setPosition(float x, float y);
    virtual bool onKeyDown(int key);
    virtual bool onKeyUp(int) { return false; }
    virtual bool onChar(int) { return false; }
    virtual bool onDeadChar(int) { return false; }
    virtual void onMouseEnter() {}
    virtual void onMouseLeave() {}
    virtual bool onMouseMove(float, float) { return false; }
    virtual bool onMouseDown(int, float, float) { return false; }
    virtual bool onMouseUp(int, float, float) { return false; }
    virtual void setFocus();
    virtual void killFocus();
    virtual void onFocusLost() {}
    virtual void onUpdate(float) {}
    // The point (in the parent's coordinates) lies on the control, edges
    // included.
    virtual bool hitTest(float x, float y) const;
    virtual void show();
    // Shows the control as the one that takes all input; false while
    // another control is modal.
    virtual bool showModal();
    // Hides the control; it loses the hover and the focus.
    virtual void hide();
    virtual void setEnabled(bool on) { enabled = on; }

    // Sends the event to the listener, else to the context's default
    // listener.
    void fireEvent(int kind);
    UIControl* findChild(const std::string& childName) const;
    // Depth first, in child order.
    UIControl* findDescendant(const std::string& descendantName) const;
    UIControl* getRoot();
    // The deepest control on the hover path; (x, y) made local to it.
    UIControl* findHovered(float& x, float& y);
    UIControl* findFocused();
    bool focusNextSibling(bool forward);
    bool focusNearest(float dx, float dy);
    void deleteChildren();
    // The pointer shape wanted over this control; applied at once when no
    // child is hovered.
    void setPointerKind(int kind);

    UIControl* getParent() const { return mParent; }
    UIControl* getHoveredChild() const { return mHovered; }
    UIControl* getFocusedChild() const { return mFocusedChild; }
    const std::vector<UIControl*>& getChildren() const { return mChildren; }
    bool isFocused() const { return mFocused; }
    int getPointerKind() const { return mPointerKind; }

    UIEvent* listener = nullptr; // not owned; null: the context's default
    std::string name;            // the name the application knows it by
    UIFontStyle style = UIFontStyle::base();
    bool visible = true;
    bool enabled = true;
    bool focusable = false;       // Tab and the arrows may focus it
    bool arrowNavigation = false; // the arrows move the focus among the children
    UIRect rect;

protected:
    int mPointerKind = 0; // constructors set their own default here

private:
    friend class UIControlBlock;
    void detachHost();

    UIControl* mParent = nullptr;
    UIControl* mHovered = nullptr;
    UIControl* mFocusedChild = nullptr;
    std::vector<UIControl*> mChildren;
    bool mFocused = false;
    UIControlBlock* mHost = nullptr; // the layout block that places it
};

// The click of links, menu items and images: when enabled, pointer kind 3
// and an action event. Handled even when disabled.
bool uiClick(UIControl& control);

// The descendant of that name when it is a T, else null.
template <class T>
T* findDescendantAs(const UIControl& parent, const std::string& name)
{
    return dynamic_cast<T*>(parent.findDescendant(name));
}

// The child at that position when there is one and it is a T, else null.
template <class T>
T* childAs(const UIControl& parent, size_t index)
{
    const std::vector<UIControl*>& children = parent.getChildren();
    return index < children.size() ? dynamic_cast<T*>(children[index]) : nullptr;
}
