// The generated meshes, loaded through the game's loader: each loads without
// a logged error, is closed (every edge has two faces, so shadows are whole),
// faces outwards, has its subsets, and fits how the game uses it.
#include "render/mesh.h"

#include "core/log.h"
#include "platform/sys/files.h"
#include "platform/sys/paths.h"
#include "render/recording_render.h"
#include "tests/common/test_util.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <memory>
#include <string>

namespace {

struct GeneratedMesh {
    const char* file;
    size_t subsets;
};

const GeneratedMesh MESHES[] = {
    {"ball2.mes", 1}, {"ball_norm.mes", 1}, {"ball_phant.mes", 2}, {"ball_sat.mes", 1}, {"bomb.mes", 2},
    {"grenade.mes", 2}, {"boomer.mes", 1},  {"pipe.mes", 1},       {"pyramid.mes", 9},
};

class MeshContent : public ::testing::Test {
protected:
    // The build's files are copied, so the caches are written here.
    void SetUp() override
    {
        render = std::make_unique<YRecordingRender>(4);
        for (const GeneratedMesh& m : MESHES) {
            std::string data;
            ASSERT_TRUE(sys::readFile(std::string(TARVELIN_GAME_DIR) + "/mesh/" + m.file, data))
                << m.file << " was not generated (build the gen_meshes_content target)";
            testutil::writeText(std::string("mesh\\") + m.file, data);
        }
        YLog::open(); // its first lines are not the meshes'
        logStart = testutil::logText().size();
    }

    void TearDown() override
    {
        clearMeshes();
        render.reset();
    }

    static YMesh* mesh(const char* file) { return getMesh(std::string("mesh\\") + file); }

    std::unique_ptr<YRecordingRender> render;
    size_t logStart = 0;
};

// Six times the enclosed volume: positive when every face points outwards.
double signedVolume(const YMesh& m)
{
    double sum = 0;
    for (const YMeshTriangle& t : m.triangles) {
        const YVec3 &a = m.vertices[t.v[0]].pos, &b = m.vertices[t.v[1]].pos, &c = m.vertices[t.v[2]].pos;
        sum += a.dot(cross(b, c));
    }
    return sum;
}

// The vertices of one subset.
std::vector<YVec3> subsetPositions(const YMesh& m, size_t subset)
{
    std::vector<YVec3> out;
    const YMeshSubset& s = m.subsets[subset];
    for (int i = s.firstIndex; i < s.firstIndex + 3 * s.triangleCount; ++i)
        out.push_back(m.vertices[m.indices[i]].pos);
    return out;
}

float farthest(const std::vector<YVec3>& points, const YVec3& from)
{
    float best = 0;
    for (const YVec3& p : points)
        best = std::max(best, (p - from).length());
    return best;
}

std::vector<YVec3> allPositions(const YMesh& m)
{
    std::vector<YVec3> out;
    for (const YMeshVertex& v : m.vertices)
        out.push_back(v.pos);
    return out;
}

} // namespace

TEST_F(MeshContent, EveryMeshLoadsClosedOutwardAndCachesItself)
{
    for (const GeneratedMesh& gm : MESHES) {
        SCOPED_TRACE(gm.file);
        YMesh* m = mesh(gm.file);
        ASSERT_FALSE(m->empty());
        ASSERT_EQ(gm.subsets, m->subsets.size());
        for (size_t s = 0; s < m->subsets.size(); ++s)
            EXPECT_EQ(int32_t(s), m->subsets[s].materialId);
        // Closed: every half-edge found its partner running the other way.
        EXPECT_EQ(m->triangles.size() * 3, m->edges.size() * 2);
        EXPECT_GT(signedVolume(*m), 0.0);
        for (const YMeshTriangle& t : m->triangles)
            ASSERT_NEAR(1.0f, t.normal.length(), 1e-4f) << "a degenerate triangle";
        EXPECT_LE(m->vertices.size(), MAX_MESH_VERTICES);
        EXPECT_EQ(sys::PathKind::File, sys::pathKind(meshCacheName(std::string("mesh/") + gm.file)));
    }
    // Nothing but the load lines.
    std::string log = testutil::logText().substr(logStart);
    size_t lines = std::count(log.begin(), log.end(), '\n');
    EXPECT_EQ(std::size(MESHES), lines) << log;

    // The next run reads the caches: the same meshes, no text parsed.
    std::vector<std::vector<uint16_t>> indices;
    for (const GeneratedMesh& gm : MESHES)
        indices.push_back(mesh(gm.file)->indices);
    clearMeshes();
    logStart = testutil::logText().size();
    for (size_t i = 0; i < std::size(MESHES); ++i)
        EXPECT_EQ(indices[i], mesh(MESHES[i].file)->indices) << MESHES[i].file;
    EXPECT_EQ(logStart, testutil::logText().size());
}

TEST_F(MeshContent, SizesFitHowTheGameUsesThem)
{
    // Balls: radius 0.5 about their centre; the small ball shows ball2 at 0.66.
    for (const char* ball : {"ball2.mes", "ball_norm.mes", "ball_phant.mes"})
        EXPECT_NEAR(0.5f, farthest(allPositions(*mesh(ball)), YVec3()), 1e-4f) << ball;
    EXPECT_LE(farthest(allPositions(*mesh("ball_sat.mes")), YVec3()), 0.5f + 1e-4f);
    EXPECT_GE(farthest(allPositions(*mesh("ball_sat.mes")), YVec3()), 0.49f);
    EXPECT_LT(farthest(subsetPositions(*mesh("ball_phant.mes"), 1), YVec3()), 0.5f);

    // Weapons: the fuse (subset 1) ends where the fuse particles start.
    const struct {
        const char* file;
        YVec3 tip;
        float bodyRadius; // across, in x and y
    } weapons[] = {{"bomb.mes", YVec3(-0.131f, 0, 0.808f), 0.5f}, {"grenade.mes", YVec3(-0.074f, 0, 0.45f), 0.25f}};
    for (const auto& w : weapons) {
        SCOPED_TRACE(w.file);
        YMesh* m = mesh(w.file);
        std::vector<YVec3> fuse = subsetPositions(*m, 1);
        float nearest = 1e9f;
        for (const YVec3& p : fuse)
            nearest = std::min(nearest, (p - w.tip).length());
        EXPECT_LT(nearest, 1e-5f);
        EXPECT_LT(farthest(fuse, YVec3()), w.tip.length() + 1e-4f); // nothing sticks out past the tip
        float round = 0;
        for (const YVec3& p : subsetPositions(*m, 0))
            round = std::max(round, std::hypot(p.x, p.y));
        EXPECT_NEAR(w.bodyRadius, round, 1e-3f);
    }

    // The boomerang stays inside its sweep box.
    for (const YVec3& p : allPositions(*mesh("boomer.mes"))) {
        EXPECT_LE(std::fabs(p.x), 0.6f);
        EXPECT_LE(std::fabs(p.y), 0.6f);
        EXPECT_LE(std::fabs(p.z), 0.07f);
    }

    // The pipe is small, with its opening (where the smoke rises) at the origin.
    EXPECT_LT(farthest(allPositions(*mesh("pipe.mes")), YVec3()), 0.5f);
}

TEST_F(MeshContent, PyramidIsAuthoredForATwentyByTwentyTable)
{
    YMesh* m = mesh("pyramid.mes");
    // Stretching moves vertices away from the centre lines by their sign.
    for (const YSourceVertex& s : m->sourceVertices) {
        EXPECT_NE(0.0f, s.pos.x);
        EXPECT_NE(0.0f, s.pos.y);
    }
    // The floor (subset 7) is the 20 x 20 square at height 0, mapped as the
    // table maps it at any size.
    for (int i = m->subsets[7].firstIndex; i < m->subsets[7].firstIndex + 3 * m->subsets[7].triangleCount; ++i) {
        const YMeshVertex& v = m->vertices[m->indices[i]];
        EXPECT_EQ(0.0f, v.pos.z);
        EXPECT_EQ(10.0f, std::fabs(v.pos.x));
        EXPECT_EQ(10.0f, std::fabs(v.pos.y));
        EXPECT_NEAR(v.pos.x * 0.11f, v.tex.x, 1e-5f);
        EXPECT_NEAR(v.pos.y * 0.11f, v.tex.y, 1e-5f);
    }
    // The inner wall faces (subset 4) repeat their texture a whole number of
    // times, so rounding at 20 x 20 changes nothing.
    for (int i = m->subsets[4].firstIndex; i < m->subsets[4].firstIndex + 3 * m->subsets[4].triangleCount; ++i) {
        float u = m->vertices[m->indices[i]].tex.x;
        EXPECT_EQ(std::floor(u + 0.5f), u);
    }
    // Walls on both sides and the far edge rise above the floor; the
    // racket's edge (y = -10) has none.
    bool farWall = false, leftWall = false, rightWall = false, nearWall = false;
    for (const YMeshVertex& v : m->vertices) {
        if (v.pos.z <= 0.5f)
            continue;
        farWall |= v.pos.y > 10.0f - 1e-4f && std::fabs(v.pos.x) <= 10.0f;
        leftWall |= v.pos.x < -10.0f + 1e-4f;
        rightWall |= v.pos.x > 10.0f - 1e-4f;
        nearWall |= v.pos.y < -10.0f - 1e-4f;
    }
    EXPECT_TRUE(farWall && leftWall && rightWall);
    EXPECT_FALSE(nearWall);
}
