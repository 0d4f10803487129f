// A picture of the game in play: blocks breaking, falling bonuses and a
// ball in a glowing mode, captured from the real frame.
#include "tests/game/game_fixture.h"

#include "platform/img/image.h"
#include "render/render.h"
#include "tests/common/render_util.h"
#include "world/ball.h"
#include "world/bonus.h"
#include "world/racket.h"
#include "world/racket_tacked.h"

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

    img::Image shot;
    std::string error;
    ASSERT_TRUE(img::loadImage("play.bmp", shot, &error)) << error;
    // Something was drawn all over: no large black band left by a broken
    // viewport or an undrawn backdrop.
    int dark = 0;
    for (int y = 0; y < shot.height; y += 8)
        for (int x = 0; x < shot.width; x += 8) {
            const uint8_t* t = shot.texel(x, y);
            if (t[0] + t[1] + t[2] < 6)
                ++dark;
        }
    EXPECT_LT(dark, (shot.width / 8) * (shot.height / 8) / 2);
}
