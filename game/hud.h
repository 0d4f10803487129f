#pragma once
#include <string>

class YFont;
class YRacket;
class YShader;

// What the HUD shows of the play state.
struct YHudState {
    int ballMode = 0;           // 0 normal ... 5 generative; others show as normal
    float ballModeTime = 0.0f;  // seconds left of the ball mode
    float throwAngle = 15.0f;   // degrees, 0..55
    int lives = 0;
    float glovesTime = 0.0f;    // seconds left of the gloves; shown while > 0
    float frostTime = 0.0f;     // seconds left of the frost; shown while > 0
    int grenades = -1;          // grenades in the held launcher; -1: none held
    int score = 0;

    static YHudState of(const YRacket& racket);
};

// The play screen's overlay in the 800 x 600 screen: on the right a column
// 60 units wide from x 730 with the ball-mode icon and the throw-angle
// pointer at its foot and, stacked upwards above it, the ball mode's time,
// the lives, the gloves' and the frost's times and the grenades; the score
// popups across the bottom; the score at the top right.
class YHud {
public:
    static constexpr float COLUMN_X = 730.0f;
    static constexpr float COLUMN_WIDTH = 60.0f;
    static constexpr float ICON_TOP = 500.0f;
    static constexpr float SMALL_TEXT = 18.0f;
    static constexpr float POPUP_TEXT = 30.0f;
    static constexpr float SCORE_TEXT = 35.0f;
    // Height of one stacked element (an icon and its text) above the icon.
    static constexpr float ROW_HEIGHT = 66.0f;
    static constexpr int BALL_MODE_ICONS = 6;

    // Takes the font "mainfont" and forgets the shaders of an earlier run,
    // so they are looked up again by name on first use.
    void init();
    // The HUD of the racket gRacket (nothing without one).
    void draw();
    void draw(const YHudState& state);
    // "%02d:%02d" of the minutes and seconds (a negative time shows 00:00),
    // centred in the column with the bottom of its line at y.
    void drawTime(float y, float seconds);
    // "%d" of n, centred in the column the same way.
    void drawNumber(float y, int n);
    // Moves the popup lines (gPopups) on.
    void updatePopups(float dt);

private:
    YShader* shader(YShader*& cached, const char* name);
    // One icon of the stacked column: its shader set, a 40-unit square
    // centred in the column from y.
    void drawStackedIcon(YShader*& cached, const char* name, float top);
    void drawCentred(float y, const std::string& text);

    YFont* mFont = nullptr;
    YShader* mBallModes[BALL_MODE_ICONS] = {};
    YShader* mBallAngle = nullptr;
    YShader* mHeart = nullptr;
    YShader* mHand = nullptr;
    YShader* mFrost = nullptr;
    YShader* mGrenade = nullptr;
};

extern YHud gHud;
