// Screen changes and their entry actions, the world's reports, levels,
// progress and the level pictures.
#include "core/file_list.h"
#include "core/init.h"
#include "core/log.h"
#include "game/camera_path.h"
#include "game/game_framework.h"
#include "game/progress.h"
#include "platform/img/image.h"
#include "platform/sys/files.h"
#include "platform/sys/paths.h"
#include "render/mesh_draw.h"
#include "render/skel_instance.h"
#include "render/render.h"
#include "render/shadow_volume.h"
#include "sound/music_player.h"
#include "world/block.h"
#include "world/block_update.h"
#include "world/level_start.h"
#include "world/racket.h"
#include "world/table.h"
#include "world/world_session.h"

#include <algorithm>

void GameFramework::setScreen(int32_t newScreen)
{
    if (newScreen == requestedScreen && transition != STEADY)
        return; // that change already runs
    requestedScreen = newScreen;
    transition = FADING_OUT;
    fade = 1.0f;
}

void GameFramework::enterScreen()
{
    mBackdropDirty = true;
    endViewDrag();
    switch (screen) {
    case SCREEN_MAIN_MENU:
        setMenuPage(&mainMenuPage);
        clearWorld();
        gRacket->startMenuRun();
        music->play(0, 0.5f);
        break;
    case SCREEN_NEW_GAME:
        loadCurrentLevel();
        gRacket->newGame();
        screen = SCREEN_PLAYING;
        setMenuPage(nullptr);
        music->next(2.0f);
        break;
    case SCREEN_GAME_OVER:
        gRacket->startLevel();
        showScoresEntry();
        music->play(1, 2.0f);
        break;
    case SCREEN_LEVEL_END:
        if (gRacket->lives <= 0) {
            screen = SCREEN_GAME_OVER;
            enterScreen();
        } else if (currentLevel < static_cast<int32_t>(gLevelNames.size()) - 1) {
            ++currentLevel;
            highestLevel = std::max(highestLevel, currentLevel);
            writeProgress();
            loadCurrentLevel();
            gRacket->serve();
            screen = SCREEN_PLAYING;
            music->next(2.0f);
        } else {
            screen = SCREEN_GAME_COMPLETED;
            enterScreen();
        }
        break;
    case SCREEN_QUIT:
        music->fadeOut();
        quit();
        break;
    case SCREEN_INTRO_FLIGHT:
        setMenuPage(nullptr);
        clearWorld();
        gRacket->startMenuRun();
        mPathTime = 0.0f;
        music->play(0, 0.1f);
        break;
    case SCREEN_GAME_COMPLETED:
        clearWorld();
        gRacket->startMenuRun();
        showScoresEntry();
        music->play(0, 0.5f);
        break;
    default: // Playing, Paused, Splash
        break;
    }
}

void GameFramework::onGameOver() { setScreen(SCREEN_GAME_OVER); }
void GameFramework::onLevelEnd() { setScreen(SCREEN_LEVEL_END); }
void GameFramework::onCenterPointer() { setCursorPos(clientWidth / 2, mouseY); }

void GameFramework::onSize(int width, int height)
{
    ui.resize(width, pageY(height));
    menuView.setWindowSize(width, height);
    rememberWindowSize(width, height);
}

void GameFramework::loadCurrentLevel()
{
    if (currentLevel < 0 || currentLevel >= static_cast<int32_t>(gLevelNames.size())) {
        YLog::writef("No level %d to load (%d levels)", currentLevel, static_cast<int>(gLevelNames.size()));
        clearWorld();
        return;
    }
    loadLevelBlocks(std::string(gLevelDir) + gLevelNames[currentLevel]);
    // The new blocks settle before play starts.
    gRacket->startLevel();
}

void GameFramework::readProgress()
{
    highestLevel = ::readProgress();
}

void GameFramework::writeProgress()
{
    ::writeProgress(highestLevel);
}

void GameFramework::readCameraPath()
{
    static const char* const fileName = "data\\path.cpt";
    std::string text, problem;
    if (!sys::readFile(fileName, text)) {
        gCameraPath.clear();
        YLog::writef("Camera path %s cannot be read: the intro goes on to the main menu", fileName);
        return;
    }
    if (!parseCameraPath(text, gCameraPath, problem))
        YLog::writef("Camera path %s: %s; the flight keeps the %d records before it", fileName, problem.c_str(),
                     static_cast<int>(gCameraPath.size()));
}

void GameFramework::makeLevelThumbnails()
{
    bool capturing = false;
    for (const std::string& name : gLevelNames) {
        std::string path = std::string(gLevelDir) + "thumb\\" + name + ".bmp";
        if (fileExists(path.c_str(), false)) {
            img::Image picture;
            std::string why;
            if (img::loadImage(path, picture, &why))
                continue;
            YLog::writef("Level picture %s is damaged, made again: %s", path.c_str(), why.c_str());
        }
        if (!capturing) {
            sys::makeDirectories(std::string(gLevelDir) + "thumb");
            if (!gRender->beginCapture(128, 128)) {
                YLog::write("Level pictures: no capture surface, none made");
                return;
            }
            capturing = true;
        }
        loadLevelBlocks(std::string(gLevelDir) + name);
        YMeshDraw* hero = gRacket->hero.get();
        bool heroVisible = hero && hero->visible;
        if (hero)
            hero->visible = false;

        // The whole capture surface (its viewport is left alone), and the
        // level alone: no racket marker, no hero.
        // The camera first: the frame's start turns the scene light into
        // the camera's space.
        updateCamera(0.0f);
        gRender->beginFrame(false);
        gShadows().begin(YShadowVolume::TABLE_FLOOR);
        drawBackdrop(nullptr, nullptr, getStretch(), YTable::DRAW_ALL);
        updateAllBlocks(0.0f, false);
        drawWorldQueues(false);
        drawShadows(true);
        gRender->setShader(nullptr, false);
        gRender->endFrame();

        if (hero)
            hero->visible = heroVisible;
        if (gRender->saveCapture(path.c_str()))
            YLog::writef("Level picture %s made", path.c_str());
        else
            YLog::writef("Level picture %s could not be saved", path.c_str());
    }
    if (capturing) {
        gRender->endCapture();
        clearWorld();
    }
}
