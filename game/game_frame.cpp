// The game's frame: time, the world of the current screen, the camera, the
// scene, the overlays and the fades.
#include "core/init.h"
#include "game/camera_path.h"
#include "game/comets.h"
#include "game/game_framework.h"
#include "game/hud.h"
#include "game/screen_quad.h"
#include "game/splash.h"
#include "platform/sys/clock.h"
#include "platform/sys/random.h"
#include "platform/wnd/keys.h"
#include "render/camera.h"
#include "render/draw_queue.h"
#include "render/environment.h"
#include "render/font.h"
#include "render/mesh_draw.h"
#include "render/particles.h"
#include "render/render.h"
#include "render/shader.h"
#include "render/shadow_volume.h"
#include "sound/sound_device.h"
#include "world/block_update.h"
#include "world/physics_world.h"
#include "world/racket.h"
#include "world/table.h"
#include "world/world_session.h"

#include <algorithm>
#include <cmath>

bool GameFramework::renderFrame()
{
    if (!gRender || !gRender->restoreDevice()) {
        // A lost device: no time gathers beyond one step meanwhile.
        mLastFrameTime = sys::timeGetTime();
        return false;
    }
    uint32_t now = sys::timeGetTime();
    mFrameTime += static_cast<float>(now - mLastFrameTime) * 0.001f;
    mLastFrameTime = now;
    // At most 100 frames a second: a frame that comes early sleeps until it
    // is due. The clock counts whole milliseconds, so half a millisecond
    // short of 10 ms is a frame too (the float sum of whole milliseconds may
    // fall just below 0.01 s).
    if (mFrameTime < 0.0095f) {
        sys::sleepMs(static_cast<uint32_t>(std::lround((0.01f - mFrameTime) * 1000.0f)));
        return false;
    }
    float dt = std::min(mFrameTime, 0.05f);
    mFrameTime = 0.0f;
    applyWindowChanges();
    // A new language whose pages fail their check ends the game here.
    if (mReloadInterface && !reloadInterface())
        return false;

    if (screen == SCREEN_SPLASH) {
        // Nothing else runs while the splash sequence shows; when it is
        // over the intro flight fades in.
        gSplash.update(dt);
        gRender->beginFrame(false);
        if (!gSplash.draw()) {
            screen = SCREEN_INTRO_FLIGHT;
            transition = FADING_IN;
            fade = 1.0f;
            enterScreen();
        }
        gRender->endFrame();
        return true;
    }
    if (screen == SCREEN_PLAYING) {
        int step = static_cast<int>(clientWidth * dt);
        bool left = isKeyDown(vk::LEFT), right = isKeyDown(vk::RIGHT);
        if (left)
            mouseX -= step;
        else if (right)
            mouseX += step;
        if (left || right)
            setCursorPos(mouseX, mouseY);
    }
    if (screen == SCREEN_MAIN_MENU || screen == SCREEN_INTRO_FLIGHT || screen == SCREEN_GAME_COMPLETED)
        gComets.update(dt);

    updateSound();
    updateShaders(dt);
    if (ui.root)
        ui.root->update(dt);
    getGameConsole().update(dt);
    if (screen != SCREEN_PAUSED) {
        gPhysics->step(dt);
        gRacket->update(dt);
        gHud.updatePopups(dt);
    }
    if (gTable)
        gTable->update(dt);

    drawScene(dt);
    drawOverlay();
    runFade(dt);

    getGameConsole().draw();
    gRender->setShader(nullptr, false);
    if (gInit().fps && mSystemFont) {
        gRender->setOrtho2D(0, 0, 800, 600);
        mSystemFont->drawTextf(32, 32, 32, "FPS=%0.1f", getFps());
    }
    gRender->endFrame();
    return true;
}

void GameFramework::drawScene(float dt)
{
    bool playing = screen == SCREEN_PLAYING;
    float aspect = getStretch() * (playing ? 1.0f : 1.0f / 0.7f);
    const float fullPos[2] = {0, 0}, fullSize[2] = {1, 1};
    const float bandPos[2] = {0, 0.15f}, bandSize[2] = {1, 0.7f};
    const float* pos = playing ? fullPos : bandPos;
    const float* size = playing ? fullSize : bandSize;

    if (!gRender->hasFrameCopy()) {
        updateCamera(dt);
        placeListener();
        gRender->beginFrame(true);
        drawBackdropWithShadows(pos, size, aspect, YTable::DRAW_ALL);
    } else {
        // The stored backdrop is drawn again when shadows were switched on
        // or off since: it holds the table's shadows on itself.
        const bool shadows = shadowsEnabled();
        if (!mBackdropDirty && !gRender->frameCopyNeedsRefresh() && shadows == mBackdropShadows) {
            gRender->beginFrame(true);
            gRender->setViewport(pos, size);
            gRender->drawFrameCopy();
        } else {
            mBackdropDirty = false;
            mBackdropShadows = shadows;
            updateCamera(dt);
            placeListener();
            gRender->beginFrame(true);
            gRender->beginFrameCopy(true);
            drawBackdropWithShadows(pos, size, aspect, YTable::DRAW_MESH);
            gRender->endFrameCopy();
            gRender->setViewport(pos, size);
        }
        gRender->setPerspective(gCamera().fov(), aspect, 5.0f, 650.0f);
        gRender->setWorldMatrix(gCamera().view().m);
        if (gTable)
            gTable->draw(YTable::DRAW_ALL & ~YTable::DRAW_MESH);
    }

    // What moves casts its shadows down to the floor, over the table.
    gShadows().begin(YShadowVolume::PLAY_FLOOR);
    // Paused, the blocks' scheduled deaths and the particles stand still:
    // a zero step still queues them for drawing.
    const float worldDt = screen == SCREEN_PAUSED ? 0.0f : dt;
    updateAllBlocks(worldDt, playing);
    gParticles().update(worldDt);
    drawWorldQueues();
    drawShadows(false);
}

void GameFramework::drawOverlay()
{
    const float pos[2] = {0, 0}, size[2] = {1, 1};
    if (!ui.root) {
        gRender->setViewport(pos, size);
        gRender->setOrtho2D(0, 0, 800, 600);
        if (screen == SCREEN_PLAYING)
            gHud.draw();
        return;
    }
    // The page over a veil across the scene, then the logo (not
    // while paused) and the pointer.
    if (!mUiShader)
        mUiShader = getShader("ui");
    gRender->setOrtho2D(0, 0, 1, 1);
    gRender->setShader(mUiShader, true);
    drawScreenQuad(0.0f, 0.0f, 1.0f, 1.0f);
    gRender->setViewport(pos, size);
    ui.render(true);
    gRender->setOrtho2D(0, 0, 800, 600);
    if (screen != SCREEN_PAUSED)
        drawLogo();
    drawPointer();
}

void GameFramework::runFade(float dt)
{
    if (transition == FADING_OUT) {
        fade -= dt;
        drawFade(1.0f - std::max(fade, 0.0f));
        if (fade < 0.0f) {
            transition = FADING_IN;
            screen = requestedScreen;
            fade = 1.0f;
            enterScreen();
        }
    } else if (transition == FADING_IN) {
        fade -= dt;
        if (fade >= 0.0f)
            drawFade(fade);
        else
            transition = STEADY;
    }
}

void GameFramework::drawPointer()
{
    if (!mCursorShader)
        mCursorShader = getShader("cursor");
    float x = clientWidth > 0 ? mouseX * 800.0f / clientWidth : 0.0f;
    float y = clientHeight > 0 ? mouseY * 600.0f / clientHeight : 0.0f;
    gRender->setShader(mCursorShader, true);
    drawScreenQuad(x, y, x + 30.0f, y + 30.0f);
}

void GameFramework::drawLogo()
{
    if (!mLogoShader)
        mLogoShader = getShader("logo");
    gRender->setShader(mLogoShader, true);
    drawScreenQuad(175.0f, 0.0f, 625.0f, 225.0f);
}

void GameFramework::drawFade(float alpha)
{
    if (!mFadeShader)
        mFadeShader = getShader("fade");
    float c = 1.0f - alpha;
    const float colour[4] = {c, c, c, alpha};
    gRender->setOrtho2D(0, 0, 800, 600);
    gRender->setShaderColor(mFadeShader, colour);
    drawScreenQuad(0.0f, 0.0f, 800.0f, 600.0f);
}

void GameFramework::placeListener()
{
    float d = gTable ? gTable->halfDepth() : 10.0f;
    YMatrix m = gCamera().view().rotationPart();
    setListenerPosition(m.transformVector(YVec3(0, 0, -d)));
    setListenerOrientation(m.transformVector(YVec3(0, 1, 0)), m.transformVector(YVec3(0, 0, 1)));
}

float GameFramework::viewingDistance() const
{
    float hw = gTable ? gTable->halfWidth() : 10.0f;
    float hd = gTable ? gTable->halfDepth() : 10.0f;
    return tableViewingDistance(hw, hd, mCameraFit);
}

void GameFramework::lookAt(const YVec3& eye, const YVec3& target, float fov)
{
    // Right-handed look-at: the camera's z axis points from the target to
    // the eye, x = up x z, y = z x x.
    YVec3 z = eye - target;
    if (z.length() <= 1e-6f)
        z = YVec3(0, 0, 1);
    z.normalize();
    YVec3 x = cross(YVec3(0, 0, 1), z);
    if (x.length() <= 1e-6f)
        x = YVec3(1, 0, 0);
    x.normalize();
    YVec3 y = cross(z, x);
    YMatrix view;
    view.m[0] = x.x, view.m[1] = y.x, view.m[2] = z.x;
    view.m[4] = x.y, view.m[5] = y.y, view.m[6] = z.y;
    view.m[8] = x.z, view.m[9] = y.z, view.m[10] = z.z;
    view.m[12] = -x.dot(eye), view.m[13] = -y.dot(eye), view.m[14] = -z.dot(eye);
    gCamera().setTransform(view);
    gCamera().setFov(fov);
}

void GameFramework::updateCamera(float dt)
{
    float dist = viewingDistance();
    if (dt <= 0.0f) {
        // The still view of the level pictures: a random turn about z, then
        // 50 degrees down, at the viewing distance.
        YMatrix yaw, pitch, back;
        yaw.makeRotationZ(static_cast<float>(sys::rand()) * 90.0f / 32767.0f - 45.0f);
        pitch.makeRotationX(-50.0f);
        back.makeTranslation(YVec3(0, 0, -dist));
        gCamera().setTransform(back * (pitch * yaw));
        return;
    }
    if (screen == SCREEN_PLAYING || screen == SCREEN_PAUSED) {
        YMatrix back;
        back.makeTranslation(YVec3(0, 0, -dist));
        gCamera().setTransform(back * menuView.matrix());
        gCamera().setFov(45.0f);
        return;
    }
    if (screen == SCREEN_INTRO_FLIGHT) {
        // The flight asks for the main menu two seconds before the path
        // ends, at once when there is no path; only while no fade runs, so
        // it neither cuts its own fade-in short nor replaces another change.
        mPathTime += dt;
        if (transition == STEADY && cameraPathDuration(gCameraPath) - mPathTime < CAMERA_PATH_MENU_LEAD)
            setScreen(SCREEN_MAIN_MENU);
        mBackdropDirty = true;
        if (!gCameraPath.empty()) {
            const YCameraPathRecord pose = cameraPathPose(gCameraPath, mPathTime);
            lookAt(pose.eye, pose.target, pose.fov);
            return;
        }
    }
    // The menu orbit (also the intro's view when it has no path).
    fitMenuOrbit(menuOrbit, dist);
    menuOrbit.update(dt);
    lookAt(menuOrbit.position, YVec3(0, 0, 0), 45.0f);
    mBackdropDirty = true;
}
