// The virtual back buffer, off-screen render targets, copies between them,
// present and read-back.
#include "platform/gfx/device_impl.h"

#include "platform/wnd/window.h"

namespace gfx {

namespace {

bool complete()
{
    return gl.CheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
}

} // namespace

bool Device::Impl::allocateBackBuffer(int width, int height, std::string* error)
{
    if (width > maxRenderbufferSize || height > maxRenderbufferSize) {
        if (error)
            *error = "back buffer " + std::to_string(width) + "x" + std::to_string(height) + " exceeds " +
                     std::to_string(maxRenderbufferSize);
        return false;
    }
    int drawableWidth = 0, drawableHeight = 0;
    window->drawableSize(drawableWidth, drawableHeight);
    if (drawToWindowAllowed && windowHasDepthStencil && drawableWidth == width && drawableHeight == height) {
        drawsToWindow = true;
        freeVirtualBackBuffer();
        gl.BindFramebuffer(GL_FRAMEBUFFER, 0);
    } else {
        drawsToWindow = false;
        if (!backFbo) {
            gl.GenFramebuffers(1, &backFbo);
            gl.GenRenderbuffers(1, &backColor);
            gl.GenRenderbuffers(1, &depthStencil);
        }
        gl.BindRenderbuffer(GL_RENDERBUFFER, backColor);
        gl.RenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width, height);
        gl.BindRenderbuffer(GL_RENDERBUFFER, depthStencil);
        gl.RenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, width, height);
        gl.BindRenderbuffer(GL_RENDERBUFFER, 0);
        gl.BindFramebuffer(GL_FRAMEBUFFER, backFbo);
        gl.FramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, backColor);
        gl.FramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER, depthStencil);
        glDrawBuffer(GL_COLOR_ATTACHMENT0);
        glReadBuffer(GL_COLOR_ATTACHMENT0);
        if (!complete()) {
            if (error)
                *error = "the RGBA8 + D24S8 back buffer is not supported";
            bindTarget();
            return false;
        }
    }
    backWidth = width;
    backHeight = height;
    GLint bits = 0;
    glGetIntegerv(GL_STENCIL_BITS, &bits);
    stencilBits = bits;
    // Targets follow the new depth-stencil size.
    for (RenderTarget* t : targets)
        attachDepth(t);
    bindTarget();
    return true;
}

void Device::Impl::freeVirtualBackBuffer()
{
    if (!backFbo)
        return;
    gl.BindFramebuffer(GL_FRAMEBUFFER, 0);
    gl.DeleteFramebuffers(1, &backFbo);
    GLuint renderbuffers[2] = {backColor, depthStencil};
    gl.DeleteRenderbuffers(2, renderbuffers);
    backFbo = backColor = depthStencil = 0;
}

// Targets share the virtual back buffer's depth-stencil. GL draws only
// where all attachments overlap, so a target larger than the back buffer
// gets a depth-stencil of its own instead of being partly undrawable; so
// does every target while the window is drawn to, since a framebuffer
// object cannot take the window's depth-stencil.
bool Device::Impl::attachDepth(RenderTarget* t)
{
    GLuint depth = depthStencil;
    if (!drawsToWindow && t->width <= backWidth && t->height <= backHeight) {
        if (t->ownDepth) {
            gl.DeleteRenderbuffers(1, &t->ownDepth);
            t->ownDepth = 0;
        }
    } else {
        if (!t->ownDepth)
            gl.GenRenderbuffers(1, &t->ownDepth);
        gl.BindRenderbuffer(GL_RENDERBUFFER, t->ownDepth);
        gl.RenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, t->width, t->height);
        gl.BindRenderbuffer(GL_RENDERBUFFER, 0);
        depth = t->ownDepth;
    }
    gl.BindFramebuffer(GL_FRAMEBUFFER, t->fbo);
    gl.FramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER, depth);
    return complete();
}

RenderTarget* Device::Impl::newRenderTarget(int width, int height)
{
    if (width < 1 || height < 1 || width > maxRenderbufferSize || height > maxRenderbufferSize) {
        logOnce("render target of size " + std::to_string(width) + "x" + std::to_string(height) + " refused");
        return nullptr;
    }
    auto* t = new RenderTarget();
    t->width = width;
    t->height = height;
    gl.GenFramebuffers(1, &t->fbo);
    gl.GenRenderbuffers(1, &t->color);
    gl.BindRenderbuffer(GL_RENDERBUFFER, t->color);
    gl.RenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width, height);
    gl.BindRenderbuffer(GL_RENDERBUFFER, 0);
    gl.BindFramebuffer(GL_FRAMEBUFFER, t->fbo);
    gl.FramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, t->color);
    glDrawBuffer(GL_COLOR_ATTACHMENT0);
    glReadBuffer(GL_COLOR_ATTACHMENT0);
    if (!attachDepth(t)) {
        logOnce("render target framebuffer incomplete");
        deleteRenderTarget(t);
        bindTarget();
        return nullptr;
    }
    // New storage holds garbage: start from opaque black.
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    bindTarget();
    targets.insert(t);
    return t;
}

void Device::Impl::deleteRenderTarget(RenderTarget* t)
{
    gl.DeleteFramebuffers(1, &t->fbo);
    gl.DeleteRenderbuffers(1, &t->color);
    if (t->ownDepth)
        gl.DeleteRenderbuffers(1, &t->ownDepth);
    delete t;
}

void Device::Impl::bindTarget()
{
    gl.BindFramebuffer(GL_FRAMEBUFFER, fboOf(target));
}

// Like the original device, a new target gets a viewport covering it.
void Device::Impl::setRenderTarget(RenderTarget* t)
{
    if (t && !targets.count(t)) {
        logOnce("setRenderTarget: unknown or released target");
        return;
    }
    target = t;
    bindTarget();
    fullViewport();
}

// The colour of the bound read framebuffer into the bound draw framebuffer,
// scaled smoothly when the sizes differ. A draw that kept the colour (the
// stencil passes) leaves the colour mask closed; the blit opens it.
void Device::Impl::blitColor(int sw, int sh, int dw, int dh)
{
    if (!colorWrites)
        setColorMask(true);
    gl.BlitFramebuffer(0, 0, sw, sh, 0, 0, dw, dh, GL_COLOR_BUFFER_BIT,
                       (sw == dw && sh == dh) ? GL_NEAREST : GL_LINEAR);
    if (!colorWrites)
        setColorMask(false);
}

void Device::Impl::copyTarget(RenderTarget* source, RenderTarget* destination)
{
    if ((source && !targets.count(source)) || (destination && !targets.count(destination))) {
        logOnce("copyTarget: unknown or released target");
        return;
    }
    if (source == destination || !ready())
        return;
    int sw = source ? source->width : backWidth, sh = source ? source->height : backHeight;
    int dw = destination ? destination->width : backWidth, dh = destination ? destination->height : backHeight;
    // Blits ignore the viewport but not the scissor, which is only ever on
    // during a clear; the colour mask is opened for them.
    gl.BindFramebuffer(GL_READ_FRAMEBUFFER, fboOf(source));
    gl.BindFramebuffer(GL_DRAW_FRAMEBUFFER, fboOf(destination));
    blitColor(sw, sh, dw, dh);
    bindTarget();
}

void Device::Impl::present()
{
    if (!ready())
        return;
    if (drawsToWindow) {
        window->swapBuffers();
    } else {
        int dw = 0, dh = 0;
        window->drawableSize(dw, dh);
        if (dw > 0 && dh > 0) {
            gl.BindFramebuffer(GL_READ_FRAMEBUFFER, backFbo);
            gl.BindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
            blitColor(backWidth, backHeight, dw, dh);
            window->swapBuffers();
        }
    }
    bindTarget();
    checkGlErrors("present");
}

bool Device::Impl::readPixels(RenderTarget* t, int& width, int& height, std::vector<uint8_t>& rgba)
{
    if (t && !targets.count(t)) {
        logOnce("readPixels: unknown or released target");
        return false;
    }
    width = t ? t->width : backWidth;
    height = t ? t->height : backHeight;
    rgba.assign(static_cast<size_t>(width) * height * 4, 0);
    checkGlErrors("drawing before a read-back");
    // Rows come bottom-up, as GL stores them (and as BMP files want them).
    gl.BindFramebuffer(GL_READ_FRAMEBUFFER, fboOf(t));
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    bindTarget();
    return glGetError() == GL_NO_ERROR;
}

// ---------------------------------------------------------------------------
// Public entry points

void Device::present()
{
    mImpl->present();
}

bool Device::resizeBackBuffer(int width, int height)
{
    Impl& d = *mImpl;
    if (width < 1 || height < 1)
        return false;
    std::string error;
    if (!d.allocateBackBuffer(width, height, &error)) {
        d.logOnce("resizeBackBuffer: " + error);
        return false;
    }
    // As after a reset of the original device: back buffer, default states.
    d.target = nullptr;
    d.resetStates();
    d.clear(true, true, true, 0xFF000000u, 1.0f, 0);
    return true;
}

RenderTarget* Device::createRenderTarget(int width, int height)
{
    return mImpl->newRenderTarget(width, height);
}

void Device::releaseRenderTarget(RenderTarget* target)
{
    Impl& d = *mImpl;
    if (!target)
        return;
    if (!d.targets.erase(target)) {
        d.logOnce("releaseRenderTarget: unknown or already released target");
        return;
    }
    if (d.target == target)
        d.setRenderTarget(nullptr);
    d.deleteRenderTarget(target);
}

void Device::setRenderTarget(RenderTarget* target)
{
    mImpl->setRenderTarget(target);
}

void Device::copyTarget(RenderTarget* source, RenderTarget* destination)
{
    mImpl->copyTarget(source, destination);
}

bool Device::readPixels(RenderTarget* target, int& width, int& height, std::vector<uint8_t>& rgba)
{
    return mImpl->readPixels(target, width, height, rgba);
}

} // namespace gfx
