#pragma once
#include "core/math.h"
#include "render/mesh.h"
#include "render/render.h"
#include "render/resource.h"

#include <cstdint>
#include <vector>

class YShader;

// How a drawn mesh casts its shadow.
enum YShadowMode : int32_t {
    YSHADOW_NONE = 0,
    YSHADOW_VOLUME = 1, // stencil shadow volume from the mesh's silhouette
    YSHADOW_PLANAR = 2, // flattened onto the floor by the shadow pass
};

class YMeshInstanceBase;

// Every mesh shown in the scene: a model matrix, one shader per subset (the
// list repeats when shorter), a visible flag and a shadow mode. Each draw
// object is listed in gMeshDraws from construction to destruction, so a new
// one appears in the next frame; hiding one means clearing visible.
class YMeshDraw {
public:
    YMeshDraw();
    virtual ~YMeshDraw();
    YMeshDraw(const YMeshDraw&) = delete;
    YMeshDraw& operator=(const YMeshDraw&) = delete;

    virtual void setMatrix(const float m[16]);
    // The frame's draw: the camera's view in front of the model matrix,
    // every subset with its shader, and the shadow volume.
    virtual void draw() = 0;
    // Every subset with the current shader state under the given matrix in
    // front of the model matrix (the planar shadow pass).
    virtual void drawWithMatrix(const YMatrix& m) = 0;

    YMatrix matrix; // object to world
    std::vector<YShader*> shaders;
    int32_t visible = 1;
    YShadowMode shadowMode = YSHADOW_VOLUME;

protected:
    // The two draws on a given instance, shared by the concrete classes.
    void drawInstance(YMeshInstanceBase& instance);
    void drawInstanceWithMatrix(YMeshInstanceBase& instance, const YMatrix& m);
};

// A drawn object's copy of a mesh's render vertices, with its own device
// vertex buffer, so an object can be scaled or deformed without touching the
// shared mesh. The copy survives device loss: a restored buffer shows the
// latest vertices.
class YMeshInstanceBase : public YRenderResource {
public:
    // Copies the mesh's render vertices, scaled from the authored positions
    // when scale is not exactly 1, and makes the vertex buffer.
    YMeshInstanceBase(YMesh* mesh, float scale);
    ~YMeshInstanceBase() override;

    void restore() override;
    void invalidate() override;
    // Sends the copy to the device when code that changed it set dirty.
    void uploadIfDirty();
    // What the renderer's mesh draws take: this vertex buffer, the mesh's
    // index buffer and subsets.
    YMeshBuffers buffers() const;
    // Hands the silhouette of the copy placed by the model matrix, against
    // the scene light, to the shadow volume (gShadows): every edge whose two
    // triangles differ in facing along the light. A mesh without edges adds
    // nothing; edges that run past the copy's vertices are skipped.
    void addShadowVolume(const YMatrix& model);

    YVertexBuffer vertexBuffer = nullptr;
    YMesh* mesh; // not owned
    std::vector<YMeshVertex> vertices;
    int32_t dirty = 0;
};

// Where the stencil shadows plug in: the draw of every visible object of
// shadow mode YSHADOW_VOLUME calls it with the object's instance and model
// matrix, whether shadows are on or not. It starts as the shadow code's own
// function, which asks shadowsEnabled and then hands the instance's
// silhouette to the shadow volume; tests may put another in its place. Null
// casts nothing.
using YShadowVolumeHook = void (*)(YMeshInstanceBase& instance, const YMatrix& model);
extern YShadowVolumeHook gShadowVolumeHook;

// A draw object that owns its instance (the pyramid, the hero).
class YMeshInstance : public YMeshDraw, public YMeshInstanceBase {
public:
    YMeshInstance(YMesh* mesh, float scale);
    void draw() override;
    void drawWithMatrix(const YMatrix& m) override;
};

// A draw object showing an instance owned elsewhere and shared by many
// objects (balls, bonuses, weapons, the pipe). Draws nothing while the
// instance is null; never deletes it.
class YMeshInstanceRef : public YMeshDraw {
public:
    explicit YMeshInstanceRef(YMeshInstanceBase* instance = nullptr) : instance(instance) {}
    void draw() override;
    void drawWithMatrix(const YMatrix& m) override;

    YMeshInstanceBase* instance;
};

// Every live draw object, in construction order except where a removal moved
// the last entry into the freed place.
std::vector<YMeshDraw*>& gMeshDraws();
// The scene's mesh pass: draw() of every listed object, in list order.
void drawMeshDraws();
