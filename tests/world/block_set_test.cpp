// Block sets: neighbours and edge links, weighing, splitting into connected
// groups and breaking items off.
#include "tests/world/block_test_fixture.h"

#include <ode/ode.h>

using namespace blocktest;

namespace {
class BlockSetTest : public BlockTest {};

int countOf(const YBlockItem* in, int face, const YBlockItem* who)
{
    const auto& v = in->faces[face].items;
    return static_cast<int>(std::count(v.begin(), v.end(), who));
}
} // namespace

TEST_F(BlockSetTest, NeighboursAreListedPerTouchingCellAndCornersBecomeLinks)
{
    auto* set = new YBlockSet();
    YBlockItem* a = add(set, {0, 0, 0, 1, 2, 1});
    YBlockItem* b = add(set, {1, 0, 0, 1, 2, 1});
    set->buildLinks();
    EXPECT_EQ(2, countOf(a, FACE_POS_X, b)) << "b touches a along two cells";
    EXPECT_EQ(2, countOf(b, FACE_NEG_X, a));
    for (int f : {FACE_NEG_X, FACE_NEG_Y, FACE_POS_Y, FACE_NEG_Z, FACE_POS_Z})
        EXPECT_TRUE(a->faces[f].items.empty());
    expectNear(YVec3(0.5f, 1.0f, 0.5f), a->position);
    expectNear(YVec3(1.5f, 1.0f, 0.5f), b->position);
    expectConsistent(set);

    // A lone cube has its twelve edges; two cubes side by side have twenty,
    // four of them shared along the seam.
    auto* one = new YBlockSet();
    YBlockItem* c = add(one, {5, 5, 5});
    one->buildLinks();
    EXPECT_EQ(12u, one->linkCount());
    EXPECT_EQ(12u, c->edges.size());
    expectNear(YVec3(5.5f, 5.5f, 5.5f), c->position);
    auto* two = new YBlockSet();
    YBlockItem* d = add(two, {0, 0, 0});
    YBlockItem* e = add(two, {1, 0, 0});
    two->buildLinks();
    two->buildLinks(); // again: starts over, nothing doubles
    EXPECT_EQ(20u, two->linkCount());
    EXPECT_EQ(12u, d->edges.size());
    EXPECT_EQ(12u, e->edges.size());
    int shared = 0;
    for (size_t i = 0; i < two->linkCount(); ++i)
        shared += __builtin_popcount(two->link(i)->mask & LINK_CELLS) == 2;
    EXPECT_EQ(4, shared);
    expectConsistent(two);
}

TEST_F(BlockSetTest, ItemsMeetingAtAnEdgeOnlyComeApart)
{
    YBlockSet* set = build({{0, 0, 0}, {1, 1, 0}});
    ASSERT_EQ(1u, set->itemCount()) << "the first item breaks off, the other stays as a set of one";
    EXPECT_EQ(1, set->item(0)->cell[0]);
    expectNear(YVec3(1.5f, 1.5f, 0.5f), worldPosition(set, set->item(0)));
    auto singles = all<YBlockSingle>();
    ASSERT_EQ(1u, singles.size());
    expectNear(YVec3(0.5f, 0.5f, 0.5f), singles[0]->getTransform().translation());
    expectConsistent(set);
    // A set that holds together does not split at all.
    YBlockSet* block = build({{0, 5, 0}, {1, 5, 0}, {1, 6, 0}, {1, 6, 1}});
    EXPECT_EQ(4u, block->itemCount());
    EXPECT_EQ(1u, all<YBlockSingle>().size());
}

TEST_F(BlockSetTest, AnLSplitsIntoItsArmsWhenTheCornerGoesAndNothingMoves)
{
    const YMatrix frame = turned(30.0f, YVec3(3, -2, 0.5f));
    YBlockSet* set = build({{0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {2, 1, 0}, {2, 2, 0}}, frame);
    ASSERT_EQ(5u, set->itemCount());
    std::vector<std::pair<YBlockItem*, YVec3>> before;
    YBlockItem* corner = nullptr;
    for (size_t i = 0; i < set->itemCount(); ++i) {
        before.emplace_back(set->item(i), worldPosition(set, set->item(i)));
        if (set->item(i)->cell[0] == 2 && set->item(i)->cell[1] == 0)
            corner = set->item(i);
    }
    YVec3 cornerAt = worldPosition(set, corner);

    YBlockSingle* single = set->breakOff(corner, true);
    ASSERT_TRUE(single);
    expectNear(cornerAt, single->getTransform().translation());
    auto sets = all<YBlockSet>();
    ASSERT_EQ(2u, sets.size());
    YBlockSet* arm1 = setWith(0, 0, 0);
    YBlockSet* arm2 = setWith(2, 1, 0);
    ASSERT_TRUE(arm1 && arm2);
    EXPECT_NE(arm1, arm2);
    EXPECT_EQ(arm1, setWith(1, 0, 0));
    EXPECT_EQ(arm2, setWith(2, 2, 0));
    EXPECT_EQ(2u, arm1->itemCount());
    EXPECT_EQ(2u, arm2->itemCount());
    for (auto& [item, at] : before) {
        if (item == corner)
            continue;
        YBlockSet* owner = arm1->hasItem(item) ? arm1 : arm2;
        expectNear(at, worldPosition(owner, item));
        // The body's box is where the item is drawn.
        YVec3 box =
            owner->body().getTransform().transformPoint(owner->body().boxOffset(item->geom));
        expectNear(at, box);
    }
    expectConsistent(arm1);
    expectConsistent(arm2);
    // The frame of each part is still the level's grid.
    for (YBlockSet* s : {arm1, arm2})
        for (int i : {0, 1, 4, 5, 12, 13})
            EXPECT_NEAR(frame[i], s->getTransform()[i], 1e-4f);
}

TEST_F(BlockSetTest, AnEdgeLinkSharedAcrossTheSplitIsCutInTwo)
{
    // Two bars meeting only at the vertical edge x = 2, y = 1.
    YBlockSet* set = build({{0, 0, 0}, {1, 0, 0}, {2, 1, 0}, {3, 1, 0}});
    YBlockSet* a = setWith(0, 0, 0);
    YBlockSet* b = setWith(2, 1, 0);
    ASSERT_TRUE(a && b && a != b);
    EXPECT_TRUE(set == a || set == b);
    for (YBlockSet* s : {a, b}) {
        expectConsistent(s);
        int atSeam = 0;
        for (size_t i = 0; i < s->linkCount(); ++i) {
            const YEdgeLink* l = s->link(i);
            if (l->axis == 2 && std::fabs(l->point.x - 2) < 1e-5f &&
                std::fabs(l->point.y - 1) < 1e-5f) {
                ++atSeam;
                EXPECT_EQ(s == a ? 1 : 8, l->mask & LINK_CELLS) << "each part keeps its own cell";
            }
        }
        EXPECT_EQ(1, atSeam);
    }
}

TEST_F(BlockSetTest, EveryNeighbourIsRecordedAndRemovalForgetsEveryEntry)
{
    // A long bar with ten studs on top, each touching the bar only.
    std::vector<Cell> cells = {{0, 0, 0, 20, 1, 1}};
    for (int x = 0; x < 20; x += 2)
        cells.push_back({x, 0, 1});
    YBlockSet* set = build(cells);
    ASSERT_EQ(11u, set->itemCount()) << "the tenth stud holds on like the others";
    YBlockItem* bar = set->item(0);
    EXPECT_EQ(10u, bar->faces[FACE_POS_Z].items.size());
    expectConsistent(set);

    std::unique_ptr<YBlockItem> taken = set->removeItem(bar);
    ASSERT_EQ(bar, taken.get());
    EXPECT_FALSE(set->removeItem(bar)) << "only once";
    taken.reset();
    expectConsistent(set);
    set->splitAll(true); // walks the records: none may name the bar
    EXPECT_EQ(1u, set->itemCount());
    EXPECT_EQ(9u, all<YBlockSingle>().size());

    // Duplicate entries: a tall neighbour is listed twice, and both go.
    auto* pair = new YBlockSet();
    YBlockItem* a = add(pair, {0, 5, 0, 1, 2, 1});
    YBlockItem* b = add(pair, {1, 5, 0, 1, 2, 1});
    YBlockItem* c = add(pair, {2, 5, 0});
    pair->buildLinks();
    pair->updateMass();
    ASSERT_EQ(2, countOf(a, FACE_POS_X, b));
    pair->removeItem(b); // the returned item dies here
    EXPECT_EQ(0, countOf(a, FACE_POS_X, b));
    EXPECT_TRUE(c->faces[FACE_NEG_X].items.empty());
    EXPECT_TRUE(a->edges.size() == 16 && c->edges.size() == 12) << "their own corners stay";
    expectConsistent(pair);
    pair->splitAll(true);
    EXPECT_EQ(1u, pair->itemCount());
}

TEST_F(BlockSetTest, MassCentreAndInertiaOfTheParts)
{
    gCellSize = YVec3(2, 1, 0.5f);
    clearBlockShapes();
    auto* set = new YBlockSet();
    YBlockItem* s = add(set, {0, 0, 0, 1, 1, 1, "stone"}); // mass 2, 2 x 1 x 0.5
    YBlockItem* p = add(set, {1, 0, 0, 2, 1, 1});          // mass 2, 4 x 1 x 0.5
    set->buildLinks();
    expectNear(YVec3(1, 0.5f, 0.25f), s->position);
    expectNear(YVec3(4, 0.5f, 0.25f), p->position);
    set->updateMass();
    set->updateMass(); // again: nothing is counted twice
    EXPECT_FLOAT_EQ(4.0f, set->totalMass());
    expectNear(YVec3(2.5f, 0.5f, 0.25f), set->centre());
    float applied = YRigidBody::compressMass(4.0f);
    EXPECT_NEAR(applied, set->appliedMass(), 1e-5f);
    expectNear(YVec3(-1.5f, 0, 0), set->body().boxOffset(s->geom));
    expectNear(YVec3(1.5f, 0, 0), set->body().boxOffset(p->geom));
    dMass m;
    dBodyGetMass(set->body().body(), &m);
    const double k = applied / 4.0;
    EXPECT_NEAR(2.5 / 6.0 * k, m.I[0], 1e-4);     // (1 + 0.25) x 2 / 12, twice
    EXPECT_NEAR(149.0 / 12.0 * k, m.I[5], 1e-4);  // 0.708 + 2.708 + 2 x 2 x 1.5^2
    EXPECT_NEAR(152.0 / 12.0 * k, m.I[10], 1e-4); // 0.833 + 2.833 + 9

    // Items off the axes give products of inertia.
    gCellSize = YVec3(1, 1, 1);
    clearBlockShapes();
    auto* diag = new YBlockSet();
    add(diag, {0, 0, 0});
    add(diag, {1, 1, 0});
    diag->buildLinks();
    diag->updateMass();
    dBodyGetMass(diag->body().body(), &m);
    EXPECT_NEAR(-0.5 * YRigidBody::compressMass(2.0f) / 2.0, m.I[1], 1e-5); // -(m rx ry) summed
}

TEST_F(BlockSetTest, WeighingAndRemovalKeepEveryItemWhereItIs)
{
    auto* set = new YBlockSet();
    for (int x = 0; x < 4; ++x)
        add(set, {x, 0, 0, 1, 1, 1, x == 3 ? "stone" : "plain"});
    add(set, {0, 1, 0});
    set->buildLinks();
    const YMatrix frame = turned(-40.0f, YVec3(1, 2, 3));
    set->setTransform(frame);
    std::vector<YVec3> before;
    for (size_t i = 0; i < set->itemCount(); ++i)
        before.push_back(frame.transformPoint(set->item(i)->position));
    set->updateMass();
    for (size_t i = 0; i < set->itemCount(); ++i)
        expectNear(before[i], worldPosition(set, set->item(i)));
    // The centre moves when an item goes; the others stay put.
    YVec3 centre = set->centre();
    YBlockItem* heavy = set->item(3);
    set->removeItem(heavy);
    EXPECT_GT(centre.x - set->centre().x, 0.3f);
    for (size_t i = 0; i < set->itemCount(); ++i)
        expectNear(before[i == 3 ? 4 : i], worldPosition(set, set->item(i)));
}

TEST_F(BlockSetTest, FacesBetweenOpaqueNeighboursAreHidden)
{
    YBlockSet* set = build({{0, 0, 0}, {1, 0, 0}, {0, 0, 1, 2, 1, 1}, {0, 1, 1}});
    auto at = [&](int x, int y, int z) {
        for (size_t i = 0; i < set->itemCount(); ++i)
            if (set->item(i)->cell[0] == x && set->item(i)->cell[1] == y &&
                set->item(i)->cell[2] == z)
                return set->item(i);
        return static_cast<YBlockItem*>(nullptr);
    };
    YBlockItem* a = at(0, 0, 0);
    YBlockItem* top = at(0, 0, 1);
    EXPECT_FALSE(a->faces[FACE_POS_X].visible);
    EXPECT_FALSE(a->faces[FACE_POS_Z].visible);
    EXPECT_TRUE(a->faces[FACE_NEG_X].visible);
    EXPECT_FALSE(top->faces[FACE_NEG_Z].visible) << "two cubes cover the long block's bottom";
    EXPECT_TRUE(top->faces[FACE_POS_Y].visible) << "one cube covers half of its side";

    // A blended neighbour lets the face show; a blended block shows all.
    YBlockSet* glassy = build({{5, 5, 0}, {6, 5, 0, 1, 1, 1, "glass"}});
    YBlockItem* plain =
        glassy->item(0)->shape->material->name == "plain" ? glassy->item(0) : glassy->item(1);
    YBlockItem* glass = plain == glassy->item(0) ? glassy->item(1) : glassy->item(0);
    EXPECT_TRUE(plain->faces[FACE_POS_X].visible);
    EXPECT_TRUE(glass->faces[FACE_NEG_X].visible);
}

TEST_F(BlockSetTest, BadItemsAndAbsurdGridsAreRefused)
{
    auto* set = new YBlockSet();
    BuilderLog& log = bonusLog;
    EXPECT_EQ(nullptr, set->addItem(nullptr, 0, 0, 0, 1.0f, new RecordingBuilder(log)));
    EXPECT_EQ(1, log.deleted) << "the builder of an item that is not made goes";
    EXPECT_EQ(nullptr, set->breakOff(nullptr, true));
    add(set, {0, 0, 0});
    add(set, {2000000, 0, 0});
    add(set, {0, 2000000, 0});
    set->buildLinks();
    EXPECT_TRUE(logged("too large to link"));
    EXPECT_EQ(0u, set->linkCount());
    expectNear(YVec3(2000000.5f, 0.5f, 0.5f), set->item(1)->position);

    auto* lone = new YBlockSet();
    YBlockItem* l = add(lone, {9, 9, 9});
    lone->buildLinks();
    lone->updateMass();
    EXPECT_EQ(nullptr, lone->breakOff(l, true)) << "a set of one has nothing to break off from";
    EXPECT_EQ(nullptr, set->breakOff(l, true)) << "not an item of that set";
    EXPECT_EQ(1u, lone->itemCount());
}
