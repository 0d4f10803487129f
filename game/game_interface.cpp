// The interface folder chosen in the settings ("ui\" + language): its string
// table, fonts, shaders and the menu pages, and the page shown.
#include "core/init.h"
#include "core/locale.h"
#include "core/log.h"
#include "core/version.h"
#include "game/game_framework.h"
#include "render/font.h"
#include "render/shader.h"
#include "ui/ui_select.h"
#include "ui/ui_text_controls.h"
#include "world/bonus_registry.h"

bool GameFramework::loadInterface()
{
    // The folders may have changed since the settings were made (a test's
    // folder, a language installed meanwhile); the selection is kept.
    gInit().listInterfaces();
    const std::string folder = gInit().getInterface();
    gLocale().load((folder + "\\locale.yml").c_str());
    loadFonts((folder + "\\fonts.yml").c_str());
    loadShaders((folder + "\\shaders.yml").c_str());
    localizeBonusKinds();

    // Loading a page deletes its controls: none may stay shown meanwhile.
    ui.root = nullptr;
    const struct {
        UILayout* page;
        const char* file;
    } pages[] = {{&scoresPage, "scores.yml"},   {&mainMenuPage, "mainmenu.yml"}, {&levelsPage, "levels.yml"},
                 {&controlsPage, "controls.yml"}, {&bonusesPage, "bonuses.yml"}, {&pausePage, "pause.yml"},
                 {&optionsPage, "options.yml"}};
    for (const auto& p : pages)
        p.page->load(folder + "\\" + p.file, true);

    // The language list: every interface folder by its translated name.
    if (UISelect* language = findDescendantAs<UISelect>(optionsPage, "language")) {
        language->clearOptions();
        for (const std::string& name : gInit().interfaces().baseNames())
            language->addOption(gLocale().translate(name));
        optionsPage.arrangeToPage();
    }

    if (!aboutPage.load(folder + "\\about.yml", true)) {
        YLog::write(aboutPage.loadError().c_str());
        return false;
    }
    if (UINamedText* version = findDescendantAs<UINamedText>(aboutPage, "version"))
        version->setText(PRODUCT_VERSION);
    return true;
}

bool GameFramework::reloadInterface()
{
    mReloadInterface = false;
    if (!loadInterface()) {
        // The new language's pages cannot be trusted: the game ends, and the
        // settings keep the language that worked so the next start does.
        gInit().interface = mPreviousInterface;
        mExitCode = 1;
        quit();
        return false;
    }
    fillOptionsPage();
    setMenuPage(&optionsPage);
    return true;
}

void GameFramework::setMenuPage(UILayout* page)
{
    ui.root = page;
    if (page && page->initialFocus)
        page->initialFocus->setFocus();
}
