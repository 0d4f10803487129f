// Keys, characters and the pointer, routed by screen to the splash, the
// console, the menu pages, the racket and the play view.
#include "game/game_framework.h"
#include "game/splash.h"
#include "platform/wnd/keys.h"
#include "render/console.h"
#include "world/racket.h"

namespace {

// The menu pages work in a screen 800 units wide and 600 high.
constexpr float PAGE_ASPECT = 800.0f / 600.0f;

constexpr float ANGLE_STEP = 5.0f;
// One wheel notch (120) turns the throw angle by one step.
constexpr float WHEEL_PER_DEGREE = 24.0f;

bool isFunctionKeyWithoutUse(int key)
{
    return (key >= vk::F1 && key < vk::F8) || key == vk::F8 + 1;
}

} // namespace

int GameFramework::pageY(int y) const { return static_cast<int>(static_cast<float>(y) * aspect / PAGE_ASPECT); }

bool GameFramework::pageShown() const { return ui.root != nullptr; }

void GameFramework::onKeyDown(int key)
{
    if (screen == SCREEN_SPLASH) {
        skipSplash(key == vk::ESCAPE);
        return;
    }
    if (screen == SCREEN_INTRO_FLIGHT) {
        setScreen(SCREEN_MAIN_MENU);
        return;
    }
    // The console key opens and closes the console; the character it makes
    // is not typed (onChar).
    mConsoleKeyPressed = key == vk::OEM_3;
    YConsole& console = getGameConsole();
    if (mConsoleKeyPressed) {
        console.setVisible(!console.isVisible());
        return;
    }
    if (console.isVisible()) {
        if (key == vk::PRIOR || key == vk::NEXT)
            console.scrollPage(key == vk::PRIOR);
        return;
    }

    const bool playing = screen == SCREEN_PLAYING;
    switch (key) {
    case vk::ESCAPE:
        if (transition != STEADY)
            break;
        if (screen == SCREEN_MAIN_MENU) {
            showMainMenuPage();
        } else if (playing) {
            endViewDrag();
            screen = SCREEN_PAUSED;
            showPausePage();
            mBackdropDirty = true;
        }
        break;
    case vk::SPACE:
        if (playing)
            gRacket->launch(1);
        else
            ui.keyDown(key);
        break;
    case vk::UP:
    case vk::DOWN:
        if (playing)
            gRacket->adjustBallAngle(key == vk::UP ? ANGLE_STEP : -ANGLE_STEP);
        else
            ui.keyDown(key);
        break;
    case vk::F8:
        if (isKeyDown(vk::CONTROL) && isKeyDown(vk::MENU))
            toggleFullscreen();
        break;
    case vk::F10:
        setScreen(SCREEN_QUIT);
        break;
    default:
        if (!isFunctionKeyWithoutUse(key))
            ui.keyDown(key);
        break;
    }
}

void GameFramework::onChar(int character)
{
    if (mConsoleKeyPressed)
        return;
    YConsole& console = getGameConsole();
    if (console.isVisible())
        console.onChar(character);
    else
        ui.charInput(character);
}

void GameFramework::onMouseDown(int button, int x, int y)
{
    // A shown page takes every click.
    if (pageShown()) {
        ui.mouseDown(button, x, pageY(y));
        return;
    }
    switch (screen) {
    case SCREEN_SPLASH:
        skipSplash(false);
        break;
    case SCREEN_PLAYING:
        if (button == 1) {
            gRacket->launch(1);
        } else if (button == 2 && !menuView.dragging()) {
            // The view turns while the pointer, hidden at the centre, moves;
            // the pointer comes back where it was when the drag ends.
            mDragSavedX = mouseX;
            mDragSavedY = mouseY;
            const int cx = clientWidth / 2, cy = clientHeight / 2;
            setCursorPos(cx, cy);
            menuView.beginDrag(cx, cy);
        }
        break;
    case SCREEN_INTRO_FLIGHT:
        setScreen(SCREEN_MAIN_MENU);
        break;
    default:
        break;
    }
}

void GameFramework::onMouseUp(int button, int x, int y)
{
    if (pageShown()) {
        ui.mouseUp(button, x, pageY(y));
        return;
    }
    // Only a drag that runs ends here: a right click that skipped the splash
    // or the intro has nothing to give back.
    if (button == 2 && menuView.dragging()) {
        menuView.endDrag(x, y);
        setCursorPos(mDragSavedX, mDragSavedY);
    }
}

void GameFramework::endViewDrag()
{
    if (!menuView.dragging())
        return;
    menuView.endDrag(mouseX, mouseY);
    setCursorPos(mDragSavedX, mDragSavedY);
}

void GameFramework::onMouseMove(int x, int y)
{
    if (menuView.dragging()) {
        menuView.drag(x, y);
        mBackdropDirty = true;
    } else if (screen == SCREEN_PLAYING && clientWidth > 0) {
        gRacket->moveTo(2.0f * static_cast<float>(x) / static_cast<float>(clientWidth) - 1.0f);
    }
    ui.mouseMove(x, pageY(y));
}

void GameFramework::onMouseWheel(int delta)
{
    if (gRacket)
        gRacket->adjustBallAngle(static_cast<float>(-delta) / WHEEL_PER_DEGREE);
}

void GameFramework::showMainMenuPage() { setMenuPage(&mainMenuPage); }
void GameFramework::showPausePage() { setMenuPage(&pausePage); }

// Escape ends the whole splash sequence after the running screen's fade-out;
// another key or a click fades that screen out.
void GameFramework::skipSplash(bool all)
{
    if (all)
        gSplash.skipAll();
    else
        gSplash.skip();
}
