#pragma once
#include "core/display_modes.h"
#include "core/math.h"

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

class YShader;
class YTexture;
class YColorFilter;


namespace wnd {
class Window;
}

// Render states, as indexes of the renderer's state cache. Values are the
// device's own numbering (see platform/gfx/device.h).
enum YRenderState {
    YRS_ALPHABLENDENABLE,
    YRS_SRCBLEND,
    YRS_DESTBLEND,
    YRS_TEXTUREFACTOR,
    YRS_ZFUNC,
    YRS_CULLMODE,
    YRS_ZENABLE,
    YRS_ZWRITEENABLE,
    YRS_STENCILENABLE,
    YRS_STENCILFAIL,
    YRS_STENCILZFAIL,
    YRS_STENCILPASS,
    YRS_STENCILFUNC,
    YRS_STENCILREF,
    YRS_STENCILMASK,
    YRS_STENCILWRITEMASK,
    YRS_COUNT
};

// Texture-stage states, as indexes of the stage caches.
enum YStageState {
    YSS_COLOROP,
    YSS_COLORARG1,
    YSS_COLORARG2,
    YSS_ALPHAOP,
    YSS_ALPHAARG1,
    YSS_ALPHAARG2,
    YSS_MAGFILTER,
    YSS_MINFILTER,
    YSS_MIPFILTER,
    YSS_ADDRESSU,
    YSS_ADDRESSV,
    YSS_COUNT
};

constexpr int YMAX_STAGES = 10;
constexpr uint32_t YSTATE_UNKNOWN = 0xFFFFFFFFu;

// Device values the renderer itself uses.
namespace ydev {
enum : uint32_t {
    BLEND_ZERO = 1,
    BLEND_ONE = 2,
    CMP_LESS = 2,
    CMP_ALWAYS = 8,
    CULL_CW = 2,
    STENCILOP_KEEP = 1,
    TOP_DISABLE = 1,
    TOP_SELECTARG1 = 2,
    TOP_MODULATE = 4,
    TA_CURRENT = 1,
    TA_TEXTURE = 2,
    TEXF_NONE = 0,
    TEXF_POINT = 1,
    TADDRESS_WRAP = 1,
};
}

// The 16 render states of a shader or of the default block. Built from the
// constant default table, so a block made before any renderer exists holds
// the defaults rather than garbage.
struct YRenderStates {
    uint32_t values[YRS_COUNT];
    YRenderStates();
    uint32_t& operator[](int i) { return values[i]; }
    uint32_t operator[](int i) const { return values[i]; }
};

// The defaults of the render-state and stage-state caches.
extern const uint32_t gDefaultRenderStates[YRS_COUNT];
extern const uint32_t gDefaultStageStates[YSS_COUNT];

// Lighting material: 17 floats in the device's order.
struct YMaterial {
    YVec4 diffuse, ambient, specular, emissive;
    float power = 0.0f;
    bool operator==(const YMaterial& o) const;
};
static_assert(sizeof(YMaterial) == 17 * sizeof(float), "the material is 17 floats");

extern const YVec4 gColorBlack;
extern const YVec4 gColorWhite;

// One indexed draw of a mesh: a run of triangles with one material.
struct YMeshSubset {
    int32_t firstIndex = 0;
    int32_t triangleCount = 0;
    int32_t materialId = 0;
    int32_t lowestVertex = 0;
    int32_t vertexCount = 0;
};
static_assert(sizeof(YMeshSubset) == 20, "a mesh subset is five 32-bit words");

// Opaque device objects owned by render resources.
using YDeviceTexture = void*;
using YVertexBuffer = void*;
using YIndexBuffer = void*;

// What the mesh draws need: the instance's vertex buffer, the mesh's index
// buffer and its subsets.
struct YMeshBuffers {
    YVertexBuffer vertices = nullptr;
    YIndexBuffer indices = nullptr;
    const std::vector<YMeshSubset>* subsets = nullptr;
};

// What text drawing needs of a font.
class YTextFont {
public:
    virtual ~YTextFont() = default;
    virtual YShader* textShader() const = 0;
    // Advance of a character in glyph units (multiplied by the text size).
    virtual float charWidth(unsigned char c) const = 0;
    // The glyph's four corners, x, y, z, u, v each (20 floats), in glyph units.
    virtual const float* glyphCorners(unsigned char c) const = 0;

    // Sum of the widths of the bytes of the text, unscaled, up to its first
    // zero byte (what drawing the text advances by); 0 for null.
    float textWidth(const char* text) const;
    float textWidth(const std::string& text) const { return textWidth(text.c_str()); }
};

// A per-texel colour transform for filtered textures.
class YColorFilter {
public:
    virtual ~YColorFilter() = default;
    virtual YVec4 filter(const YVec4& color) const = 0;
};

// The renderer: every drawing part talks to the device through it. It keeps
// a cache of every state it sent, so making a shader current sends only what
// differs from what the device holds.
class YRender {
public:
    YRender();
    virtual ~YRender();
    YRender(const YRender&) = delete;
    YRender& operator=(const YRender&) = delete;

    virtual void bindTexture(YTexture* texture, int stage) = 0;
    virtual void setStageState(int stage, YStageState state, uint32_t value) = 0;
    virtual void setRenderState(YRenderState state, uint32_t value) = 0;
    virtual void setTextureFactor(const float rgba[4]);
    virtual void applyMaterial(const YMaterial* material) = 0;
    virtual void enableLight(bool on) = 0;
    virtual void setStageCount(unsigned count);
    virtual void setTextureMatrix(const float m[16], int stage) = 0;
    virtual uint32_t parseRenderStateValue(YRenderState state, const char* word);
    virtual uint32_t parseStageStateValue(YStageState state, const char* word);
    virtual uint32_t packColor(const float rgba[4]);
    virtual void loadTexture(YTexture* texture) = 0;
    // The image files of textures about to load, in the order they will: a
    // renderer may decode them ahead on other threads, and loadTexture then
    // takes the decoded picture instead of reading the file. What was not
    // taken is dropped at the next call; an empty list only drops.
    virtual void decodeAhead(const std::vector<std::string>& files);
    virtual void releaseTexture(YTexture* texture) = 0;
    virtual YDeviceTexture createFilteredTexture(YTexture* source, YColorFilter* filter) = 0;
    virtual YVertexBuffer createVertexBuffer(const std::vector<YVertex>& vertices) = 0;
    virtual void releaseVertexBuffer(YVertexBuffer buffer) = 0;
    virtual void updateVertexBuffer(YVertexBuffer buffer, const std::vector<YVertex>& vertices) = 0;
    virtual YIndexBuffer createIndexBuffer(const std::vector<uint16_t>& indices) = 0;
    virtual void releaseIndexBuffer(YIndexBuffer buffer) = 0;
    virtual void drawMesh(const YMeshBuffers& mesh) = 0;
    // Subset indices up to the first negative one, each modulo the count.
    virtual void drawMeshSubsets(const YMeshBuffers& mesh, const int* subsets) = 0;
    virtual void drawMeshShaded(const YMeshBuffers& mesh, const std::vector<YShader*>& shaders) = 0;
    virtual void setOrtho2D(float x, float y, float width, float height) = 0;
    virtual void setPerspective(float fovDegrees, float aspect, float zNear, float zFar) = 0;
    virtual void setWorldMatrix(const float m[16]) = 0;
    virtual void drawTriangles(const float* positions, int triangleCount) = 0;
    virtual void drawQuad(const float* positions) = 0;
    // 4 vertices of 7 floats: position, two texture pairs.
    virtual void drawQuadUV2(const float* vertices) = 0;
    // 4 vertices of 10 floats: position, normal, two texture pairs.
    virtual void drawQuadNormalUV2(const float* vertices) = 0;
    // quadCount such quads one after another, drawn in their order as one
    // draw where the renderer can (the same pixels as one draw each).
    virtual void drawQuadsNormalUV2(const float* vertices, int quadCount);
    virtual void drawFullScreenQuad() = 0;
    // The full-screen quad over only the screen rectangle the point lists
    // cover under the current world and projection (screenRectOf), for a
    // pass that can only touch pixels those points enclose; nothing when
    // they cover no pixel. A renderer that keeps no transforms draws the
    // whole quad.
    virtual void drawFullScreenQuadOver(std::initializer_list<const std::vector<YVec3>*> pointLists);
    // Whether the points lie wholly outside the view under the current
    // world and projection, so that what they enclose covers no pixel. A
    // renderer that keeps no transforms says false.
    virtual bool outsideView(const YVec3* points, int count) const;
    virtual void drawLineStrip(const float* positions, int segmentCount) = 0;
    virtual void enumerateModes(std::vector<YDisplayMode>& modes) = 0;
    virtual bool createDevice(wnd::Window& window, bool fullscreen, int modeIndex) = 0;
    virtual bool resizeBackBuffer() = 0;
    virtual void releaseDevice() = 0;
    virtual void beginFrame(bool clearColor) = 0;
    virtual void endFrame() = 0;
    virtual bool restoreDevice() = 0;
    virtual bool hasFrameCopy() = 0;
    virtual bool frameCopyNeedsRefresh() = 0;
    virtual void beginFrameCopy(bool clearColor) = 0;
    virtual void endFrameCopy() = 0;
    virtual void drawFrameCopy() = 0;
    virtual bool beginCapture(int width, int height) = 0;
    virtual bool saveCapture(const char* fileName) = 0;
    virtual void endCapture() = 0;
    virtual void setViewport(const float pos[2], const float size[2]) = 0;

    // Forgets every cache and puts the device into the default state.
    void resetRenderStates();
    void setTexture(YTexture* texture, int stage);
    void applyRenderStates(const YRenderStates& states);
    void applyStageStates(int stage, const uint32_t values[YSS_COUNT]);
    void setMaterial(const YMaterial& material, bool compare);
    // Makes the shader current, with at most stageLimit of its stages (the
    // later ones off); sends nothing when it already is, with as many.
    void setShader(YShader* shader, bool withMaterial, unsigned stageLimit = YMAX_STAGES);
    void setShaderColor(YShader* shader, const float rgba[4]);
    float drawText(const YTextFont* font, const char* text, const YVec3& origin, float size, const float rgba[4],
                   const YVec3& right, const YVec3& down);
    float drawText2D(const YTextFont* font, const char* text, float x, float y, float size, const float rgba[4]);

    YShader* currentShader() const { return mShader; }
    unsigned maxStageCount() const { return mMaxStages; }
    unsigned stageCount() const { return mStageCount; }
    bool hasStencil() const { return mStencil; }
    const YRenderStates& defaultRenderStates() const { return mDefaultRenderStates; }
    const uint32_t* defaultStageStates() const { return mDefaultStageStates; }
    uint32_t cachedRenderState(int state) const { return mRenderStates[state]; }
    uint32_t cachedStageState(int stage, int state) const { return mStageStates[stage][state]; }

protected:
    // Called when setShader makes a shader current (for recording renderers).
    virtual void onShaderSet(YShader*) {}
    // Called when drawText2D draws a string, before its glyphs (for
    // recording renderers).
    virtual void onTextDraw(const char* /*text*/, float /*x*/, float /*y*/, float /*size*/, const float* /*rgba*/) {}

    YShader* mShader = nullptr;
    unsigned mShaderStages = 0; // of mShader, made current
    YMaterial mMaterial;
    bool mLighting = false;
    uint32_t mRenderStates[YRS_COUNT];
    uint32_t mStageStates[YMAX_STAGES][YSS_COUNT];
    unsigned mMaxStages = 0;
    unsigned mStageCount = 0;
    YDeviceTexture mTextures[YMAX_STAGES];
    bool mIdentity[YMAX_STAGES];
    bool mStencil = false;
    YRenderStates mDefaultRenderStates;
    uint32_t mDefaultStageStates[YSS_COUNT];
    YMaterial mColorMaterial; // tint of setShaderColor
};

// The one renderer; null while none exists.
extern YRender* gRender;
