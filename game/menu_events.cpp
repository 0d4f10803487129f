// What the menu pages' controls do: their action events, by control name.
#include "core/init.h"
#include "game/game_framework.h"
#include "sound/sound_source.h"
#include "ui/ui_tracker.h"
#include "world/bonus_registry.h"

#include <cctype>

namespace {

const char LEVEL_BUTTON[] = "start_lev_";

// A volume tracker's value into its setting, applied at once.
void setVolume(UIControl* control, float& setting, void (*apply)(float))
{
    if (UITracker* tracker = dynamic_cast<UITracker*>(control)) {
        setting = tracker->getValue();
        apply(setting);
    }
}

// The number of a level button's event, "start_lev_" and exactly two
// digits; -1 for any other name.
int levelButtonNumber(const std::string& name)
{
    const size_t prefix = sizeof(LEVEL_BUTTON) - 1;
    if (name.size() != prefix + 2 || name.compare(0, prefix, LEVEL_BUTTON) != 0)
        return -1;
    const unsigned char tens = static_cast<unsigned char>(name[prefix]);
    const unsigned char ones = static_cast<unsigned char>(name[prefix + 1]);
    if (!std::isdigit(tens) || !std::isdigit(ones))
        return -1;
    return (tens - '0') * 10 + (ones - '0');
}

} // namespace

void GameFramework::onUIEvent(int kind, UIControl* control)
{
    if (kind != UIE_ACTION || !control)
        return;
    const std::string& name = control->name;
    const int bonusPages = (static_cast<int>(gBonusKinds.size()) + BONUSES_PER_PAGE - 1) / BONUSES_PER_PAGE;

    if (name == "onMainMenu") {
        setMenuPage(&mainMenuPage);
    } else if (name == "onContinue") {
        screen = SCREEN_PLAYING;
        setMenuPage(nullptr);
        mBackdropDirty = true;
    } else if (name == "onPauseMainMenu") {
        setScreen(SCREEN_MAIN_MENU);
    } else if (name == "onScoresMainMenu") {
        acceptWinnerName();
        if (screen == SCREEN_MAIN_MENU)
            setMenuPage(&mainMenuPage);
        else
            setScreen(SCREEN_MAIN_MENU);
    } else if (name == "onExit") {
        setScreen(SCREEN_QUIT);
    } else if (name == "onScores") {
        fillScoresPage();
        setMenuPage(&scoresPage);
    } else if (name == "onOptions") {
        fillOptionsPage();
        setMenuPage(&optionsPage);
    } else if (name == "onOptionsApply") {
        applyOptions();
    } else if (name == "winnername") {
        acceptWinnerName();
    } else if (name == "onNewGameMenu") {
        pageIndex = 0;
        fillLevelsPage();
        setMenuPage(&levelsPage);
    } else if (name == "onLevelsNext" || name == "onLevelsPrev") {
        pageIndex += name == "onLevelsNext" ? 1 : -1;
        fillLevelsPage();
    } else if (name == "onInfo") {
        setMenuPage(&controlsPage);
    } else if (name == "onBonuses") {
        pageIndex = 0;
        fillBonusesPage();
        setMenuPage(&bonusesPage);
    } else if (name == "onBonusPrev") {
        if (pageIndex > 0) {
            --pageIndex;
            fillBonusesPage();
        }
    } else if (name == "onBonusNext") {
        if (pageIndex < bonusPages - 1) {
            ++pageIndex;
            fillBonusesPage();
        } else {
            setMenuPage(&aboutPage);
        }
    } else if (name == "onBonusesAbout") {
        fillBonusesPage();
        setMenuPage(&bonusesPage);
    } else if (name == "musicVol") {
        setVolume(control, gInit().music, setMusicVolume);
    } else if (name == "soundVol") {
        setVolume(control, gInit().volume, setSoundVolume);
    } else {
        const int button = levelButtonNumber(name);
        if (button < 0)
            return;
        const int level = button + pageIndex * LEVELS_PER_PAGE;
        if (level < static_cast<int>(gLevelNames.size())) {
            currentLevel = level;
            setScreen(SCREEN_NEW_GAME);
        }
    }
}
