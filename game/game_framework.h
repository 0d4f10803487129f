#pragma once
#include "core/framework.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class YFont;
class YMusicPlayer;

// The screens of the game.
enum GameScreen : int32_t {
    SCREEN_SPLASH = 0,
    SCREEN_MAIN_MENU = 1,
    SCREEN_NEW_GAME = 2,
    SCREEN_PLAYING = 3,
    SCREEN_GAME_OVER = 4,
    SCREEN_LEVEL_END = 5,
    SCREEN_QUIT = 6,
    SCREEN_PAUSED = 7,
    SCREEN_INTRO_FLIGHT = 8,
    SCREEN_GAME_COMPLETED = 9,
};

// The game application: loads everything in a fixed order, then runs the
// frames of the screens.
class GameFramework : public YFramework {
public:
    explicit GameFramework(const std::string& modulePath);
    ~GameFramework() override;

    // Writes "config.yml" back, then ends the loop.
    void quit() override;
    bool renderFrame() override;
    const uint32_t* getIcon(int& width, int& height) override;

    void createWindow();
    void toggleFullscreen();

    int32_t screen = SCREEN_SPLASH;
    int32_t requestedScreen = SCREEN_SPLASH;
    int32_t transition = 2;
    float fade = 0.0f;
    int32_t currentLevel = 0;
    int32_t highestLevel = 0;

    std::unique_ptr<YMusicPlayer> music;

private:
    YFont* mSystemFont = nullptr;
    uint32_t mLastFrameTime = 0;
    float mFrameTime = 0.0f;
};

extern GameFramework* gGameFramework;
// The level files under "levels\", sorted: a level's index is its number.
extern std::vector<std::string> gLevelNames;

// The program: the game folder, the single-instance rule, the version line,
// then the game or the editor. Returns the process exit code.
int runProgram(int argc, char** argv);
