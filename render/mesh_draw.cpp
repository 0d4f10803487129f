#include "render/mesh_draw.h"

#include "render/camera.h"

#include <algorithm>
#include <cstring>

std::vector<YMeshDraw*>& gMeshDraws()
{
    static std::vector<YMeshDraw*> list;
    return list;
}

void drawMeshDraws()
{
    // By index: a draw may create draw objects, which join the walk.
    auto& list = gMeshDraws();
    for (size_t i = 0; i < list.size(); ++i)
        list[i]->draw();
}

// ---------------------------------------------------------------- YMeshDraw

YMeshDraw::YMeshDraw() { gMeshDraws().push_back(this); }

YMeshDraw::~YMeshDraw()
{
    auto& list = gMeshDraws();
    auto it = std::find(list.begin(), list.end(), this);
    if (it != list.end()) {
        *it = list.back();
        list.pop_back();
    }
}

void YMeshDraw::setMatrix(const float m[16]) { std::memcpy(matrix.m, m, sizeof(matrix.m)); }

void YMeshDraw::drawInstance(YMeshInstanceBase& instance)
{
    if (!visible || !gRender)
        return;
    instance.uploadIfDirty();
    // The device's view transform stays the identity: the world matrix takes
    // the object into camera space (model first, then the camera's view).
    YMatrix world = gCamera().view() * matrix;
    gRender->setWorldMatrix(world.m);
    gRender->drawMeshShaded(instance.buffers(), shaders);
    if (shadowMode == YSHADOW_VOLUME && gShadowVolumeHook)
        gShadowVolumeHook(instance, matrix);
}

void YMeshDraw::drawInstanceWithMatrix(YMeshInstanceBase& instance, const YMatrix& m)
{
    if (!visible || !gRender)
        return;
    YMatrix world = m * matrix;
    gRender->setWorldMatrix(world.m);
    gRender->drawMesh(instance.buffers());
}

// -------------------------------------------------------- YMeshInstanceBase

YMeshInstanceBase::YMeshInstanceBase(YMesh* m, float scale) : mesh(m)
{
    kind = YRK_MESH_INSTANCE;
    if (mesh) {
        vertices = mesh->vertices;
        if (scale != 1.0f)
            mesh->scaleVertexPositions(scale, vertices);
    }
    restore();
}

YMeshInstanceBase::~YMeshInstanceBase() { invalidate(); }

void YMeshInstanceBase::restore()
{
    if (!gRender)
        return;
    if (vertexBuffer)
        gRender->releaseVertexBuffer(vertexBuffer);
    vertexBuffer = gRender->createVertexBuffer(vertices);
}

void YMeshInstanceBase::invalidate()
{
    if (gRender && vertexBuffer)
        gRender->releaseVertexBuffer(vertexBuffer);
    vertexBuffer = nullptr;
}

void YMeshInstanceBase::uploadIfDirty()
{
    if (!dirty)
        return;
    if (gRender && vertexBuffer)
        gRender->updateVertexBuffer(vertexBuffer, vertices);
    dirty = 0;
}

YMeshBuffers YMeshInstanceBase::buffers() const
{
    YMeshBuffers b;
    b.vertices = vertexBuffer;
    if (mesh) {
        b.indices = mesh->indexBuffer;
        b.subsets = &mesh->subsets;
    }
    return b;
}

// ------------------------------------------------------ the concrete draws

YMeshInstance::YMeshInstance(YMesh* mesh, float scale) : YMeshDraw(), YMeshInstanceBase(mesh, scale) {}

void YMeshInstance::draw() { drawInstance(*this); }

void YMeshInstance::drawWithMatrix(const YMatrix& m) { drawInstanceWithMatrix(*this, m); }

void YMeshInstanceRef::draw()
{
    if (instance)
        drawInstance(*instance);
}

void YMeshInstanceRef::drawWithMatrix(const YMatrix& m)
{
    if (instance)
        drawInstanceWithMatrix(*instance, m);
}
