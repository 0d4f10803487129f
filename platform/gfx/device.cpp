#include "platform/gfx/device.h"

#include "platform/gfx/device_impl.h"
#include "platform/gfx/gl_caps.h"
#include "platform/wnd/window.h"

#include <cstdio>
#include <cstring>
#include <unordered_set>
#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace gfx {

namespace {

std::string glText(GLenum name)
{
    const GLubyte* text = glGetString(name);
    return text ? reinterpret_cast<const char*>(text) : std::string();
}

// The context's extensions: the GL 2.1 string, or the indexed list where
// the string is not offered.
std::unordered_set<std::string> glExtensions(int major)
{
    std::unordered_set<std::string> names;
    const GLubyte* all = glGetString(GL_EXTENSIONS);
    if (all) {
        const char* p = reinterpret_cast<const char*>(all);
        while (*p) {
            while (*p == ' ')
                ++p;
            const char* end = p;
            while (*end && *end != ' ')
                ++end;
            if (end > p)
                names.emplace(p, end);
            p = end;
        }
    } else if (major >= 3) {
        PFNGLGETSTRINGIPROC getStringi = gl.GetStringi;
        GLint count = 0;
        glGetIntegerv(GL_NUM_EXTENSIONS, &count);
        for (GLint i = 0; getStringi && i < count; ++i) {
            const GLubyte* name = getStringi(GL_EXTENSIONS, static_cast<GLuint>(i));
            if (name)
                names.emplace(reinterpret_cast<const char*>(name));
        }
    }
    return names;
}

// Software GL builds each frame in blocks of 64 KB, one more for every
// change of fragment state, and frees them once the frame is drawn. glibc
// hands the top of its heap back to the kernel as soon as 128 KB lie free
// there, so every frame took its memory anew and the kernel zeroed and
// mapped it page by page while the rasteriser's threads waited. The process
// keeps what it frees instead (large blocks still come from and go back to
// the kernel on their own).
void keepFreedMemory()
{
#ifdef __GLIBC__
    static bool done = false;
    if (!done)
        mallopt(M_TRIM_THRESHOLD, 256 << 20);
    done = true;
#endif
}

} // namespace

void identityMatrix(float m[16])
{
    for (int i = 0; i < 16; ++i)
        m[i] = (i % 5 == 0) ? 1.0f : 0.0f;
}

void Device::Impl::logOnce(const std::string& message)
{
    if (!logged.insert(message).second)
        return;
    if (logHandler)
        logHandler(message);
    else
        std::fprintf(stderr, "gfx: %s\n", message.c_str());
}

void Device::Impl::checkGlErrors(const char* where)
{
    // Bounded: a lost context may report errors forever.
    for (int i = 0; i < 16; ++i) {
        GLenum error = glGetError();
        if (error == GL_NO_ERROR)
            return;
        char text[96];
        std::snprintf(text, sizeof text, "GL error 0x%04X in %s", static_cast<unsigned>(error), where);
        logOnce(text);
    }
}

Device::Device() = default;

std::unique_ptr<Device> Device::create(wnd::Window& window, int backWidth, int backHeight, std::string* error,
                                       bool drawToWindow)
{
    auto fail = [error](const std::string& reason) -> std::unique_ptr<Device> {
        if (error)
            *error = reason;
        return nullptr;
    };
    if (backWidth < 1 || backHeight < 1)
        return fail("invalid back buffer size " + std::to_string(backWidth) + "x" + std::to_string(backHeight));

    window.makeCurrent();
    std::string version = glText(GL_VERSION);
    if (version.empty())
        return fail("no current OpenGL context");
    int major = 0, minor = 0;
    if (!parseGlVersion(version.c_str(), major, minor))
        return fail("unrecognised OpenGL version \"" + version + "\"");

    // GetStringi is optional in the loader; load everything before reading
    // the extension list so that 3.x contexts without the string work too.
    std::string missingFunction;
    bool loaded = loadGlFunctions(&missingFunction);
    std::unordered_set<std::string> extensions = glExtensions(major);
    std::string missing =
        missingGlFeature(major, minor, [&extensions](const char* name) { return extensions.count(name) != 0; });
    if (!missing.empty())
        return fail(missing);
    if (!loaded)
        return fail("the OpenGL function " + missingFunction + " is missing");

    keepFreedMemory();
    std::unique_ptr<Device> device(new Device());
    device->mImpl = std::make_unique<Impl>();
    Impl& d = *device->mImpl;
    d.window = &window;
    d.vendor = glText(GL_VENDOR);
    d.renderer = glText(GL_RENDERER);
    d.version = version;
    auto atLeast = [major, minor](int a, int b) { return major > a || (major == a && minor >= b); };
    d.hasModulateAdd = extensions.count("GL_ATI_texture_env_combine3") != 0;
    d.hasTextureStorage = gl.TexStorage2D && (atLeast(4, 2) || extensions.count("GL_ARB_texture_storage"));
    d.hasTexelSwizzle = (atLeast(3, 3) || extensions.count("GL_ARB_texture_swizzle") ||
                         extensions.count("GL_EXT_texture_swizzle")) &&
                        (atLeast(3, 0) || extensions.count("GL_ARB_texture_rg"));
    d.hasMirrorOnce = atLeast(4, 4) || extensions.count("GL_ARB_texture_mirror_clamp_to_edge") ||
                      extensions.count("GL_ATI_texture_mirror_once") || extensions.count("GL_EXT_texture_mirror_clamp");

    GLint units = 1, textureSize = 0, renderbufferSize = 0;
    glGetIntegerv(GL_MAX_TEXTURE_UNITS, &units);
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &textureSize);
    glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &renderbufferSize);
    d.maxStages = units < 1 ? 1 : (units > MAX_STAGES ? MAX_STAGES : units);
    d.maxTextureSize = textureSize;
    d.maxRenderbufferSize = renderbufferSize;
    // The window's own buffers, read while framebuffer 0 is bound.
    GLint red = 0, depth = 0, stencil = 0;
    glGetIntegerv(GL_RED_BITS, &red);
    glGetIntegerv(GL_DEPTH_BITS, &depth);
    glGetIntegerv(GL_STENCIL_BITS, &stencil);
    d.windowHasDepthStencil = red >= 8 && depth >= 24 && stencil >= 8;
    d.drawToWindowAllowed = drawToWindow;

    // Stages without a texture sample opaque white.
    const uint8_t white[4] = {255, 255, 255, 255};
    glGenTextures(1, &d.whiteTexture);
    d.bindForTransfer(d.whiteTexture);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, white);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    gl.GenSamplers(d.maxStages, d.samplers);
    gl.GenBuffers(1, &d.vertexStream.id);
    gl.BindBuffer(GL_ARRAY_BUFFER, d.vertexStream.id);
    gl.BufferData(GL_ARRAY_BUFFER, d.vertexStream.size, nullptr, GL_STREAM_DRAW);
    gl.BindBuffer(GL_ARRAY_BUFFER, 0);

    std::string reason;
    if (!d.allocateBackBuffer(backWidth, backHeight, &reason))
        return fail(reason); // the destructor frees what was made
    d.resetStates();
    d.clear(true, true, true, 0xFF000000u, 1.0f, 0);
    d.checkGlErrors("device creation");
    return device;
}

Device::~Device()
{
    if (!mImpl)
        return;
    Impl& d = *mImpl;
    d.window->makeCurrent();
    d.releaseAll();
    gl.BindFramebuffer(GL_FRAMEBUFFER, 0);
    d.freeVirtualBackBuffer();
    if (d.samplers[0]) {
        for (int i = 0; i < d.maxStages; ++i)
            gl.BindSampler(static_cast<GLuint>(i), 0);
        gl.DeleteSamplers(d.maxStages, d.samplers);
    }
    if (d.whiteTexture)
        glDeleteTextures(1, &d.whiteTexture);
    if (d.vertexStream.id)
        gl.DeleteBuffers(1, &d.vertexStream.id);
}

// Frees every object still alive; the caller's pointers die with them.
void Device::Impl::releaseAll()
{
    target = nullptr;
    for (RenderTarget* t : targets)
        deleteRenderTarget(t);
    targets.clear();
    for (Texture* t : textures) {
        forgetTexture(t->id);
        glDeleteTextures(1, &t->id);
        delete t;
    }
    textures.clear();
    for (VertexBuffer* b : vertexBuffers) {
        gl.DeleteBuffers(1, &b->id);
        delete b;
    }
    vertexBuffers.clear();
    forgetVertexFormat();
    for (IndexBuffer* b : indexBuffers) {
        gl.DeleteBuffers(1, &b->id);
        delete b;
    }
    indexBuffers.clear();
    stream = nullptr;
    indices = nullptr;
    for (Stage& s : stages)
        s.texture = nullptr;
}

std::string Device::vendor() const
{
    return mImpl->vendor;
}
std::string Device::rendererName() const
{
    return mImpl->renderer;
}
std::string Device::version() const
{
    return mImpl->version;
}
int Device::maxTextureStages() const
{
    return mImpl->maxStages;
}
int Device::maxTextureSize() const
{
    return mImpl->maxTextureSize;
}
int Device::backWidth() const
{
    return mImpl->backWidth;
}
int Device::backHeight() const
{
    return mImpl->backHeight;
}
bool Device::drawsToWindow() const
{
    return mImpl->drawsToWindow;
}

int Device::stencilBits() const
{
    return mImpl->stencilBits;
}

void Device::setLogHandler(std::function<void(const std::string&)> handler)
{
    mImpl->logHandler = std::move(handler);
}

void Device::beginScene()
{
    mImpl->resetStates();
}

void Device::endScene()
{
    mImpl->checkGlErrors("the scene");
}

// ---------------------------------------------------------------------------
// Textures

namespace {

struct GlTexelFormat {
    GLenum internal;
    GLenum format;
    GLint swizzle[4];
};

GlTexelFormat glTexelFormat(TexelLayout layout)
{
    switch (layout) {
    case TexelLayout::WhiteAlpha:
        return {GL_R8, GL_RED, {GL_ONE, GL_ONE, GL_ONE, GL_RED}};
    case TexelLayout::Grey:
        return {GL_R8, GL_RED, {GL_RED, GL_RED, GL_RED, GL_ONE}};
    case TexelLayout::GreyAlpha:
        return {GL_RG8, GL_RG, {GL_RED, GL_RED, GL_RED, GL_GREEN}};
    case TexelLayout::Rgba:
        break;
    }
    return {GL_RGBA8, GL_RGBA, {GL_RED, GL_GREEN, GL_BLUE, GL_ALPHA}};
}

} // namespace

Texture* Device::createTexture(const img::Image& image, bool withMips)
{
    return createTexture(image, withMips ? img::mipChain(image) : std::vector<img::Image>());
}

Texture* Device::createTexture(const img::Image& image, const std::vector<img::Image>& mips)
{
    Impl& d = *mImpl;
    if (image.empty() || image.rgba.size() < static_cast<size_t>(image.width) * image.height * 4) {
        d.logOnce("texture refused: empty image or missing texels");
        return nullptr;
    }
    if (image.width > d.maxTextureSize || image.height > d.maxTextureSize) {
        d.logOnce("texture refused: larger than " + std::to_string(d.maxTextureSize) + " texels");
        return nullptr;
    }
    auto* texture = new Texture();
    texture->width = image.width;
    texture->height = image.height;
    glGenTextures(1, &texture->id);
    d.bindForTransfer(texture->id);
    // Rows go up top row first, so texture coordinate v = 0 is the top of
    // the image as the renderer expects. The mip levels are box-filtered
    // on the CPU and uploaded with the top one: a software rasteriser makes
    // each level GL generates by drawing it, several times the cost.
    const int levels = 1 + static_cast<int>(mips.size());
    auto level = [&](int i) -> const img::Image& { return i == 0 ? image : mips[static_cast<size_t>(i - 1)]; };
    // Pictures that leave channels constant (white or grey ones) keep only
    // the channels that vary; the swizzle gives the sampler the same RGBA.
    texture->layout = d.hasTexelSwizzle ? chooseTexelLayout(image) : TexelLayout::Rgba;
    const GlTexelFormat format = glTexelFormat(texture->layout);
    auto upload = [&](int i, const img::Image& src) {
        std::vector<uint8_t> packed;
        const uint8_t* texels = src.rgba.data();
        if (texture->layout != TexelLayout::Rgba) {
            packed = packTexels(src, texture->layout);
            texels = packed.data();
        }
        if (d.hasTextureStorage)
            glTexSubImage2D(GL_TEXTURE_2D, i, 0, 0, src.width, src.height, format.format, GL_UNSIGNED_BYTE, texels);
        else
            glTexImage2D(GL_TEXTURE_2D, i, format.internal, src.width, src.height, 0, format.format, GL_UNSIGNED_BYTE,
                         texels);
    };
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    if (d.hasTextureStorage)
        gl.TexStorage2D(GL_TEXTURE_2D, levels, format.internal, image.width, image.height);
    for (int i = 0; i < levels; ++i)
        upload(i, level(i));
    if (texture->layout != TexelLayout::Rgba)
        glTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_SWIZZLE_RGBA, format.swizzle);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, levels - 1);
    if (glGetError() != GL_NO_ERROR) {
        glDeleteTextures(1, &texture->id);
        delete texture;
        d.logOnce("texture creation failed in GL");
        return nullptr;
    }
    d.textures.insert(texture);
    return texture;
}

void Device::releaseTexture(Texture* texture)
{
    Impl& d = *mImpl;
    if (!texture)
        return;
    if (!d.textures.erase(texture)) {
        d.logOnce("releaseTexture: unknown or already released texture");
        return;
    }
    for (Stage& s : d.stages)
        if (s.texture == texture) {
            s.texture = nullptr;
            s.dirty = true;
        }
    d.forgetTexture(texture->id);
    glDeleteTextures(1, &texture->id);
    delete texture;
}

void Device::setTexture(int stage, Texture* texture)
{
    Impl& d = *mImpl;
    if (stage < 0 || stage >= MAX_STAGES)
        return;
    if (texture && !d.textures.count(texture)) {
        d.logOnce("setTexture: unknown or released texture");
        return;
    }
    Stage& s = d.stages[stage];
    if (s.texture != texture) {
        s.texture = texture;
        s.dirty = true;
    }
}

bool Device::readTexture(Texture* texture, img::Image& out)
{
    Impl& d = *mImpl;
    if (!texture || !d.textures.count(texture))
        return false;
    out = img::Image(texture->width, texture->height);
    d.bindForTransfer(texture->id);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    if (texture->layout == TexelLayout::Rgba) {
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, out.rgba.data());
        return glGetError() == GL_NO_ERROR;
    }
    // Read back what is stored; the swizzle applies to sampling only.
    std::vector<uint8_t> packed(static_cast<size_t>(texture->width) * texture->height *
                                static_cast<size_t>(bytesPerTexel(texture->layout)));
    glGetTexImage(GL_TEXTURE_2D, 0, glTexelFormat(texture->layout).format, GL_UNSIGNED_BYTE, packed.data());
    unpackTexels(texture->layout, packed.data(), out);
    return glGetError() == GL_NO_ERROR;
}

// ---------------------------------------------------------------------------
// Buffers

VertexBuffer* Device::createVertexBuffer(const void* data, int bytes)
{
    Impl& d = *mImpl;
    if (!data || bytes <= 0)
        return nullptr;
    auto* buffer = new VertexBuffer();
    buffer->bytes = bytes;
    gl.GenBuffers(1, &buffer->id);
    gl.BindBuffer(GL_ARRAY_BUFFER, buffer->id);
    gl.BufferData(GL_ARRAY_BUFFER, bytes, data, GL_DYNAMIC_DRAW);
    gl.BindBuffer(GL_ARRAY_BUFFER, 0);
    d.vertexBuffers.insert(buffer);
    return buffer;
}

void Device::updateVertexBuffer(VertexBuffer* buffer, const void* data, int bytes)
{
    Impl& d = *mImpl;
    if (!buffer || !d.vertexBuffers.count(buffer)) {
        d.logOnce("updateVertexBuffer: unknown or released buffer");
        return;
    }
    if (!data || bytes <= 0)
        return;
    gl.BindBuffer(GL_ARRAY_BUFFER, buffer->id);
    // New data of another size replaces the store rather than writing past
    // its end or leaving stale vertices behind.
    if (bytes == buffer->bytes) {
        gl.BufferSubData(GL_ARRAY_BUFFER, 0, bytes, data);
    } else {
        gl.BufferData(GL_ARRAY_BUFFER, bytes, data, GL_DYNAMIC_DRAW);
        buffer->bytes = bytes;
    }
    gl.BindBuffer(GL_ARRAY_BUFFER, 0);
}

void Device::releaseVertexBuffer(VertexBuffer* buffer)
{
    Impl& d = *mImpl;
    if (!buffer)
        return;
    if (!d.vertexBuffers.erase(buffer)) {
        d.logOnce("releaseVertexBuffer: unknown or already released buffer");
        return;
    }
    if (d.stream == buffer)
        d.stream = nullptr;
    // GL drops a deleted buffer from the arrays and may hand its name out
    // again, so the arrays must be set up afresh.
    if (d.arrays.buffer == buffer->id)
        d.forgetVertexFormat();
    gl.DeleteBuffers(1, &buffer->id);
    delete buffer;
}

IndexBuffer* Device::createIndexBuffer(const uint16_t* indices, int count)
{
    Impl& d = *mImpl;
    if (!indices || count <= 0)
        return nullptr;
    auto* buffer = new IndexBuffer();
    buffer->indices.assign(indices, indices + count);
    for (uint16_t i : buffer->indices)
        if (i > buffer->maxIndex)
            buffer->maxIndex = i;
    gl.GenBuffers(1, &buffer->id);
    gl.BindBuffer(GL_ELEMENT_ARRAY_BUFFER, buffer->id);
    gl.BufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(count) * 2, indices, GL_STATIC_DRAW);
    gl.BindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
    d.indexBuffers.insert(buffer);
    return buffer;
}

void Device::releaseIndexBuffer(IndexBuffer* buffer)
{
    Impl& d = *mImpl;
    if (!buffer)
        return;
    if (!d.indexBuffers.erase(buffer)) {
        d.logOnce("releaseIndexBuffer: unknown or already released buffer");
        return;
    }
    if (d.indices == buffer)
        d.indices = nullptr;
    gl.DeleteBuffers(1, &buffer->id);
    delete buffer;
}

void Device::setStreamSource(VertexBuffer* buffer, int stride)
{
    Impl& d = *mImpl;
    if (buffer && !d.vertexBuffers.count(buffer)) {
        d.logOnce("setStreamSource: unknown or released buffer");
        return;
    }
    d.stream = buffer;
    d.streamStride = buffer ? stride : 0;
}

void Device::setIndices(IndexBuffer* buffer)
{
    Impl& d = *mImpl;
    if (buffer && !d.indexBuffers.count(buffer)) {
        d.logOnce("setIndices: unknown or released buffer");
        return;
    }
    d.indices = buffer;
}

// ---------------------------------------------------------------------------
// Simulated loss

DeviceState Device::state() const
{
    return mImpl->deviceState;
}

void Device::simulateLoss()
{
    mImpl->deviceState = DeviceState::Lost;
    mImpl->forgetVertexFormat();
}

void Device::allowReset()
{
    if (mImpl->deviceState == DeviceState::Lost)
        mImpl->deviceState = DeviceState::NotReset;
}

bool Device::reset()
{
    Impl& d = *mImpl;
    switch (d.deviceState) {
    case DeviceState::Ok: return true;
    case DeviceState::Lost: return false; // not resettable yet
    case DeviceState::NotReset: break;
    }
    // A reset device starts from the default states, drawing to the back
    // buffer.
    d.deviceState = DeviceState::Ok;
    d.target = nullptr;
    d.bindTarget();
    d.resetStates();
    return true;
}

} // namespace gfx
