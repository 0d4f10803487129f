#include "game/game_framework.h"

#include "core/file_list.h"
#include "core/init.h"
#include "core/log.h"
#include "core/program_icon.h"
#include "core/version.h"
#include "game/comets.h"
#include "game/splash.h"
#include "platform/sys/clock.h"
#include "platform/sys/random.h"
#include "render/camera.h"
#include "render/draw_queue.h"
#include "render/environment.h"
#include "render/font.h"
#include "render/mesh_draw.h"
#include "render/particles.h"
#include "render/render_start.h"
#include "render/shader.h"
#include "sound/music_player.h"
#include "sound/named_sound.h"
#include "sound/sound_loader.h"
#include "sound/sound_device.h"
#include "sound/sound_source.h"
#include "game/hud.h"
#include "game/progress.h"
#include "game/score_table.h"
#include "world/racket.h"
#include "world/world_session.h"

#include <cmath>

GameFramework* gGameFramework = nullptr;
std::vector<std::string> gLevelNames;

GameFramework::GameFramework(const std::string&)
{
    gFramework = this;
    installSoundBinding();
    music.reset(new YMusicPlayer());
    // The pages work in a screen of 800 x 600 units; their events and those
    // of controls without a listener of their own (pictures) come here.
    ui.init(800.0f, 600.0f, this, nullptr);
    screen = requestedScreen = SCREEN_SPLASH;
    currentLevel = 0;
    highestLevel = 0;
    sys::srand(sys::timeGetTime());

    gScoreTable.load(YScoreTable::FILE_NAME);
    readProgress();
    gLevelNames = listLevelNames();
    gGameFramework = this;
    getGameConsole();

    startRendering();
    loadSoundList("data\\sound_fx.yml");

    mSystemFont = getFont("sysfont");

    // The splash screens arrive while the splash settings are read.
    gSplash = YSplash();
    gInit().setSplashHandler([](const InitSplash& s) {
        gSplash.addScreen(s.shader.c_str(), s.bgShader.c_str(), s.width, s.height, s.bgColor);
    });
    gInit().load("splash\\config.yml");
    loadShaders("splash\\shaders.yml");
    YLog::writef("Initialization...%s", "");
    gInit().load("config.yml");

    mWorld = std::make_unique<YWorldSession>(this);
    aboutPage.protectRequired = true;
    if (!loadInterface())
        return; // a tampered about page: the game does not start
    gHud.init();

    music->addFolder("music");
    setListenerDistanceFactors(0.02f);
    setSoundVolume(gInit().volume);
    setMusicVolume(gInit().music);
    uiListener = this;

    mCameraFit = 1.0f / std::sin(degToRad(gCamera().fov() * 0.5f));

    fullscreen = gInit().fullscreen;
    createWindow();

    makeLevelThumbnails();
    readCameraPath();
    gComets.reset();
    gEnvironment().load("");
    gRacket->startMenuRun();

    screen = SCREEN_SPLASH;
    transition = STEADY;
    mLastFrameTime = sys::timeGetTime();
    mStartedUp = true;
}

GameFramework::~GameFramework()
{
    // The world goes first and silently, then the assets of the run while
    // the renderer still exists.
    mWorld.reset();
    mConsole.reset();
    gInit().setSplashHandler(nullptr);
    ui.root = nullptr;
    ui.detach();
    releaseRunAssets();
    delete gRender;
    destroyWindow();
    music.reset();
    uninstallSoundBinding();
    if (gGameFramework == this)
        gGameFramework = nullptr;
}

void GameFramework::quit()
{
    gInit().save();
    YFramework::quit();
}

void GameFramework::createWindow()
{
    createConfiguredWindow(PRODUCT_NAME);
}

void GameFramework::toggleFullscreen()
{
    setFullscreen(!fullscreen, PRODUCT_NAME);
}

void GameFramework::applyWindowChanges()
{
    const int wanted = mWantedFullscreen;
    mWantedFullscreen = -1;
    if (mRecreateWindow) {
        mRecreateWindow = false;
        if (wanted >= 0)
            fullscreen = wanted != 0;
        gInit().fullscreen = fullscreen;
        destroyWindow();
        createWindow();
    } else if (wanted >= 0 && (wanted != 0) != fullscreen) {
        toggleFullscreen();
    }
}

const uint32_t* GameFramework::getIcon(int& width, int& height)
{
    return programIcon(width, height);
}
