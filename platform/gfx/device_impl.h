#pragma once
// The device's private state, shared by the files of platform/gfx:
// device.cpp (creation, resources, loss), gl_states.cpp (render states,
// transforms, lighting, viewport, clear), combiners.cpp (texture stages and
// samplers), targets.cpp (back buffer, render targets, present, read-back)
// and draws.cpp (vertex formats and draws).
#include "platform/gfx/device.h"
#include "platform/gfx/gl_api.h"
#include "platform/gfx/texel_layout.h"

#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <unordered_set>
#include <vector>

namespace gfx {

class Texture {
public:
    GLuint id = 0;
    int width = 0;
    int height = 0;
    TexelLayout layout = TexelLayout::Rgba;
};

class VertexBuffer {
public:
    GLuint id = 0;
    int bytes = 0;
};

class IndexBuffer {
public:
    GLuint id = 0;
    std::vector<uint16_t> indices; // kept to refuse draws that would read past a vertex buffer
    int maxIndex = 0;
};

class RenderTarget {
public:
    GLuint fbo = 0;
    GLuint color = 0;
    GLuint ownDepth = 0; // only when the target is larger than the back buffer
    int width = 0;
    int height = 0;
};

// Values of the original device used by the defaults.
namespace val {
constexpr uint32_t BLEND_ZERO = 1, BLEND_ONE = 2, BLEND_SRCALPHASAT = 11;
constexpr uint32_t CMP_LESS = 2, CMP_ALWAYS = 8;
constexpr uint32_t CULL_NONE = 1, CULL_CW = 2, CULL_CCW = 3;
constexpr uint32_t STENCIL_KEEP = 1;
constexpr uint32_t OP_DISABLE = 1, OP_SELECTARG1 = 2, OP_MODULATE = 4, OP_LERP = 26;
constexpr uint32_t ARG_CURRENT = 1, ARG_TEXTURE = 2, ARG_SPECULAR = 4;
constexpr uint32_t ARG_COMPLEMENT = 0x10, ARG_ALPHAREPLICATE = 0x20;
constexpr uint32_t FILTER_NONE = 0, FILTER_POINT = 1, FILTER_GAUSSIANCUBIC = 5;
constexpr uint32_t ADDRESS_WRAP = 1, ADDRESS_MIRRORONCE = 5;
constexpr uint32_t TTF_DISABLE = 0, TTF_COUNT2 = 2;
} // namespace val

struct Stage {
    uint32_t states[SS_COUNT] = {};
    Texture* texture = nullptr;
    float matrix[16] = {};
    bool dirty = true;   // combiner, texture, matrix or factor changed since the unit was set up
    bool active = false; // the stage takes part in the cascade
};

// What a GL texture unit holds, as the device last sent it. GL drivers take
// some calls as a new fragment state even when they repeat what the unit
// holds (a combiner source or operand, switching the active unit away and
// back), and a software rasteriser pays for each new state with a copy of
// its whole fragment state: so only values that differ are sent, and the
// active unit is switched only to send something.
struct GlUnit {
    int enabled = -1;   // texturing on (1), off (0), unknown (-1)
    bool known = false; // false: nothing below is known, send everything
    GLuint texture = 0;
    GLint combine[17] = {}; // env mode, colour function (8), alpha function (8)
    float color[4] = {};
    float matrix[16] = {};
};

struct ViewportRect {
    int x = 0, y = 0, width = 0, height = 0; // GL window coordinates (y from the bottom)
    float minZ = 0.0f, maxZ = 1.0f;
};

struct Device::Impl {
    wnd::Window* window = nullptr;
    std::string vendor, renderer, version;
    int maxStages = 1;
    int maxTextureSize = 0;
    int maxRenderbufferSize = 0;
    bool hasModulateAdd = false; // ATI_texture_env_combine3
    bool hasMirrorOnce = false;  // MIRROR_CLAMP_TO_EDGE
    bool hasTextureStorage = false; // ARB_texture_storage: all mip levels made at once
    bool hasTexelSwizzle = false;   // one- and two-channel textures (GL 3.0) read as RGBA (GL 3.3)

    // The back buffer: the virtual one (a framebuffer object blitted to the
    // window at present) or, when drawing to the window is allowed and its
    // drawable has the back buffer's size and a depth-stencil buffer, the
    // window's own (framebuffer 0, shown by the swap alone). The target
    // drawn to (null: back buffer).
    GLuint backFbo = 0, backColor = 0, depthStencil = 0;
    int backWidth = 0, backHeight = 0;
    int stencilBits = 0; // of the back buffer's depth-stencil
    bool drawToWindowAllowed = false;
    bool windowHasDepthStencil = false;
    bool drawsToWindow = false;
    RenderTarget* target = nullptr;

    // Every live object, so that stale or foreign pointers are refused and
    // the device frees what the caller did not.
    std::unordered_set<Texture*> textures;
    std::unordered_set<VertexBuffer*> vertexBuffers;
    std::unordered_set<IndexBuffer*> indexBuffers;
    std::unordered_set<RenderTarget*> targets;

    uint32_t renderStates[RS_COUNT] = {};
    bool colorWrites = true; // the GL colour mask: closed for (ZERO, ONE) blending
    Stage stages[MAX_STAGES];
    GlUnit units[MAX_STAGES];
    int activeUnit = -1; // the GL active texture unit, -1: unknown
    GLuint samplers[MAX_STAGES] = {};
    GLuint whiteTexture = 0;

    float world[16] = {}, view[16] = {}, projection[16] = {};
    bool transformsDirty = true;
    Material material{};
    Light light{};
    bool lightEnabled = false;
    bool materialDirty = true;
    bool lightDirty = true;
    ViewportRect viewport;

    VertexBuffer* stream = nullptr;
    int streamStride = 0;
    // Where draws from client memory go: vertices are copied into one
    // buffer that every such draw reuses, instead of each draw handing GL
    // client memory to copy into storage of its own. Draws larger than the
    // limit read client memory.
    static constexpr int kStreamLimit = 1 << 20;
    struct StreamBuffer {
        GLuint id = 0;
        int size = 256 << 10;
        int used = 0;
    } vertexStream;
    IndexBuffer* indices = nullptr;

    // The client arrays as the last draw pointed them: the stride, the
    // vertex buffer bound then (0 for client memory) and the base pointer.
    // A draw with the same three skips the set-up. Stride 0 means unknown:
    // anything that changes client state, or deletes a buffer GL might still
    // name in an array, calls forgetVertexFormat.
    struct VertexArrays {
        int stride = 0;
        GLuint buffer = 0;
        const uint8_t* base = nullptr;
    } arrays;
    void forgetVertexFormat()
    {
        arrays = VertexArrays();
    }

    DeviceState deviceState = DeviceState::Ok;
    std::function<void(const std::string&)> logHandler;
    std::set<std::string> logged;

    // Reports a message the first time it occurs.
    void logOnce(const std::string& message);
    // Reports pending GL errors (once per error code and place).
    void checkGlErrors(const char* where);
    bool ready() const
    {
        return deviceState == DeviceState::Ok;
    }

    // device.cpp
    void releaseAll();

    // gl_states.cpp
    void resetStates();
    void setRenderState(int state, uint32_t value);
    void applyBlendEnable();
    void setColorMask(bool open);
    void blitColor(int sourceWidth, int sourceHeight, int destWidth, int destHeight);
    void setViewport(int x, int y, int width, int height, float minZ, float maxZ);
    void fullViewport();
    void clear(bool color, bool depth, bool stencil, uint32_t argb, float z, uint32_t stencilValue);
    void setTransform(int transform, const float m[16]);
    void applyTransformsAndLighting();

    // combiners.cpp
    void selectUnit(int unit);
    // Binds a texture on unit 0 to upload or read it.
    void bindForTransfer(GLuint texture);
    // A texture about to be deleted: GL binds 0 wherever it was bound.
    void forgetTexture(GLuint texture)
    {
        for (GlUnit& u : units)
            if (u.texture == texture)
                u.texture = 0;
    }
    void setStageState(int stage, int state, uint32_t value);
    void resetStage(int stage);
    void applySampler(int stage);
    void applyStages();

    // targets.cpp
    bool allocateBackBuffer(int width, int height, std::string* error);
    void freeVirtualBackBuffer();
    bool attachDepth(RenderTarget* t);
    RenderTarget* newRenderTarget(int width, int height);
    void deleteRenderTarget(RenderTarget* t);
    void bindTarget();
    int targetWidth() const
    {
        return target ? target->width : backWidth;
    }
    int targetHeight() const
    {
        return target ? target->height : backHeight;
    }
    GLuint fboOf(RenderTarget* t) const
    {
        return t ? t->fbo : (drawsToWindow ? 0 : backFbo);
    }
    void setRenderTarget(RenderTarget* t);
    void copyTarget(RenderTarget* source, RenderTarget* destination);
    void present();
    bool readPixels(RenderTarget* t, int& width, int& height, std::vector<uint8_t>& rgba);

    // draws.cpp
    bool knownStride(int stride);
    bool setupVertexFormat(int stride, GLuint buffer, const uint8_t* base);
    GLint streamVertices(const void* vertices, int bytes, int stride);
    void drawIndexedTriangles(int minVertex, int vertexCount, int startIndex, int triangleCount);
    void drawPrimitiveUP(Primitive type, int count, const void* vertices, int stride);
};

void identityMatrix(float m[16]);

} // namespace gfx
