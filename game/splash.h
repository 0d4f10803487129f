#pragma once
// The splash sequence at start: pictures that fade in, hold and fade out,
// each over its own background, one after the other. The screens come from
// the "splash" entries of "splash\config.yml".
#include "core/math.h"

#include <cstdint>
#include <string>
#include <vector>

struct YSplashScreen {
    std::string shader;   // the picture
    std::string bgShader; // the background
    float width = 0.0f, height = 0.0f; // in units of the 800 x 600 screen
    YVec4 bgColor;
};

class YSplash {
public:
    enum Phase : int32_t { FADING_IN = 0, HOLDING = 1, FADING_OUT = 2 };

    // Appends a screen. The shaders are asked for at once, so a shader file
    // read later fills them in; drawing looks them up again by name, since
    // the shader registry may have been emptied meanwhile.
    void addScreen(const char* shader, const char* bgShader, float width, float height, const YVec4& bgColor);

    // Advances the running screen's phase, carrying the time left over
    // from one phase into the next.
    void update(float dt);
    // Draws the running screen over the whole viewport. False, drawing
    // nothing, once every screen is over.
    bool draw();
    // The running screen fades out now, from the level it reached.
    void skip();
    // The same, and the sequence ends when that fade-out ends.
    void skipAll();

    bool over() const { return current >= screens.size(); }
    // How much of the running screen shows, 0 .. 1.
    float alpha() const;

    std::vector<YSplashScreen> screens;
    uint32_t current = 0;
    uint32_t step = 1; // added to current after a fade-out
    float fadeTime = 2.0f;
    float holdTime = 3.0f;
    float timer = 0.0f;
    int32_t phase = FADING_IN;
};

extern YSplash gSplash;
