#include "render/render_d3d.h"

#include "core/display_modes.h"
#include "core/framework.h"
#include "core/init.h"
#include "core/log.h"
#include "platform/gfx/device.h"
#include "platform/img/image.h"
#include "platform/img/projection.h"
#include "platform/sys/message_box.h"
#include "platform/wnd/window.h"
#include "render/resource.h"
#include "render/shader.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

gfx::Texture* tex(YDeviceTexture t) { return static_cast<gfx::Texture*>(t); }
gfx::VertexBuffer* vb(YVertexBuffer b) { return static_cast<gfx::VertexBuffer*>(b); }
gfx::IndexBuffer* ib(YIndexBuffer b) { return static_cast<gfx::IndexBuffer*>(b); }

// Connects the application framework to the renderer: the framework asks for
// the device with a window and a mode, resizes and restores through it.
class RenderBinding : public YRenderBinding {
public:
    bool createDevice(wnd::Window& window, bool fullscreen, int width, int height, int bits,
                      int refresh) override
    {
        YDisplayMode wanted(static_cast<uint32_t>(width), static_cast<uint32_t>(height),
                            static_cast<uint32_t>(bits), static_cast<uint32_t>(refresh), -1);
        int index = gDisplayModes().findMode(wanted);
        return gRender && gRender->createDevice(window, fullscreen, index);
    }
    void releaseDevice() override
    {
        if (gRender)
            gRender->releaseDevice();
    }
    void resizeBackBuffer(int, int) override
    {
        if (gRender)
            gRender->resizeBackBuffer();
    }
    bool restoreResources() override
    {
        restoreRenderResources(YRK_ALL);
        return true;
    }
    void invalidateResources() override { invalidateRenderResources(YRK_ALL); }
    void drawEmptyFrame() override
    {
        if (!gRender || !gRender->restoreDevice())
            return;
        gRender->beginFrame(false);
        gRender->endFrame();
    }
};

} // namespace

Render_D3D::Render_D3D()
{
    std::memcpy(mProjection, YMatrix::identity().m, sizeof(mProjection));
    std::memcpy(mWorld, YMatrix::identity().m, sizeof(mWorld));
    YLog::write("D3D object created.");
    mBinding.reset(new RenderBinding());
    setRenderBinding(mBinding.get());
}

Render_D3D::~Render_D3D()
{
    releaseDevice();
    if (renderBinding() == mBinding.get())
        setRenderBinding(nullptr);
    YLog::write("D3D Released.");
}

// ---------------------------------------------------------------------------
// States

void Render_D3D::bindTexture(YTexture* texture, int stage)
{
    if (mDevice)
        mDevice->setTexture(stage, texture ? tex(texture->deviceTexture) : nullptr);
}

void Render_D3D::setStageState(int stage, YStageState state, uint32_t value)
{
    if (mDevice)
        mDevice->setStageState(stage, static_cast<gfx::StageState>(state), value);
}

void Render_D3D::setRenderState(YRenderState state, uint32_t value)
{
    if (mDevice)
        mDevice->setRenderState(static_cast<gfx::RenderState>(state), value);
}

void Render_D3D::applyMaterial(const YMaterial* m)
{
    if (!mDevice)
        return;
    gfx::Material g;
    std::memcpy(&g, m, sizeof(g));
    mDevice->setMaterial(g);
}

void Render_D3D::enableLight(bool on)
{
    if (!mDevice)
        return;
    mDevice->lightEnable(on);
    mDevice->setRenderState(gfx::RS_SPECULARENABLE, on ? 1 : 0);
}

void Render_D3D::setTextureMatrix(const float m[16], int stage)
{
    if (!mDevice)
        return;
    if (!mIdentity[stage]) {
        mDevice->setTransform(gfx::TS_TEXTURE0 + stage, m);
        mDevice->setStageState(stage, gfx::SS_TEXTURETRANSFORMFLAGS, 2);
    } else {
        mDevice->setStageState(stage, gfx::SS_TEXTURETRANSFORMFLAGS, 0);
    }
}

// ---------------------------------------------------------------------------
// Textures and buffers

void Render_D3D::loadTexture(YTexture* texture)
{
    if (texture->deviceTexture || !mDevice)
        return;
    const YDecodedPicture picture = mDecoder.take(texture->name);
    bool ok = picture.ok;
    if (ok) {
        texture->deviceTexture = mDevice->createTexture(picture.image, picture.mips);
        ok = texture->deviceTexture != nullptr;
    }
    YLog::writef("Load texture %s, %s", texture->name.c_str(), ok ? "ok" : "failed");
    if (!ok && !picture.error.empty())
        YLog::writef("  %s", picture.error.c_str());
}

void Render_D3D::decodeAhead(const std::vector<std::string>& files)
{
    mDecoder.start(mDevice ? files : std::vector<std::string>());
}

void Render_D3D::releaseTexture(YTexture* texture)
{
    if (texture->deviceTexture && mDevice)
        mDevice->releaseTexture(tex(texture->deviceTexture));
    texture->deviceTexture = nullptr;
}

YDeviceTexture Render_D3D::createFilteredTexture(YTexture* source, YColorFilter* filter)
{
    if (!mDevice || !source || !source->deviceTexture || !filter)
        return nullptr;
    img::Image input;
    if (!mDevice->readTexture(tex(source->deviceTexture), input) || input.empty()) {
        YLog::writef("Filter texture %s: %s", source->name.c_str(), "failed");
        return nullptr;
    }
    img::Image output(input.width, input.height);
    img::fillImage(output, [&](float u, float v, float rgba[4]) {
        int x = std::min(static_cast<int>(u * input.width), input.width - 1);
        int y = std::min(static_cast<int>(v * input.height), input.height - 1);
        const uint8_t* t = input.texel(x, y);
        YVec4 c = filter->filter(YVec4(t[0] / 255.0f, t[1] / 255.0f, t[2] / 255.0f, t[3] / 255.0f));
        rgba[0] = c.x;
        rgba[1] = c.y;
        rgba[2] = c.z;
        rgba[3] = c.w;
    });
    gfx::Texture* result = mDevice->createTexture(output);
    YLog::writef("Filter texture %s: %s", source->name.c_str(), result ? "ok" : "failed");
    if (result)
        YLog::writef("Create mipmap levels: %s", "ok");
    return result;
}

YVertexBuffer Render_D3D::createVertexBuffer(const std::vector<YVertex>& vertices)
{
    if (!mDevice || vertices.empty())
        return nullptr;
    return mDevice->createVertexBuffer(vertices.data(), static_cast<int>(vertices.size() * sizeof(YVertex)));
}

void Render_D3D::releaseVertexBuffer(YVertexBuffer buffer)
{
    if (mDevice && buffer)
        mDevice->releaseVertexBuffer(vb(buffer));
}

void Render_D3D::updateVertexBuffer(YVertexBuffer buffer, const std::vector<YVertex>& vertices)
{
    if (mDevice && buffer && !vertices.empty())
        mDevice->updateVertexBuffer(vb(buffer), vertices.data(),
                                    static_cast<int>(vertices.size() * sizeof(YVertex)));
}

YIndexBuffer Render_D3D::createIndexBuffer(const std::vector<uint16_t>& indices)
{
    if (!mDevice || indices.empty())
        return nullptr;
    return mDevice->createIndexBuffer(indices.data(), static_cast<int>(indices.size()));
}

void Render_D3D::releaseIndexBuffer(YIndexBuffer buffer)
{
    if (mDevice && buffer)
        mDevice->releaseIndexBuffer(ib(buffer));
}

// ---------------------------------------------------------------------------
// Meshes

void Render_D3D::setupMeshDraw(const YMeshBuffers& mesh)
{
    mDevice->setStreamSource(vb(mesh.vertices), sizeof(YVertex));
    mDevice->setIndices(ib(mesh.indices));
}

namespace {
bool drawable(const YMeshBuffers& mesh)
{
    return mesh.vertices && mesh.indices && mesh.subsets && !mesh.subsets->empty();
}
} // namespace

void Render_D3D::drawMesh(const YMeshBuffers& mesh)
{
    if (!mDevice || !drawable(mesh))
        return;
    setupMeshDraw(mesh);
    for (const YMeshSubset& s : *mesh.subsets)
        mDevice->drawIndexedTriangles(s.lowestVertex, s.vertexCount, s.firstIndex, s.triangleCount);
}

void Render_D3D::drawMeshSubsets(const YMeshBuffers& mesh, const int* subsets)
{
    // A mesh without subsets has nothing to draw (and nothing to take a
    // subset index modulo).
    if (!mDevice || !drawable(mesh) || !subsets)
        return;
    setupMeshDraw(mesh);
    const size_t n = mesh.subsets->size();
    for (const int* i = subsets; *i >= 0; ++i) {
        const YMeshSubset& s = (*mesh.subsets)[static_cast<size_t>(*i) % n];
        mDevice->drawIndexedTriangles(s.lowestVertex, s.vertexCount, s.firstIndex, s.triangleCount);
    }
}

void Render_D3D::drawMeshShaded(const YMeshBuffers& mesh, const std::vector<YShader*>& shaders)
{
    if (!mDevice || !drawable(mesh) || shaders.empty())
        return;
    setupMeshDraw(mesh);
    for (size_t i = 0; i < mesh.subsets->size(); ++i) {
        setShader(shaders[i % shaders.size()], true);
        const YMeshSubset& s = (*mesh.subsets)[i];
        mDevice->drawIndexedTriangles(s.lowestVertex, s.vertexCount, s.firstIndex, s.triangleCount);
    }
}

// ---------------------------------------------------------------------------
// Transforms and draws

void Render_D3D::setOrtho2D(float x, float y, float width, float height)
{
    if (!mDevice)
        return;
    img::orthoOffCenterLH(x, x + width, y + height, y, -1.0f, 1.0f, mProjection);
    std::memcpy(mWorld, YMatrix::identity().m, sizeof(mWorld));
    mDevice->setTransform(gfx::TS_PROJECTION, mProjection);
    mDevice->setTransform(gfx::TS_VIEW, YMatrix::identity().m);
    mDevice->setTransform(gfx::TS_WORLD, mWorld);
}

void Render_D3D::setPerspective(float fovDegrees, float aspect, float zNear, float zFar)
{
    if (!mDevice)
        return;
    img::perspectiveFovRH(fovDegrees * 0.017453292f, aspect, zNear, zFar, mProjection);
    std::memcpy(mWorld, YMatrix::identity().m, sizeof(mWorld));
    mDevice->setTransform(gfx::TS_PROJECTION, mProjection);
    mDevice->setTransform(gfx::TS_VIEW, YMatrix::identity().m);
    mDevice->setTransform(gfx::TS_WORLD, mWorld);
}

void Render_D3D::setWorldMatrix(const float m[16])
{
    if (!mDevice || !m)
        return;
    std::memcpy(mWorld, m, sizeof(mWorld));
    mDevice->setTransform(gfx::TS_WORLD, mWorld);
}

void Render_D3D::drawTriangles(const float* positions, int triangleCount)
{
    if (mDevice && positions && triangleCount > 0)
        mDevice->drawPrimitiveUP(gfx::PT_TRIANGLELIST, triangleCount, positions, 12);
}

void Render_D3D::drawQuad(const float* positions)
{
    if (mDevice)
        mDevice->drawPrimitiveUP(gfx::PT_TRIANGLEFAN, 2, positions, 12);
}

void Render_D3D::drawQuadUV2(const float* vertices)
{
    if (mDevice)
        mDevice->drawPrimitiveUP(gfx::PT_TRIANGLEFAN, 2, vertices, 28);
}

void Render_D3D::drawQuadNormalUV2(const float* vertices)
{
    if (mDevice)
        mDevice->drawPrimitiveUP(gfx::PT_TRIANGLEFAN, 2, vertices, 40);
}

void Render_D3D::drawQuadsNormalUV2(const float* vertices, int quadCount)
{
    if (!mDevice || !vertices || quadCount <= 0)
        return;
    // Each quad's fan (0 1 2, 0 2 3) as two listed triangles: the same
    // triangles in the same order, so the same pixels.
    constexpr int FLOATS = 10;
    mQuadTriangles.resize(static_cast<size_t>(quadCount) * 6 * FLOATS);
    float* out = mQuadTriangles.data();
    for (int q = 0; q < quadCount; ++q) {
        const float* quad = vertices + static_cast<std::ptrdiff_t>(q) * 4 * FLOATS;
        for (int k : {0, 1, 2, 0, 2, 3}) {
            std::memcpy(out, quad + k * FLOATS, FLOATS * sizeof(float));
            out += FLOATS;
        }
    }
    mDevice->drawPrimitiveUP(gfx::PT_TRIANGLELIST, quadCount * 2, mQuadTriangles.data(), FLOATS * 4);
}

void Render_D3D::drawFullScreenQuad() { drawScreenQuad(YScreenRect()); }

void Render_D3D::drawFullScreenQuadOver(std::initializer_list<const std::vector<YVec3>*> pointLists)
{
    if (!mDevice)
        return;
    // Two pixels of slack round the points' rectangle: the rasteriser's
    // coverage of their triangles never reaches past it.
    const float margin = 4.0f / static_cast<float>(std::max(1, std::min(mDevice->backWidth(), mDevice->backHeight())));
    const YScreenRect rect = screenRectOf(pointLists, mWorld, mProjection, margin);
    if (!rect.empty())
        drawScreenQuad(rect);
}

bool Render_D3D::outsideView(const YVec3* points, int count) const
{
    return outsideViewVolume(points, count, mWorld, mProjection);
}

void Render_D3D::drawScreenQuad(const YScreenRect& rect)
{
    if (!mDevice)
        return;
    float corners[12];
    screenRectCorners(rect, corners);
    mDevice->setTransform(gfx::TS_PROJECTION, YMatrix::identity().m);
    mDevice->setTransform(gfx::TS_WORLD, YMatrix::identity().m);
    mDevice->drawPrimitiveUP(gfx::PT_TRIANGLESTRIP, 2, corners, 12);
    // Later draws see the transforms they had before.
    mDevice->setTransform(gfx::TS_PROJECTION, mProjection);
    mDevice->setTransform(gfx::TS_WORLD, mWorld);
}

void Render_D3D::drawLineStrip(const float* positions, int segmentCount)
{
    if (mDevice && positions && segmentCount > 0)
        mDevice->drawPrimitiveUP(gfx::PT_LINESTRIP, segmentCount, positions, 12);
}

void Render_D3D::setViewport(const float pos[2], const float size[2])
{
    if (!mDevice)
        return;
    float w = static_cast<float>(mDevice->backWidth()), h = static_cast<float>(mDevice->backHeight());
    mDevice->setViewport(static_cast<int>(w * pos[0]), static_cast<int>(h * pos[1]), static_cast<int>(w * size[0]),
                         static_cast<int>(h * size[1]), 0.0f, 1.0f);
}
