#pragma once
// A renderer that draws nothing and counts what a frame would cost a
// software rasteriser: per shader the draws, triangles and the pixels they
// cover on the back buffer (every layer counted, so the sum over the screen
// is the overdraw), and how often the state the rasteriser compiles into its
// fragment stage (textures, combiners, blending, depth and stencil) changes
// between two draws. Each such change costs software GL a copy of its whole
// fragment state.
#include "render/render.h"
#include "render/screen_rect.h"

#include <map>
#include <string>
#include <vector>

class YFrameCensus : public YRender {
public:
    YFrameCensus(int width, int height, unsigned maxStages = 4);

    struct ShaderCount {
        double draws = 0, triangles = 0, pixels = 0;
        bool blended = false;
    };
    struct Totals {
        double frames = 0, draws = 0, stateChanges = 0, pixels = 0;
        std::map<std::string, ShaderCount> shaders;
    };
    const Totals& totals() const { return mTotals; }
    int width() const { return mWidth; }
    int height() const { return mHeight; }

    void bindTexture(YTexture* texture, int stage) override;
    void setStageState(int, YStageState, uint32_t) override {}
    void setRenderState(YRenderState, uint32_t) override {}
    void applyMaterial(const YMaterial*) override {}
    void enableLight(bool on) override { mLighting = on; }
    void setTextureMatrix(const float*, int) override {}
    void loadTexture(YTexture* texture) override;
    void releaseTexture(YTexture* texture) override;
    YDeviceTexture createFilteredTexture(YTexture* source, YColorFilter*) override;
    YVertexBuffer createVertexBuffer(const std::vector<YVertex>& vertices) override;
    void releaseVertexBuffer(YVertexBuffer buffer) override;
    void updateVertexBuffer(YVertexBuffer buffer, const std::vector<YVertex>& vertices) override;
    YIndexBuffer createIndexBuffer(const std::vector<uint16_t>& indices) override;
    void releaseIndexBuffer(YIndexBuffer buffer) override;
    void drawMesh(const YMeshBuffers& mesh) override;
    void drawMeshSubsets(const YMeshBuffers& mesh, const int* subsets) override;
    void drawMeshShaded(const YMeshBuffers& mesh, const std::vector<YShader*>& shaders) override;
    void setOrtho2D(float x, float y, float width, float height) override;
    void setPerspective(float fovDegrees, float aspect, float zNear, float zFar) override;
    void setWorldMatrix(const float m[16]) override;
    void drawTriangles(const float* positions, int triangleCount) override;
    void drawQuad(const float* positions) override;
    void drawQuadUV2(const float* vertices) override;
    void drawQuadNormalUV2(const float* vertices) override;
    void drawQuadsNormalUV2(const float* vertices, int quadCount) override;
    void drawFullScreenQuad() override;
    void drawFullScreenQuadOver(std::initializer_list<const std::vector<YVec3>*> pointLists) override;
    void drawLineStrip(const float*, int) override;
    void enumerateModes(std::vector<YDisplayMode>&) override {}
    bool createDevice(wnd::Window&, bool, int) override { return true; }
    bool resizeBackBuffer() override { return true; }
    void releaseDevice() override {}
    void beginFrame(bool clearColor) override;
    void endFrame() override;
    bool restoreDevice() override { return true; }
    bool hasFrameCopy() override { return false; }
    bool frameCopyNeedsRefresh() override { return false; }
    void beginFrameCopy(bool) override {}
    void endFrameCopy() override {}
    void drawFrameCopy() override {}
    bool beginCapture(int, int) override { return false; }
    bool saveCapture(const char*) override { return false; }
    void endCapture() override {}
    void setViewport(const float pos[2], const float size[2]) override;

private:
    struct Vertex {
        float x, y, z;
    };
    // One draw of triangles (three vertices each) in model space.
    void draw(const std::vector<Vertex>& triangles);
    void drawFan(const float* vertices, int stride, int count);
    // The quad over a viewport rectangle, without the world and projection.
    void drawScreenQuad(const YScreenRect& rect);
    void drawSubset(const YMeshBuffers& mesh, size_t subset);
    double coveredPixels(const std::vector<Vertex>& triangles) const;

    int mWidth, mHeight;
    float mViewport[4];
    float mProjection[16], mWorld[16];
    uintptr_t mNextHandle = 1;
    std::map<YVertexBuffer, std::vector<YVertex>> mVertexBuffers;
    std::map<YIndexBuffer, std::vector<uint16_t>> mIndexBuffers;
    YTexture* mBound[YMAX_STAGES] = {};
    std::vector<uint32_t> mLastState;
    Totals mTotals;
};
