// The options page: the settings copied into its controls when it opens and
// back when the player applies them. The volume sliders act at once through
// their own events (menu_events.cpp).
#include "core/display_modes.h"
#include "core/init.h"
#include "game/game_framework.h"
#include "ui/ui_select.h"
#include "ui/ui_tracker.h"

#include <string>

namespace {

// The text of a resolution on the page: "1024x768".
std::string resolutionText(const YDisplayMode& mode)
{
    return std::to_string(mode.width) + "x" + std::to_string(mode.height);
}

// An on/off list: option 0 off, 1 on.
void showSwitch(UILayout& page, const char* name, bool on)
{
    if (UISelect* select = findDescendantAs<UISelect>(page, name))
        select->setSelectedIndex(on ? 1 : 0);
}

void applySwitch(UILayout& page, const char* name, bool& setting)
{
    UISelect* select = findDescendantAs<UISelect>(page, name);
    // A list without options changes nothing.
    if (select && select->getSelectedIndex() >= 0)
        setting = select->getSelectedIndex() != 0;
}

} // namespace

void GameFramework::fillOptionsPage()
{
    Init& settings = gInit();
    if (UISelect* language = findDescendantAs<UISelect>(optionsPage, "language"))
        language->setSelectedIndex(settings.interface);

    if (UISelect* resolution = findDescendantAs<UISelect>(optionsPage, "resolution")) {
        resolution->clearOptions();
        const YDisplayMode configured = YDisplayModeList::parseMode(settings.mode);
        mResolutions = gDisplayModes().selectModes(0, 0, 0);
        mShownResolution = -1;
        for (size_t i = 0; i < mResolutions.size(); ++i) {
            resolution->addOption(resolutionText(mResolutions[i]));
            if (mResolutions[i].width == configured.width && mResolutions[i].height == configured.height)
                mShownResolution = static_cast<int>(i);
        }
        // A configured mode that no resolution matches shows no choice.
        resolution->selected = mShownResolution;
        resolution->updateGeometry();
    }

    if (UITracker* sound = findDescendantAs<UITracker>(optionsPage, "soundVol"))
        sound->setValue(settings.volume);
    if (UITracker* music = findDescendantAs<UITracker>(optionsPage, "musicVol"))
        music->setValue(settings.music);
    showSwitch(optionsPage, "scores", settings.popupscores);
    showSwitch(optionsPage, "losses", settings.popuplosses);
}

void GameFramework::applyOptions()
{
    Init& settings = gInit();
    // A resolution counts only when the player chose one: what the page
    // showed is the configured mode already, or nothing. A chosen one is
    // full colour.
    if (UISelect* resolution = findDescendantAs<UISelect>(optionsPage, "resolution")) {
        const int chosen = resolution->getSelectedIndex();
        if (chosen >= 0 && chosen < static_cast<int>(mResolutions.size()) && chosen != mShownResolution) {
            const std::string mode = resolutionText(mResolutions[static_cast<size_t>(chosen)]) + ":32";
            mShownResolution = chosen;
            if (mode != settings.mode) {
                settings.mode = mode;
                // The window is made again at the start of the next frame.
                mRecreateWindow = true;
            }
        }
    }

    if (UISelect* language = findDescendantAs<UISelect>(optionsPage, "language")) {
        const int chosen = language->getSelectedIndex();
        if (chosen >= 0 && chosen != settings.interface) {
            mPreviousInterface = settings.interface;
            settings.interface = chosen;
            // Read at the start of the next frame: this click's control is
            // one of those the reload deletes.
            mReloadInterface = true;
        }
    }

    applySwitch(optionsPage, "scores", settings.popupscores);
    applySwitch(optionsPage, "losses", settings.popuplosses);
}
