#include "game/hud.h"

#include "game/screen_quad.h"
#include "render/font.h"
#include "render/render.h"
#include "render/shader.h"
#include "world/racket.h"
#include "world/racket_tacked.h"
#include "world/score_popups.h"

#include <algorithm>
#include <cstdio>

YHud gHud;

namespace {

const char* const BALL_MODE_SHADERS[YHud::BALL_MODE_ICONS] = {
    "bonus_ballnormal", "bonus_ballheavy",  "bonus_ballphantom",
    "bonus_ballfire",   "bonus_ballelectro", "bonus_ballgenerative",
};

const float SCORE_SHADOW[4] = {0.2f, 0.2f, 0.3f, 0.5f};
const float SCORE_COLOUR[4] = {1.0f, 1.0f, 0.8f, 1.0f};

// The stacked icons are squares of this side, centred in the column.
constexpr float STACKED_ICON = 40.0f;

} // namespace

YHudState YHudState::of(const YRacket& racket)
{
    YHudState s;
    s.ballMode = racket.ballMode;
    s.ballModeTime = racket.ballModeTimer;
    s.throwAngle = racket.throwAngle;
    s.lives = racket.lives;
    s.glovesTime = racket.glovesTimer;
    s.frostTime = racket.frostTimer;
    s.grenades = racket.held ? racket.held->grenadeCount() : -1;
    s.score = racket.score;
    return s;
}

void YHud::init()
{
    *this = YHud();
    mFont = getFont("mainfont");
}

YShader* YHud::shader(YShader*& cached, const char* name)
{
    if (!cached)
        cached = getShader(name);
    return cached;
}

void YHud::draw()
{
    if (gRacket)
        draw(YHudState::of(*gRacket));
}

void YHud::draw(const YHudState& state)
{
    if (!gRender)
        return;
    const float right = COLUMN_X + COLUMN_WIDTH;

    // The ball mode's icon with the throw-angle pointer over it, turned so
    // that it points where the next throw goes.
    const bool knownMode = state.ballMode >= 0 && state.ballMode < BALL_MODE_ICONS;
    const int mode = knownMode ? state.ballMode : 0;
    gRender->setShader(shader(mBallModes[mode], BALL_MODE_SHADERS[mode]), true);
    drawScreenQuad(COLUMN_X, ICON_TOP, right, ICON_TOP + COLUMN_WIDTH);
    gRender->setShader(shader(mBallAngle, "ball_angle"), true);
    drawScreenQuadTurned(COLUMN_X, ICON_TOP, right, ICON_TOP + COLUMN_WIDTH, state.throwAngle - 90.0f);
    if (mode > 0)
        drawTime(ICON_TOP + COLUMN_WIDTH + SMALL_TEXT + 2.0f, state.ballModeTime);

    // The stack above the icon: only what applies takes a row.
    float top = ICON_TOP;
    auto nextRow = [&]() {
        top -= ROW_HEIGHT;
        return top;
    };
    const float textBelowIcon = STACKED_ICON + SMALL_TEXT + 2.0f;
    float row = nextRow();
    drawStackedIcon(mHeart, "heart", row);
    drawNumber(row + textBelowIcon, state.lives);
    if (state.glovesTime > 0.0f) {
        row = nextRow();
        drawStackedIcon(mHand, "bonus_hand", row);
        drawTime(row + textBelowIcon, state.glovesTime);
    }
    if (state.frostTime > 0.0f) {
        row = nextRow();
        drawStackedIcon(mFrost, "bonus_frost", row);
        drawTime(row + textBelowIcon, state.frostTime);
    }
    if (state.grenades >= 0) {
        row = nextRow();
        drawStackedIcon(mGrenade, "bonus_grenade", row);
        drawNumber(row + textBelowIcon, state.grenades);
    }

    if (!mFont)
        return;
    for (const YPopup& p : gPopups.popups()) {
        if (p.alpha <= 0.0f)
            continue;
        const float colour[4] = {p.color[0], p.color[1], p.color[2], p.alpha};
        mFont->drawText(p.x, 580.0f, POPUP_TEXT, p.text.c_str(), colour);
    }
    if (state.score != 0) {
        char text[16];
        std::snprintf(text, sizeof(text), "%d", state.score);
        const float x = 780.0f - mFont->textWidth(text) * SCORE_TEXT;
        mFont->drawText(x + 2.0f, 42.0f, SCORE_TEXT, text, SCORE_SHADOW);
        mFont->drawText(x, 40.0f, SCORE_TEXT, text, SCORE_COLOUR);
    }
}

void YHud::drawStackedIcon(YShader*& cached, const char* name, float top)
{
    const float x = COLUMN_X + (COLUMN_WIDTH - STACKED_ICON) * 0.5f;
    gRender->setShader(shader(cached, name), true);
    drawScreenQuad(x, top, x + STACKED_ICON, top + STACKED_ICON);
}

void YHud::drawCentred(float y, const std::string& text)
{
    if (!mFont)
        return;
    const float width = mFont->textWidth(text) * SMALL_TEXT;
    mFont->drawText(COLUMN_X + (COLUMN_WIDTH - width) * 0.5f, y, SMALL_TEXT, text.c_str());
}

void YHud::drawTime(float y, float seconds)
{
    // Not a number, or below zero, shows as no time left.
    const int total = seconds > 0.0f ? static_cast<int>(std::min(seconds, 1.0e9f)) : 0;
    char text[32];
    std::snprintf(text, sizeof(text), "%02d:%02d", total / 60, total % 60);
    drawCentred(y, text);
}

void YHud::drawNumber(float y, int n)
{
    char text[16];
    std::snprintf(text, sizeof(text), "%d", n);
    drawCentred(y, text);
}

void YHud::updatePopups(float dt) { gPopups.updatePopups(dt); }
