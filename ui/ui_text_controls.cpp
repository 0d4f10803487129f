#include "ui/ui_text_controls.h"

#include <algorithm>

// ---------------------------------------------------------------------------
// UINamedText

UINamedText::UINamedText(float x, float y, const UIFontStyle& textStyle, const std::string& t, float minWidth,
                         UIAlign align)
    : text(t), alignment(align)
{
    style = textStyle;
    textWidth = style.textWidth(text);
    rect.set(x, y, std::max(textWidth, minWidth), style.size);
}

void UINamedText::setText(const std::string& newText)
{
    text = newText;
    textWidth = style.textWidth(text);
}

void UINamedText::draw()
{
    float x = 0;
    if (alignment == UIA_RIGHT)
        x = rect.width - textWidth;
    else if (alignment == UIA_CENTER)
        x = (rect.width - textWidth) * 0.5f;
    drawStyledText(x, style.size, style, text);
}

// ---------------------------------------------------------------------------
// UIHotLink

UIHotLink::UIHotLink(const UIFontStyle& textStyle, UIEvent* eventListener, const std::string& t, const YVec4& hot)
    : UIControl(eventListener), hotColor(hot), text(t)
{
    style = textStyle;
    autoSize();
}

void UIHotLink::autoSize()
{
    rect.height = style.size;
    rect.width = style.textWidth(text);
}

void UIHotLink::draw()
{
    static const YVec4 grey(0.5f, 0.5f, 0.5f, 1.0f);
    const YVec4& c = !enabled ? grey : (hovered ? hotColor : style.color);
    drawStyledTextColored(0, style.size, style, c, text);
}

// ---------------------------------------------------------------------------
// UIMenuItem

UIMenuItem::UIMenuItem(const UIFontStyle& textStyle, UIEvent* eventListener, const UIFontStyle& hot,
                       const std::string& t)
    : UIControl(eventListener), hotStyle(hot), text(t)
{
    style = textStyle;
    glowColor = YVec4(style.color.x, style.color.y, style.color.z, 0.2333333f);
    focusable = true;
    mPointerKind = 2;
    autoSize();
}

void UIMenuItem::autoSize()
{
    rect.height = style.size;
    rect.width = style.textWidth(text);
}

void UIMenuItem::onMouseEnter()
{
    if (!isFocused())
        setFocus();
}

bool UIMenuItem::onKeyDown(int key)
{
    if ((key & 0xFF) != 13)
        return false;
    fireEvent(UIE_ACTION);
    return true;
}

void UIMenuItem::onUpdate(float dt)
{
    if (!isFocused())
        return;
    if (pulseRising) {
        pulse += dt;
        if (pulse >= 1.0f) {
            pulse = 1.0f;
            pulseRising = false;
        }
    } else {
        pulse -= dt;
        if (pulse <= 0.0f) {
            pulse = 0.0f;
            pulseRising = true;
        }
    }
}

void UIMenuItem::draw()
{
    const float size = style.size;
    drawStyledText(0, size, style, text);
    const float d = size * 0.03f;
    drawStyledTextColored(d, size + d, style, glowColor, text);
    if (!isFocused())
        return;
    const YVec4 glow = hotStyle.color * (pulse * 0.5f + 0.499f);
    const float r = (1.0f + pulse) * 0.025f * size;
    drawStyledTextColored(0, size - r, hotStyle, glow, text);
    drawStyledTextColored(0.87f * r, size + 0.5f * r, hotStyle, glow, text);
    drawStyledTextColored(-0.87f * r, size + 0.5f * r, hotStyle, glow, text);
}
