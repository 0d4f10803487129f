#include "world/block_set.h"

#include "core/log.h"
#include "render/shader.h"
#include "world/block_bonus.h"
#include "world/block_single.h"

#include <algorithm>
#include <cstdint>

namespace {

// Larger grids are refused by buildLinks: a level file with absurd
// coordinates must not exhaust the memory.
constexpr int64_t MAX_GRID_CELLS = int64_t(1) << 22;

// Marks of the connectivity search; 0 is the mark of a new item.
unsigned gVisitMark = 0;

unsigned nextVisitMark()
{
    if (++gVisitMark == 0)
        ++gVisitMark;
    return gVisitMark;
}

YMatrix translation(const YVec3& p)
{
    YMatrix m;
    return m.makeTranslation(p);
}

// Grid offsets of the six face directions, in face order.
const int FACE_STEP[FACE_COUNT][3] = {{-1, 0, 0}, {1, 0, 0},  {0, -1, 0},
                                      {0, 1, 0},  {0, 0, -1}, {0, 0, 1}};

// The four cells around an edge starting at a lattice point, as offsets in
// x, y, z, per edge axis and cell bit.
const int EDGE_CELLS[3][4][3] = {
    {{0, -1, -1}, {0, 0, -1}, {0, -1, 0}, {0, 0, 0}}, // along x
    {{-1, 0, -1}, {0, 0, -1}, {-1, 0, 0}, {0, 0, 0}}, // along y
    {{-1, -1, 0}, {0, -1, 0}, {-1, 0, 0}, {0, 0, 0}}, // along z
};

} // namespace

YBlockSet::YBlockSet()
{
    mBody.setBumpListener(this);
}

YBlockSet::~YBlockSet()
{
    if (gWorldLive && !mItems.empty())
        destroyEffects();
    // The items go first: their boxes go with the body's space afterwards.
    mItems.clear();
    mLinks.clear();
}

YBlockItem* YBlockSet::addItem(YBlockShape* shape, int x, int y, int z, float glue,
                               YBonusBuilder* builder)
{
    if (!shape) {
        delete builder;
        return nullptr;
    }
    mItems.push_back(std::make_unique<YBlockItem>(shape, x, y, z, glue, builder));
    return mItems.back().get();
}

bool YBlockSet::hasItem(const YBlockItem* item) const
{
    for (const auto& it : mItems) {
        if (it.get() == item)
            return true;
    }
    return false;
}

// ---------------------------------------------------------------------------
// Links

void YBlockSet::addLink(std::unique_ptr<YEdgeLink> link)
{
    link->index = mLinks.size();
    mLinks.push_back(std::move(link));
}

std::unique_ptr<YEdgeLink> YBlockSet::takeLink(YEdgeLink* link)
{
    size_t i = link->index;
    if (i >= mLinks.size() || mLinks[i].get() != link) {
        YLog::write("YBlockSet: an edge link of another set");
        return nullptr;
    }
    std::unique_ptr<YEdgeLink> owned = std::move(mLinks[i]);
    if (i + 1 != mLinks.size()) {
        mLinks[i] = std::move(mLinks.back());
        mLinks[i]->index = i;
    }
    mLinks.pop_back();
    return owned;
}

void YBlockSet::buildLinks()
{
    mLinks.clear();
    for (auto& it : mItems) {
        for (YFaceRecord& f : it->faces)
            f.items.clear();
        it->edges.clear();
    }
    if (mItems.empty())
        return;

    int64_t lo[3], hi[3];
    for (int a = 0; a < 3; ++a) {
        lo[a] = INT64_MAX;
        hi[a] = INT64_MIN;
    }
    for (auto& it : mItems) {
        const int size[3] = {it->shape->w, it->shape->h, it->shape->d};
        for (int a = 0; a < 3; ++a) {
            lo[a] = std::min<int64_t>(lo[a], it->cell[a]);
            hi[a] = std::max<int64_t>(hi[a], int64_t(it->cell[a]) + size[a]);
        }
        // The centre in set coordinates.
        for (int a = 0; a < 3; ++a)
            it->position[a] =
                static_cast<float>(it->cell[a]) * gCellSize[a] + it->shape->halfExtents[a];
    }
    const int64_t W = hi[0] - lo[0], H = hi[1] - lo[1], D = hi[2] - lo[2];
    if (W > MAX_GRID_CELLS || H > MAX_GRID_CELLS || D > MAX_GRID_CELLS || W * H > MAX_GRID_CELLS ||
        W * H * D > MAX_GRID_CELLS) {
        YLog::writef("Block set of %lld x %lld x %lld cells is too large to link",
                     static_cast<long long>(W), static_cast<long long>(H),
                     static_cast<long long>(D));
        return;
    }

    // Which item covers each cell.
    std::vector<YBlockItem*> grid(static_cast<size_t>(W * H * D), nullptr);
    auto at = [&](int64_t x, int64_t y, int64_t z) -> YBlockItem* {
        if (x < 0 || y < 0 || z < 0 || x >= W || y >= H || z >= D)
            return nullptr;
        return grid[static_cast<size_t>((z * H + y) * W + x)];
    };
    for (auto& it : mItems) {
        int64_t x0 = it->cell[0] - lo[0], y0 = it->cell[1] - lo[1], z0 = it->cell[2] - lo[2];
        for (int64_t z = z0; z < z0 + it->shape->d; ++z)
            for (int64_t y = y0; y < y0 + it->shape->h; ++y)
                for (int64_t x = x0; x < x0 + it->shape->w; ++x)
                    grid[static_cast<size_t>((z * H + y) * W + x)] = it.get();
    }

    // Face neighbours: one entry per touching cell.
    for (int64_t z = 0; z < D; ++z)
        for (int64_t y = 0; y < H; ++y)
            for (int64_t x = 0; x < W; ++x) {
                YBlockItem* item = at(x, y, z);
                if (!item)
                    continue;
                for (int f = 0; f < FACE_COUNT; ++f) {
                    YBlockItem* other =
                        at(x + FACE_STEP[f][0], y + FACE_STEP[f][1], z + FACE_STEP[f][2]);
                    if (other && other != item)
                        item->faces[f].items.push_back(other);
                }
            }

    // Edge links where the items around a lattice edge change.
    bool reportedFull = false;
    for (int64_t k = 0; k <= D; ++k)
        for (int64_t j = 0; j <= H; ++j)
            for (int64_t i = 0; i <= W; ++i)
                for (int axis = 0; axis < 3; ++axis) {
                    YBlockItem* c[4];
                    for (int b = 0; b < 4; ++b)
                        c[b] = at(i + EDGE_CELLS[axis][b][0], j + EDGE_CELLS[axis][b][1],
                                  k + EDGE_CELLS[axis][b][2]);
                    // A flat stretch of surface or of inside: no corner.
                    if ((c[0] == c[1] && c[2] == c[3]) || (c[0] == c[2] && c[1] == c[3]))
                        continue;
                    auto link = std::make_unique<YEdgeLink>();
                    link->point = YVec3(static_cast<float>(i + lo[0]) * gCellSize.x,
                                        static_cast<float>(j + lo[1]) * gCellSize.y,
                                        static_cast<float>(k + lo[2]) * gCellSize.z);
                    link->axis = static_cast<uint8_t>(axis);
                    for (int b = 0; b < 4; ++b) {
                        if (!c[b])
                            continue;
                        if (c[b]->edges.size() >= static_cast<size_t>(MAX_EDGE_LINKS)) {
                            // The item's further corners cast no shadow
                            // edges; the level still plays.
                            if (!reportedFull)
                                YLog::write("Fatal error: YBlockItem::edgeCount>MAX_EDGE_LINKS");
                            reportedFull = true;
                            continue;
                        }
                        uint8_t bit = static_cast<uint8_t>(1u << b);
                        c[b]->edges.push_back(YEdgeSlot{link.get(), bit});
                        link->mask |= bit;
                    }
                    if (!(link->mask & LINK_CELLS))
                        continue;
                    if ((c[0] && c[0] == c[1]) || (c[2] && c[2] == c[3]) ||
                        (c[0] && c[0] == c[2]) || (c[1] && c[1] == c[3]))
                        link->mask |= LINK_SHARED;
                    addLink(std::move(link));
                }
}

void YBlockSet::unlinkItem(YBlockItem* item)
{
    for (int f = 0; f < FACE_COUNT; ++f) {
        for (YBlockItem* other : item->faces[f].items) {
            // Every entry: a neighbour covering several cells lists the
            // item several times.
            auto& list = other->faces[oppositeFace(f)].items;
            list.erase(std::remove(list.begin(), list.end(), item), list.end());
        }
        item->faces[f].items.clear();
    }
    for (const YEdgeSlot& slot : item->edges) {
        slot.link->mask = static_cast<uint8_t>(slot.link->mask & ~slot.bit);
        // The shared flag alone does not keep a link: no cell holds it.
        if (!(slot.link->mask & LINK_CELLS))
            takeLink(slot.link);
    }
    item->edges.clear();
}

// ---------------------------------------------------------------------------
// Mass

void YBlockSet::updateMass()
{
    for (auto& it : mItems) {
        if (!it->geom)
            it->geom = mBody.addBox(it->shape->halfExtents, it.get());
    }
    massStep();
}

void YBlockSet::massStep()
{
    if (mItems.empty())
        return;
    // The sums are made afresh each time, so they never drift.
    double total = 0, sum[3] = {0, 0, 0};
    for (auto& it : mItems) {
        double m = it->shape->mass;
        total += m;
        for (int a = 0; a < 3; ++a)
            sum[a] += m * it->position[a];
    }
    mTotalMass = static_cast<float>(total);
    if (!(total > 0.0))
        return;

    // The frame stays where it is: the body moves onto the new centre, and
    // the new centre keeps the velocity it had as a point of the body.
    YMatrix frame = getTransform();
    YVec3 centre(static_cast<float>(sum[0] / total), static_cast<float>(sum[1] / total),
                 static_cast<float>(sum[2] / total));
    YVec3 velocity = mBody.getPointVelocity(frame.transformPoint(centre));
    mCentre = centre;
    setTransform(frame);
    mBody.setLinearVelocity(velocity);

    // Inertia about the centre: each box's own plus the parallel-axis term.
    double t[9] = {0, 0, 0, 0, 0, 0, 0, 0, 0};
    for (auto& it : mItems) {
        double m = it->shape->mass;
        YVec3 r = it->position - centre;
        double rx = r.x, ry = r.y, rz = r.z, rr = rx * rx + ry * ry + rz * rz;
        t[0] += it->shape->inertia.x + m * (rr - rx * rx);
        t[4] += it->shape->inertia.y + m * (rr - ry * ry);
        t[8] += it->shape->inertia.z + m * (rr - rz * rz);
        t[1] -= m * rx * ry;
        t[2] -= m * rx * rz;
        t[5] -= m * ry * rz;
        if (it->geom)
            mBody.setBoxOffset(it->geom, r);
    }
    t[3] = t[1];
    t[6] = t[2];
    t[7] = t[5];
    float tensor[9];
    for (int i = 0; i < 9; ++i)
        tensor[i] = static_cast<float>(t[i]);
    mAppliedMass = mBody.setMassFull(mTotalMass, tensor, true);
}

YMatrix YBlockSet::getTransform() const
{
    return mBody.getTransform() * translation(-mCentre);
}

void YBlockSet::setTransform(const YMatrix& frame)
{
    mTransform = frame;
    mBody.setTransform(frame * translation(mCentre));
}

YMatrix YBlockSet::itemTransform(const YBlockItem* item) const
{
    return getTransform() * translation(item->position);
}

// ---------------------------------------------------------------------------
// Splitting and breaking off

std::unique_ptr<YBlockItem> YBlockSet::removeItem(YBlockItem* item)
{
    auto it =
        std::find_if(mItems.begin(), mItems.end(), [&](const auto& p) { return p.get() == item; });
    if (it == mItems.end())
        return nullptr;
    unlinkItem(item);
    std::unique_ptr<YBlockItem> owned = std::move(*it);
    if (it + 1 != mItems.end())
        *it = std::move(mItems.back());
    mItems.pop_back();
    if (owned->geom) {
        mBody.removeBox(owned->geom);
        owned->geom = nullptr;
    }
    massStep();
    return owned;
}

YBlockSingle* YBlockSet::detach(YBlockItem* item)
{
    if (mItems.size() < 2 || !hasItem(item))
        return nullptr;
    YMatrix world = itemTransform(item);
    YVec3 velocity = mBody.getPointVelocity(world.translation());
    YVec3 spin = mBody.getAngularVelocity();
    auto* single = new YBlockSingle(item->shape, item->builder, world);
    item->builder = nullptr;
    single->health = item->health;
    single->texOffsetU = item->texOffsetU;
    single->texOffsetV = item->texOffsetV;
    single->body().setLinearVelocity(velocity);
    single->body().setAngularVelocity(spin);
    removeItem(item); // and deletes it
    return single;
}

YBlockSingle* YBlockSet::breakOff(YBlockItem* item, bool physics)
{
    YBlockSingle* single = detach(item);
    if (single)
        splitAll(physics);
    return single;
}

void YBlockSet::moveGroup(YBlockSet& target, unsigned mark)
{
    // The cell bits that the moving items hold in each of their links.
    std::vector<uint8_t> bits(mLinks.size(), 0);
    std::vector<YEdgeLink*> touched;
    for (auto& it : mItems) {
        if (it->visitMark != mark)
            continue;
        for (const YEdgeSlot& slot : it->edges) {
            if (!bits[slot.link->index])
                touched.push_back(slot.link);
            bits[slot.link->index] |= slot.bit;
        }
    }
    std::vector<std::pair<YEdgeLink*, uint8_t>> moving;
    for (YEdgeLink* link : touched)
        moving.emplace_back(link, bits[link->index]);

    // A link whose cells all move goes along whole; one shared with items
    // that stay (two blocks meeting at an edge only) is cut in two.
    std::vector<std::pair<YEdgeLink*, YEdgeLink*>> cut;
    for (auto& [link, moved] : moving) {
        if ((link->mask & LINK_CELLS) == moved) {
            if (std::unique_ptr<YEdgeLink> owned = takeLink(link))
                target.addLink(std::move(owned));
            continue;
        }
        auto copy = std::make_unique<YEdgeLink>();
        copy->point = link->point;
        copy->axis = link->axis;
        copy->mask = moved;
        link->mask = static_cast<uint8_t>(link->mask & LINK_CELLS & ~moved);
        cut.emplace_back(link, copy.get());
        target.addLink(std::move(copy));
    }

    std::vector<std::unique_ptr<YBlockItem>> staying;
    for (auto& it : mItems) {
        if (it->visitMark != mark) {
            staying.push_back(std::move(it));
            continue;
        }
        for (YEdgeSlot& slot : it->edges) {
            for (auto& [from, to] : cut) {
                if (slot.link == from)
                    slot.link = to;
            }
        }
        if (it->geom)
            mBody.moveBox(it->geom, target.mBody);
        target.mItems.push_back(std::move(it));
    }
    mItems = std::move(staying);
}

bool YBlockSet::split(YBlockSet*& newSet, bool physics)
{
    newSet = nullptr;
    if (mItems.size() < 2)
        return false;

    // The group connected to the first item, through the face records.
    unsigned mark = nextVisitMark();
    std::vector<YBlockItem*> stack;
    stack.reserve(54);
    size_t visited = 0;
    mItems[0]->visitMark = mark;
    stack.push_back(mItems[0].get());
    while (!stack.empty()) {
        YBlockItem* item = stack.back();
        stack.pop_back();
        ++visited;
        for (const YFaceRecord& f : item->faces) {
            for (YBlockItem* other : f.items) {
                if (other->visitMark != mark) {
                    other->visitMark = mark;
                    stack.push_back(other);
                }
            }
        }
    }

    if (visited == mItems.size())
        return false;
    if (visited == 1) {
        detach(mItems[0].get());
        return mItems.size() > 1;
    }
    if (visited == mItems.size() - 1) {
        for (auto& it : mItems) {
            if (it->visitMark != mark) {
                detach(it.get());
                break;
            }
        }
        return false;
    }

    auto* part = new YBlockSet();
    part->mCentre = mCentre;
    part->setTransform(getTransform());
    YVec3 spin = mBody.getAngularVelocity();
    moveGroup(*part, mark);
    if (physics) {
        massStep();
        part->massStep();
        // The part goes on moving as it did as a piece of this set.
        part->mBody.setLinearVelocity(mBody.getPointVelocity(part->mBody.getPosition()));
        part->mBody.setAngularVelocity(spin);
    }
    newSet = part;
    return true;
}

void YBlockSet::splitAll(bool physics)
{
    YBlockSet* part = nullptr;
    while (split(part, physics)) {
        if (part)
            part->splitAll(physics);
    }
    updateFaceVisibility();
}

void YBlockSet::updateFaceVisibility()
{
    for (auto& it : mItems) {
        const YShader* shader = it->shape->material->shader;
        bool opaque = shader && !shader->isAlphaBlended();
        for (int f = 0; f < FACE_COUNT; ++f) {
            YFaceRecord& record = it->faces[f];
            bool hidden =
                opaque && record.items.size() >= static_cast<size_t>(it->shape->faceArea[f]);
            for (size_t i = 0; hidden && i < record.items.size(); ++i) {
                const YShader* s = record.items[i]->shape->material->shader;
                if (s && s->isAlphaBlended())
                    hidden = false;
            }
            record.visible = !hidden;
        }
    }
}
