#include "render/recording_render.h"

#include "core/display_modes.h"
#include "render/resource.h"
#include "render/shader.h"

#include <algorithm>
#include <cstdio>

namespace {

std::string floats(const float* v, int n)
{
    std::string out;
    char buffer[32];
    for (int i = 0; i < n; ++i) {
        std::snprintf(buffer, sizeof(buffer), i ? " %g" : "%g", static_cast<double>(v[i]));
        out += buffer;
    }
    return out;
}

std::string num(long long v) { return std::to_string(v); }

std::string textureName(YTexture* t) { return t ? t->name : std::string("null"); }

} // namespace

YRecordingRender::YRecordingRender(unsigned maxStages)
{
    mMaxStages = std::min<unsigned>(maxStages, YMAX_STAGES);
    mStencil = true;
}

YNullRender::YNullRender(unsigned maxStages)
{
    mMaxStages = std::min<unsigned>(maxStages, YMAX_STAGES);
    mStencil = true;
}

std::vector<std::string> YRecordingRender::callsStartingWith(const std::string& prefix) const
{
    std::vector<std::string> out;
    for (const std::string& c : calls) {
        if (c.compare(0, prefix.size(), prefix) == 0)
            out.push_back(c);
    }
    return out;
}

void YRecordingRender::onShaderSet(YShader* shader) { record("shader " + shader->name); }

void YRecordingRender::onTextDraw(const char* text, float x, float y, float size, const float* rgba)
{
    const float v[7] = {x, y, size, rgba[0], rgba[1], rgba[2], rgba[3]};
    record("text " + floats(v, 7) + " " + text);
}

void YRecordingRender::bindTexture(YTexture* texture, int stage)
{
    record("texture " + num(stage) + " " + textureName(texture));
}

void YRecordingRender::setStageState(int stage, YStageState state, uint32_t value)
{
    record("stage " + num(stage) + " " + num(state) + " " + num(value));
}

void YRecordingRender::setRenderState(YRenderState state, uint32_t value)
{
    record("state " + num(state) + " " + num(value));
}

void YRecordingRender::applyMaterial(const YMaterial* m)
{
    record("material " + floats(&m->diffuse.x, 17));
}

void YRecordingRender::enableLight(bool on) { record(std::string("light ") + (on ? "1" : "0")); }

void YRecordingRender::setTextureMatrix(const float m[16], int stage)
{
    if (mIdentity[stage])
        record("texmatrix " + num(stage) + " off");
    else
        record("texmatrix " + num(stage) + " " + floats(m, 16));
}

void YRecordingRender::loadTexture(YTexture* texture)
{
    record("load " + texture->name);
    if (texture->deviceTexture)
        return;
    if (std::find(missingFiles.begin(), missingFiles.end(), texture->name) != missingFiles.end())
        return;
    texture->deviceTexture = reinterpret_cast<YDeviceTexture>(mNextHandle++);
}

void YRecordingRender::releaseTexture(YTexture* texture)
{
    if (texture->deviceTexture)
        record("release " + texture->name);
    texture->deviceTexture = nullptr;
}

YDeviceTexture YRecordingRender::createFilteredTexture(YTexture* source, YColorFilter*)
{
    record("filter " + textureName(source));
    if (!source || !source->deviceTexture)
        return nullptr;
    return reinterpret_cast<YDeviceTexture>(mNextHandle++);
}

YVertexBuffer YRecordingRender::createVertexBuffer(const std::vector<YVertex>& vertices)
{
    record("vertexbuffer " + num(static_cast<long long>(vertices.size())));
    return reinterpret_cast<YVertexBuffer>(mNextHandle++);
}

void YRecordingRender::releaseVertexBuffer(YVertexBuffer) { record("release vertexbuffer"); }

void YRecordingRender::updateVertexBuffer(YVertexBuffer, const std::vector<YVertex>& vertices)
{
    record("update vertexbuffer " + num(static_cast<long long>(vertices.size())));
}

YIndexBuffer YRecordingRender::createIndexBuffer(const std::vector<uint16_t>& indices)
{
    if (indices.empty())
        return nullptr;
    record("indexbuffer " + num(static_cast<long long>(indices.size())));
    return reinterpret_cast<YIndexBuffer>(mNextHandle++);
}

void YRecordingRender::releaseIndexBuffer(YIndexBuffer) { record("release indexbuffer"); }

void YRecordingRender::drawMesh(const YMeshBuffers& mesh)
{
    size_t n = mesh.subsets ? mesh.subsets->size() : 0;
    for (size_t i = 0; i < n; ++i)
        record("mesh subset " + num(static_cast<long long>(i)));
}

void YRecordingRender::drawMeshSubsets(const YMeshBuffers& mesh, const int* subsets)
{
    size_t n = mesh.subsets ? mesh.subsets->size() : 0;
    if (n == 0 || !subsets)
        return; // nothing to draw, and no division by zero
    for (const int* s = subsets; *s >= 0; ++s)
        record("mesh subset " + num(static_cast<long long>(*s % n)));
}

void YRecordingRender::drawMeshShaded(const YMeshBuffers& mesh, const std::vector<YShader*>& shaders)
{
    size_t n = mesh.subsets ? mesh.subsets->size() : 0;
    if (shaders.empty())
        return;
    for (size_t i = 0; i < n; ++i) {
        setShader(shaders[i % shaders.size()], true);
        record("mesh subset " + num(static_cast<long long>(i)));
    }
}

void YRecordingRender::setOrtho2D(float x, float y, float width, float height)
{
    float v[4] = {x, y, width, height};
    record("ortho " + floats(v, 4));
}

void YRecordingRender::setPerspective(float fov, float aspect, float zNear, float zFar)
{
    float v[4] = {fov, aspect, zNear, zFar};
    record("perspective " + floats(v, 4));
}

void YRecordingRender::setWorldMatrix(const float m[16]) { record("world " + floats(m, 16)); }

void YRecordingRender::drawTriangles(const float* positions, int count)
{
    record("triangles " + num(count) + " " + floats(positions, count * 9));
}

void YRecordingRender::drawQuad(const float* positions) { record("quad " + floats(positions, 12)); }
void YRecordingRender::drawQuadUV2(const float* v) { record("quadUV2 " + floats(v, 28)); }
void YRecordingRender::drawQuadNormalUV2(const float* v) { record("quadNormalUV2 " + floats(v, 40)); }
void YRecordingRender::drawFullScreenQuad() { record("fullscreen"); }

void YRecordingRender::drawLineStrip(const float* positions, int segments)
{
    record("lines " + num(segments) + " " + floats(positions, (segments + 1) * 3));
}

void YRecordingRender::enumerateModes(std::vector<YDisplayMode>& modes)
{
    modes.clear();
    modes.push_back(YDisplayMode(800, 600, 32, 60, 0));
    modes.push_back(YDisplayMode(1024, 768, 32, 60, -1));
}

bool YRecordingRender::createDevice(wnd::Window&, bool fullscreen, int modeIndex)
{
    record("createDevice " + num(fullscreen) + " " + num(modeIndex));
    return true;
}

bool YRecordingRender::resizeBackBuffer()
{
    record("resize");
    return true;
}

void YRecordingRender::releaseDevice()
{
    invalidateRenderResources(YRK_ALL);
    record("releaseDevice");
}

void YRecordingRender::beginFrame(bool clearColor)
{
    record(std::string("beginFrame ") + (clearColor ? "1" : "0"));
    resetRenderStates();
}

void YRecordingRender::endFrame() { record("endFrame"); }
bool YRecordingRender::restoreDevice() { return true; }
bool YRecordingRender::hasFrameCopy() { return false; }
bool YRecordingRender::frameCopyNeedsRefresh() { return false; }
void YRecordingRender::beginFrameCopy(bool) { record("beginFrameCopy"); }
void YRecordingRender::endFrameCopy() { record("endFrameCopy"); }
void YRecordingRender::drawFrameCopy() { record("drawFrameCopy"); }

bool YRecordingRender::beginCapture(int width, int height)
{
    record("beginCapture " + num(width) + " " + num(height));
    return true;
}

bool YRecordingRender::saveCapture(const char* fileName)
{
    record(std::string("saveCapture ") + (fileName ? fileName : ""));
    return false; // nothing was drawn that could be saved
}

void YRecordingRender::endCapture() { record("endCapture"); }

void YRecordingRender::setViewport(const float pos[2], const float size[2])
{
    float v[4] = {pos[0], pos[1], size[0], size[1]};
    record("viewport " + floats(v, 4));
}
