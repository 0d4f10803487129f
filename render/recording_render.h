#pragma once
#include "render/render.h"

#include <string>
#include <vector>

// A renderer that draws nothing and writes down what it is asked to send,
// one line per device call, so drawing code can be tested exactly.
// Lines: "shader NAME", "state S V", "stage N S V", "texture N NAME",
// "material ...", "light 0|1", "texmatrix N off|m0..m15", "world m0..m15",
// "ortho X Y W H", "perspective F A N Z", "quad ...", "quadUV2 ...",
// "quadNormalUV2 ...", "text X Y SIZE R G B A STRING" (a 2D string, before
// its glyph quads), "triangles N", "lines N", "fullscreen",
// "mesh ...", "load NAME", "release NAME", "beginFrame", "endFrame", ...
class YRecordingRender : public YRender {
public:
    explicit YRecordingRender(unsigned maxStages = 4);

    std::vector<std::string> calls;
    // The lines starting with a prefix (e.g. "state").
    std::vector<std::string> callsStartingWith(const std::string& prefix) const;
    // Texture files that loadTexture should treat as missing.
    std::vector<std::string> missingFiles;
    // Whether the device's depth buffer has a stencil part (it has one by
    // default).
    void setStencil(bool on) { mStencil = on; }

    void bindTexture(YTexture* texture, int stage) override;
    void setStageState(int stage, YStageState state, uint32_t value) override;
    void setRenderState(YRenderState state, uint32_t value) override;
    void applyMaterial(const YMaterial* material) override;
    void enableLight(bool on) override;
    void setTextureMatrix(const float m[16], int stage) override;
    void loadTexture(YTexture* texture) override;
    void releaseTexture(YTexture* texture) override;
    YDeviceTexture createFilteredTexture(YTexture* source, YColorFilter* filter) override;
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
    void drawFullScreenQuad() override;
    void drawLineStrip(const float* positions, int segmentCount) override;
    void enumerateModes(std::vector<YDisplayMode>& modes) override;
    bool createDevice(wnd::Window& window, bool fullscreen, int modeIndex) override;
    bool resizeBackBuffer() override;
    void releaseDevice() override;
    void beginFrame(bool clearColor) override;
    void endFrame() override;
    bool restoreDevice() override;
    bool hasFrameCopy() override;
    bool frameCopyNeedsRefresh() override;
    void beginFrameCopy(bool clearColor) override;
    void endFrameCopy() override;
    void drawFrameCopy() override;
    bool beginCapture(int width, int height) override;
    bool saveCapture(const char* fileName) override;
    void endCapture() override;
    void setViewport(const float pos[2], const float size[2]) override;

protected:
    void onShaderSet(YShader* shader) override;
    void onTextDraw(const char* text, float x, float y, float size, const float* rgba) override;

private:
    void record(const std::string& line) { calls.push_back(line); }
    uintptr_t mNextHandle = 1;
};

// A renderer that does nothing at all (benchmarks, headless runs).
class YNullRender : public YRender {
public:
    explicit YNullRender(unsigned maxStages = 4);
    void setStencil(bool on) { mStencil = on; }
    void bindTexture(YTexture*, int) override {}
    void setStageState(int, YStageState, uint32_t) override {}
    void setRenderState(YRenderState, uint32_t) override {}
    void applyMaterial(const YMaterial*) override {}
    void enableLight(bool) override {}
    void setTextureMatrix(const float*, int) override {}
    void loadTexture(YTexture*) override {}
    void releaseTexture(YTexture*) override {}
    YDeviceTexture createFilteredTexture(YTexture*, YColorFilter*) override { return nullptr; }
    YVertexBuffer createVertexBuffer(const std::vector<YVertex>&) override { return nullptr; }
    void releaseVertexBuffer(YVertexBuffer) override {}
    void updateVertexBuffer(YVertexBuffer, const std::vector<YVertex>&) override {}
    YIndexBuffer createIndexBuffer(const std::vector<uint16_t>&) override { return nullptr; }
    void releaseIndexBuffer(YIndexBuffer) override {}
    void drawMesh(const YMeshBuffers&) override {}
    void drawMeshSubsets(const YMeshBuffers&, const int*) override {}
    void drawMeshShaded(const YMeshBuffers&, const std::vector<YShader*>&) override {}
    void setOrtho2D(float, float, float, float) override {}
    void setPerspective(float, float, float, float) override {}
    void setWorldMatrix(const float*) override {}
    void drawTriangles(const float*, int) override {}
    void drawQuad(const float*) override {}
    void drawQuadUV2(const float*) override {}
    void drawQuadNormalUV2(const float*) override {}
    void drawFullScreenQuad() override {}
    void drawLineStrip(const float*, int) override {}
    void enumerateModes(std::vector<YDisplayMode>&) override {}
    bool createDevice(wnd::Window&, bool, int) override { return true; }
    bool resizeBackBuffer() override { return true; }
    void releaseDevice() override {}
    void beginFrame(bool) override { resetRenderStates(); }
    void endFrame() override {}
    bool restoreDevice() override { return true; }
    bool hasFrameCopy() override { return false; }
    bool frameCopyNeedsRefresh() override { return false; }
    void beginFrameCopy(bool) override {}
    void endFrameCopy() override {}
    void drawFrameCopy() override {}
    bool beginCapture(int, int) override { return false; }
    bool saveCapture(const char*) override { return false; }
    void endCapture() override {}
    void setViewport(const float*, const float*) override {}
};
