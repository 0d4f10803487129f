// The silhouettes of meshes against the scene light, handed to the shadow
// volume while the meshes are drawn.
#include "render/camera.h"
#include "render/mesh_draw.h"
#include "render/shadow_volume.h"

#include <cstdint>
#include <vector>

namespace {

// The draws' hook: every volume caster hands its silhouette on while
// shadows are wanted and the device can show them.
void castMeshShadow(YMeshInstanceBase& instance, const YMatrix& model)
{
    if (shadowsEnabled())
        instance.addShadowVolume(model);
}

} // namespace

YShadowVolumeHook gShadowVolumeHook = castMeshShadow;

void YMeshInstanceBase::addShadowVolume(const YMatrix& model)
{
    if (!mesh)
        return;
    // One set of bits for every call: a triangle's bit is set when it faces
    // along the light (away from it).
    static std::vector<uint8_t> facing;
    const std::vector<YMeshTriangle>& triangles = mesh->triangles;
    facing.resize(triangles.size());

    // The light in model space: through the inverse of the model's rotation
    // part (a scale too). Only the signs of the products below are used, so
    // it is not normalised.
    const YVec3 light = model.rotationPart().inverseAffine().transformPoint(gCamera().lightDirection());
    for (size_t t = 0; t < triangles.size(); ++t)
        facing[t] = triangles[t].normal.dot(light) > 0.0f ? 1 : 0;

    // The normals are the mesh's (a skinned instance writes its pose's into
    // them); the positions are this instance's own.
    const size_t vertexCount = vertices.size();
    for (const YMeshEdge& e : mesh->edges) {
        if (e.first >= triangles.size() || e.second >= triangles.size())
            continue;
        if (facing[e.first] == facing[e.second])
            continue;
        if (e.a >= vertexCount || e.b >= vertexCount)
            continue;
        gShadows().addEdgeOrdered(model.transformPoint(vertices[e.a].pos), model.transformPoint(vertices[e.b].pos),
                                  facing[e.first] != 0);
    }
}
