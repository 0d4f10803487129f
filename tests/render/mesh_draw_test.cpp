#include "render/mesh_draw.h"

#include "render/camera.h"
#include "render/recording_render.h"
#include "render/shader.h"
#include "tests/render/mesh_fixtures.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

// Also keeps the vertices last sent to a vertex buffer.
class VertexKeepingRender : public YRecordingRender {
public:
    YVertexBuffer createVertexBuffer(const std::vector<YVertex>& v) override
    {
        sent = v;
        return YRecordingRender::createVertexBuffer(v);
    }
    void updateVertexBuffer(YVertexBuffer b, const std::vector<YVertex>& v) override
    {
        sent = v;
        YRecordingRender::updateVertexBuffer(b, v);
    }
    std::vector<YVertex> sent;
};

struct ShadowCall {
    YMeshInstanceBase* instance;
    YMatrix model;
};
std::vector<ShadowCall> gShadowCalls;

void recordShadow(YMeshInstanceBase& instance, const YMatrix& model) { gShadowCalls.push_back({&instance, model}); }

std::string worldLine(const YMatrix& m)
{
    std::string out = "world";
    char buffer[32];
    for (float f : m.m) {
        std::snprintf(buffer, sizeof(buffer), " %g", static_cast<double>(f));
        out += buffer;
    }
    return out;
}

bool sameVertices(const std::vector<YVertex>& a, const std::vector<YVertex>& b)
{
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(YVertex)) == 0;
}

class MeshDrawTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        render = std::make_unique<VertexKeepingRender>();
        savedView = gCamera().view();
        savedHook = gShadowVolumeHook;
        gShadowCalls.clear();
        cube = meshfix::buildMesh(meshfix::cubeText(3), "cube"); // three subsets
    }

    void TearDown() override
    {
        gShadowVolumeHook = savedHook;
        gCamera().setTransform(savedView);
        clearMeshes();
        clearShaders();
        render.reset();
    }

    std::unique_ptr<VertexKeepingRender> render;
    YMatrix savedView;
    YShadowVolumeHook savedHook = nullptr;
    YMesh* cube = nullptr;
};

} // namespace

TEST_F(MeshDrawTest, DrawObjectsAreListedFromConstructionToDestruction)
{
    auto* a = new YMeshInstanceRef();
    auto* b = new YMeshInstanceRef();
    auto* c = new YMeshInstanceRef();
    EXPECT_EQ((std::vector<YMeshDraw*>{a, b, c}), gMeshDraws());
    EXPECT_EQ(YMatrix(), a->matrix);
    EXPECT_EQ(1, a->visible);
    EXPECT_EQ(YSHADOW_VOLUME, a->shadowMode);
    EXPECT_TRUE(a->shaders.empty());
    delete a;
    EXPECT_EQ((std::vector<YMeshDraw*>{c, b}), gMeshDraws());
    delete b;
    delete c;
    EXPECT_TRUE(gMeshDraws().empty());

    // An owning instance is both a draw object and a render resource.
    auto* owned = new YMeshInstance(cube, 1.0f);
    EXPECT_EQ(1u, gMeshDraws().size());
    EXPECT_EQ(YRK_MESH_INSTANCE, static_cast<YMeshInstanceBase*>(owned)->kind);
    size_t resources = gRenderResources().size();
    delete owned;
    EXPECT_TRUE(gMeshDraws().empty());
    EXPECT_EQ(resources - 1, gRenderResources().size());
}

TEST_F(MeshDrawTest, TheCameraViewGoesInFrontOfTheModelMatrix)
{
    YMatrix turn, move;
    turn.makeRotationX(-30.0f);
    move.makeTranslation(YVec3(0, -2, -25));
    const YMatrix view = move * turn;
    gCamera().setTransform(view);

    YMeshInstance object(cube, 1.0f);
    object.shaders = {getShader("a")};
    YMatrix spin, place;
    spin.makeRotationZ(90.0f);
    place.makeTranslation(YVec3(1, 2, 3));
    object.setMatrix((place * spin).m);
    render->calls.clear();
    object.draw();

    const YMatrix world = view * object.matrix;
    ASSERT_EQ(worldLine(world), render->calls.at(0));
    // A point of the object: turned about z, moved, then seen by the camera.
    const YVec3 p(1, 0, 0);
    const YVec3 want = view.transformPoint(YVec3(1, 3, 3));
    const YVec3 got = world.transformPoint(p);
    EXPECT_NEAR(want.x, got.x, 1e-4f);
    EXPECT_NEAR(want.y, got.y, 1e-4f);
    EXPECT_NEAR(want.z, got.z, 1e-4f);

    // The planar shadow pass gives its own matrix and keeps the shader state.
    YMatrix flatten;
    flatten.makeScale(YVec3(1, 1, 0));
    render->calls.clear();
    object.drawWithMatrix(flatten);
    EXPECT_EQ((std::vector<std::string>{worldLine(flatten * object.matrix), "mesh subset 0", "mesh subset 1",
                                        "mesh subset 2"}),
              render->calls);
}

TEST_F(MeshDrawTest, ShadersRepeatOverTheSubsets)
{
    YMeshInstance object(cube, 1.0f);
    object.shaders = {getShader("first"), getShader("second")};
    render->calls.clear();
    object.draw();
    std::vector<std::string> drawn;
    for (const std::string& c : render->calls)
        if (c.rfind("shader ", 0) == 0 || c.rfind("mesh ", 0) == 0)
            drawn.push_back(c);
    EXPECT_EQ((std::vector<std::string>{"shader first", "mesh subset 0", "shader second", "mesh subset 1",
                                        "shader first", "mesh subset 2"}),
              drawn);
}

TEST_F(MeshDrawTest, HiddenObjectsAndEmptyReferencesDrawNothingAndCastNothing)
{
    gShadowVolumeHook = recordShadow;
    YMeshInstance hidden(cube, 1.0f);
    hidden.shaders = {getShader("a")};
    hidden.visible = 0;
    YMeshInstanceRef empty;
    empty.shaders = {getShader("a")};
    render->calls.clear();
    hidden.draw();
    hidden.drawWithMatrix(YMatrix());
    empty.draw();
    empty.drawWithMatrix(YMatrix());
    EXPECT_TRUE(render->calls.empty());
    EXPECT_TRUE(gShadowCalls.empty());
}

TEST_F(MeshDrawTest, OnlyVolumeCastersReachTheShadowHook)
{
    gShadowVolumeHook = recordShadow;
    YMeshInstanceBase shared(cube, 1.0f);
    YMeshInstanceRef caster(&shared), planar(&shared), none(&shared);
    planar.shadowMode = YSHADOW_PLANAR;
    none.shadowMode = YSHADOW_NONE;
    YMatrix place;
    place.makeTranslation(YVec3(4, 5, 6));
    caster.setMatrix(place.m);
    for (YMeshInstanceRef* r : {&caster, &planar, &none}) {
        r->shaders = {getShader("a")};
        r->draw();
        r->drawWithMatrix(YMatrix());
    }
    ASSERT_EQ(1u, gShadowCalls.size());
    EXPECT_EQ(&shared, gShadowCalls[0].instance);
    EXPECT_EQ(place, gShadowCalls[0].model); // the model matrix, not the camera-space one

    // Without a hook installed nothing is called and drawing goes on.
    gShadowVolumeHook = nullptr;
    render->calls.clear();
    caster.draw();
    EXPECT_EQ(1u, gShadowCalls.size());
    EXPECT_FALSE(render->callsStartingWith("mesh subset").empty());
}

TEST_F(MeshDrawTest, InstancesCopyTheMeshVerticesScaledFromTheAuthoredPositions)
{
    YMeshInstanceBase same(cube, 1.0f);
    EXPECT_TRUE(sameVertices(cube->vertices, same.vertices));
    EXPECT_TRUE(sameVertices(cube->vertices, render->sent));

    const std::vector<YVertex> before = cube->vertices;
    YMeshInstanceBase twice(cube, 2.0f);
    ASSERT_EQ(cube->vertices.size(), twice.vertices.size());
    for (size_t i = 0; i < twice.vertices.size(); ++i) {
        const YVec3 want = cube->vertices[i].pos * 2.0f;
        EXPECT_EQ(0, std::memcmp(&want, &twice.vertices[i].pos, sizeof(YVec3)));
        EXPECT_EQ(0, std::memcmp(&cube->vertices[i].normal, &twice.vertices[i].normal, 7 * sizeof(float)));
    }
    EXPECT_TRUE(sameVertices(before, cube->vertices)); // the mesh is untouched
    EXPECT_TRUE(sameVertices(twice.vertices, render->sent));

    const YMeshBuffers b = twice.buffers();
    EXPECT_EQ(twice.vertexBuffer, b.vertices);
    EXPECT_EQ(cube->indexBuffer, b.indices);
    EXPECT_EQ(&cube->subsets, b.subsets);
}

TEST_F(MeshDrawTest, TheVertexBufferFollowsTheDeviceWithTheLatestVertices)
{
    YMeshInstance object(cube, 1.0f);
    object.vertices[0].pos = YVec3(7, 8, 9); // as skinning would
    render->calls.clear();
    invalidateRenderResources(YRK_MESH_INSTANCE);
    EXPECT_EQ(nullptr, object.vertexBuffer);
    EXPECT_EQ((std::vector<std::string>{"release vertexbuffer"}), render->calls);
    render->sent.clear();
    restoreRenderResources(YRK_MESH_INSTANCE);
    EXPECT_NE(nullptr, object.vertexBuffer);
    EXPECT_TRUE(sameVertices(object.vertices, render->sent));

    // Restoring over a live buffer releases the old one first.
    render->calls.clear();
    object.restore();
    EXPECT_EQ("release vertexbuffer", render->calls.at(0));
}

TEST_F(MeshDrawTest, ChangedVerticesAreUploadedOnceAtTheNextDraw)
{
    YMeshInstance object(cube, 1.0f);
    object.shaders = {getShader("a")};
    object.vertices[1].pos = YVec3(1, 1, 1);
    object.dirty = 1;
    render->calls.clear();
    object.draw();
    EXPECT_EQ(1u, render->callsStartingWith("update vertexbuffer").size());
    EXPECT_EQ(0, object.dirty);
    EXPECT_TRUE(sameVertices(object.vertices, render->sent));
    object.draw();
    EXPECT_EQ(1u, render->callsStartingWith("update vertexbuffer").size());
}

TEST_F(MeshDrawTest, AnInstanceMadeBeforeTheRendererGetsItsBufferOnRestore)
{
    render.reset();
    YMeshInstance object(cube, 1.0f);
    EXPECT_EQ(nullptr, object.vertexBuffer);
    object.draw(); // no renderer: nothing happens
    render = std::make_unique<VertexKeepingRender>();
    restoreRenderResources(YRK_MESH | YRK_MESH_INSTANCE);
    EXPECT_NE(nullptr, object.vertexBuffer);
    EXPECT_NE(nullptr, cube->indexBuffer);
}

TEST_F(MeshDrawTest, TheScenePassDrawsTheListInOrder)
{
    YMeshInstance first(cube, 1.0f), hidden(cube, 1.0f), last(cube, 1.0f);
    first.shaders = {getShader("first")};
    hidden.shaders = {getShader("hidden")};
    last.shaders = {getShader("last")};
    hidden.visible = 0;
    render->calls.clear();
    drawMeshDraws();
    EXPECT_EQ((std::vector<std::string>{"shader first", "shader last"}), render->callsStartingWith("shader"));
    EXPECT_EQ(2u, render->callsStartingWith("world").size());
}
