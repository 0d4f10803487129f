// The HUD's popup lines: sliding in, holding, sliding out, and what a new
// line does to the ones on screen.
#include "render/font.h"
#include "world/score_popups.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class PopupsTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        popups.clearPopups();
        clearFonts();
    }

    // A HUD font whose 'w' is one third of the text size wide: twenty of
    // them measure 200 at size 30, so the text stands at 300.
    static void makeFont()
    {
        YFont* font = getFont("mainfont");
        font->widths[static_cast<unsigned char>('w')] = 1.0f / 3.0f;
    }

    YPopupList popups;
};

TEST_F(PopupsTest, ALineSlidesInHoldsThreeSecondsAndSlidesOut)
{
    makeFont();
    popups.addPopup(std::string(20, 'w'), YVec4(1, 0.5f, 0, 0.25f));
    ASSERT_EQ(1u, popups.popups().size());
    const YPopup& p = popups.popups()[0];
    EXPECT_NEAR(300.0f, p.targetX, 1e-3f);
    EXPECT_FLOAT_EQ(800.0f, p.x);
    EXPECT_FLOAT_EQ(0.25f, p.alpha);
    EXPECT_FLOAT_EQ(0.5f, p.color[1]);

    // 500 units at 80 a frame: the seventh frame arrives.
    int frame = 0;
    float lastAlpha = -1.0f;
    while (popups.popups()[0].phase == YPopup::SLIDING_IN) {
        popups.updatePopups(0.1f);
        ++frame;
        ASSERT_LE(frame, 10);
        if (popups.popups()[0].phase == YPopup::SLIDING_IN) {
            EXPECT_GT(popups.popups()[0].alpha, lastAlpha) << "fading in";
            lastAlpha = popups.popups()[0].alpha;
        }
    }
    EXPECT_EQ(7, frame);
    EXPECT_NEAR(300.0f, popups.popups()[0].x, 1e-3f);
    EXPECT_FLOAT_EQ(1.0f, popups.popups()[0].alpha);

    // Three seconds of frames, the arriving one included.
    const int arrived = frame;
    while (popups.popups()[0].phase == YPopup::HOLDING) {
        popups.updatePopups(0.1f);
        ++frame;
        ASSERT_LE(frame, 60);
        if (popups.popups()[0].phase == YPopup::HOLDING) {
            EXPECT_NEAR(300.0f, popups.popups()[0].x, 1e-3f);
        }
    }
    EXPECT_GE(frame - arrived, 29);
    EXPECT_LE(frame - arrived, 30);

    // Out to the mirror of where it came in: 500 more units, fading out.
    const int left = frame;
    lastAlpha = 2.0f;
    while (!popups.empty()) {
        EXPECT_LT(popups.popups()[0].alpha, lastAlpha);
        lastAlpha = popups.popups()[0].alpha;
        popups.updatePopups(0.1f);
        ++frame;
        ASSERT_LE(frame, 80);
    }
    EXPECT_EQ(6, frame - left) << "the frame that ended the hold moved it too";
}

TEST_F(PopupsTest, ANewLineSendsTheOthersOffFromTheCentre)
{
    makeFont();
    popups.addPopup("first", YVec4(1, 1, 1, 1));
    popups.updatePopups(0.1f);
    popups.addPopup("wwwwwwwwwwwwwwwwwwww", YVec4(0, 1, 0, 1));
    ASSERT_EQ(2u, popups.popups().size());
    const YPopup& first = popups.popups()[0];
    EXPECT_EQ(YPopup::SLIDING_OUT, first.phase);
    EXPECT_FLOAT_EQ(first.targetX, first.x) << "jumps to the centre and leaves from there";
    EXPECT_EQ(YPopup::SLIDING_IN, popups.popups()[1].phase);

    // A third line: the second goes too, the first keeps going.
    popups.addPopup("third", YVec4(0, 0, 1, 1));
    EXPECT_EQ(YPopup::SLIDING_OUT, popups.popups()[1].phase);
    EXPECT_NEAR(300.0f, popups.popups()[1].x, 1e-3f);

    // Lines that leave are removed whatever their order; the last stays.
    for (int i = 0; i < 8; ++i)
        popups.updatePopups(0.1f);
    ASSERT_EQ(1u, popups.popups().size());
    EXPECT_EQ("third", popups.popups()[0].text);
    popups.clearPopups();
    EXPECT_TRUE(popups.empty());
}

} // namespace
