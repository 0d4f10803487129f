#include "world/score_popups.h"

#include "render/font.h"

YPopupList gPopups;

void YPopupList::addPopup(const std::string& text, const YVec4& color)
{
    for (YPopup& p : mPopups) {
        if (p.phase == YPopup::SLIDING_IN || p.phase == YPopup::HOLDING) {
            p.phase = YPopup::SLIDING_OUT;
            p.x = p.targetX;
        }
    }
    YPopup p;
    p.text = text;
    p.color[0] = color.x;
    p.color[1] = color.y;
    p.color[2] = color.z;
    p.alpha = color.w;
    p.holdTime = HOLD_TIME;
    p.x = SCREEN_WIDTH;
    // Without the HUD font (tools, tests) the text counts as no width.
    const YFont* font = findFont(FONT);
    const float width = font ? font->textWidth(text) * TEXT_SIZE : 0.0f;
    p.targetX = (SCREEN_WIDTH - width) * 0.5f;
    mPopups.push_back(p);
}

void YPopupList::updatePopups(float dt)
{
    const float step = SCREEN_WIDTH * dt;
    size_t i = 0;
    while (i < mPopups.size()) {
        YPopup& p = mPopups[i];
        p.alpha = 1.0f;
        // The phases run on within one update: the frame that arrives starts
        // the hold, the frame that ends the hold starts sliding out.
        if (p.phase == YPopup::SLIDING_IN) {
            p.x -= step;
            if (p.x > p.targetX) {
                p.alpha = 1.0f - (p.x - p.targetX) / (SCREEN_WIDTH - p.targetX);
            } else {
                p.x = p.targetX;
                p.phase = YPopup::HOLDING;
            }
        }
        if (p.phase == YPopup::HOLDING) {
            p.holdTime -= dt;
            if (p.holdTime <= 0.0f)
                p.phase = YPopup::SLIDING_OUT;
        }
        if (p.phase == YPopup::SLIDING_OUT) {
            p.x -= step;
            const float limit = 2.0f * p.targetX - SCREEN_WIDTH;
            if (p.x <= limit) {
                mPopups[i] = mPopups.back();
                mPopups.pop_back();
                continue; // the moved line is examined next
            }
            p.alpha = 1.0f - (p.targetX - p.x) / (p.targetX - limit);
        }
        ++i;
    }
}
