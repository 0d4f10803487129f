// The table's size: the pyramid stretched from its authored 20 x 20 shape
// with its textures re-mapped, meshes without some parts, refused sizes,
// and the floor and walls of the physics world.
#include "tests/world/world_fixture.h"

#include "render/mesh.h"
#include "render/recording_render.h"
#include "render/shader.h"
#include "tests/common/render_util.h"
#include "world/table.h"
#include "world/table_material.h"

#include <cstdio>
#include <functional>

using namespace worldtest;

namespace {

class TableSize : public WorldTest {
protected:
    void TearDown() override
    {
        table.reset();
        clearMeshes();
        clearShaders();
        testutil::deleteRenderResources();
        WorldTest::TearDown();
    }

    // The table over the generated pyramid, or over what the test wrote.
    void makeTable(bool gameMesh = true)
    {
        if (gameMesh) {
            ASSERT_TRUE(testutil::copyFromGame("mesh")) << "build the game content first";
        }
        table = std::make_unique<YTable>();
        mesh = table->pyramid()->mesh;
    }

    const std::vector<YMeshVertex>& shown() const { return table->pyramid()->vertices; }

    void eachOfSubset(size_t subset, const std::function<void(size_t)>& fn) const
    {
        const YMeshSubset& s = mesh->subsets.at(subset);
        for (int i = s.firstIndex; i < s.firstIndex + s.triangleCount * 3; ++i)
            fn(mesh->indices[static_cast<size_t>(i)]);
    }

    // Every render vertex of an authored position moved away from the
    // centre lines by (dx, dy).
    void expectStretched(float dx, float dy) const
    {
        for (const YSourceVertex& source : mesh->sourceVertices) {
            const YVec3& p = source.pos;
            for (int k = 0; k < source.vertexCount; ++k) {
                const YVec3& q = shown()[static_cast<size_t>(source.vertices[k])].pos;
                ASSERT_NEAR(p.x + (p.x < 0 ? -dx : dx), q.x, 1e-4f);
                ASSERT_NEAR(p.y + (p.y < 0 ? -dy : dy), q.y, 1e-4f);
                ASSERT_EQ(p.z, q.z);
            }
        }
    }

    // The inner walls' u at k = dx + dy: whole repeats.
    void expectWallRepeats(size_t subset, float k) const
    {
        eachOfSubset(subset, [&](size_t v) {
            EXPECT_FLOAT_EQ(std::floor((1.0f + 0.05f * k) * mesh->vertices[v].tex.x + 0.5f), shown()[v].tex.x);
        });
    }

    std::unique_ptr<YTable> table;
    YMesh* mesh = nullptr;
};

// One floor quad per material, none crossing a centre line.
std::string quadsMesh(const std::vector<int>& materials)
{
    std::string text = "mesh quads\nvertices " + std::to_string(materials.size() * 4) + "\n";
    for (size_t i = 0; i < materials.size(); ++i) {
        const int x = -9 + 2 * static_cast<int>(i);
        text += std::to_string(x) + " 1 0\n" + std::to_string(x + 1) + " 1 0\n" + std::to_string(x + 1) + " 2 0\n" +
                std::to_string(x) + " 2 0\n";
    }
    text += "tvertices 4\n0.3 0.2\n0.7 0.2\n0.7 0.8\n0.3 0.8\nfaces " + std::to_string(materials.size() * 2) + "\n";
    char line[96];
    for (size_t i = 0; i < materials.size(); ++i) {
        const int b = static_cast<int>(i) * 4, m = materials[i];
        std::snprintf(line, sizeof(line), "%d %d %d 0 1 2 %d 1\n%d %d %d 0 2 3 %d 1\n", b, b + 1, b + 2, m, b, b + 2,
                      b + 3, m);
        text += line;
    }
    return text;
}

} // namespace

TEST_F(TableSize, TwentyByTwentyKeepsTheAuthoredShape)
{
    makeTable();
    ASSERT_EQ(static_cast<size_t>(YPyramid::SUBSET_COUNT), mesh->subsets.size());
    expectStretched(0.0f, 0.0f);
    expectWallRepeats(YPyramid::SUBSET_INNER_WALLS, 0.0f);
    eachOfSubset(YPyramid::SUBSET_STEPS, [&](size_t v) { EXPECT_EQ(mesh->vertices[v].tex.x, shown()[v].tex.x); });
    EXPECT_TRUE(table->pyramid()->dirty);
    EXPECT_FALSE(table->pyramid()->visible) << "only the table draws it";
    std::string names;
    for (const YShader* s : table->pyramid()->shaders)
        names += s->name + " ";
    EXPECT_EQ("pyr1 pyr2 pyr2 pyr4 pyr5 pyr6 pyr7 pyr2 pyr9 ", names);
}

TEST_F(TableSize, ThirtyByTwentyMovesEachHalfOutwardsAndRemapsTextures)
{
    makeTable();
    ASSERT_TRUE(table->setSize(44.0f, 13.0f)); // each size starts from the authored shape
    ASSERT_TRUE(table->setSize(30.0f, 20.0f));
    expectStretched(5.0f, 0.0f);
    expectWallRepeats(YPyramid::SUBSET_INNER_WALLS, 5.0f);
    float lowest = 0.0f, highest = 0.0f;
    eachOfSubset(YPyramid::SUBSET_INNER_WALLS, [&](size_t v) {
        if (shown()[v].pos.y > 10.0f - 1e-3f) { // the far wall's face
            lowest = std::min(lowest, shown()[v].tex.x);
            highest = std::max(highest, shown()[v].tex.x);
        }
    });
    EXPECT_FLOAT_EQ(10.0f, highest - lowest) << "the 30-unit far wall shows ten whole repeats";
    eachOfSubset(YPyramid::SUBSET_STEPS, [&](size_t v) {
        EXPECT_NEAR(mesh->vertices[v].tex.x * (1.0f + 5.0f / 18.0f), shown()[v].tex.x, 1e-4f);
    });
    eachOfSubset(YPyramid::SUBSET_FLOOR, [&](size_t v) {
        EXPECT_NEAR(shown()[v].pos.x * 0.11f, shown()[v].tex.x, 1e-5f);
        EXPECT_NEAR(shown()[v].pos.y * 0.11f, shown()[v].tex.y, 1e-5f);
    });
    eachOfSubset(1, [&](size_t v) { EXPECT_EQ(mesh->vertices[v].tex.x, shown()[v].tex.x); });
    ASSERT_TRUE(table->setSize(12.0f, 16.0f)); // smaller: every part moves inwards
    expectStretched(-4.0f, -2.0f);
}

TEST_F(TableSize, MissingSubsetsAreSkipped)
{
    // Five parts: the inner walls (4) but neither the steps (6) nor the floor (7).
    std::remove("mesh/pyramid.meb");
    testutil::writeText("mesh\\pyramid.mes", quadsMesh({0, 1, 2, 3, 4}));
    makeTable(false);
    ASSERT_EQ(5u, mesh->subsets.size());
    ASSERT_TRUE(table->setSize(30.0f, 24.0f));
    expectStretched(5.0f, 2.0f);
    expectWallRepeats(4, 7.0f);
    eachOfSubset(3, [&](size_t v) { EXPECT_EQ(mesh->vertices[v].tex.x, shown()[v].tex.x); });

    // Three parts, then no mesh file at all: nothing to re-map, nothing drawn.
    for (int parts : {3, 0}) {
        table.reset();
        clearMeshes();
        std::remove("mesh/pyramid.meb");
        std::remove("mesh/pyramid.mes");
        if (parts)
            testutil::writeText("mesh\\pyramid.mes", quadsMesh({0, 1, 2}));
        makeTable(false);
        ASSERT_EQ(static_cast<size_t>(parts), mesh->subsets.size());
        ASSERT_TRUE(table->setSize(40.0f, 10.0f));
        expectStretched(10.0f, -5.0f);
        YNullRender render;
        table->draw(YTable::DRAW_ALL);
    }
}

TEST_F(TableSize, BadSizesAreRefusedAndTheOldTableKept)
{
    makeTable();
    ASSERT_TRUE(table->setSize(30.0f, 20.0f));
    const float c[4] = {1, 1, 1, 1};
    table->addMovingLightSpot(1.0f, 1.0f, 3.0f, YVec3(), getShader("blast"), c, c);
    table->pyramid()->dirty = 0;
    const dSpaceID geometry = gPhysics->tableSpace();
    const float x = shown()[0].pos.x;

    for (float v : {0.0f, -8.0f, std::nanf(""), INFINITY, -INFINITY}) {
        EXPECT_FALSE(table->setSize(v, 20.0f, "marble")) << v;
        EXPECT_FALSE(table->setSize(24.0f, v)) << v;
    }
    EXPECT_TRUE(logged("Bad table size"));
    EXPECT_EQ(30.0f, table->width());
    EXPECT_EQ(10.0f, table->halfDepth());
    EXPECT_EQ(15.0f, gTableCorners[2].x);
    EXPECT_EQ(30.0f, gPlayfield.width);
    EXPECT_EQ(geometry, gPhysics->tableSpace()) << "the physics table was not rebuilt";
    EXPECT_EQ(1u, table->movingLightSpots().size());
    EXPECT_FALSE(table->pyramid()->dirty);
    EXPECT_EQ(x, shown()[0].pos.x);
    EXPECT_FALSE(logged("Unknown table material")) << "nothing of a refused size is applied";

    ASSERT_TRUE(table->setSize(30.0f, 20.0f));
    EXPECT_TRUE(table->movingLightSpots().empty()) << "a good size drops the moving spots";
}

TEST_F(TableSize, CornersPlayfieldRacketLineAndFloorFollowTheSize)
{
    makeTable();
    ASSERT_TRUE(table->setSize(30.0f, 26.0f));
    const float corners[4][2] = {{-15, -13}, {15, -13}, {15, 13}, {-15, 13}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(corners[i][0], gTableCorners[i].x);
        EXPECT_EQ(corners[i][1], gTableCorners[i].y);
    }
    EXPECT_FALSE(isOutsideTable(YVec3(15.5f, 0, 0), 0.5f));
    EXPECT_TRUE(isOutsideTable(YVec3(15.6f, 0, 0), 0.5f));
    EXPECT_TRUE(table->isOverTable(YVec3(14.99f, -12.99f, 0)));
    EXPECT_FALSE(table->isOverTable(YVec3(15.0f, 0, 1)));
    EXPECT_FALSE(table->isOverTable(YVec3(0, 0, -0.001f)));
    // Half a racket width in from the near edge; the barrier 0.5 beyond.
    EXPECT_EQ(2.5f, table->backOffset());
    EXPECT_EQ(-12.0f, table->racketY());
    for (float bad : {-1.0f, std::nanf(""), INFINITY})
        EXPECT_FALSE(table->setRacketWidth(bad));
    EXPECT_TRUE(logged("Bad racket width"));
    EXPECT_EQ(2.0f, table->racketWidth());

    // Beyond the old 20 x 20 floor, inside the new one, a ball touches the
    // floor at z = 0.52; without it, it would end on the base 3.6 lower.
    auto k = ball(YVec3(13.0f, 11.5f, 2.0f), YVec3());
    auto lowest = [&](int steps) {
        float z = 100.0f;
        for (int i = 0; i < steps; ++i, run(1))
            z = std::min(z, k->getPosition().z);
        return z;
    };
    EXPECT_NEAR(0.5f, lowest(60), 0.1f);
    // The near barrier holds blocks at y = -13 + 2.5 (their centre 0.5 in).
    auto b = block(YVec3(0, -8.0f, 3.0f));
    b->setLinearVelocity(YVec3(0, -8, 0));
    run(20);
    EXPECT_NEAR(-10.0f, b->getPosition().y, 0.1f);
}
