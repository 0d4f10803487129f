#pragma once
// A slider of a value from 0 to 1: dragged with the pointer or stepped by
// 0.1 with the Left and Right keys; each change fires an action.
#include "ui/ui_control.h"
#include "ui/ui_quad.h"

class YShader;

class UITracker : public UIControl {
public:
    UITracker(const UIRect& rect, UIEvent* listener, YShader* trackShader, YShader* knobShader, const YVec4& color,
              const YVec4& focusColor, const YVec4& hotColor);

    void updateGeometry() override;
    void draw() override;
    bool onKeyDown(int key) override;
    void onMouseEnter() override { setFocus(); }
    void onMouseLeave() override { dragging = false; }
    void onFocusLost() override { dragging = false; }
    bool onMouseMove(float x, float y) override;
    bool onMouseDown(int button, float x, float y) override;
    bool onMouseUp(int button, float x, float y) override;

    float getValue() const { return value; }
    // Clamped to 0..1 (a value that is not a number counts as 0); an
    // action fires when it changes.
    void setValue(float v);

    YShader* trackShader;
    YShader* knobShader;
    float value = 0;
    float step = 0.1f;
    float inset = 0;
    YVec4 color, focusColor, hotColor;
    bool dragging = false;
    UIQuad track, knob;

private:
    // The value at x; a slider without width gives 0.
    void setValueAt(float x);
};
