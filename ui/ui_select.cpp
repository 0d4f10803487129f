#include "ui/ui_select.h"

#include "core/text.h"
#include "render/render.h"

#include <algorithm>

UISelect::UISelect(const UIFontStyle& textStyle, UIEvent* eventListener, const YVec4& c, const YVec4& hot,
                   YShader* buttons, float width)
    : UIControl(eventListener), buttonsShader(buttons), color(c), hotColor(hot), textWidth(width)
{
    style = textStyle;
    focusable = true;
    mPointerKind = hasButtons() ? 0 : 2;
    updateGeometry();
}

void UISelect::updateGeometry()
{
    float widest = 0;
    for (const std::string& o : options)
        widest = std::max(widest, style.textWidth(o));
    rect.width = std::max(widest, textWidth);
    rect.height = style.size;
    if (!hasButtons())
        return;
    buttonWidth = style.size * 0.7f;
    rect.width += 2 * buttonWidth;
    // The texture holds the left arrow in its left half, the right arrow in
    // its right half.
    leftButton.set(0, 0, buttonWidth, rect.height, 0, 0, 0.5f, 1);
    rightButton.set(rect.width - buttonWidth, 0, rect.width, rect.height, 0.5f, 0, 1, 1);
}

void UISelect::draw()
{
    if (hasButtons() && isFocused() && gRender) {
        gRender->setShaderColor(buttonsShader, overLeft ? &hotColor.x : &color.x);
        leftButton.draw();
        gRender->setShaderColor(buttonsShader, overRight ? &hotColor.x : &color.x);
        rightButton.draw();
    }
    if (selected >= 0 && selected < static_cast<int>(options.size()))
        drawStyledTextColored(buttonWidth, rect.height, style, isFocused() ? color : style.color,
                              options[static_cast<size_t>(selected)]);
}

bool UISelect::selectNext()
{
    if (options.empty())
        return false;
    const int count = static_cast<int>(options.size());
    selected = selected < 0 ? 0 : (selected + 1) % count;
    fireEvent(UIE_SELECTION);
    return true;
}

bool UISelect::selectPrevious()
{
    if (options.empty())
        return false;
    const int count = static_cast<int>(options.size());
    selected = selected <= 0 || selected > count ? count - 1 : selected - 1;
    fireEvent(UIE_SELECTION);
    return true;
}

bool UISelect::onKeyDown(int key)
{
    switch (key & 0xFF) {
    case 32:
    case 39:
        selectNext();
        return true;
    case 37:
        selectPrevious();
        return true;
    default:
        return false;
    }
}

bool UISelect::onMouseMove(float x, float)
{
    // Hovering focuses the list.
    setFocus();
    clearOver();
    if (hasButtons()) {
        overLeft = x < buttonWidth;
        overRight = x > rect.width - buttonWidth;
    }
    setPointerKind(hoverPointerKind());
    return true;
}

bool UISelect::onMouseDown(int, float, float)
{
    bool changed = false;
    if (!hasButtons())
        changed = selectNext();
    else if (overLeft)
        changed = selectPrevious();
    else if (overRight)
        changed = selectNext();
    if (changed)
        ::setPointerKind(3);
    return true;
}

bool UISelect::onMouseUp(int, float, float)
{
    setPointerKind(hoverPointerKind());
    return true;
}

void UISelect::addOption(const std::string& text) { options.push_back(text); }

void UISelect::clearOptions()
{
    options.clear();
    selected = -1;
}

void UISelect::setSelectedIndex(int index)
{
    selected = std::min(std::max(index, 0), static_cast<int>(options.size()) - 1);
}

void UISelect::selectByText(const std::string& text)
{
    const std::string wanted = toLower(text);
    for (size_t i = 0; i < options.size(); ++i) {
        if (toLower(options[i]) == wanted) {
            selected = static_cast<int>(i);
            return;
        }
    }
    setSelectedIndex(0);
}

std::string UISelect::getSelectedText() const
{
    if (selected < 0 || selected >= static_cast<int>(options.size()))
        return std::string();
    return options[static_cast<size_t>(selected)];
}
