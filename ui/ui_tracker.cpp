#include "ui/ui_tracker.h"

#include "render/render.h"

#include <algorithm>
#include <cmath>

UITracker::UITracker(const UIRect& r, UIEvent* eventListener, YShader* trackS, YShader* knobS, const YVec4& c,
                     const YVec4& focusC, const YVec4& hotC)
    : UIControl(r, eventListener), trackShader(trackS), knobShader(knobS), color(c), focusColor(focusC),
      hotColor(hotC)
{
    focusable = true;
    mPointerKind = 2;
    updateGeometry();
}

void UITracker::updateGeometry()
{
    const float w = rect.width, h = rect.height;
    inset = 0.15f * h;
    // The groove runs over the whole width; the knob, half as wide as the
    // slider is high, is centred on the value's position.
    track.set(0, inset, w, h - inset);
    const float half = h * 0.25f;
    const float at = value * w;
    knob.set(at - half, 0, at + half, h);
}

void UITracker::draw()
{
    if (!gRender)
        return;
    if (trackShader) {
        gRender->setShaderColor(trackShader, isFocused() ? &focusColor.x : &color.x);
        track.draw();
    }
    if (knobShader) {
        gRender->setShaderColor(knobShader, isFocused() ? &hotColor.x : &focusColor.x);
        knob.draw();
    }
}

void UITracker::setValue(float v)
{
    v = std::isnan(v) ? 0.0f : std::clamp(v, 0.0f, 1.0f);
    if (v != value) {
        value = v;
        fireEvent(UIE_ACTION);
    }
    updateGeometry();
}

void UITracker::setValueAt(float x) { setValue(rect.width > 0 ? x / rect.width : 0.0f); }

bool UITracker::onKeyDown(int key)
{
    switch (key & 0xFF) {
    case 37:
    case 45:
        setValue(value - step);
        return true;
    case 39:
    case 43:
        setValue(value + step);
        return true;
    default:
        return false;
    }
}

bool UITracker::onMouseDown(int, float x, float)
{
    setValueAt(x);
    dragging = true;
    return true;
}

bool UITracker::onMouseMove(float x, float)
{
    if (dragging)
        setValueAt(x);
    return true;
}

bool UITracker::onMouseUp(int, float x, float)
{
    if (dragging)
        setValueAt(x);
    dragging = false;
    return true;
}
