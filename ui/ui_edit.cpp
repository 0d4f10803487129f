#include "ui/ui_edit.h"

#include "core/framework.h"
#include "platform/wnd/window.h"
#include "render/render.h"

#include <algorithm>

UIEdit::UIEdit(const UIFontStyle& textStyle, UIEvent* eventListener, float width, YShader* bg, int maxLen)
    : UIControl(UIRect(0, 0, width, textStyle.size), eventListener), maxLength(maxLen), backgroundShader(bg)
{
    style = textStyle;
    focusable = true;
    updateGeometry();
}

void UIEdit::updateGeometry()
{
    // Wide enough for the text, and for the longest text of wide letters
    // the entry takes, each with the caret.
    const float longest = style.textWidth("W") * static_cast<float>(maxLength) + style.textWidth("|");
    rect.width = std::max({rect.width, style.textWidth(text), longest});
    rect.height = style.size;
    background.set(0, 0, rect.width, rect.height);
}

void UIEdit::draw()
{
    if (backgroundShader && gRender) {
        gRender->setShader(backgroundShader, true);
        background.draw();
    }
    const float width = drawStyledText(0, style.size, style, text);
    if (isFocused() && caretVisible)
        drawStyledText(width, style.size, style, "|");
}

bool UIEdit::acceptsChar(int ch) const { return ch >= 32 && ch <= 255; }

bool UIEdit::onChar(int ch)
{
    if (maxLength != 0 && getLength() >= maxLength)
        return false;
    if (!acceptsChar(ch))
        return false;
    const std::string longer = text + static_cast<char>(ch);
    if (style.textWidth(longer + "|") >= rect.width)
        return false;
    text = longer;
    return true;
}

bool UIEdit::onKeyDown(int key)
{
    switch (key & 0xFF) {
    case 8:
    case 37:
        if (text.empty())
            return false;
        text.pop_back();
        return true;
    case 13:
        fireEvent(UIE_ACTION);
        return true;
    case 27:
        fireEvent(UIE_CANCEL);
        return true;
    case 45:
        if (!YFramework::isKeyDown(16))
            return false;
        paste();
        return true;
    case 86:
        if (!YFramework::isKeyDown(17))
            return false;
        paste();
        return true;
    default:
        return false;
    }
}

void UIEdit::paste()
{
    const std::string clip = wnd::clipboardText();
    for (unsigned char c : clip) {
        if (c == 0)
            break;
        onChar(c);
    }
}

void UIEdit::onUpdate(float dt)
{
    caretTimer += dt;
    if (caretTimer > 0.2f) {
        caretTimer = 0;
        caretVisible = !caretVisible;
    }
}

bool UIEdit::onMouseDown(int button, float, float)
{
    if (!isFocused() || button != 1)
        return false;
    fireEvent(UIE_ACTION);
    return true;
}
