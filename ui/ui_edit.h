#pragma once
// A one-line text entry: typed characters are appended while they fit its
// width and its maximum length; Backspace removes the last one, Enter fires
// an action, Escape a cancel, and Shift+Insert or Ctrl+V paste.
#include "ui/ui_control.h"
#include "ui/ui_quad.h"

#include <string>

class YShader;

class UIEdit : public UIControl {
public:
    // maxLength 0: no limit. background: the shader behind the text, or null.
    UIEdit(const UIFontStyle& style, UIEvent* listener, float width, YShader* background, int maxLength);

    void updateGeometry() override;
    void draw() override;
    bool onKeyDown(int key) override;
    bool onChar(int ch) override;
    void onMouseEnter() override { setFocus(); }
    bool onMouseDown(int button, float x, float y) override;
    void onUpdate(float dt) override;

    const std::string& getText() const { return text; }
    void setText(const std::string& newText) { text = newText; }
    int getLength() const { return static_cast<int>(text.size()); }
    // Characters the entry takes: any code from 32 to 255.
    virtual bool acceptsChar(int ch) const;
    // Feeds the clipboard's text to onChar up to its first zero byte, so
    // the usual limits apply.
    void paste();

    int maxLength;
    float caretTimer = 0;
    bool caretVisible = false;
    std::string text;
    UIQuad background;
    YShader* backgroundShader;
};

// A text entry for digits only.
class UIDigitEdit : public UIEdit {
public:
    using UIEdit::UIEdit;
    bool acceptsChar(int ch) const override { return ch >= '0' && ch <= '9'; }
};
