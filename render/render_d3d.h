#pragma once
#include "render/picture_decoder.h"
#include "render/render.h"
#include "render/screen_rect.h"

#include <memory>
#include <vector>

namespace gfx {
class Device;
class RenderTarget;
} // namespace gfx

class YRenderBinding;

// The renderer over the platform's graphics device.
class Render_D3D : public YRender {
public:
    Render_D3D();
    ~Render_D3D() override;

    void bindTexture(YTexture* texture, int stage) override;
    void setStageState(int stage, YStageState state, uint32_t value) override;
    void setRenderState(YRenderState state, uint32_t value) override;
    void applyMaterial(const YMaterial* material) override;
    void enableLight(bool on) override;
    void setTextureMatrix(const float m[16], int stage) override;
    void loadTexture(YTexture* texture) override;
    void decodeAhead(const std::vector<std::string>& files) override;
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
    void drawQuadsNormalUV2(const float* vertices, int quadCount) override;
    void drawFullScreenQuad() override;
    bool outsideView(const YVec3* points, int count) const override;
    void drawFullScreenQuadOver(std::initializer_list<const std::vector<YVec3>*> pointLists) override;
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

    // The device, for tests that look at pixels.
    gfx::Device* device() const { return mDevice.get(); }

private:
    struct AdapterMode {
        int width, height, bits, refresh;
    };

    bool tryMode(bool fullscreen, int modeIndex);
    // The quad over a rectangle of the viewport, drawn without the world
    // and projection transforms (which stay as they were).
    void drawScreenQuad(const YScreenRect& rect);
    void setupMeshDraw(const YMeshBuffers& mesh);

    std::unique_ptr<gfx::Device> mDevice;
    wnd::Window* mWindow = nullptr;
    bool mFullscreen = false;
    std::vector<AdapterMode> mModes;
    AdapterMode mDesktop{0, 0, 32, 0};
    gfx::RenderTarget* mFrameCopy = nullptr;
    bool mFrameCopyFresh = false;
    gfx::RenderTarget* mCapture = nullptr;
    gfx::RenderTarget* mTarget = nullptr; // current target, null = back buffer
    float mProjection[16];
    float mWorld[16]; // the world matrix last given to the device
    std::unique_ptr<YRenderBinding> mBinding;
    std::vector<float> mQuadTriangles; // drawQuadsNormalUV2's triangle list, kept between frames
    YPictureDecoder mDecoder; // pictures decoded ahead of loadTexture
};
