#include "ui/ui_image.h"

#include "render/render.h"
#include "render/resource.h"

UIImage::UIImage(const UIRect& r, UIEvent* eventListener, YShader* normal, YShader* hot)
    : UIControl(r, eventListener), shader(normal), hotShader(hot)
{
    updateGeometry();
}

void UIImage::updateGeometry()
{
    // Texture coordinates stop short of the edges, so filtering never
    // reaches the texels across the border.
    quad.set(0, 0, rect.width, rect.height, 0.01f, 0.01f, 0.99f, 0.99f);
}

void UIImage::draw()
{
    YShader* current = hovered && hotShader ? hotShader : shader;
    if (!gRender || !current)
        return;
    gRender->setShader(current, true);
    if (texture)
        gRender->setTexture(texture, 0);
    quad.draw();
}

void UIImage::setTexture(const std::string& fileName)
{
    texture = getTexture(fileName);
}
