#include "render/mesh.h"

#include "core/log.h"
#include "core/streams.h"
#include "platform/sys/paths.h"
#include "render/recording_render.h"
#include "tests/common/test_util.h"
#include "tests/common/unsized_stream.h"
#include "tests/render/mesh_fixtures.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

using meshfix::Face;

namespace {

class MeshTest : public meshfix::MeshRegistryTest {
protected:
    // A later run: the registry forgets every mesh.
    static YMesh* loadAfresh(const std::string& name)
    {
        clearMeshes();
        return getMesh(name);
    }
};

template <typename T>
bool sameBytes(const std::vector<T>& a, const std::vector<T>& b)
{
    return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(T)) == 0);
}

void expectSameMesh(const YMesh& a, const YMesh& b)
{
    EXPECT_TRUE(sameBytes(a.vertices, b.vertices));
    EXPECT_TRUE(sameBytes(a.triangles, b.triangles));
    EXPECT_TRUE(sameBytes(a.normalGroups, b.normalGroups));
    EXPECT_TRUE(sameBytes(a.sourceVertices, b.sourceVertices));
    EXPECT_TRUE(sameBytes(a.edges, b.edges));
    EXPECT_TRUE(sameBytes(a.indices, b.indices));
    EXPECT_TRUE(sameBytes(a.subsets, b.subsets));
}

void expectNear(const YVec3& want, const YVec3& got)
{
    EXPECT_NEAR(want.x, got.x, 1e-5f);
    EXPECT_NEAR(want.y, got.y, 1e-5f);
    EXPECT_NEAR(want.z, got.z, 1e-5f);
}

// Two triangles folded along the edge from position 0 to position 1: one in
// the z = 0 plane (normal +z), one in the y = 0 plane (normal +y).
std::string foldText(uint32_t maskA, uint32_t maskB)
{
    return meshfix::meshText({YVec3(0, 0, 0), YVec3(1, 0, 0), YVec3(0, 1, 0), YVec3(0, 0, 1)}, {YVec2(0, 0)},
                             {{0, 1, 2, 0, 0, 0, 0, maskA}, {1, 0, 3, 0, 0, 0, 0, maskB}});
}

std::string cacheBytes(const YMesh& mesh)
{
    OutMemStream out;
    mesh.writeMeshCache(out);
    return out.data();
}

void patch32(std::string& bytes, size_t at, uint32_t value) { std::memcpy(&bytes[at], &value, 4); }

} // namespace

// ---------------------------------------------------------------------------
// Building from text

TEST_F(MeshTest, SmoothingMasksDecideWhichFacesShareAVertexNormal)
{
    const YVec3 up(0, 0, 1), back(0, 1, 0);

    // Masks without a common bit: two groups at each shared position, two
    // render vertices there, each with its own face normal.
    YMesh* apart = meshfix::buildMesh(foldText(1, 2), "apart");
    EXPECT_EQ(6u, apart->vertices.size());
    expectNear(up, apart->triangles[0].normal);
    expectNear(back, apart->triangles[1].normal);
    for (uint32_t v : apart->triangles[0].v)
        expectNear(up, apart->vertices[v].normal);
    for (uint32_t v : apart->triangles[1].v)
        expectNear(back, apart->vertices[v].normal);

    // A common bit: one group and one averaged normal on the shared edge.
    YMesh* shared = meshfix::buildMesh(foldText(1, 3), "shared");
    EXPECT_EQ(4u, shared->vertices.size());
    YVec3 mean = up + back;
    mean.normalize();
    for (int c = 0; c < 2; ++c)
        expectNear(mean, shared->vertices[shared->triangles[0].v[c]].normal);
    expectNear(up, shared->vertices[shared->triangles[0].v[2]].normal);

    // Mask 0 never shares, even with itself.
    YMesh* flat = meshfix::buildMesh(foldText(0, 0), "flat");
    EXPECT_EQ(6u, flat->vertices.size());
    // Each authored position lists the render vertices made from it.
    EXPECT_EQ(2, flat->sourceVertices[0].vertexCount);
    EXPECT_EQ(1, flat->sourceVertices[3].vertexCount);
}

TEST_F(MeshTest, EdgesJoinWeldedTrianglesAcrossSeamsAndNeedAPartner)
{
    YMesh* cube = meshfix::buildMesh(meshfix::cubeText(), "cube");
    ASSERT_EQ(12u, cube->triangles.size());
    ASSERT_EQ(18u, cube->edges.size()); // 12 cube edges and 6 face diagonals
    for (const YMeshEdge& e : cube->edges) {
        ASSERT_LT(e.first, e.second);
        // The second triangle runs the same edge the other way.
        const YMeshTriangle& t = cube->triangles[e.second];
        const YVec3& a = cube->vertices[e.a].pos;
        const YVec3& b = cube->vertices[e.b].pos;
        bool reversed = false;
        for (int k = 0; k < 3; ++k) {
            const YVec3& from = cube->vertices[t.v[k]].pos;
            const YVec3& to = cube->vertices[t.v[(k + 1) % 3]].pos;
            if (from.x == b.x && from.y == b.y && from.z == b.z && to.x == a.x && to.y == a.y && to.z == a.z)
                reversed = true;
        }
        EXPECT_TRUE(reversed);
    }
    // Faces meet at seams (texture corners differ) but the edges still join.
    EXPECT_GT(cube->vertices.size(), 8u);

    YMesh* single = meshfix::buildMesh(
        meshfix::meshText({YVec3(0, 0, 0), YVec3(1, 0, 0), YVec3(0, 1, 0)}, {YVec2(0, 0)}, {{0, 1, 2, 0, 0, 0, 0, 1}}),
        "single");
    EXPECT_EQ(1u, single->triangles.size());
    EXPECT_TRUE(single->edges.empty());
}

TEST_F(MeshTest, SubsetsFollowMaterialIdsInOrder)
{
    std::vector<YVec3> p;
    std::vector<Face> faces;
    const int materials[4] = {2, 0, 2, 1};
    for (int f = 0; f < 4; ++f) {
        p.push_back(YVec3(float(f), 0, 0));
        p.push_back(YVec3(float(f), 1, 0));
        p.push_back(YVec3(float(f), 0, 1));
        faces.push_back({3 * f, 3 * f + 1, 3 * f + 2, 0, 0, 0, materials[f], 1});
    }
    YMesh* mesh = meshfix::buildMesh(meshfix::meshText(p, {YVec2(0, 0)}, faces));
    ASSERT_EQ(3u, mesh->subsets.size());
    const int32_t wantMaterial[3] = {0, 1, 2}, wantCount[3] = {1, 1, 2}, wantFirst[3] = {0, 3, 6};
    for (int s = 0; s < 3; ++s) {
        const YMeshSubset& sub = mesh->subsets[s];
        EXPECT_EQ(wantMaterial[s], sub.materialId);
        EXPECT_EQ(wantCount[s], sub.triangleCount);
        EXPECT_EQ(wantFirst[s], sub.firstIndex);
        // The subset's vertex range covers exactly what its triangles use.
        uint32_t lo = 0xFFFFFFFF, hi = 0;
        for (int i = sub.firstIndex; i < sub.firstIndex + 3 * sub.triangleCount; ++i) {
            lo = std::min<uint32_t>(lo, mesh->indices[i]);
            hi = std::max<uint32_t>(hi, mesh->indices[i]);
        }
        EXPECT_EQ(int32_t(lo), sub.lowestVertex);
        EXPECT_EQ(int32_t(hi - lo + 1), sub.vertexCount);
    }
    EXPECT_EQ(12u, mesh->indices.size());
}

TEST_F(MeshTest, TextureVIsFlippedAndLightmapDefaultsToTheTextureCoordinates)
{
    const std::string base = meshfix::meshText({YVec3(0, 0, 0), YVec3(1, 0, 0), YVec3(0, 1, 0)},
                                               {YVec2(0.5f, 0.25f), YVec2(1, 1), YVec2(0, 0)},
                                               {{0, 1, 2, 0, 1, 2, 0, 1}});
    YMesh* plain = meshfix::buildMesh(base, "plain");
    EXPECT_FLOAT_EQ(0.5f, plain->vertices[0].tex.x);
    EXPECT_FLOAT_EQ(0.75f, plain->vertices[0].tex.y);
    EXPECT_FLOAT_EQ(0.75f, plain->vertices[0].tex2.y);
    EXPECT_FLOAT_EQ(1.0f, plain->vertices[2].tex.y);

    YMesh* lit = meshfix::buildMesh(base + "lightmap a b 2\n0.1 0.2\n0.3 0.4\ntfaces 1\n0 1 0 1\n", "lit");
    EXPECT_FLOAT_EQ(0.3f, lit->vertices[0].tex2.x);
    EXPECT_FLOAT_EQ(0.6f, lit->vertices[0].tex2.y);
    EXPECT_FLOAT_EQ(0.8f, lit->vertices[1].tex2.y);
    EXPECT_FLOAT_EQ(0.75f, lit->vertices[0].tex.y); // the texture coordinates stay
}

TEST_F(MeshTest, ScaleRewritesPositionsFromTheAuthoredOnes)
{
    YMesh* cube = meshfix::buildMesh(meshfix::cubeText());
    cube->setScale(2.0f);
    cube->setScale(3.0f); // from the authored positions: does not compound
    for (const YSourceVertex& s : cube->sourceVertices)
        for (int k = 0; k < s.vertexCount; ++k)
            expectNear(s.pos * 3.0f, cube->vertices[s.vertices[k]].pos);
}

// ---------------------------------------------------------------------------
// Text, cache and registry

TEST_F(MeshTest, TextIsCompiledOnceAndTheCacheGivesTheSameBytes)
{
    testutil::writeText("mesh\\pipe.mes", meshfix::cubeText(3));
    YMesh* built = getMesh("mesh\\pipe.mes");
    EXPECT_TRUE(built->loaded);
    EXPECT_EQ(built, getMesh("mesh\\pipe.mes"));
    EXPECT_EQ(3u, built->subsets.size());
    EXPECT_EQ(1u, logCount("Load mesh file mesh\\pipe.mes"));
    ASSERT_TRUE(fileExists("mesh/pipe.meb"));
    EXPECT_NE(nullptr, built->indexBuffer);

    {
        YMesh fromCache;
        fromCache.name = "mesh\\pipe.mes";
        InFStream in("mesh\\pipe.meb");
        ASSERT_TRUE(fromCache.readMeshCache(in));
        expectSameMesh(*built, fromCache);
    }
    const std::string firstRun = cacheBytes(*built);

    // A later run reads the cache without looking at the text.
    testutil::writeText("mesh\\pipe.mes", "not a mesh");
    YMesh* again = loadAfresh("mesh\\pipe.mes");
    EXPECT_EQ(1u, logCount("Load mesh file"));
    EXPECT_EQ(firstRun, cacheBytes(*again));

    // A name ending in "meb" is that cache. Capital "MES" is not a text
    // name: only its cache is read, and without one the mesh is empty.
    EXPECT_EQ(36u, getMesh("mesh\\pipe.meb")->indices.size());
    EXPECT_EQ(36u, getMesh("mesh\\PIPE.MES")->indices.size());
    testutil::writeText("mesh\\other.mes", meshfix::cubeText());
    EXPECT_TRUE(getMesh("mesh\\OTHER.MES")->empty());
    EXPECT_FALSE(fileExists("mesh/other.meb"));
    EXPECT_EQ(1u, logCount("Load mesh file"));
}

TEST_F(MeshTest, RegistryKeysAreExactNames)
{
    testutil::writeText("mesh\\a.mes", meshfix::cubeText());
    YMesh* a = getMesh("mesh\\a.mes");
    EXPECT_EQ(a, findMesh("mesh\\a.mes"));
    EXPECT_EQ(nullptr, findMesh("mesh\\A.mes"));
    EXPECT_EQ(a, findRenderResource("mesh\\a.mes", YRK_MESH));
    EXPECT_EQ(nullptr, findTexture("mesh\\a.mes"));
    delete a;
    EXPECT_EQ(nullptr, findMesh("mesh\\a.mes"));
}

TEST_F(MeshTest, IndexBufferFollowsTheDevice)
{
    YMesh* cube = meshfix::buildMesh(meshfix::cubeText());
    render->calls.clear();
    invalidateRenderResources(YRK_MESH);
    EXPECT_EQ(nullptr, cube->indexBuffer);
    restoreRenderResources(YRK_MESH);
    EXPECT_NE(nullptr, cube->indexBuffer);
    EXPECT_EQ((std::vector<std::string>{"release indexbuffer", "indexbuffer 36"}), render->calls);
}

// ---------------------------------------------------------------------------
// Broken or missing text: no cache, so the text is read again next time

TEST_F(MeshTest, TextThatFailsToParseWritesNoCache)
{
    // Missing file.
    EXPECT_TRUE(getMesh("mesh\\missing.mes")->empty());
    EXPECT_FALSE(fileExists("mesh/missing.meb"));
    EXPECT_TRUE(logHas("Mesh file mesh\\missing.mes cannot be read"));

    // A wrong first word.
    testutil::writeText("mesh\\word.mes", "nesh x\nvertices 0\n");
    EXPECT_TRUE(getMesh("mesh\\word.mes")->empty());
    EXPECT_TRUE(logHas("Error token: nesh"));
    EXPECT_FALSE(fileExists("mesh/word.meb"));

    // Cut short inside the faces: the whole faces before the cut are used,
    // nothing is cached.
    std::string cube = meshfix::cubeText();
    testutil::writeText("mesh\\short.mes", cube.substr(0, cube.size() - 30));
    YMesh* cut = getMesh("mesh\\short.mes");
    EXPECT_EQ(10u, cut->triangles.size());
    EXPECT_TRUE(logHas("face 10 of 12 cannot be read"));
    EXPECT_FALSE(fileExists("mesh/short.meb"));

    // An index past the vertices: the faces from that one on are dropped.
    std::string text = meshfix::meshText({YVec3(0, 0, 0), YVec3(1, 0, 0), YVec3(0, 1, 0)}, {YVec2(0, 0)},
                                         {{0, 1, 2, 0, 0, 0, 0, 1}, {0, 1, 7, 0, 0, 0, 0, 1}, {0, 2, 1, 0, 0, 0, 0, 1}});
    testutil::writeText("mesh\\index.mes", text);
    EXPECT_EQ(1u, getMesh("mesh\\index.mes")->triangles.size());
    EXPECT_TRUE(logHas("face 1 refers to vertex 7, which does not exist"));
    EXPECT_FALSE(fileExists("mesh/index.meb"));

    // A lightmap section naming a missing face or coordinate.
    testutil::writeText("mesh\\tface.mes", meshfix::cubeText() + "lightmap a b 1\n0 0\ntfaces 1\n12 0 0 0\n");
    getMesh("mesh\\tface.mes");
    EXPECT_TRUE(logHas("names face 12, which does not exist"));
    EXPECT_FALSE(fileExists("mesh/tface.meb"));

    // Once mended, the next run parses the text and caches it.
    testutil::writeText("mesh\\short.mes", cube);
    EXPECT_EQ(12u, loadAfresh("mesh\\short.mes")->triangles.size());
    EXPECT_TRUE(fileExists("mesh/short.meb"));
}

TEST_F(MeshTest, AnUnwritableCacheKeepsTheMeshBuiltFromText)
{
    // A folder where the cache belongs: the cache cannot be renamed into place.
    testutil::writeText("mesh\\blocked.mes", meshfix::cubeText());
    ASSERT_TRUE(sys::makeDirectories("mesh/blocked.meb"));
    YMesh* blocked = getMesh("mesh\\blocked.mes");
    EXPECT_EQ(12u, blocked->triangles.size());
    EXPECT_EQ(18u, blocked->edges.size());
    EXPECT_TRUE(logHas("Mesh mesh\\blocked.mes: cache mesh\\blocked.meb not written"));

    // A read-only folder (permissions do not hold back root).
    if (::geteuid() == 0)
        return;
    testutil::writeText("ro\\cube.mes", meshfix::cubeText());
    ASSERT_EQ(0, ::chmod("ro", 0555));
    YMesh* ro = getMesh("ro\\cube.mes");
    ::chmod("ro", 0755);
    EXPECT_EQ(12u, ro->triangles.size());
    EXPECT_FALSE(fileExists("ro/cube.meb"));
    EXPECT_TRUE(logHas("cache ro\\cube.meb not written"));
}

TEST_F(MeshTest, MoreRenderVerticesThanSixteenBitIndicesReachAreRejected)
{
    // 21846 separate triangles: 65538 render vertices.
    std::string text = "mesh big\nvertices 65538\n";
    for (int i = 0; i < 65538; ++i)
        text += std::to_string(i) + " " + std::to_string(i % 3) + " 0\n";
    text += "tvertices 1\n0 0\nfaces 21846\n";
    for (int f = 0; f < 21846; ++f)
        text += std::to_string(3 * f) + " " + std::to_string(3 * f + 1) + " " + std::to_string(3 * f + 2) +
                " 0 0 0 0 1\n";
    testutil::writeText("mesh\\big.mes", text);
    YMesh* big = getMesh("mesh\\big.mes");
    EXPECT_TRUE(big->empty());
    EXPECT_TRUE(big->vertices.empty());
    EXPECT_TRUE(logHas("Mesh mesh\\big.mes: 65538 render vertices, more than the 65536"));
    EXPECT_FALSE(fileExists("mesh/big.meb"));

    // The cache reader takes exactly 65536 vertices and no more.
    for (uint32_t count : {65536u, 65537u}) {
        std::string bytes(2, '\0');
        bytes.append(reinterpret_cast<const char*>(&count), 4);
        bytes.append(size_t(count) * 40, '\0');
        bytes.append(7 * 4, '\0'); // every other section empty
        YMesh mesh;
        InMemStream in(bytes);
        EXPECT_EQ(count == 65536u, mesh.readMeshCache(in)) << count;
        EXPECT_EQ(count == 65536u ? 65536u : 0u, mesh.vertices.size());
    }
}

// Exceeding a per-vertex table of the format cannot be represented: the
// loader logs the limit and ends the program with a failure code.
TEST_F(MeshTest, PerVertexLimitsEndTheProgram)
{
    // Sixteen triangles fanned around position 0.
    auto fan = [](uint32_t mask) {
        std::vector<YVec3> p = {YVec3(0, 0, 0)};
        std::vector<Face> f;
        for (int i = 0; i < 16; ++i) {
            float a = 6.2831853f * float(i) / 16;
            p.push_back(YVec3(std::cos(a), std::sin(a), 0));
        }
        for (int i = 0; i < 16; ++i)
            f.push_back({0, 1 + i, 1 + (i + 1) % 16, 0, 0, 0, 0, mask});
        return meshfix::meshText(p, {YVec2(0, 0)}, f);
    };
    testutil::writeText("mesh\\smooth16.mes", fan(1));
    testutil::writeText("mesh\\flat16.mes", fan(0));
    EXPECT_EXIT(getMesh("mesh\\smooth16.mes"), ::testing::ExitedWithCode(1), "");
    EXPECT_EXIT(getMesh("mesh\\flat16.mes"), ::testing::ExitedWithCode(1), "");
    EXPECT_TRUE(logHas("Error, MAX_FACES_PER_NORMAL = 15  is small"));
    EXPECT_TRUE(logHas("Error, MAX_VERT_IDX = 15  is small"));
    EXPECT_FALSE(fileExists("mesh/smooth16.meb"));
    EXPECT_FALSE(fileExists("mesh/flat16.meb"));
}

// ---------------------------------------------------------------------------
// Damaged caches: an empty mesh and a log line, never a read out of bounds

TEST_F(MeshTest, ACacheCutAnywhereGivesAnEmptyMesh)
{
    YMesh* cube = meshfix::buildMesh(meshfix::cubeText(2), "cube");
    const std::string bytes = cacheBytes(*cube);
    for (size_t cut = 0; cut < bytes.size(); ++cut) {
        for (int unsized = 0; unsized < 2; ++unsized) {
            YMesh mesh;
            std::unique_ptr<InStream> in;
            if (unsized)
                in = std::make_unique<testutil::UnsizedStream>(bytes.substr(0, cut));
            else
                in = std::make_unique<InMemStream>(bytes.substr(0, cut));
            ASSERT_FALSE(mesh.readMeshCache(*in)) << "cut at " << cut;
            ASSERT_TRUE(mesh.vertices.empty() && mesh.triangles.empty() && mesh.normalGroups.empty() &&
                        mesh.sourceVertices.empty() && mesh.edges.empty() && mesh.indices.empty() &&
                        mesh.subsets.empty())
                << "cut at " << cut;
        }
    }
    EXPECT_TRUE(logHas("cut short in the subsets section; the mesh is empty"));
    EXPECT_TRUE(logHas("missing or cut short in the name section"));

    YMesh whole;
    InMemStream in(bytes);
    EXPECT_TRUE(whole.readMeshCache(in));
    expectSameMesh(*cube, whole);
}

TEST_F(MeshTest, CacheCountsAndIndicesAreCheckedAgainstTheFile)
{
    // A single triangle: the sections' offsets are easy to name.
    YMesh* tri = meshfix::buildMesh(
        meshfix::meshText({YVec3(0, 0, 0), YVec3(1, 0, 0), YVec3(0, 1, 0)}, {YVec2(0, 0)}, {{0, 1, 2, 0, 0, 0, 0, 1}}),
        "t");
    const std::string good = cacheBytes(*tri);
    const size_t vertices = 2 + 1;                 // after the name "t"
    const size_t triangles = vertices + 4 + 3 * 40; // 3 render vertices
    const size_t groups = triangles + 4 + 24;
    const size_t sources = groups + 4 + 3 * (4 + 4 + 4 + 4); // 3 groups of one face, one vertex
    const size_t edges = sources + 4 + 3 * (12 + 4 + 4);
    const size_t indices = edges + 4;
    const size_t subsets = indices + 4 + 6;

    struct Damage {
        const char* what;
        size_t at;
        uint32_t value;
        const char* logged;
    };
    const Damage damages[] = {
        {"huge vertex count", vertices, 0xFFFFFFFFu, "larger than the file in the vertices section"},
        {"huge triangle count", triangles, 0x40000000u, "larger than the file in the triangles section"},
        {"huge group count", groups, 0x7FFFFFFFu, "larger than the file in the normal groups section"},
        {"group of 16 faces", groups + 4, 16, "a list of 16 entries (at most 15)"},
        {"group face past the triangles", groups + 8, 1, "index 1 out of range in the normal groups section"},
        {"group vertex past the vertices", groups + 16, 3, "index 3 out of range in the normal groups section"},
        {"source vertex of 16", sources + 4 + 12, 16, "a list of 16 entries (at most 15)"},
        {"triangle corner past the vertices", triangles + 4 + 8, 3, "index 3 out of range in the triangles section"},
        {"edge count", edges, 1, "index 3 out of range in the edges section"},
        {"index count", indices, 2, "2 indices for 1 triangles"},
        {"subset past the indices", subsets + 4 + 4, 2, "a subset outside the index list"},
        {"subset past the vertices", subsets + 4 + 16, 4, "a subset outside the index list or the vertices"},
    };
    for (const Damage& d : damages) {
        std::string bytes = good;
        patch32(bytes, d.at, d.value);
        for (int unsized = 0; unsized < 2; ++unsized) {
            YMesh mesh;
            std::unique_ptr<InStream> in;
            if (unsized)
                in = std::make_unique<testutil::UnsizedStream>(bytes);
            else
                in = std::make_unique<InMemStream>(bytes);
            EXPECT_FALSE(mesh.readMeshCache(*in)) << d.what;
            EXPECT_TRUE(mesh.empty() && mesh.vertices.empty() && mesh.subsets.empty()) << d.what;
        }
        EXPECT_TRUE(logHas(d.logged)) << d.what;
    }
    // An index in the index list past the vertices.
    std::string bytes = good;
    uint16_t past = 3;
    std::memcpy(&bytes[indices + 4 + 2], &past, 2);
    YMesh mesh;
    InMemStream in(bytes);
    EXPECT_FALSE(mesh.readMeshCache(in));
    EXPECT_TRUE(logHas("index 3 out of range in the indices section"));

    // The undamaged bytes read back whole.
    YMesh whole;
    InMemStream wholeIn(good);
    EXPECT_TRUE(whole.readMeshCache(wholeIn));
    expectSameMesh(*tri, whole);
}

TEST_F(MeshTest, ADamagedCacheFileLoadsAsAnEmptyMesh)
{
    testutil::writeText("mesh\\bad.meb", std::string("\x03\x00" "bad\xff\xff\xff\x7f", 9));
    YMesh* bad = getMesh("mesh\\bad.mes"); // the cache exists, so it is read
    EXPECT_TRUE(bad->loaded);
    EXPECT_TRUE(bad->empty());
    EXPECT_EQ(nullptr, bad->indexBuffer);
    EXPECT_TRUE(logHas("Mesh cache of mesh\\bad.mes: a count of 2147483647 larger than the file"));
}
