#include "game/splash.h"

#include "game/screen_quad.h"
#include "render/render.h"
#include "render/shader.h"

#include <algorithm>

YSplash gSplash;

namespace {

// Texture coordinates run from 0.001 to 0.999.
constexpr float SPLASH_TEXTURE_INSET = 0.001f;

} // namespace

void YSplash::addScreen(const char* shader, const char* bgShader, float width, float height, const YVec4& bgColor)
{
    YSplashScreen s;
    s.shader = shader ? shader : "";
    s.bgShader = bgShader ? bgShader : "";
    s.width = width;
    s.height = height;
    s.bgColor = bgColor;
    getShader(s.shader);
    getShader(s.bgShader);
    screens.push_back(s);
}

void YSplash::update(float dt)
{
    switch (phase) {
    case FADING_IN:
        timer += dt;
        if (timer > fadeTime) {
            phase = HOLDING;
            timer -= fadeTime;
        }
        break;
    case HOLDING:
        timer += dt;
        if (timer > holdTime) {
            phase = FADING_OUT;
            timer = fadeTime - (timer - holdTime);
        }
        break;
    default:
        timer -= dt;
        if (timer < 0.0f && !over()) {
            phase = FADING_IN;
            timer = -timer;
            current += step;
        }
        break;
    }
}

float YSplash::alpha() const
{
    if (phase == HOLDING)
        return 1.0f;
    return std::clamp(timer / fadeTime, 0.0f, 1.0f);
}

bool YSplash::draw()
{
    // The pictures stay on the device when the sequence is over: their
    // textures are shared by file name, and a menu shader may draw with one.
    if (over())
        return false;
    if (!gRender)
        return true;
    const YSplashScreen& s = screens[current];
    const float a = alpha();
    // Clip space, y down: the background over everything, the picture centred.
    const float whole[2] = {0.0f, 0.0f}, size[2] = {1.0f, 1.0f};
    gRender->setViewport(whole, size);
    gRender->setOrtho2D(-1.0f, -1.0f, 2.0f, 2.0f);
    const YVec4 background = s.bgColor * a;
    gRender->setShaderColor(getShader(s.bgShader), &background.x);
    drawScreenQuad(-1.0f, -1.0f, 1.0f, 1.0f, SPLASH_TEXTURE_INSET);
    const float picture[4] = {a, a, a, 1.0f};
    const float w = s.width / 800.0f, h = s.height / 600.0f;
    gRender->setShaderColor(getShader(s.shader), picture);
    drawScreenQuad(-w, -h, w, h, SPLASH_TEXTURE_INSET);
    return true;
}

void YSplash::skip()
{
    if (phase == FADING_IN) {
        phase = FADING_OUT;
    } else if (phase == HOLDING) {
        phase = FADING_OUT;
        timer = fadeTime;
    }
}

void YSplash::skipAll()
{
    skip();
    // Past the last screen, however many there are.
    step = static_cast<uint32_t>(std::max<size_t>(screens.size(), 1));
}
