// Stencil shadows on the recording renderer: the volume quads of silhouette
// edges, the planar shadow matrix, the passes and when they draw nothing,
// the bounds on the lists, and the silhouettes of meshes.
#include "render/shadow_volume.h"

#include "core/init.h"
#include "platform/img/projection.h"
#include "render/camera.h"
#include "render/mesh_draw.h"
#include "render/screen_rect.h"
#include "render/shader.h"
#include "tests/render/mesh_fixtures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {

YVec3 unitVector(float x, float y, float z)
{
    YVec3 v(x, y, z);
    v.normalize();
    return v;
}

bool near(const YVec3& a, const YVec3& b) { return (a - b).length() < 1e-4f; }

// A volume quad as the lists hold it: two triangles (a, b, b'), (a, b', a').
struct Quad {
    YVec3 a, b, b2, a2;
};

std::vector<Quad> quads()
{
    std::vector<Quad> out;
    for (const std::vector<YVec3>* list : {&gShadows().frontList(), &gShadows().backList()})
        for (size_t i = 0; i + 6 <= list->size(); i += 6)
            out.push_back({(*list)[i], (*list)[i + 1], (*list)[i + 2], (*list)[i + 5]});
    return out;
}

class ShadowVolumeTest : public rendertest::RecordingRenderTest {
protected:
    void SetUp() override
    {
        RecordingRenderTest::SetUp();
        saved = gCamera();
        savedShadows = gInit().shadows;
        gInit().shadows = true;
        gShadows().begin(0.0f);
        light(YVec3(0, 0, -1));
        eye(YVec3(0, 10, 5));
    }
    void TearDown() override
    {
        gShadows().begin(0.0f);
        gInit().shadows = savedShadows;
        gCamera() = saved;
        clearMeshes();
        RecordingRenderTest::TearDown();
    }

    static void light(const YVec3& l) { gCamera().setLightDirection(&l.x); }
    static void eye(const YVec3& at) { gCamera().setTransform(testutil::lookAt(at, YVec3(0, 0, 0))); }

    // The passes' calls, each cut to its kind and first word.
    std::vector<std::string> drawn() const
    {
        std::vector<std::string> out;
        for (const std::string& c : render->calls)
            for (const char* kind : {"shader", "triangles", "fullscreen", "mesh", "world"})
                if (c.rfind(kind, 0) == 0)
                    out.push_back(c.substr(0, c.rfind("world", 0) == 0 ? 5 : c.find(' ', c.find(' ') + 1)));
        return out;
    }

    YCamera saved;
    bool savedShadows = true;
};

} // namespace

TEST_F(ShadowVolumeTest, EdgesBecomeQuadsDownToTheFloorInTheListFacingTheEye)
{
    struct Case {
        const char* what;
        YVec3 light, eye, a, b;
        float floor;
        size_t front, back; // quads in each list
    };
    const YVec3 down(0, 0, -1), far(0, 10, 5), a(0, 0, 1), b(1, 0, 1);
    const Case cases[] = {
        {"faces the eye", down, far, a, b, 0.0f, 1, 0},
        {"turned round", down, far, b, a, 0.0f, 0, 1},
        {"seen edge-on", down, YVec3(0.5f, 0, 9), a, b, 0.0f, 0, 1},
        {"an end 0.6 below the floor", down, far, YVec3(0, 0, -0.6f), b, 0.0f, 0, 0},
        {"an end 0.6 below a low floor", down, far, YVec3(0, 0, -61.9f), b, -61.3f, 0, 0},
        {"an end just 0.5 below", down, far, YVec3(0, 0, -0.5f), b, 0.0f, 1, 0},
        {"a level light", YVec3(1, 0, 0), far, a, b, 0.0f, 0, 0},
        {"a light shining up", unitVector(0, 1, 1), far, a, b, 0.0f, 0, 0},
    };
    for (const Case& c : cases) {
        light(c.light);
        eye(c.eye);
        gShadows().begin(c.floor);
        gShadows().addEdge(c.a, c.b);
        EXPECT_EQ(6 * c.front, gShadows().frontList().size()) << c.what;
        EXPECT_EQ(6 * c.back, gShadows().backList().size()) << c.what;
    }

    // The floor points lie along the light from the ends, at the floor.
    light(unitVector(1, 0, -1));
    eye(far);
    gShadows().begin(0.5f);
    gShadows().addEdge(YVec3(0, 0, 2), YVec3(1, 0, 1.5f));
    const std::vector<Quad> q = quads();
    ASSERT_EQ(1u, q.size());
    EXPECT_TRUE(near(YVec3(0, 0, 2), q[0].a) && near(YVec3(1, 0, 1.5f), q[0].b));
    EXPECT_TRUE(near(YVec3(2, 0, 0.5f), q[0].b2) && near(YVec3(1.5f, 0, 0.5f), q[0].a2));
    gShadows().begin(0.0f);
    EXPECT_TRUE(quads().empty()) << "each begin starts the lists over";
}

TEST_F(ShadowVolumeTest, ThePlanarMatrixLaysPointsOnTheFloorAlongTheLight)
{
    const YVec3 l = unitVector(-0.1f, 0.2f, -0.3f);
    const float ground[4] = {0, 0, 1, -0.01f};
    const float point[4] = {l.x * 10000.0f, l.y * 10000.0f, l.z * 10000.0f, 1.0f};
    YMatrix m;
    makeShadowMatrix(m.m, ground, point);
    for (const YVec3& p : {YVec3(1, 2, 3), YVec3(-4, 0.5f, 0.01f), YVec3(0, 0, 9)}) {
        float out[4];
        for (int c = 0; c < 4; ++c)
            out[c] = p.x * m(0, c) + p.y * m(1, c) + p.z * m(2, c) + m(3, c);
        const YVec3 moved = YVec3(out[0], out[1], out[2]) * (1.0f / out[3]) - p;
        EXPECT_NEAR(0.01f, p.z + moved.z, 1e-4f);
        EXPECT_NEAR(0.0f, cross(moved, l).length(), 2e-3f * (1.0f + moved.length())) << "along the light";
        EXPECT_GE(moved.dot(l), -1e-4f) << "away from it";
    }
}

TEST_F(ShadowVolumeTest, PassesInOrderAndNothingWhenOffWithoutStencilOrEmpty)
{
    YMeshInstance flat(meshfix::buildMesh(meshfix::cubeText(), "cube"), 1.0f);
    flat.shadowMode = YSHADOW_PLANAR;
    gShadows().addEdge(YVec3(0, 0, 1), YVec3(1, 0, 1));
    gShadows().addEdge(YVec3(1, 0, 1), YVec3(0, 0, 1));
    gShadows().draw(true);
    EXPECT_EQ((std::vector<std::string>{"shader shadowPass1", "triangles 2", "shader shadowPass2", "triangles 2",
                                        "world", "mesh subset", "shader shadowPass3", "fullscreen"}),
              drawn());
    // The flattened cube: the flattening first, then the camera's view.
    const float ground[4] = {0, 0, 1, -0.01f}, point[4] = {0, 0, -10000.0f, 1.0f};
    YMatrix planar;
    makeShadowMatrix(planar.m, ground, point);
    std::string line = "world";
    for (float f : (gCamera().view() * planar).m) {
        char number[32];
        std::snprintf(number, sizeof(number), " %g", static_cast<double>(f));
        line += number;
    }
    EXPECT_EQ(line, render->callsStartingWith("world")[0]);

    // The shader registry cleared and filled again: the passes take the
    // shaders there are now.
    clearShaders();
    getShader("shadowPass3")->renderStates[YRS_STENCILREF] = 5;
    render->calls.clear();
    gShadows().draw(false);
    EXPECT_EQ(6u, drawn().size());
    EXPECT_EQ(1u, render->callsStartingWith("state 13 5").size());

    // Off, without a stencil, or with nothing to count: nothing is drawn.
    render->calls.clear();
    gInit().shadows = false;
    gShadows().draw(true);
    gInit().shadows = true;
    render->setStencil(false);
    gShadows().draw(true);
    render->setStencil(true);
    gShadows().begin(0.0f);
    flat.visible = 0;
    gShadows().draw(true);
    EXPECT_TRUE(render->calls.empty());
}

TEST_F(ShadowVolumeTest, ListsStayBoundedWhenNoFrameBeginsThem)
{
    YMeshInstance caster(meshfix::buildMesh(meshfix::cubeText(), "cube"), 1.0f);
    // Off (by the setting or for want of a stencil), drawn casters add
    // nothing however often they draw.
    for (bool stencil : {true, false}) {
        gInit().shadows = !stencil;
        render->setStencil(stencil);
        for (int i = 0; i < 100; ++i)
            caster.draw();
        EXPECT_TRUE(quads().empty());
    }
    gInit().shadows = true;
    render->setStencil(true);
    caster.draw();
    EXPECT_EQ(4u, quads().size()) << "the bottom rim";

    // On, with no begin, the lists stop at their limit.
    for (size_t i = 0; i < YShadowVolume::MAX_TRIANGLES / 2 + 10; ++i)
        gShadows().addEdge(YVec3(0, 0, 1), YVec3(1, 0, 1));
    EXPECT_LE(gShadows().frontList().size(), YShadowVolume::MAX_TRIANGLES * 3);
    EXPECT_GE(gShadows().frontList().size(), YShadowVolume::MAX_TRIANGLES * 3 - 6);
}

TEST_F(ShadowVolumeTest, ACubeLitAlongAnAxisCastsTheFourEdgesOfItsLowerRimInOrder)
{
    YMeshInstanceBase cube(meshfix::buildMesh(meshfix::cubeText(), "cube"), 2.0f); // 0..2 on each axis
    eye(YVec3(3, -20, 12));
    // Turned and moved: the light goes into the model's frame, the edges
    // come out in the world's.
    YMatrix turn, move;
    turn.makeRotationZ(90.0f);
    move.makeTranslation(YVec3(5, 1, 3));
    const YMatrix model = move * turn;
    const YVec3 centre = model.transformPoint(YVec3(1, 1, 1));

    cube.addShadowVolume(model);
    const std::vector<Quad> q = quads();
    ASSERT_EQ(4u, q.size());
    std::map<std::pair<long, long>, int> ends; // +1 where an edge starts, -1 where one ends
    for (const Quad& e : q) {
        // On the bottom rim, two long, the quad's outside away from the cube.
        EXPECT_NEAR(3.0f, e.a.z, 1e-4f);
        EXPECT_NEAR(3.0f, e.b.z, 1e-4f);
        EXPECT_NEAR(2.0f, (e.b - e.a).length(), 1e-4f);
        EXPECT_GT(cross(e.b - e.a, YVec3(0, 0, -1)).dot((e.a + e.b) * 0.5f - centre), 0.0f);
        ++ends[{std::lround(e.a.x), std::lround(e.a.y)}];
        --ends[{std::lround(e.b.x), std::lround(e.b.y)}];
    }
    EXPECT_EQ(4u, ends.size());
    for (const auto& end : ends)
        EXPECT_EQ(0, end.second) << "one closed loop";

    // A mesh without shared edges casts nothing; edges past the copy's
    // vertices are left out.
    gShadows().begin(0.0f);
    YMeshInstanceBase sheet(meshfix::buildMesh(meshfix::meshText({YVec3(0, 0, 1), YVec3(1, 0, 1), YVec3(0, 1, 1)},
                                                                 {YVec2()}, {{0, 1, 2, 0, 0, 0, 0, 1}}),
                                               "sheet"),
                            1.0f);
    sheet.addShadowVolume(YMatrix());
    EXPECT_TRUE(quads().empty());
    cube.vertices.resize(2);
    cube.addShadowVolume(model);
    EXPECT_LT(quads().size(), 4u);
}

// The rectangle the darkening pass covers: the points' projection widened
// by the margin and clipped to the viewport, empty without points or off
// screen, the whole viewport for points at or behind the eye or not finite.
TEST(ScreenRect, BoundsThePointsOrFallsBackToTheWholeViewport)
{
    float projection[16];
    img::perspectiveFovRH(1.5707964f, 1.0f, 1.0f, 100.0f, projection); // 90 degrees: x/-z on screen
    const float* world = YMatrix::identity().m;
    const float nan = std::nanf("");
    struct Case {
        const char* what;
        std::vector<YVec3> a, b;
        bool empty;
        float x0, y0, x1, y1;
    } cases[] = {
        {"no points", {}, {}, true, 0, 0, 0, 0},
        {"both lists", {{-2, 1, -10}}, {{4, -3, -10}}, false, -0.21f, -0.31f, 0.41f, 0.11f},
        {"clipped to the viewport", {{-50, 0, -10}, {0, 50, -10}}, {}, false, -1, -0.01f, 0.01f, 1},
        {"wholly off screen", {{30, 0, -10}, {40, 1, -10}}, {}, true, 0, 0, 0, 0},
        {"behind the eye", {{0, 0, -10}, {0, 0, 5}}, {}, false, -1, -1, 1, 1},
        {"on the eye plane", {{1, 1, 0}}, {}, false, -1, -1, 1, 1},
        {"not finite", {{nan, 0, -10}}, {}, false, -1, -1, 1, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const YScreenRect r = screenRectOf({&c.a, &c.b}, world, projection, 0.01f);
        EXPECT_EQ(c.empty, r.empty());
        if (c.empty)
            continue;
        EXPECT_NEAR(c.x0, r.x0, 1e-4f);
        EXPECT_NEAR(c.y0, r.y0, 1e-4f);
        EXPECT_NEAR(c.x1, r.x1, 1e-4f);
        EXPECT_NEAR(c.y1, r.y1, 1e-4f);
    }
}

// Whether points lie wholly outside the view: only when one plane of the
// view volume has them all outside, with the world matrix applied first.
TEST(ScreenRect, PointsAreOutsideTheViewOnlyWhenOnePlaneHasThemAll)
{
    float projection[16];
    img::perspectiveFovRH(1.5707964f, 1.0f, 1.0f, 100.0f, projection);
    YMatrix shifted;
    shifted.setTranslation(YVec3(40, 0, 0));
    const float nan = std::nanf("");
    struct Case {
        const char* what;
        std::vector<YVec3> points;
        bool shift;
        bool outside;
    } cases[] = {
        {"no points", {}, false, false},
        {"left of the view", {{-30, 0, -10}, {-20, 5, -10}}, false, true},
        {"across the left edge", {{-30, 0, -10}, {0, 0, -10}}, false, false},
        {"one left, one right", {{-30, 0, -10}, {30, 0, -10}}, false, false},
        {"behind the eye", {{0, 0, 5}, {1, 1, 3}}, false, true},
        {"before the near plane", {{0, 0, -0.5f}}, false, true},
        {"beyond the far plane", {{0, 0, -200}, {5, 5, -150}}, false, true},
        {"in front and behind", {{0, 0, -10}, {0, 0, 5}}, false, false},
        {"moved out by the world", {{0, 0, -10}, {5, 0, -10}}, true, true},
        {"one not finite", {{-30, 0, -10}, {nan, 0, -10}}, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const float* world = c.shift ? shifted.m : YMatrix::identity().m;
        EXPECT_EQ(c.outside, outsideViewVolume(c.points.data(), static_cast<int>(c.points.size()), world, projection));
    }
}
