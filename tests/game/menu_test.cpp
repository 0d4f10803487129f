// The menu pages of the real game: clicks on a shown page, the level and
// bonus pages' paging, the high-score name entry, the options, and a new
// interface language read again between two frames.
#include "tests/game/game_fixture.h"

#include "core/display_modes.h"
#include "core/init.h"
#include "platform/wnd/keys.h"
#include "render/shader.h"
#include "ui/ui_edit.h"
#include "ui/ui_image.h"
#include "ui/ui_select.h"
#include "ui/ui_text_controls.h"
#include "ui/ui_tracker.h"

using namespace gametest;
using wnd::EventType;

namespace {

class Menus : public GameTest {
protected:
    void type(const std::string& text)
    {
        for (char c : text)
            send(EventType::Char, static_cast<unsigned char>(c));
    }
    // The control's action, as its click or Enter sends it.
    void act(UILayout& page, const char* name)
    {
        UIControl* c = page.findDescendant(name);
        ASSERT_NE(nullptr, c) << name;
        c->fireEvent(UIE_ACTION);
    }
    // An action from a control of that name that no page holds.
    void actNamed(const std::string& name)
    {
        UIControl c;
        c.name = name;
        game->onUIEvent(UIE_ACTION, &c);
    }
    UIControl* child(UILayout& page, size_t i) { return page.getChildren().at(i); }
    template <class T>
    T* named(UILayout& page, const char* name)
    {
        return dynamic_cast<T*>(page.findDescendant(name));
    }
    std::string textOf(UILayout& page, size_t i) { return dynamic_cast<UINamedText*>(child(page, i))->getText(); }
};

} // namespace

TEST_F(Menus, AShownPageTakesEveryClick)
{
    startPlay();
    press(vk::ESCAPE);
    ASSERT_EQ(&game->pausePage, game->ui.root);
    // Anywhere on the window, a click belongs to the page: the ball stays.
    send(EventType::ButtonDown, 1, 2, 2);
    send(EventType::ButtonUp, 1, 2, 2);
    EXPECT_NE(nullptr, gRacket->held);
    EXPECT_EQ(SCREEN_PAUSED, game->screen);

    act(game->pausePage, "onContinue");
    EXPECT_EQ(SCREEN_PLAYING, game->screen);
    EXPECT_EQ(nullptr, game->ui.root);
    send(EventType::ButtonDown, 1, 2, 2);
    EXPECT_EQ(nullptr, gRacket->held) << "without a page the click throws";
}

class ManyLevels : public Menus {
protected:
    void writeLevels() override
    {
        for (int i = 0; i < 30; ++i) {
            char name[32];
            std::snprintf(name, sizeof(name), "levels/%02d_level", i);
            ASSERT_TRUE(saveLevelFile(name, glassLevel(1)));
        }
    }
};

TEST_F(ManyLevels, TheLevelPagePagesAndDeniesLevelsNotReached)
{
    ASSERT_TRUE(runUntilSteady(SCREEN_MAIN_MENU));
    game->highestLevel = 2;
    UILayout& page = game->levelsPage;
    act(game->mainMenuPage, "onNewGameMenu");
    ASSERT_EQ(&page, game->ui.root);
    UIControl* prev = page.findDescendant("onLevelsPrev");
    UIControl* next = page.findDescendant("onLevelsNext");
    YShader* deny = getShader("level_thumb_deny");
    for (int i = 0; i < 12; ++i) {
        SCOPED_TRACE(i);
        UIImage* image = dynamic_cast<UIImage*>(child(page, static_cast<size_t>(i)));
        ASSERT_NE(nullptr, image);
        EXPECT_TRUE(image->visible);
        EXPECT_EQ(i <= 2, image->enabled);
        EXPECT_EQ(i <= 2 ? getShader("level_thumb") : deny, image->shader);
        EXPECT_EQ(i <= 2 ? getShader("level_thumb_h") : deny, image->hotShader);
    }
    EXPECT_FALSE(prev->visible);
    EXPECT_TRUE(next->visible);

    // The third of three pages: six levels, no way further, and the focus
    // that was on the hidden arrow goes to the other one. A click more
    // stays on the last page.
    act(page, "onLevelsNext");
    next->setFocus();
    act(page, "onLevelsNext");
    EXPECT_EQ(2, game->pageIndex);
    for (int i = 0; i < 12; ++i)
        EXPECT_EQ(i < 6, child(page, static_cast<size_t>(i))->visible) << i;
    EXPECT_FALSE(next->visible);
    EXPECT_TRUE(prev->isFocused());
    actNamed("onLevelsNext");
    EXPECT_EQ(2, game->pageIndex);

    // Level buttons: two digits and a level of the list, else nothing.
    for (const char* bad : {"start_lev_6", "start_lev_006", "start_lev_0x", "start_lev_-1", "start_lev_99"}) {
        actNamed(bad);
        EXPECT_EQ(STEADY, game->transition) << bad;
    }
    actNamed("start_lev_05");
    EXPECT_EQ(29, game->currentLevel);
    EXPECT_EQ(SCREEN_NEW_GAME, game->requestedScreen);

    for (int i = 0; i < 5; ++i)
        act(page, "onLevelsPrev");
    EXPECT_EQ(0, game->pageIndex);
}

TEST_F(Menus, TheBonusPagesEndOnTheAboutPage)
{
    ASSERT_TRUE(runUntilSteady(SCREEN_MAIN_MENU));
    UILayout& page = game->bonusesPage;
    act(game->mainMenuPage, "onBonuses");
    act(page, "onBonusPrev");
    EXPECT_EQ(0, game->pageIndex);
    EXPECT_EQ(getShader("bonus_ballnormal"), dynamic_cast<UIImage*>(child(page, 0))->shader);
    EXPECT_EQ("Normal ball", textOf(page, 1));

    // Sixteen kinds: the third page shows four rows.
    act(page, "onBonusNext");
    act(page, "onBonusNext");
    for (size_t i = 0; i < 18; ++i)
        EXPECT_EQ(i < 12, child(page, i)->visible) << i;
    EXPECT_EQ(getShader("bonus_next"), dynamic_cast<UIImage*>(child(page, 9))->shader);
    act(page, "onBonusNext");
    EXPECT_EQ(&game->aboutPage, game->ui.root);
    EXPECT_EQ("v1.12", named<UINamedText>(game->aboutPage, "version")->getText());
    act(game->aboutPage, "onBonusesAbout");
    EXPECT_EQ(&page, game->ui.root);
}

TEST_F(Menus, AGoodScoreAsksForANameThatIsSaved)
{
    startPlay();
    gRacket->score = 500;
    game->onGameOver();
    ASSERT_TRUE(runUntilSteady(SCREEN_GAME_OVER));
    UILayout& page = game->scoresPage;
    ASSERT_EQ(&page, game->ui.root);
    UIEdit* edit = dynamic_cast<UIEdit*>(child(page, 0));
    UIControl* name = child(page, 1);
    ASSERT_NE(nullptr, edit);
    EXPECT_TRUE(edit->visible && edit->isFocused());
    EXPECT_FALSE(name->visible);
    EXPECT_EQ(name->rect.x, edit->rect.x);
    EXPECT_EQ(name->rect.y, edit->rect.y);
    EXPECT_EQ("500", textOf(page, 2));

    // Typed through the window; Enter keeps it, Enter again goes back.
    type("Ada");
    press(vk::RETURN);
    EXPECT_EQ("Ada", gScoreTable.entry(0).name);
    EXPECT_EQ(-1, gScoreTable.pendingRow());
    EXPECT_TRUE(!edit->visible && name->visible);
    EXPECT_EQ("Ada", textOf(page, 1));
    YScoreTable saved;
    saved.load(YScoreTable::FILE_NAME);
    EXPECT_EQ("Ada", saved.count() == 1 ? saved.entry(0).name : "");
    press(vk::RETURN);
    ASSERT_TRUE(runUntilSteady(SCREEN_MAIN_MENU));

    // A full table of better scores: the page shows without the entry.
    for (int i = 0; i < 7; ++i) {
        gScoreTable.insert(1000);
        gScoreTable.setPendingName("Best");
    }
    gRacket->score = 10;
    game->setScreen(SCREEN_GAME_OVER);
    ASSERT_TRUE(runUntilSteady(SCREEN_GAME_OVER));
    EXPECT_FALSE(edit->visible);
    EXPECT_EQ("Best", textOf(page, 13));

    // A page with fewer rows says so and fills what it has.
    std::string text = testutil::readText("ui/english/scores.yml");
    text.erase(text.find("<tr><td align=\"right\"><font color=\"ffd060\">4."), std::string::npos);
    testutil::writeText("ui/english/scores.yml", text + "</table></font></layout>\n");
    ASSERT_TRUE(game->loadInterface());
    const size_t mark = testutil::logText().size();
    act(game->mainMenuPage, "onScores");
    EXPECT_TRUE(testutil::logHas("no name and score texts for row 4", mark));
    EXPECT_EQ("Best", textOf(page, 5));
}

TEST_F(Menus, OptionsApplyOnlyWhatChanged)
{
    ASSERT_TRUE(runUntilSteady(SCREEN_MAIN_MENU));
    // A configured mode that no resolution matches, of another depth.
    gDisplayModes().assign({YDisplayMode(640, 480, 16, 60), YDisplayMode(640, 480, 32, 60),
                            YDisplayMode(800, 600, 32, 60), YDisplayMode(1024, 768, 32, 0)});
    gInit().mode = "1280x1024:16";
    gInit().popupscores = true;
    UILayout& page = game->optionsPage;
    act(game->mainMenuPage, "onOptions");
    UISelect* resolution = named<UISelect>(page, "resolution");
    UISelect* scores = named<UISelect>(page, "scores");
    ASSERT_TRUE(resolution && scores);
    EXPECT_EQ((std::vector<std::string>{"640x480", "800x600"}), resolution->options);
    EXPECT_EQ(-1, resolution->getSelectedIndex());
    EXPECT_EQ(1, scores->getSelectedIndex());

    // Nothing changed: nothing is made again, nothing read again.
    const UIControl* firstItem = game->mainMenuPage.findDescendant("onNewGameMenu");
    size_t mark = testutil::logText().size();
    act(page, "onOptionsApply");
    frame();
    EXPECT_EQ("1280x1024:16", gInit().mode);
    EXPECT_FALSE(testutil::logHas("Load texture", mark));
    EXPECT_FALSE(testutil::logHas("Parse layout", mark));
    EXPECT_EQ(firstItem, game->mainMenuPage.findDescendant("onNewGameMenu"));
    EXPECT_TRUE(gInit().popupscores);

    // A chosen resolution: the new mode is full colour whatever the
    // configured depth, the window is made again at the next frame.
    resolution->setSelectedIndex(1);
    scores->setSelectedIndex(0);
    act(page, "onOptionsApply");
    EXPECT_EQ("800x600:32", gInit().mode);
    EXPECT_FALSE(gInit().popupscores);
    mark = testutil::logText().size();
    frame();
    EXPECT_TRUE(testutil::logHas("Load texture", mark));

    // The volume sliders act at once.
    named<UITracker>(page, "musicVol")->setValue(0.25f);
    EXPECT_FLOAT_EQ(0.25f, gInit().music);
}

namespace {

// A second interface folder, "zeta", whose main menu reads differently.
class TwoLanguages : public Menus {
protected:
    void writeLevels() override
    {
        Menus::writeLevels();
        for (const char* file : {"locale.yml", "fonts.yml", "shaders.yml", "scores.yml", "levels.yml", "controls.yml",
                                 "bonuses.yml", "pause.yml", "options.yml", "about.yml", "mainmenu.yml"}) {
            std::string text = testutil::readText(std::string("ui/english/") + file);
            const size_t at = text.find(">New game<");
            if (at != std::string::npos)
                text.replace(at, 10, ">Neues Spiel<");
            testutil::writeText(std::string("ui/zeta/") + file, text);
        }
    }
    std::string newGameText() { return named<UIMenuItem>(game->mainMenuPage, "onNewGameMenu")->text; }
};

} // namespace

TEST_F(TwoLanguages, ANewLanguageIsReadAtTheNextFrameAndABrokenOneEndsTheGame)
{
    ASSERT_TRUE(runUntilSteady(SCREEN_MAIN_MENU));
    UILayout& page = game->optionsPage;
    act(game->mainMenuPage, "onOptions");
    UISelect* language = named<UISelect>(page, "language");
    ASSERT_NE(nullptr, language);
    EXPECT_EQ((std::vector<std::string>{"English", "zeta"}), language->options);
    EXPECT_EQ(0, language->getSelectedIndex());

    // The click that asks for it is over before its page goes.
    language->setSelectedIndex(1);
    act(page, "onOptionsApply");
    EXPECT_EQ("New game", newGameText());
    frame();
    EXPECT_EQ("Neues Spiel", newGameText());
    EXPECT_EQ(&page, game->ui.root);
    language = named<UISelect>(page, "language");
    EXPECT_EQ(1, language->getSelectedIndex());
    EXPECT_EQ("ui\\zeta", gInit().getInterface());
    for (int i = 0; i < 5; ++i)
        frame();

    // Back to a language whose about page was changed: the game ends with
    // a failure, keeping the language that worked.
    std::string about = testutil::readText("ui/english/about.yml");
    about.replace(about.find("Made with"), 4, "Made by");
    testutil::writeText("ui/english/about.yml", about);
    language->setSelectedIndex(0);
    act(page, "onOptionsApply");
    frame();
    EXPECT_TRUE(testutil::logHas("Protect error."));
    EXPECT_EQ(1, game->exitCode());
    EXPECT_EQ(nullptr, game->ui.root);
    EXPECT_NE(std::string::npos, testutil::readText("config.yml").find("language=\"zeta\""));
}

namespace {

class TamperedAboutPage : public Menus {
protected:
    void SetUp() override {}
};

} // namespace

TEST_F(TamperedAboutPage, StopsTheStartWithoutSavingTheSettings)
{
    for (const char* folder : {"data", "fonts", "textures", "env", "mesh", "sound", "ui"})
        ASSERT_TRUE(testutil::copyFromGame(folder));
    const std::string config = "<config>\n  <video fullscreen=\"0\">\n</config>\n";
    testutil::writeText("config.yml", config);
    std::string about = testutil::readText("ui/english/about.yml");
    about.replace(about.find("Tarvelin</font>"), 1, "t");
    testutil::writeText("ui/english/about.yml", about);

    clock = std::make_unique<sys::ManualClock>(1000);
    game = std::make_unique<GameFramework>("");
    EXPECT_FALSE(game->startedUp());
    EXPECT_TRUE(testutil::logHas("Protect error."));
    EXPECT_EQ(nullptr, game->ui.root);
    game.reset();
    EXPECT_EQ(config, testutil::readText("config.yml"));
}
