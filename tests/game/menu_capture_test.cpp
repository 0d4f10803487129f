// Pictures of every menu page in the real frame, over the scene, with the
// logo and the pointer; the English pages load without a fault.
#include "tests/game/game_fixture.h"

#include "platform/img/image.h"
#include "render/render.h"
#include "tests/common/render_util.h"

using namespace gametest;

namespace {

class MenuCapture : public GameTest {
protected:
    MenuCapture()
    {
        windowWidth = 800;
        windowHeight = 600;
    }
};

// Pixels of the picture brighter than the veiled scene can be: text and
// the pages' panels' edges.
int brightPixels(const img::Image& shot, const UIRect& r)
{
    int count = 0;
    for (int y = std::max(0, static_cast<int>(r.y)); y < std::min(shot.height, static_cast<int>(r.y + r.height)); ++y)
        for (int x = std::max(0, static_cast<int>(r.x)); x < std::min(shot.width, static_cast<int>(r.x + r.width)); ++x) {
            const uint8_t* t = shot.texel(x, y);
            count += t[0] + t[1] + t[2] > 600 ? 1 : 0;
        }
    return count;
}

} // namespace

TEST_F(MenuCapture, EveryPageDrawsOverTheScene)
{
    const size_t logStart = testutil::logText().size();
    ASSERT_TRUE(runUntilSteady(SCREEN_MAIN_MENU));
    EXPECT_FALSE(testutil::logHas("Layout parser error", 0));
    EXPECT_FALSE(testutil::logHas("Protect error.", 0));

    const struct {
        const char* event; // shows the page, as its control would
        UILayout* page;
        const char* file;
    } pages[] = {{"onMainMenu", &game->mainMenuPage, "page_mainmenu.bmp"},
                 {"onNewGameMenu", &game->levelsPage, "page_levels.bmp"},
                 {"onScores", &game->scoresPage, "page_scores.bmp"},
                 {"onInfo", &game->controlsPage, "page_controls.bmp"},
                 {"onOptions", &game->optionsPage, "page_options.bmp"},
                 {"onBonuses", &game->bonusesPage, "page_bonuses.bmp"},
                 {"onBonusNext", &game->bonusesPage, "page_bonuses2.bmp"},
                 {"onBonusNext", &game->bonusesPage, "page_bonuses3.bmp"},
                 {"onBonusNext", &game->aboutPage, "page_about.bmp"}};
    for (const auto& p : pages) {
        SCOPED_TRACE(p.file);
        UIControl named(nullptr);
        named.name = p.event;
        game->onUIEvent(UIE_ACTION, &named);
        ASSERT_EQ(p.page, game->ui.root);
        for (int i = 0; i < 3; ++i)
            frame();
        ASSERT_TRUE(testutil::captureShot(*gRender, 800, 600, p.file, [&] { frame(); }));
        img::Image shot;
        std::string error;
        ASSERT_TRUE(img::loadImage(p.file, shot, &error)) << error;
        EXPECT_GT(brightPixels(shot, p.page->rect), 300);
    }
    EXPECT_EQ(std::string::npos, testutil::logText().find("rror", logStart)) << testutil::logText().substr(logStart);
}
