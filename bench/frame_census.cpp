#include "bench/frame_census.h"

#include "platform/img/projection.h"
#include "render/resource.h"
#include "render/shader.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

struct Clip {
    float x, y, z, w;
};

// Keeps the part of a convex polygon where a x + b y + c z + d w >= 0.
std::vector<Clip> clipAgainst(const std::vector<Clip>& in, float a, float b, float c, float d)
{
    std::vector<Clip> out;
    for (size_t i = 0; i < in.size(); ++i) {
        const Clip& p = in[i];
        const Clip& q = in[(i + 1) % in.size()];
        float dp = a * p.x + b * p.y + c * p.z + d * p.w;
        float dq = a * q.x + b * q.y + c * q.z + d * q.w;
        if (dp >= 0)
            out.push_back(p);
        if ((dp >= 0) != (dq >= 0)) {
            float t = dp / (dp - dq);
            out.push_back({p.x + (q.x - p.x) * t, p.y + (q.y - p.y) * t, p.z + (q.z - p.z) * t, p.w + (q.w - p.w) * t});
        }
    }
    return out;
}

} // namespace

YFrameCensus::YFrameCensus(int width, int height, unsigned maxStages) : mWidth(width), mHeight(height)
{
    mMaxStages = std::min<unsigned>(maxStages, YMAX_STAGES);
    mStencil = true;
    const float full[4] = {0, 0, 1, 1};
    std::memcpy(mViewport, full, sizeof mViewport);
    std::memcpy(mProjection, YMatrix::identity().m, sizeof mProjection);
    std::memcpy(mWorld, YMatrix::identity().m, sizeof mWorld);
}

void YFrameCensus::bindTexture(YTexture* texture, int stage)
{
    if (stage >= 0 && stage < YMAX_STAGES)
        mBound[stage] = texture;
}

void YFrameCensus::loadTexture(YTexture* texture)
{
    if (!texture->deviceTexture)
        texture->deviceTexture = reinterpret_cast<YDeviceTexture>(mNextHandle++);
}

void YFrameCensus::releaseTexture(YTexture* texture) { texture->deviceTexture = nullptr; }

YDeviceTexture YFrameCensus::createFilteredTexture(YTexture* source, YColorFilter*)
{
    if (!source || !source->deviceTexture)
        return nullptr;
    return reinterpret_cast<YDeviceTexture>(mNextHandle++);
}

YVertexBuffer YFrameCensus::createVertexBuffer(const std::vector<YVertex>& vertices)
{
    if (vertices.empty())
        return nullptr;
    YVertexBuffer handle = reinterpret_cast<YVertexBuffer>(mNextHandle++);
    mVertexBuffers[handle] = vertices;
    return handle;
}

void YFrameCensus::releaseVertexBuffer(YVertexBuffer buffer) { mVertexBuffers.erase(buffer); }

void YFrameCensus::updateVertexBuffer(YVertexBuffer buffer, const std::vector<YVertex>& vertices)
{
    auto it = mVertexBuffers.find(buffer);
    if (it != mVertexBuffers.end())
        it->second = vertices;
}

YIndexBuffer YFrameCensus::createIndexBuffer(const std::vector<uint16_t>& indices)
{
    if (indices.empty())
        return nullptr;
    YIndexBuffer handle = reinterpret_cast<YIndexBuffer>(mNextHandle++);
    mIndexBuffers[handle] = indices;
    return handle;
}

void YFrameCensus::releaseIndexBuffer(YIndexBuffer buffer) { mIndexBuffers.erase(buffer); }

void YFrameCensus::drawSubset(const YMeshBuffers& mesh, size_t subset)
{
    auto v = mVertexBuffers.find(mesh.vertices);
    auto i = mIndexBuffers.find(mesh.indices);
    if (v == mVertexBuffers.end() || i == mIndexBuffers.end() || !mesh.subsets || subset >= mesh.subsets->size())
        return;
    const YMeshSubset& s = (*mesh.subsets)[subset];
    std::vector<Vertex> triangles;
    for (int k = 0; k < s.triangleCount * 3; ++k) {
        size_t index = static_cast<size_t>(s.firstIndex) + static_cast<size_t>(k);
        if (index >= i->second.size() || i->second[index] >= v->second.size())
            return;
        const YVertex& p = v->second[i->second[index]];
        triangles.push_back({p.pos.x, p.pos.y, p.pos.z});
    }
    draw(triangles);
}

void YFrameCensus::drawMesh(const YMeshBuffers& mesh)
{
    for (size_t i = 0; mesh.subsets && i < mesh.subsets->size(); ++i)
        drawSubset(mesh, i);
}

void YFrameCensus::drawMeshSubsets(const YMeshBuffers& mesh, const int* subsets)
{
    if (!mesh.subsets || mesh.subsets->empty() || !subsets)
        return;
    for (const int* s = subsets; *s >= 0; ++s)
        drawSubset(mesh, static_cast<size_t>(*s) % mesh.subsets->size());
}

void YFrameCensus::drawMeshShaded(const YMeshBuffers& mesh, const std::vector<YShader*>& shaders)
{
    if (!mesh.subsets || shaders.empty())
        return;
    for (size_t i = 0; i < mesh.subsets->size(); ++i) {
        setShader(shaders[i % shaders.size()], true);
        drawSubset(mesh, i);
    }
}

void YFrameCensus::setOrtho2D(float x, float y, float width, float height)
{
    img::orthoOffCenterLH(x, x + width, y + height, y, -1.0f, 1.0f, mProjection);
    std::memcpy(mWorld, YMatrix::identity().m, sizeof mWorld);
}

void YFrameCensus::setPerspective(float fovDegrees, float aspect, float zNear, float zFar)
{
    img::perspectiveFovRH(fovDegrees * 0.017453292f, aspect, zNear, zFar, mProjection);
    std::memcpy(mWorld, YMatrix::identity().m, sizeof mWorld);
}

void YFrameCensus::setWorldMatrix(const float m[16]) { std::memcpy(mWorld, m, sizeof mWorld); }

void YFrameCensus::drawTriangles(const float* positions, int triangleCount)
{
    std::vector<Vertex> triangles;
    for (int i = 0; i < triangleCount * 3; ++i)
        triangles.push_back({positions[i * 3], positions[i * 3 + 1], positions[i * 3 + 2]});
    draw(triangles);
}

void YFrameCensus::drawFan(const float* vertices, int stride, int count)
{
    std::vector<Vertex> triangles;
    for (int i = 1; i + 1 < count; ++i)
        for (int k : {0, i, i + 1})
            triangles.push_back({vertices[k * stride], vertices[k * stride + 1], vertices[k * stride + 2]});
    draw(triangles);
}

void YFrameCensus::drawQuad(const float* positions) { drawFan(positions, 3, 4); }
void YFrameCensus::drawQuadUV2(const float* vertices) { drawFan(vertices, 7, 4); }
void YFrameCensus::drawQuadNormalUV2(const float* vertices) { drawFan(vertices, 10, 4); }

void YFrameCensus::drawQuadsNormalUV2(const float* vertices, int quadCount)
{
    std::vector<Vertex> triangles;
    for (int q = 0; q < quadCount; ++q)
        for (int k : {0, 1, 2, 0, 2, 3}) {
            const float* v = vertices + (q * 4 + k) * 10;
            triangles.push_back({v[0], v[1], v[2]});
        }
    draw(triangles);
}

void YFrameCensus::drawFullScreenQuad() { drawScreenQuad(YScreenRect()); }

void YFrameCensus::drawFullScreenQuadOver(std::initializer_list<const std::vector<YVec3>*> pointLists)
{
    const float margin = 4.0f / static_cast<float>(std::max(1, std::min(mWidth, mHeight)));
    const YScreenRect rect = screenRectOf(pointLists, mWorld, mProjection, margin);
    if (!rect.empty())
        drawScreenQuad(rect);
}

void YFrameCensus::drawScreenQuad(const YScreenRect& rect)
{
    float projection[16], world[16];
    std::memcpy(projection, mProjection, sizeof projection);
    std::memcpy(world, mWorld, sizeof world);
    std::memcpy(mProjection, YMatrix::identity().m, sizeof mProjection);
    std::memcpy(mWorld, YMatrix::identity().m, sizeof mWorld);
    float strip[12];
    screenRectCorners(rect, strip);
    // The strip's corners in fan order.
    const float corners[12] = {strip[0], strip[1], strip[2], strip[3], strip[4],  strip[5],
                               strip[9], strip[10], strip[11], strip[6], strip[7], strip[8]};
    drawFan(corners, 3, 4);
    std::memcpy(mProjection, projection, sizeof projection);
    std::memcpy(mWorld, world, sizeof world);
}

void YFrameCensus::drawLineStrip(const float*, int) { draw({}); }

void YFrameCensus::beginFrame(bool)
{
    resetRenderStates();
    const float full[4] = {0, 0, 1, 1};
    std::memcpy(mViewport, full, sizeof mViewport);
    std::memcpy(mProjection, YMatrix::identity().m, sizeof mProjection);
    std::memcpy(mWorld, YMatrix::identity().m, sizeof mWorld);
    mLastState.clear();
}

void YFrameCensus::endFrame() { mTotals.frames += 1; }

void YFrameCensus::setViewport(const float pos[2], const float size[2])
{
    const float v[4] = {pos[0], pos[1], size[0], size[1]};
    std::memcpy(mViewport, v, sizeof mViewport);
}

// Pixels of the viewport that the triangles cover after clipping, each
// triangle counted on its own; triangles the cull mode drops count nothing.
double YFrameCensus::coveredPixels(const std::vector<Vertex>& triangles) const
{
    const float vx = mViewport[0] * static_cast<float>(mWidth), vy = mViewport[1] * static_cast<float>(mHeight);
    const float vw = mViewport[2] * static_cast<float>(mWidth), vh = mViewport[3] * static_cast<float>(mHeight);
    const uint32_t cull = mRenderStates[YRS_CULLMODE];
    YMatrix world, projection;
    std::memcpy(world.m, mWorld, sizeof world.m);
    std::memcpy(projection.m, mProjection, sizeof projection.m);
    const YMatrix all = projection * world; // world first, then the projection
    double pixels = 0;
    for (size_t t = 0; t + 2 < triangles.size(); t += 3) {
        std::vector<Clip> polygon;
        for (size_t k = 0; k < 3; ++k) {
            const Vertex& p = triangles[t + k];
            const float* m = all.m;
            polygon.push_back({p.x * m[0] + p.y * m[4] + p.z * m[8] + m[12], p.x * m[1] + p.y * m[5] + p.z * m[9] + m[13],
                               p.x * m[2] + p.y * m[6] + p.z * m[10] + m[14],
                               p.x * m[3] + p.y * m[7] + p.z * m[11] + m[15]});
        }
        // Depth 0..w, x and y -w..w.
        polygon = clipAgainst(polygon, 0, 0, 1, 0);
        polygon = clipAgainst(polygon, 0, 0, -1, 1);
        polygon = clipAgainst(polygon, 1, 0, 0, 1);
        polygon = clipAgainst(polygon, -1, 0, 0, 1);
        polygon = clipAgainst(polygon, 0, 1, 0, 1);
        polygon = clipAgainst(polygon, 0, -1, 0, 1);
        if (polygon.size() < 3)
            continue;
        // Shoelace in screen pixels, y down: positive is clockwise on screen.
        double area = 0;
        for (size_t i = 0; i < polygon.size(); ++i) {
            const Clip& p = polygon[i];
            const Clip& q = polygon[(i + 1) % polygon.size()];
            double px = vx + (p.x / p.w + 1) * 0.5 * vw, py = vy + (1 - p.y / p.w) * 0.5 * vh;
            double qx = vx + (q.x / q.w + 1) * 0.5 * vw, qy = vy + (1 - q.y / q.w) * 0.5 * vh;
            area += px * qy - qx * py;
        }
        area *= 0.5;
        if ((cull == 2 && area > 0) || (cull == 3 && area < 0))
            continue;
        pixels += std::fabs(area);
    }
    return pixels;
}

void YFrameCensus::draw(const std::vector<Vertex>& triangles)
{
    // What a software rasteriser compiles into its fragment stage.
    std::vector<uint32_t> state(mRenderStates, mRenderStates + YRS_COUNT);
    state.push_back(mLighting ? 1 : 0);
    for (unsigned s = 0; s < mStageCount && mStageStates[s][YSS_COLOROP] != ydev::TOP_DISABLE; ++s) {
        state.insert(state.end(), mStageStates[s], mStageStates[s] + YSS_COUNT);
        state.push_back(static_cast<uint32_t>(reinterpret_cast<uintptr_t>(mBound[s])));
    }
    if (state != mLastState) {
        mTotals.stateChanges += 1;
        mLastState = state;
    }
    const double pixels = coveredPixels(triangles);
    ShaderCount& c = mTotals.shaders[mShader ? mShader->name : std::string("(none)")];
    c.draws += 1;
    c.triangles += static_cast<double>(triangles.size() / 3);
    c.pixels += pixels;
    c.blended = c.blended || mRenderStates[YRS_ALPHABLENDENABLE] == 1;
    mTotals.draws += 1;
    mTotals.pixels += pixels;
}
