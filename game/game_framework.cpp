#include "game/game_framework.h"

#include "core/display_modes.h"
#include "core/file_list.h"
#include "core/init.h"
#include "core/log.h"
#include "core/version.h"
#include "game/command_line.h"
#include "game/comets.h"
#include "game/splash.h"
#include "platform/sys/clock.h"
#include "platform/sys/instance_lock.h"
#include "platform/sys/message_box.h"
#include "platform/sys/paths.h"
#include "platform/sys/random.h"
#include "render/camera.h"
#include "render/draw_queue.h"
#include "render/environment.h"
#include "render/font.h"
#include "render/mesh_draw.h"
#include "render/particles.h"
#include "render/render_d3d.h"
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

    std::string error;
    if (!wnd::initVideo(&error)) {
        YLog::writef("Video system unavailable: %s", error.c_str());
        sys::messageBox("Window Creation Error.", "ERROR");
        std::exit(1);
    }
    new Render_D3D();
    std::vector<YDisplayMode> modes;
    gRender->enumerateModes(modes);
    gDisplayModes().assign(modes);

    loadFonts("data\\fonts.yml");
    loadShaders("data\\shaders.yml");
    loadShaders("data\\shaders_env.yml");
    loadShaders("data\\shaders_blocks.yml");
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
    maximized = fullscreen ? false : gInit().maximize;
    if (fullscreen)
        createFullscreen(PRODUCT_NAME, gInit().mode.c_str());
    else
        createWindowed(PRODUCT_NAME, gInit().width, gInit().height);
}

void GameFramework::toggleFullscreen()
{
    // The window keeps its GL context: only its full-screen state changes.
    bool wanted = !fullscreen;
    if (window() && window()->setFullscreen(wanted)) {
        fullscreen = wanted;
    } else {
        destroyWindow();
        fullscreen = wanted;
        createWindow();
    }
    gInit().fullscreen = fullscreen;
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
    // A shaded ball on a transparent ground.
    static uint32_t pixels[32 * 32];
    static bool made = false;
    if (!made) {
        for (int y = 0; y < 32; ++y) {
            for (int x = 0; x < 32; ++x) {
                float dx = (x - 15.5f) / 14.0f, dy = (y - 15.5f) / 14.0f;
                float r2 = dx * dx + dy * dy;
                uint32_t p = 0;
                if (r2 <= 1.0f) {
                    float nz = std::sqrt(1.0f - r2);
                    float light = 0.25f + 0.75f * std::fmax(0.0f, (-dx - dy + nz) * 0.577f);
                    auto channel = [&](float base) {
                        float v = base * light * 255.0f;
                        return static_cast<uint32_t>(v > 255.0f ? 255.0f : v);
                    };
                    p = 0xFF000000u | (channel(0.45f) << 16) | (channel(0.75f) << 8) | channel(1.0f);
                }
                pixels[y * 32 + x] = p;
            }
        }
        made = true;
    }
    width = height = 32;
    return pixels;
}

int runProgram(int argc, char** argv)
{
    // The game folder is the folder of the executable: data, content and the
    // log live there whatever the caller's working folder is.
    std::string modulePath = sys::executablePath();
    std::string gameDir = sys::executableDir();
    if (!sys::changeDirectory(gameDir)) {
        std::string text = "Cannot enter the game folder " + gameDir;
        sys::messageBox(text.c_str(), PRODUCT_NAME);
        return 1;
    }

    sys::InstanceLock instance;
    bool anotherRuns = !instance.acquire("TarvelinMutex");
    YLog::writef("%s %s", PRODUCT_NAME, PRODUCT_VERSION);

    RunMode mode = parseCommandLine(argc > 1 ? argv[1] : "");
    switch (mode) {
    case RunMode::Editor:
        YLog::write("The level editor is not part of this build.");
        sys::messageBox("The level editor is not part of this build.", PRODUCT_NAME);
        return 1;
    case RunMode::Game:
        if (anotherRuns)
            return 0;
        break;
    case RunMode::SecondGame:
        break;
    }

    GameFramework* game = new GameFramework(modulePath);
    gFramework = game;
    // A game that stopped its start-up neither runs nor saves its settings.
    const bool started = game->startedUp();
    if (started)
        game->run();
    const int code = started ? game->exitCode() : 1;
    delete game;
    wnd::shutdownVideo();
    return code;
}
