#pragma once

class YConsole;

// The game console's commands and variables, by id. Every variable is a
// setting of "config.yml", so it is saved when the game quits.
enum GameConsoleCommandId : int {
    GAME_CMD_EXIT = 0,            // "exit": quit at once, no fade
    GAME_CMD_OPEN_ALL_LEVELS = 1, // "open_all_levels": every level may be chosen
};

enum GameConsoleVariableId : int {
    GAME_VAR_FPS = 0,
    GAME_VAR_FULLSCREEN = 1,
    GAME_VAR_VIDEO_MODE = 2,
    GAME_VAR_SOUND_VOLUME = 3,
    GAME_VAR_MUSIC_VOLUME = 4,
    GAME_VAR_SHADOWS = 5,
    GAME_VAR_POPUPSCORES = 6,
    GAME_VAR_POPUPLOSSES = 7,
};

// Enters the game's names into the console.
void registerGameConsoleNames(YConsole& console);
