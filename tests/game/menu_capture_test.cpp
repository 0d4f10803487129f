// Pictures of every menu page in the real frame, over the scene, with the
// logo and the pointer: each page loads without a fault, its pictures' shaders
// are defined, and its text is drawn.
#include "tests/game/game_fixture.h"

#include "platform/img/image.h"
#include "render/shader.h"
#include "tests/common/render_util.h"
#include "ui/ui_image.h"

using namespace gametest;

namespace {

class MenuCapture : public GameTest {
protected:
    MenuCapture() { windowWidth = 800, windowHeight = 600; }
};

// Pixels of the page's rectangle brighter than the veiled scene: text.
int brightPixels(const img::Image& shot, const UIRect& r)
{
    int count = 0;
    for (int y = std::max(0, int(r.y)); y < std::min(shot.height, int(r.y + r.height)); ++y)
        for (int x = std::max(0, int(r.x)); x < std::min(shot.width, int(r.x + r.width)); ++x)
            count += shot.texel(x, y)[0] + shot.texel(x, y)[1] + shot.texel(x, y)[2] > 600 ? 1 : 0;
    return count;
}

// Every shown picture's shaders have a stage: no name the files lack.
void expectDefinedShaders(const UIControl& control)
{
    if (const UIImage* image = dynamic_cast<const UIImage*>(&control); image && image->visible) {
        for (const YShader* s : {image->shader, image->hotShader})
            EXPECT_TRUE(!s || !s->stages.empty()) << control.name;
    }
    for (const UIControl* c : control.getChildren())
        expectDefinedShaders(*c);
}

} // namespace

TEST_F(MenuCapture, EveryPageDrawsOverTheScene)
{
    ASSERT_TRUE(runUntilSteady(SCREEN_MAIN_MENU));
    // The event that shows each page, as its control sends it.
    const struct {
        const char* event;
        UILayout* page;
    } pages[] = {{"onMainMenu", &game->mainMenuPage}, {"onNewGameMenu", &game->levelsPage},
                 {"onScores", &game->scoresPage},    {"onInfo", &game->controlsPage},
                 {"onOptions", &game->optionsPage},  {"onBonuses", &game->bonusesPage},
                 {"onBonusNext", &game->bonusesPage}, {"onBonusNext", &game->bonusesPage},
                 {"onBonusNext", &game->aboutPage}};
    int shot = 0;
    for (const auto& p : pages) {
        const std::string file = "page" + std::to_string(shot++) + "_" + p.event + ".bmp";
        SCOPED_TRACE(file);
        UIControl sender;
        sender.name = p.event;
        game->onUIEvent(UIE_ACTION, &sender);
        ASSERT_EQ(p.page, game->ui.root);
        expectDefinedShaders(*p.page);
        ASSERT_TRUE(testutil::captureShot(*gRender, 800, 600, file, [&] { frame(); }));
        img::Image picture;
        std::string error;
        ASSERT_TRUE(img::loadImage(file, picture, &error)) << error;
        EXPECT_GT(brightPixels(picture, p.page->rect), 300);
    }
    EXPECT_FALSE(testutil::logHas("rror")) << testutil::logText();
}
