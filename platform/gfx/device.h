#pragma once
#include "platform/img/image.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace wnd {
class Window;
}

// A fixed-function graphics device over OpenGL 2.1 (compatibility profile),
// shaped like the device the renderer was written for: the same states with
// the same value numbering, texture stages with combiners, one directional
// light, user-pointer draws and managed buffers. Drawing goes to a virtual
// back buffer (an RGBA8 + D24S8 framebuffer object) that present() blits to
// the window, or, where allowed and the window's drawable fits, straight to
// the window's own back buffer, which present() only swaps.
namespace gfx {

// Render states. Values keep the original numbering:
//  booleans 0/1; blend ZERO 1, ONE 2, SRCCOLOR 3, INVSRCCOLOR 4, SRCALPHA 5,
//  INVSRCALPHA 6, DESTALPHA 7, INVDESTALPHA 8, DESTCOLOR 9, INVDESTCOLOR 10,
//  SRCALPHASAT 11; compare NEVER 1, LESS 2, EQUAL 3, LESSEQUAL 4, GREATER 5,
//  NOTEQUAL 6, GREATEREQUAL 7, ALWAYS 8; cull NONE 1, CW 2, CCW 3; stencil
//  ops KEEP 1, ZERO 2, REPLACE 3, INCRSAT 4, DECRSAT 5, INVERT 6, INCR 7,
//  DECR 8; TEXTUREFACTOR a packed A<<24|R<<16|G<<8|B colour.
enum RenderState {
    RS_ALPHABLENDENABLE,
    RS_SRCBLEND,
    RS_DESTBLEND,
    RS_TEXTUREFACTOR,
    RS_ZFUNC,
    RS_CULLMODE,
    RS_ZENABLE,
    RS_ZWRITEENABLE,
    RS_STENCILENABLE,
    RS_STENCILFAIL,
    RS_STENCILZFAIL,
    RS_STENCILPASS,
    RS_STENCILFUNC,
    RS_STENCILREF,
    RS_STENCILMASK,
    RS_STENCILWRITEMASK,
    RS_LIGHTING,
    RS_SPECULARENABLE,
    RS_COUNT
};

// Texture-stage states. Ops DISABLE 1, SELECTARG1 2, SELECTARG2 3,
// MODULATE 4, MODULATE2X 5, MODULATE4X 6, ADD 7, ADDSIGNED 8, ADDSIGNED2X 9,
// SUBTRACT 10, ADDSMOOTH 11, BLENDDIFFUSEALPHA 12, BLENDTEXTUREALPHA 13,
// BLENDFACTORALPHA 14, BLENDTEXTUREALPHAPM 15, BLENDCURRENTALPHA 16,
// PREMODULATE 17, MODULATEALPHA_ADDCOLOR 18, MODULATECOLOR_ADDALPHA 19,
// MODULATEINVALPHA_ADDCOLOR 20, MODULATEINVCOLOR_ADDALPHA 21,
// BUMPENVMAP 22, BUMPENVMAPLUMINANCE 23, DOTPRODUCT3 24, MULTIPLYADD 25,
// LERP 26. Args DIFFUSE 0, CURRENT 1, TEXTURE 2, TFACTOR 3, SPECULAR 4, with
// the modifiers COMPLEMENT 0x10 and ALPHAREPLICATE 0x20. Filters NONE 0,
// POINT 1, LINEAR 2, ANISOTROPIC 3, FLATCUBIC 4, GAUSSIANCUBIC 5. Address
// WRAP 1, MIRROR 2, CLAMP 3, BORDER 4, MIRRORONCE 5. Texture transform
// flags DISABLE 0, COUNT2 2.
enum StageState {
    SS_COLOROP,
    SS_COLORARG1,
    SS_COLORARG2,
    SS_ALPHAOP,
    SS_ALPHAARG1,
    SS_ALPHAARG2,
    SS_MAGFILTER,
    SS_MINFILTER,
    SS_MIPFILTER,
    SS_ADDRESSU,
    SS_ADDRESSV,
    SS_TEXTURETRANSFORMFLAGS,
    SS_COUNT
};

enum Transform { TS_WORLD, TS_VIEW, TS_PROJECTION, TS_TEXTURE0 };

enum Primitive { PT_TRIANGLELIST, PT_TRIANGLESTRIP, PT_TRIANGLEFAN, PT_LINESTRIP };

constexpr int MAX_STAGES = 8;

// Material: diffuse, ambient, specular, emissive (RGBA each), power.
struct Material {
    float diffuse[4], ambient[4], specular[4], emissive[4];
    float power;
};

// A directional light; direction in world space (the view is identity).
struct Light {
    float diffuse[4], specular[4], ambient[4];
    float direction[3];
};

class Texture;
class VertexBuffer;
class IndexBuffer;
class RenderTarget;

enum class DeviceState { Ok, Lost, NotReset };

class Device {
public:
    // Makes the window's GL context current and creates the device with a
    // back buffer of the given size. Null when the GL context cannot run the
    // game (version below 2.1 or missing framebuffer objects, texture
    // combiners or sampler objects), with a one-line reason. The device
    // keeps using the window: destroy the device first.
    //
    // drawToWindow: whenever the window's drawable has the back buffer's
    // size and a 24-bit depth buffer with an 8-bit stencil, the back buffer
    // is the window's own. This saves present a full-screen copy; the
    // frame does not survive present, render targets get a depth-stencil
    // of their own, and destination alpha reads as opaque unless the window
    // has alpha. Each back buffer size decides anew (resizeBackBuffer).
    static std::unique_ptr<Device> create(wnd::Window& window, int backWidth, int backHeight,
                                          std::string* error, bool drawToWindow = false);
    ~Device();
    Device(const Device&) = delete;
    Device& operator=(const Device&) = delete;

    // GL_VENDOR, GL_RENDERER, GL_VERSION.
    std::string vendor() const;
    std::string rendererName() const;
    std::string version() const;
    int maxTextureStages() const; // at most MAX_STAGES
    int maxTextureSize() const;
    int backWidth() const;
    int backHeight() const;
    // Bits of the back buffer's stencil (8 with the D24S8 depth-stencil).
    int stencilBits() const;
    // The back buffer is the window's own (see create).
    bool drawsToWindow() const;

    // Where the device reports, once each, what it can only approximate on
    // GL (a stage op or argument without an equivalent, a refused value or
    // draw) and GL errors. Without a handler the lines go to stderr.
    void setLogHandler(std::function<void(const std::string&)> handler);

    // Scene brackets. beginScene puts GL back into the default states, so a
    // state the renderer's cache holds as unknown is never stale.
    void beginScene();
    void endScene();
    // Blits the back buffer to the window (scaled to fill it) and swaps.
    void present();
    // New back-buffer size (contents are lost); false for sizes below 1.
    bool resizeBackBuffer(int width, int height);

    // Clears the current viewport only, with every write mask on during the
    // clear. color is a packed A<<24|R<<16|G<<8|B value.
    void clear(bool color, bool depth, bool stencil, uint32_t argb, float z, uint32_t stencilValue);
    // Viewport in pixels of the current target, y from the top.
    void setViewport(int x, int y, int width, int height, float minZ, float maxZ);

    void setRenderState(RenderState state, uint32_t value);
    void setStageState(int stage, StageState state, uint32_t value);
    // Row-major matrices in the row-vector convention. TS_TEXTURE0 + stage
    // takes a 2D texture matrix whose translation sits in row 2.
    void setTransform(int transform, const float m[16]);
    void setMaterial(const Material& material);
    void setLight(const Light& light);
    void lightEnable(bool on);

    // A texture from an RGBA image with its full mip chain, or with its top
    // level only when withMips is false (a draw that samples between levels
    // then samples that one); null on failure.
    Texture* createTexture(const img::Image& image, bool withMips = true);
    // The same with the levels below the top made already (img::mipChain of
    // the image, or none).
    Texture* createTexture(const img::Image& image, const std::vector<img::Image>& mips);
    void releaseTexture(Texture* texture);
    void setTexture(int stage, Texture* texture); // null unbinds
    // The top-level texels of a texture, for per-texel filtering.
    bool readTexture(Texture* texture, img::Image& out);

    // Managed buffers: vertex data of the given stride (12, 28 or 40 bytes:
    // position; position + 2 texture pairs; position + normal + 2 pairs).
    VertexBuffer* createVertexBuffer(const void* data, int bytes);
    void updateVertexBuffer(VertexBuffer* buffer, const void* data, int bytes);
    void releaseVertexBuffer(VertexBuffer* buffer);
    IndexBuffer* createIndexBuffer(const uint16_t* indices, int count);
    void releaseIndexBuffer(IndexBuffer* buffer);
    void setStreamSource(VertexBuffer* buffer, int stride); // null unbinds
    void setIndices(IndexBuffer* buffer);                   // null unbinds
    void drawIndexedTriangles(int minVertex, int vertexCount, int startIndex, int triangleCount);
    // Draws from client memory; count is the number of primitives.
    void drawPrimitiveUP(Primitive type, int count, const void* vertices, int stride);

    // Off-screen colour targets sharing the back buffer's depth-stencil.
    RenderTarget* createRenderTarget(int width, int height);
    void releaseRenderTarget(RenderTarget* target);
    // null: the back buffer.
    void setRenderTarget(RenderTarget* target);
    // Copies a whole target onto another (null: the back buffer), scaled.
    void copyTarget(RenderTarget* source, RenderTarget* destination);
    // The texels of a target (null: the back buffer), rows bottom-up.
    bool readPixels(RenderTarget* target, int& width, int& height, std::vector<uint8_t>& rgba);

    // Device loss never happens on GL; tests simulate it to exercise the
    // recovery path: after simulateLoss the state is Lost, then NotReset
    // once allowReset is called, and reset() brings it back to Ok.
    DeviceState state() const;
    void simulateLoss();
    void allowReset();
    bool reset();

private:
    Device();
    struct Impl;
    std::unique_ptr<Impl> mImpl;
};

} // namespace gfx
