// Filling the menu pages from the game's data: the high scores and the name
// entry, the level buttons with their pictures, the bonus kinds. Controls
// found by position are checked for their type; a page that lacks some
// says so in the log and shows what it has.
#include "core/log.h"
#include "core/text.h"
#include "game/game_framework.h"
#include "game/score_table.h"
#include "render/shader.h"
#include "ui/ui_edit.h"
#include "ui/ui_image.h"
#include "ui/ui_text_controls.h"
#include "world/bonus_registry.h"
#include "world/level_file.h"
#include "world/racket.h"

#include <algorithm>

namespace {

const char* const WINNER_NAME = "winnername";

// The name and score texts of a row of the scores page: the children after
// the first, in pairs.
bool scoreRow(const UILayout& page, int row, UINamedText*& name, UINamedText*& score)
{
    name = childAs<UINamedText>(page, static_cast<size_t>(2 * row + 1));
    score = childAs<UINamedText>(page, static_cast<size_t>(2 * row + 2));
    return name && score;
}

void setShown(UIControl* control, bool shown)
{
    if (!control || control->visible == shown)
        return;
    if (shown)
        control->show();
    else
        control->hide();
}

// The number of pages of `per` items each that `count` items fill (at
// least one), and the page index held inside them.
int32_t clampPage(int32_t index, int count, int per)
{
    const int pages = std::max(1, (count + per - 1) / per);
    return std::clamp(index, 0, pages - 1);
}

} // namespace

void GameFramework::fillScoresPage()
{
    for (int row = 0; row < YScoreTable::MAX_COUNT; ++row) {
        UINamedText *name, *score;
        if (!scoreRow(scoresPage, row, name, score)) {
            YLog::writef("The scores page has no name and score texts for row %d: it shows %d rows", row + 1, row);
            break;
        }
        const bool used = row < gScoreTable.count();
        name->setText(used ? gScoreTable.entry(row).name : std::string());
        score->setText(used ? intToString(static_cast<int>(gScoreTable.entry(row).score)) : std::string());
        setShown(name, true);
    }
    setShown(scoresPage.findDescendant(WINNER_NAME), false);
}

void GameFramework::showScoresEntry()
{
    const int score = gRacket ? std::max(gRacket->score, 0) : 0;
    gScoreTable.insert(static_cast<uint32_t>(score));
    fillScoresPage();
    UIEdit* edit = findDescendantAs<UIEdit>(scoresPage, WINNER_NAME);
    UINamedText *name = nullptr, *scoreText = nullptr;
    const int row = gScoreTable.pendingRow();
    if (row >= 0 && edit && scoreRow(scoresPage, row, name, scoreText)) {
        // The entry takes the place of the row's name.
        edit->rect.set(name->rect.x, name->rect.y, name->rect.width, name->rect.height);
        edit->updateGeometry();
        name->hide();
        edit->show();
    } else if (row >= 0) {
        YLog::writef("The scores page has no \"%s\" entry for row %d: the score stays unnamed", WINNER_NAME, row + 1);
    }
    setMenuPage(&scoresPage);
    if (edit && edit->visible)
        edit->setFocus();
}

void GameFramework::acceptWinnerName()
{
    UIEdit* edit = findDescendantAs<UIEdit>(scoresPage, WINNER_NAME);
    const int row = gScoreTable.pendingRow();
    if (row < 0 || !edit || !edit->visible)
        return;
    gScoreTable.setPendingName(edit->getText());
    UINamedText *name, *score;
    if (scoreRow(scoresPage, row, name, score)) {
        name->setText(edit->getText());
        name->show();
    }
    edit->hide();
    // The keys go on to the page's own control (its way back).
    if (scoresPage.initialFocus && ui.root == &scoresPage)
        scoresPage.initialFocus->setFocus();
}

void GameFramework::fillLevelsPage()
{
    const int count = static_cast<int>(gLevelNames.size());
    pageIndex = clampPage(pageIndex, count, LEVELS_PER_PAGE);
    if (!mLevelThumb) {
        mLevelThumb = getShader("level_thumb");
        mLevelThumbHot = getShader("level_thumb_h");
        mLevelThumbDeny = getShader("level_thumb_deny");
    }
    for (int slot = 0; slot < LEVELS_PER_PAGE; ++slot) {
        UIImage* image = childAs<UIImage>(levelsPage, static_cast<size_t>(slot));
        if (!image) {
            YLog::writef("The levels page has %d level pictures of %d", slot, LEVELS_PER_PAGE);
            break;
        }
        const int level = slot + pageIndex * LEVELS_PER_PAGE;
        if (level >= count) {
            setShown(image, false);
            continue;
        }
        const bool open = level <= highestLevel;
        image->setEnabled(open);
        image->shader = open ? mLevelThumb : mLevelThumbDeny;
        image->hotShader = open ? mLevelThumbHot : mLevelThumbDeny;
        image->setTexture(std::string(gLevelDir) + "thumb\\" + gLevelNames[static_cast<size_t>(level)] + ".bmp");
        setShown(image, true);
    }

    // The arrows show where there is a page to go to; the focus moves from
    // an arrow that goes to the other one.
    UIControl* prev = levelsPage.findDescendant("onLevelsPrev");
    UIControl* next = levelsPage.findDescendant("onLevelsNext");
    const bool prevFocused = prev && prev->isFocused(), nextFocused = next && next->isFocused();
    const int pages = (count + LEVELS_PER_PAGE - 1) / LEVELS_PER_PAGE;
    setShown(prev, pageIndex > 0);
    setShown(next, pageIndex < pages - 1);
    if (prevFocused && !prev->visible && next && next->visible)
        next->setFocus();
    else if (nextFocused && !next->visible && prev && prev->visible)
        prev->setFocus();
}

void GameFramework::fillBonusesPage()
{
    const int count = static_cast<int>(gBonusKinds.size());
    pageIndex = clampPage(pageIndex, count, BONUSES_PER_PAGE);
    for (int row = 0; row < BONUSES_PER_PAGE; ++row) {
        const size_t first = static_cast<size_t>(3 * row);
        UIImage* icon = childAs<UIImage>(bonusesPage, first);
        UINamedText* title = childAs<UINamedText>(bonusesPage, first + 1);
        UINamedText* value = childAs<UINamedText>(bonusesPage, first + 2);
        if (!icon || !title || !value) {
            YLog::writef("The bonuses page has %d rows of picture, name and score of %d", row, BONUSES_PER_PAGE);
            break;
        }
        const int kind = row + pageIndex * BONUSES_PER_PAGE;
        const YBonusKindInfo* info = kind < count ? bonusKindInfo(kind) : nullptr;
        if (info) {
            icon->shader = getBonusKindShader(kind);
            title->setText(info->displayText);
            value->setText(intToString(info->score));
            title->style.color = value->style.color = info->color;
        }
        for (UIControl* c : {static_cast<UIControl*>(icon), static_cast<UIControl*>(title), static_cast<UIControl*>(value)})
            setShown(c, info != nullptr);
    }
}
