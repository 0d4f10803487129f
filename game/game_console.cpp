// The game console: its names and what the game does when one is used.
#include "game/game_console.h"

#include "core/init.h"
#include "core/math.h"
#include "game/game_framework.h"
#include "game/progress.h"
#include "render/console.h"
#include "sound/sound_source.h"

void registerGameConsoleNames(YConsole& console)
{
    console.addCommand("exit", GAME_CMD_EXIT);
    console.addCommand("open_all_levels", GAME_CMD_OPEN_ALL_LEVELS);
    console.addVariable("fps", GAME_VAR_FPS);
    console.addVariable("fullscreen", GAME_VAR_FULLSCREEN);
    console.addVariable("video_mode", GAME_VAR_VIDEO_MODE);
    console.addVariable("sound_volume", GAME_VAR_SOUND_VOLUME);
    console.addVariable("music_volume", GAME_VAR_MUSIC_VOLUME);
    console.addVariable("shadows", GAME_VAR_SHADOWS);
    console.addVariable("popupscores", GAME_VAR_POPUPSCORES);
    console.addVariable("popuplosses", GAME_VAR_POPUPLOSSES);
}

YConsole& GameFramework::getGameConsole()
{
    if (!mConsole) {
        mConsole = std::make_unique<YConsole>(this);
        registerGameConsoleNames(*mConsole);
    }
    return *mConsole;
}

void GameFramework::onConsoleCommand(int id)
{
    YConsole& console = getGameConsole();
    const std::string name = console.nameString();
    switch (id) {
    case GAME_CMD_EXIT:
        quit();
        break;
    case GAME_CMD_OPEN_ALL_LEVELS:
        highestLevel = ALL_LEVELS_OPEN;
        // The log tells the console why when the progress cannot be saved.
        if (!::writeProgress(highestLevel))
            return;
        break;
    default:
        return;
    }
    console.print(name + " ok.");
}

void GameFramework::onConsoleVariable(int id)
{
    YConsole& console = getGameConsole();
    Init& settings = gInit();
    std::string value;
    // A boolean setting: the value, then its echo.
    auto setBool = [&](bool& setting) {
        setting = console.valueBool();
        value = boolToString(setting);
    };
    // A volume: held to 0..1 before it is used or shown.
    auto setVolume = [&](float& setting, void (*apply)(float)) {
        setting = clampUnit(console.valueFloat());
        apply(setting);
        value = floatToString(setting);
    };
    switch (id) {
    case GAME_VAR_FPS:
        setBool(settings.fps);
        break;
    case GAME_VAR_FULLSCREEN:
        // The window changes at the start of the next frame, never inside
        // the typing that asked for it.
        setBool(settings.fullscreen);
        mWantedFullscreen = settings.fullscreen ? 1 : 0;
        break;
    case GAME_VAR_VIDEO_MODE:
        settings.mode = console.valueString();
        value = settings.mode;
        mRecreateWindow = true;
        break;
    case GAME_VAR_SOUND_VOLUME:
        setVolume(settings.volume, setSoundVolume);
        break;
    case GAME_VAR_MUSIC_VOLUME:
        setVolume(settings.music, setMusicVolume);
        break;
    case GAME_VAR_SHADOWS:
        setBool(settings.shadows);
        break;
    case GAME_VAR_POPUPSCORES:
        setBool(settings.popupscores);
        break;
    case GAME_VAR_POPUPLOSSES:
        setBool(settings.popuplosses);
        break;
    default:
        return;
    }
    console.print(console.nameString() + "=" + value);
}
