#pragma once
// An option list: one of its texts shows; clicks, Space and the Left and
// Right keys step through them (with buttons, a click on the left or right
// button steps back or forward). Each change fires a selection event.
#include "ui/ui_control.h"
#include "ui/ui_quad.h"

#include <string>
#include <vector>

class YShader;

class UISelect : public UIControl {
public:
    // buttonsShader: the shader of the two buttons, or null for none.
    UISelect(const UIFontStyle& style, UIEvent* listener, const YVec4& color, const YVec4& hotColor,
             YShader* buttonsShader, float textWidth);

    void updateGeometry() override;
    void draw() override;
    bool onKeyDown(int key) override;
    void onMouseLeave() override { clearOver(); }
    void onFocusLost() override { clearOver(); }
    bool onMouseMove(float x, float y) override;
    bool onMouseDown(int button, float x, float y) override;
    bool onMouseUp(int button, float x, float y) override;

    void addOption(const std::string& text);
    // Removes every option; nothing is selected then (index -1).
    void clearOptions();
    // -1 when nothing is selected.
    int getSelectedIndex() const { return selected; }
    // The first option equal to the text in any letter case, else the
    // first option (-1 when there are none). Fires nothing.
    void selectByText(const std::string& text);
    // Clamped to the options (-1 when there are none). Fires nothing.
    void setSelectedIndex(int index);
    // The selected option, or "" when nothing is selected.
    std::string getSelectedText() const;

    // Steps forward or back, wrapping; from no selection back to the last.
    // False (nothing fired) without options.
    bool selectNext();
    bool selectPrevious();

    int selected = 0;
    std::vector<std::string> options;
    bool overLeft = false, overRight = false;
    float buttonWidth = 0;
    YShader* buttonsShader;
    YVec4 color, hotColor;
    float textWidth;
    UIQuad leftButton, rightButton;

private:
    void clearOver() { overLeft = overRight = false; }
    bool hasButtons() const { return buttonsShader != nullptr; }
    // Pointer kind 0 over the text of a list with buttons, else 2.
    int hoverPointerKind() const { return hasButtons() && !overLeft && !overRight ? 0 : 2; }
};
