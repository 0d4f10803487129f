// Pictures of the real frame: the hero running round the table behind the
// main menu, holding a ball at the table's edge, and the game in play with
// blocks breaking, falling bonuses and a ball in a glowing mode.
#include "tests/game/game_fixture.h"

#include "render/render.h"
#include "tests/common/render_util.h"
#include "world/ball.h"
#include "world/bonus.h"
#include "world/racket.h"
#include "world/racket_tacked.h"
#include "world/score_popups.h"

#include <cstdlib>

using namespace gametest;

namespace {

class GameCapture : public GameTest {
protected:
    // A wall whose every block holds a bonus, in front of the racket.
    void writeLevels() override
    {
        YLevelFile level;
        level.tableMaterial = "marble";
        level.environment = "nebula";
        level.center = true;
        const int bonuses[] = {1, 21, 15, 19, 20, 9, 23, 2};
        for (int i = 0; i < 8; ++i) {
            for (int z = 0; z < 2; ++z) {
                YLevelItem it;
                it.x = i;
                it.y = -2;
                it.z = z;
                it.material = z ? "glass" : "wood";
                it.glue = 2.0f;
                it.bonus = z ? -1 : bonuses[i];
                level.items.push_back(it);
            }
        }
        ASSERT_TRUE(saveLevelFile("levels/00_bonuses", level));
    }
};

} // namespace

TEST_F(GameCapture, TheHeroRunsInTheMenuAndHoldsABallAtTheEdge)
{
    ASSERT_TRUE(runUntilSteady(SCREEN_MAIN_MENU));
    // The run's phase moves on each time the run clip starts over.
    const float phase = gRacket->menuRunPhase();
    for (int i = 0; i < 60; ++i)
        frame();
    EXPECT_NE(phase, gRacket->menuRunPhase()) << "the hero stands still behind the menu";
    ASSERT_TRUE(testutil::captureShot(*gRender, 320, 240, "menu_run.bmp", [&] { frame(); }));
    // The menu screens draw the scene in a band from 0.15 to 0.85 of the height.
    expectDrawnAllOver("menu_run.bmp", 240 * 15 / 100 + 4, 240 * 85 / 100 - 4);

    startPlay();
    gRacket->moveTo(0.3f);
    for (int i = 0; i < 10; ++i)
        frame();
    ASSERT_NE(nullptr, gRacket->held);
    ASSERT_TRUE(testutil::captureShot(*gRender, 320, 240, "hold.bmp", [&] { frame(); }));
    expectDrawnAllOver("hold.bmp");
}

TEST_F(GameCapture, MidPlayWithFallingBonusesAndAFireBall)
{
    ASSERT_TRUE(runUntilSteady(SCREEN_MAIN_MENU));
    game->setScreen(SCREEN_NEW_GAME);
    ASSERT_TRUE(runUntilSteady(SCREEN_PLAYING));
    gRacket->setBallMode(YBallFireId, -1.0f);

    // Play until bonuses fall, throwing the ball and keeping under it.
    int frames = 0;
    for (; frames < 2000 && gLiveBonuses().size() < 2; ++frames) {
        bot(true);
        frame();
    }
    ASSERT_GE(gLiveBonuses().size(), 2u) << "no bonus fell in " << frames << " frames";

    ASSERT_TRUE(testutil::captureShot(*gRender, 320, 240, "play.bmp", [&] { frame(); }));

    expectDrawnAllOver("play.bmp");
}

namespace {

// A pixel near the colour (each channel within tolerance) inside the box of
// the 800 x 600 screen, in a picture of any size.
bool hasColourIn(const img::Image& shot, float x0, float y0, float x1, float y1, YVec3 colour, int tolerance)
{
    const float sx = shot.width / 800.0f, sy = shot.height / 600.0f;
    for (int y = static_cast<int>(y0 * sy); y < static_cast<int>(y1 * sy); ++y)
        for (int x = static_cast<int>(x0 * sx); x < static_cast<int>(x1 * sx); ++x) {
            const uint8_t* t = shot.texel(x, y);
            if (std::abs(t[0] - colour.x) <= tolerance && std::abs(t[1] - colour.y) <= tolerance &&
                std::abs(t[2] - colour.z) <= tolerance)
                return true;
        }
    return false;
}

// A larger window, so the HUD's small print can be read.
class HudCapture : public GameCapture {
protected:
    HudCapture()
    {
        windowWidth = 640;
        windowHeight = 480;
    }
};

} // namespace

TEST_F(HudCapture, PlayShowsTheHud)
{
    startPlay();
    gRacket->setBallMode(YBallFireId, 75.0f);
    gRacket->glovesTimer = 42.0f;
    gRacket->frostTimer = 9.0f;
    gRacket->score = 12345;
    gRacket->throwAngle = 35.0f;
    gPopups.addPopup("Frost 2500", YVec4(1.0f, 0.9f, 0.5f, 1.0f));
    for (int i = 0; i < 12; ++i)
        frame();

    ASSERT_TRUE(testutil::captureShot(*gRender, 640, 480, "hud.bmp", [&] { frame(); }));
    img::Image shot;
    std::string error;
    ASSERT_TRUE(img::loadImage("hud.bmp", shot, &error)) << error;
    // The score's pale yellow at the top right, the heart's red in the column.
    EXPECT_TRUE(hasColourIn(shot, 600, 0, 800, 50, YVec3(255, 255, 204), 24));
    EXPECT_TRUE(hasColourIn(shot, 730, 300, 790, 500, YVec3(230, 60, 70), 50));
}
