// The silhouettes of block structures: from the edge links of sets (outer
// and inner corners, diagonal pairs, larger items) and from the boxes of
// singles, closed loops running one way round, before and after a split.
#include "tests/world/block_test_fixture.h"

#include "render/camera.h"
#include "render/recording_render.h"
#include "render/shadow_volume.h"
#include "tests/common/render_util.h"

#include <cmath>
#include <map>
#include <tuple>

using namespace blocktest;

namespace {

YVec3 unitVector(float x, float y, float z)
{
    YVec3 v(x, y, z);
    v.normalize();
    return v;
}

// A silhouette edge as the volume got it: the first two points of its quad.
struct Edge {
    YVec3 a, b;
};

// Every edge end is where another edge starts: the silhouette closes into
// loops that all run one way round, so the volume has no open side.
void expectClosed(const std::vector<Edge>& edges)
{
    std::map<std::tuple<long, long, long>, int> balance;
    auto key = [](const YVec3& p) {
        return std::make_tuple(std::lround(p.x * 1000), std::lround(p.y * 1000), std::lround(p.z * 1000));
    };
    for (const Edge& e : edges) {
        ++balance[key(e.a)];
        --balance[key(e.b)];
    }
    for (const auto& point : balance)
        EXPECT_EQ(0, point.second) << "an open silhouette";
}

class BlockShadowTest : public BlockTest {
protected:
    void SetUp() override
    {
        BlockTest::SetUp();
        render = std::make_unique<YRecordingRender>();
        savedCamera = gCamera();
        savedShadows = gInit().shadows;
        gInit().shadows = true;
        gCamera().setTransform(testutil::lookAt(YVec3(2, -15, 12), YVec3(0, 0, 0)));
    }
    void TearDown() override
    {
        gShadows().begin(0.0f);
        gInit().shadows = savedShadows;
        gCamera() = savedCamera;
        render.reset();
        BlockTest::TearDown();
    }

    // The silhouettes of every block of the world this frame, under a light.
    static std::vector<Edge> cast(const YVec3& light)
    {
        gCamera().setLightDirection(&light.x);
        gShadows().begin(0.0f);
        for (YBlock* b : std::vector<YBlock*>(gBlocks))
            b->update(0.0f);
        std::vector<Edge> out;
        for (const std::vector<YVec3>* list : {&gShadows().frontList(), &gShadows().backList()})
            for (size_t i = 0; i + 6 <= list->size(); i += 6)
                out.push_back({(*list)[i], (*list)[i + 1]});
        return out;
    }

    std::unique_ptr<YRecordingRender> render;
    YCamera savedCamera;
    bool savedShadows = true;
};

} // namespace

TEST_F(BlockShadowTest, ASplitSetCastsTheRimsOfItsPartsAndTheSingleBetweenThem)
{
    const YVec3 down(0, 0, -1);
    YBlockSet* set = build({{0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {2, 1, 0}, {2, 2, 0}}, turned(30.0f, YVec3(3, -2, 0.5f)));
    // Lit from straight above: the outline of the L, twelve cell edges on
    // the set's floor.
    std::vector<Edge> edges = cast(down);
    ASSERT_EQ(12u, edges.size());
    for (const Edge& e : edges) {
        EXPECT_NEAR(0.5f, e.a.z, 1e-4f);
        EXPECT_NEAR(1.0f, (e.b - e.a).length(), 1e-4f);
    }
    expectClosed(edges);

    YBlockItem* corner = nullptr;
    for (size_t i = 0; i < set->itemCount(); ++i)
        if (set->item(i)->cell[0] == 2 && set->item(i)->cell[1] == 0)
            corner = set->item(i);
    ASSERT_TRUE(set->breakOff(corner, true));
    ASSERT_EQ(2u, all<YBlockSet>().size());
    // Two arms of two cells and the single between them: three loops.
    edges = cast(down);
    EXPECT_EQ(6u + 6u + 4u, edges.size());
    expectClosed(edges);

    gInit().shadows = false;
    EXPECT_TRUE(cast(down).empty()) << "with shadows off the blocks cast nothing";
}

TEST_F(BlockShadowTest, SilhouettesCloseForCornersDiagonalsAndLargerItemsUnderAnyLight)
{
    const std::vector<std::vector<Cell>> shapes = {
        {{0, 0, 0}},
        {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}},                         // inner corners
        {{0, 0, 1}, {1, 0, 1}, {0, 1, 1}, {1, 1, 1}, {0, 0, 0}, {1, 1, 0}},   // a diagonal pair under a roof
        {{0, 0, 0, 3, 1, 1}, {2, 0, 1, 1, 1, 2}, {0, 1, 0, 1, 2, 1}},         // larger items
        {{0, 0, 0, 3, 3, 1}, {0, 1, 1, 2, 2, 1}, {0, 2, 2, 1, 1, 1}},         // steps
    };
    const YVec3 lights[] = {unitVector(-0.1f, 0.2f, -0.3f), unitVector(0.6f, -0.3f, -0.74f), YVec3(0, 0, -1),
                            unitVector(1, 1, -1)};
    for (size_t s = 0; s < shapes.size(); ++s) {
        for (const YVec3& l : lights) {
            SCOPED_TRACE("shape " + std::to_string(s) + ", light x " + std::to_string(l.x));
            build(shapes[s], turned(20.0f, YVec3(1, 2, 0.25f)));
            ASSERT_EQ(1u, gBlocks.size()) << "one set";
            const std::vector<Edge> edges = cast(l);
            EXPECT_FALSE(edges.empty());
            expectClosed(edges);
            clearWorld();
        }
    }
    // A single block turned in the air.
    YMatrix spin;
    spin.makeRotationAxis(YVec3(1, 2, 3), 40.0f);
    for (const YVec3& l : lights) {
        new YBlockSingle(getBlockShape("stone", 2, 1, 1), nullptr, at(YVec3(0, 0, 3)) * spin);
        const std::vector<Edge> edges = cast(l);
        EXPECT_GE(edges.size(), 4u);
        expectClosed(edges);
        clearWorld();
    }
}
