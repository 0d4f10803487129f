#pragma once
#include "core/display_modes.h"
#include "core/framework.h"
#include "game/orbit.h"
#include "render/camera.h"
#include "render/console.h"
#include "ui/ui_context.h"
#include "ui/ui_layout.h"
#include "world/game_event.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class YFont;
class YMusicPlayer;
class YShader;
class YWorldSession;

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

// Fade phases of a screen change.
enum GameTransition : int32_t { FADING_OUT = 0, FADING_IN = 1, STEADY = 2 };

// The game application: loads everything in a fixed order, then runs the
// frames of the screens and moves between them through fades; its menu pages
// report their controls' events to it.
class GameFramework : public YFramework, public UIEvent, public YConsoleCommand, public YGameEvent {
public:
    explicit GameFramework(const std::string& modulePath);
    ~GameFramework() override;

    // Writes "config.yml" back, then ends the loop.
    void quit() override;
    bool renderFrame() override;
    void onSize(int width, int height) override;
    const uint32_t* getIcon(int& width, int& height) override;

    // Input, routed by screen (game_input.cpp).
    void onMouseMove(int x, int y) override;
    void onMouseWheel(int delta) override;
    void onMouseDown(int button, int x, int y) override;
    void onMouseUp(int button, int x, int y) override;
    void onKeyDown(int virtualKey) override;
    void onChar(int character) override;

    // YConsoleCommand
    void onConsoleCommand(int id) override;
    void onConsoleVariable(int id) override;
    // The game's console, made with its names on first use.
    YConsole& getGameConsole();

    // YGameEvent
    void onGameOver() override;
    void onLevelEnd() override;
    void onCenterPointer() override;

    void createWindow();
    void toggleFullscreen();
    // Reads the interface folder: its string table, fonts, shaders and the
    // menu pages. False when the about page fails its protect check: the
    // log says so and the game must end.
    bool loadInterface();

    // The menu pages (menu_pages.cpp, options_page.cpp, menu_events.cpp).
    // Shows the page (null: none) and focuses its initial control.
    void setMenuPage(UILayout* page);
    void onUIEvent(int kind, UIControl* control) override;
    void fillScoresPage();
    // A finished game's score enters the table; the scores page asks for a
    // name when it entered.
    void showScoresEntry();
    void acceptWinnerName();
    void fillLevelsPage();
    void fillBonusesPage();
    void fillOptionsPage();
    void applyOptions();

    // Asks for another screen: the current one fades out for a second, the
    // new one's entry actions run, and it fades in.
    void setScreen(int32_t newScreen);
    void enterScreen();
    // Places the camera for the current screen; dt 0 gives the still view
    // of the level thumbnails.
    void updateCamera(float dt);
    void loadCurrentLevel();
    void readProgress();
    // Reads the intro flight's camera path, "data\path.cpt".
    void readCameraPath();
    void writeProgress();
    // Renders the pictures of the levels that have none yet.
    void makeLevelThumbnails();

    void drawPointer();
    void drawLogo();
    void drawFade(float alpha);

    YOrbitView menuView{55.0f, -50.0f, -65.0f, -25.0f};
    // The menu camera's orbit; its position is the eye.
    YOrbit menuOrbit = menuCameraOrbit();
    std::unique_ptr<YMusicPlayer> music;

    int32_t screen = SCREEN_SPLASH;
    int32_t requestedScreen = SCREEN_SPLASH;
    int32_t transition = STEADY;
    float fade = 0.0f;
    int32_t currentLevel = 0;
    int32_t highestLevel = 0;
    // The highest level that "open_all_levels" stores: every level is open.
    static constexpr int32_t ALL_LEVELS_OPEN = 10000;
    // The menu pages' context: its root is the page shown.
    UIContext ui;
    UILayout mainMenuPage{this}, scoresPage{this}, levelsPage{this}, controlsPage{this}, bonusesPage{this},
        aboutPage{this}, optionsPage{this}, pausePage{this};
    UIEvent* uiListener = nullptr;
    // The page number of the levels page (12 levels a page) and of the
    // bonuses page (6 kinds a page).
    int32_t pageIndex = 0;
    // Levels on one page of the levels page, bonus kinds on one page of the
    // bonuses page.
    static constexpr int32_t LEVELS_PER_PAGE = 12;
    static constexpr int32_t BONUSES_PER_PAGE = 6;
    // False when start-up stopped early (the about page failed its protect
    // check): the game must not run.
    bool startedUp() const { return mStartedUp; }
    // The process's exit code once the loop ended: non-zero when the game
    // ended on a failure.
    int exitCode() const { return mExitCode; }

private:
    // The 3D scene of the frame: backdrop, table, blocks, objects, queues.
    void drawScene(float dt);
    void drawOverlay();
    void runFade(float dt);
    void placeListener();
    float viewingDistance() const;
    void lookAt(const YVec3& eye, const YVec3& target, float fov);
    // Window changes asked for by the console and the options page, and a
    // new interface language, made at the start of a frame.
    void applyWindowChanges();
    // False when the new pages fail their check: the game then quits.
    bool reloadInterface();

    // Input helpers (game_input.cpp): a window y in the pages' units, whether
    // a page is shown, the end of a right-button view drag (also when the
    // screen changes under it), and what the splash and the pages do with
    // the keys and clicks meant for them.
    int pageY(int y) const;
    bool pageShown() const;
    void endViewDrag();
    void skipSplash(bool all);
    void showMainMenuPage();
    void showPausePage();

    YFont* mSystemFont = nullptr;
    std::unique_ptr<YWorldSession> mWorld;
    YShader* mUiShader = nullptr;
    YShader* mLogoShader = nullptr;
    YShader* mCursorShader = nullptr;
    YShader* mFadeShader = nullptr;
    uint32_t mLastFrameTime = 0;
    float mFrameTime = 0.0f;
    float mPathTime = 0.0f;
    float mCameraFit = 1.0f;
    bool mBackdropDirty = true;
    bool mBackdropShadows = false; // the stored backdrop holds the table's shadows

    std::unique_ptr<YConsole> mConsole;
    // The last key down was the console key: its character is not typed.
    bool mConsoleKeyPressed = false;
    // Where the pointer was when a right-button drag began.
    int mDragSavedX = 0, mDragSavedY = 0;
    // Full screen wanted by the console (-1: nothing asked), and a new
    // window for a changed mode.
    int mWantedFullscreen = -1;
    bool mRecreateWindow = false;
    // The interface is read again at the start of the next frame (a new
    // language), never inside the click of a control that it deletes.
    bool mReloadInterface = false;
    // The language in use before a change (kept when the new one fails).
    int mPreviousInterface = 0;
    bool mStartedUp = false;
    int mExitCode = 0;
    // The options page's resolutions, and the one it showed when it was
    // filled (-1: none).
    std::vector<YDisplayMode> mResolutions;
    int mShownResolution = -1;
    // The levels page's button shaders, looked up once.
    YShader* mLevelThumb = nullptr;
    YShader* mLevelThumbHot = nullptr;
    YShader* mLevelThumbDeny = nullptr;
};

extern GameFramework* gGameFramework;
// The level files under "levels\", sorted: a level's index is its number.
extern std::vector<std::string> gLevelNames;
