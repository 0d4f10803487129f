// The device lifecycle of the renderer: display modes, device creation,
// frames, device loss, the frame copy and captures.
#include "core/display_modes.h"
#include "core/init.h"
#include "core/log.h"
#include "platform/gfx/device.h"
#include "platform/img/image.h"
#include "platform/sys/message_box.h"
#include "platform/wnd/window.h"
#include "render/camera.h"
#include "render/render_d3d.h"
#include "render/resource.h"

#include <algorithm>
#include <cstdlib>

void Render_D3D::enumerateModes(std::vector<YDisplayMode>& out)
{
    std::vector<YDisplayMode> raw;
    for (const wnd::DisplayModeInfo& m : wnd::displayModes()) {
        YLog::appendf("Mode %dx%d:%d@%d", m.width, m.height, m.bits, m.refresh);
        if (m.width < 640 || m.height < 480 || m.bits < 16) {
            YLog::write(" ignored");
            continue;
        }
        // Every mode has a 24-bit depth buffer with an 8-bit stencil: the
        // back buffer is our own framebuffer object.
        YLog::write(" checked, ok");
        raw.push_back(YDisplayMode(static_cast<uint32_t>(m.width), static_cast<uint32_t>(m.height),
                                   static_cast<uint32_t>(m.bits), static_cast<uint32_t>(m.refresh), -1));
    }
    wnd::DisplayModeInfo d = wnd::desktopMode();
    YDisplayMode desktop(static_cast<uint32_t>(d.width), static_cast<uint32_t>(d.height),
                         static_cast<uint32_t>(d.bits), static_cast<uint32_t>(d.refresh), -1);
    out = buildModeList(raw, desktop);

    mModes.clear();
    for (const YDisplayMode& m : out) {
        if (m.index >= 0)
            mModes.push_back(AdapterMode{static_cast<int>(m.width), static_cast<int>(m.height),
                                         static_cast<int>(m.bits), static_cast<int>(m.refresh)});
    }
    if (mModes.empty()) {
        YLog::write("Requires 3D Accelerator Card.");
        sys::messageBox("Requires 3D Accelerator Card.", "Quorbixel Error", sys::MessageIcon::Information);
        std::exit(1);
    }
    const YDisplayMode& last = out.back();
    mDesktop = AdapterMode{static_cast<int>(last.width), static_cast<int>(last.height),
                           static_cast<int>(last.bits ? last.bits : 32), static_cast<int>(last.refresh)};
    mStencil = true;
}

bool Render_D3D::tryMode(bool fullscreen, int modeIndex)
{
    int width = 0, height = 0;
    if (fullscreen) {
        if (modeIndex < 0 || modeIndex >= static_cast<int>(mModes.size()))
            modeIndex = 0;
        if (mModes.empty())
            return false;
        width = mModes[modeIndex].width;
        height = mModes[modeIndex].height;
    } else {
        mWindow->clientSize(width, height);
    }
    std::string error;
    // In a window nothing reads the frame back after present (no frame
    // copy), so the device may draw straight into the window.
    mDevice = gfx::Device::create(*mWindow, std::max(width, 1), std::max(height, 1), &error, !fullscreen);
    if (!mDevice) {
        YLog::writef("Graphics device: %s", error.c_str());
        return false;
    }
    mFullscreen = fullscreen;
    // Stencil shadows need the stencil part of the depth buffer.
    mStencil = mDevice->stencilBits() > 0;
    if (fullscreen) {
        mFrameCopy = mDevice->createRenderTarget(width, height);
        mFrameCopyFresh = mFrameCopy != nullptr;
    }
    return true;
}

bool Render_D3D::createDevice(wnd::Window& window, bool fullscreen, int modeIndex)
{
    mWindow = &window;
    YLog::writef("Video mode = %s", gInit().mode.c_str());
    YLog::writef("Fullscreen = %d", fullscreen ? 1 : 0);
    bool ok = tryMode(fullscreen, modeIndex);
    if (!ok && !fullscreen) {
        gInit().fullscreen = true;
        YLog::writef("Video mode = %s", gInit().mode.c_str());
        YLog::writef("Fullscreen = %d", 1);
        ok = tryMode(true, modeIndex);
    }
    if (!ok) {
        // The next start tries the first listed mode.
        gInit().mode = gDisplayModes().resolve("");
        gInit().save();
        YLog::write("Could not create D3D device.");
        return false;
    }
    YLog::write("D3D device created.");
    YLog::writef("Driver %s", mDevice->vendor().c_str());
    YLog::writef("Description %s", mDevice->rendererName().c_str());
    YLog::writef("Version %s", mDevice->version().c_str());
    mMaxStages = static_cast<unsigned>(std::min(mDevice->maxTextureStages(), YMAX_STAGES));
    YLog::writef("Caps MaxSimultaneousTextures = %d", mDevice->maxTextureStages());
    // GL does not report free texture memory: 0 means unknown.
    int memory = 0;
    YLog::writef("AvailableTextureMemory = %d", memory);
    YLog::writef("Max texture size = %d", mDevice->maxTextureSize());
    int scale = memory > 0 ? std::max(1, std::min(4, 16 / memory)) : 1;
    YLog::writef("Textures scale = %d", scale);
    YLog::writef("Back buffer %dx%d: %s", mDevice->backWidth(), mDevice->backHeight(),
                 mDevice->drawsToWindow() ? "the window's" : "copied to the window");

    mDevice->beginScene();
    mDevice->clear(true, true, mStencil, 0xFF000000u, 1.0f, 0);
    mDevice->endScene();
    mDevice->present();
    return true;
}

bool Render_D3D::resizeBackBuffer()
{
    if (mFullscreen || !mDevice || !mWindow)
        return true;
    int w = 0, h = 0;
    mWindow->clientSize(w, h);
    if (w <= 0 || h <= 0)
        return false;
    return mDevice->resizeBackBuffer(w, h);
}

void Render_D3D::releaseDevice()
{
    if (!mDevice)
        return;
    invalidateRenderResources(YRK_ALL);
    endCapture();
    if (mFrameCopy)
        mDevice->releaseRenderTarget(mFrameCopy);
    mFrameCopy = nullptr;
    mDevice.reset();
    mMaxStages = 0;
    mStageCount = 0;
    YLog::write("D3D Device Released.");
}

void Render_D3D::beginFrame(bool clearColor)
{
    if (!mDevice)
        return;
    // The device puts GL back into its defaults first, so the caches reset
    // below describe what the device really holds.
    mDevice->beginScene();
    resetRenderStates();
    mDevice->clear(clearColor, true, mStencil, 0xFF000000u, 1.0f, 0);
    const float* identity = YMatrix::identity().m;
    std::copy(identity, identity + 16, mProjection);
    std::copy(identity, identity + 16, mWorld);
    mDevice->setTransform(gfx::TS_PROJECTION, identity);
    mDevice->setTransform(gfx::TS_VIEW, identity);
    mDevice->setTransform(gfx::TS_WORLD, identity);
    gfx::Light light;
    const float diffuse[4] = {1.0f, 0.95f, 0.8f, 1.0f};
    const float ambient[4] = {0.6f, 0.6f, 0.8f, 1.0f};
    std::copy(diffuse, diffuse + 4, light.diffuse);
    std::copy(diffuse, diffuse + 4, light.specular);
    std::copy(ambient, ambient + 4, light.ambient);
    YVec3 dir = gCamera().lightInCameraSpace();
    light.direction[0] = dir.x;
    light.direction[1] = dir.y;
    light.direction[2] = dir.z;
    mDevice->setLight(light);
    mDevice->setRenderState(gfx::RS_LIGHTING, 1);
}

void Render_D3D::endFrame()
{
    if (!mDevice)
        return;
    mDevice->setStreamSource(nullptr, 0);
    mDevice->setIndices(nullptr);
    for (unsigned stage = 0; stage < mMaxStages; ++stage)
        mDevice->setTexture(static_cast<int>(stage), nullptr);
    mDevice->endScene();
    mDevice->present();
}

bool Render_D3D::restoreDevice()
{
    if (!mDevice)
        return false;
    switch (mDevice->state()) {
    case gfx::DeviceState::Ok:
        return true;
    case gfx::DeviceState::Lost:
        return false;
    case gfx::DeviceState::NotReset:
        break;
    }
    invalidateRenderResources(YRK_DEVICE_RESET);
    bool hadFrameCopy = mFrameCopy != nullptr;
    if (mFrameCopy)
        mDevice->releaseRenderTarget(mFrameCopy);
    mFrameCopy = nullptr;
    if (!mDevice->reset())
        return false;
    if (hadFrameCopy) {
        mFrameCopy = mDevice->createRenderTarget(mDevice->backWidth(), mDevice->backHeight());
        mFrameCopyFresh = mFrameCopy != nullptr;
    }
    restoreRenderResources(YRK_DEVICE_RESET);
    return true;
}

bool Render_D3D::hasFrameCopy() { return mFrameCopy != nullptr; }

bool Render_D3D::frameCopyNeedsRefresh()
{
    bool fresh = mFrameCopyFresh;
    mFrameCopyFresh = false;
    return fresh;
}

void Render_D3D::beginFrameCopy(bool clearColor)
{
    if (!mDevice || !mFrameCopy)
        return;
    mTarget = mFrameCopy;
    mDevice->setRenderTarget(mFrameCopy);
    if (clearColor)
        mDevice->clear(true, false, false, 0xFF000000u, 1.0f, 0);
}

void Render_D3D::endFrameCopy()
{
    if (!mDevice || !mFrameCopy)
        return;
    mDevice->copyTarget(mFrameCopy, nullptr);
    mTarget = nullptr;
    mDevice->setRenderTarget(nullptr);
    mDevice->clear(false, true, mStencil, 0, 1.0f, 0);
}

void Render_D3D::drawFrameCopy()
{
    if (mDevice && mFrameCopy)
        mDevice->copyTarget(mFrameCopy, mTarget);
}

bool Render_D3D::beginCapture(int width, int height)
{
    if (!mDevice || width <= 0 || height <= 0)
        return false;
    endCapture();
    mCapture = mDevice->createRenderTarget(width, height);
    if (!mCapture)
        return false;
    mTarget = mCapture;
    mDevice->setRenderTarget(mCapture);
    return true;
}

bool Render_D3D::saveCapture(const char* fileName)
{
    if (!mDevice || !mCapture || !fileName)
        return false;
    int w = 0, h = 0;
    std::vector<uint8_t> rgba;
    if (!mDevice->readPixels(mCapture, w, h, rgba))
        return false;
    std::string error;
    if (!img::saveBmp(fileName, w, h, rgba.data(), true, &error)) {
        YLog::writef("Cannot save %s: %s", fileName, error.c_str());
        return false;
    }
    return true;
}

void Render_D3D::endCapture()
{
    if (!mDevice || !mCapture)
        return;
    mTarget = nullptr;
    mDevice->setRenderTarget(nullptr);
    mDevice->releaseRenderTarget(mCapture);
    mCapture = nullptr;
}
