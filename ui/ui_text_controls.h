#pragma once
// Controls that show one line of text: a named text the application fills
// in, a link that fires an action when clicked, and a menu entry that
// glows while it has the focus and fires on a click or Enter.
#include "ui/ui_blocks.h"
#include "ui/ui_control.h"

#include <string>

class UINamedText : public UIControl {
public:
    // Width: the text's, at least minWidth; height: the style size.
    UINamedText(float x, float y, const UIFontStyle& style, const std::string& text, float minWidth, UIAlign align);

    void draw() override;
    const std::string& getText() const { return text; }
    // Replaces the text; the control keeps its width.
    void setText(const std::string& newText);

    std::string text;
    UIAlign alignment;
    float textWidth = 0;
};

class UIHotLink : public UIControl {
public:
    UIHotLink(const UIFontStyle& style, UIEvent* listener, const std::string& text, const YVec4& hotColor);

    // The size of the text.
    void autoSize() override;
    void draw() override;
    void onMouseEnter() override { hovered = true; }
    void onMouseLeave() override { hovered = false; }
    bool onMouseDown(int, float, float) override { return uiClick(*this); }

    YVec4 hotColor;
    bool hovered = false;
    std::string text;
};

class UIMenuItem : public UIControl {
public:
    UIMenuItem(const UIFontStyle& style, UIEvent* listener, const UIFontStyle& hotStyle, const std::string& text);

    void autoSize() override;
    void draw() override;
    bool onKeyDown(int key) override;
    void onMouseEnter() override;
    bool onMouseDown(int, float, float) override { return uiClick(*this); }
    // The glow pulses while the entry has the focus (two seconds a cycle).
    void onUpdate(float dt) override;

    YVec4 glowColor;
    UIFontStyle hotStyle;
    std::string text;
    float pulse = 0;
    bool pulseRising = true;
};
