#pragma once
// A picture: a shader (and a texture) over the control's rectangle, with
// another shader while the pointer is over it. A click fires an action.
#include "ui/ui_control.h"
#include "ui/ui_quad.h"

#include <string>

class YShader;
class YTexture;

class UIImage : public UIControl {
public:
    UIImage(const UIRect& rect, UIEvent* listener, YShader* shader, YShader* hotShader = nullptr);

    void updateGeometry() override;
    void draw() override;
    void onMouseEnter() override { hovered = true; }
    void onMouseLeave() override { hovered = false; }
    bool onMouseDown(int, float, float) override { return uiClick(*this); }

    // Shows the picture of that file (loaded on first use).
    void setTexture(const std::string& fileName);

    UIQuad quad;
    bool hovered = false;
    YShader* shader;
    YShader* hotShader;
    YTexture* texture = nullptr;
};
