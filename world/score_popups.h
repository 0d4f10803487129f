#pragma once
#include "core/math.h"

#include <string>
#include <vector>

// A line of text on the HUD (a caught bonus and its score): it slides in
// from the right edge of the 800-unit-wide screen to the centre, holds there
// for 3 s and slides on out to the left, fading in and out.
struct YPopup {
    enum Phase { SLIDING_IN = 0, HOLDING = 1, SLIDING_OUT = 2 };

    std::string text;
    float color[3] = {1.0f, 1.0f, 1.0f};
    float alpha = 1.0f;
    int phase = SLIDING_IN;
    float holdTime = 3.0f;
    float x = 800.0f;      // left edge of the text, screen units
    float targetX = 400.0f; // where the text stands centred
};

// The HUD's popup lines. The world adds and clears them, the frame updates
// them and the HUD draws them.
class YPopupList {
public:
    static constexpr float SCREEN_WIDTH = 800.0f;
    static constexpr float HOLD_TIME = 3.0f;
    // The text is measured in the HUD font at this size.
    static constexpr float TEXT_SIZE = 30.0f;
    static constexpr const char* FONT = "mainfont";

    // Every line still coming in or holding leaves from the centre at once;
    // then the new one (alpha from the colour's fourth component) starts at
    // the right edge.
    void addPopup(const std::string& text, const YVec4& color);
    void clearPopups() { mPopups.clear(); }
    // Moves and fades the lines; those gone past the left are removed (the
    // last line moves into the freed place).
    void updatePopups(float dt);

    const std::vector<YPopup>& popups() const { return mPopups; }
    bool empty() const { return mPopups.empty(); }

private:
    std::vector<YPopup> mPopups;
};

extern YPopupList gPopups;
