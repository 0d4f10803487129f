#pragma once
#include "core/math.h"
#include "world/block_material.h"

#include <ode/ode.h>

#include <cstddef>
#include <cstdint>
#include <vector>

class YBonusBuilder;
struct YBlockItem;

// Edge links an item may take part in.
constexpr int MAX_EDGE_LINKS = 1080;

// A lattice edge of the set's grid where the items around it change: a
// corner of the structure, used for shadow silhouettes. Owned by the set's
// link list.
struct YEdgeLink {
    YVec3 point;      // where the edge starts, in set coordinates
    uint8_t axis = 0; // 0 x, 1 y, 2 z; the edge is one cell long
    // Bits 0..3: which of the four cells around the edge hold an item of
    // this set. LINK_SHARED: two adjacent cells around it hold one item.
    uint8_t mask = 0;
    size_t index = 0; // place in the owning set's list
};
constexpr uint8_t LINK_CELLS = 0x0F;
constexpr uint8_t LINK_SHARED = 0x10;

// An item's part in an edge link: the link and the item's cell bit in it.
struct YEdgeSlot {
    YEdgeLink* link;
    uint8_t bit;
};

// The items touching one face: one entry per touching cell, so an item
// that covers two cells of the face is listed twice.
struct YFaceRecord {
    std::vector<YBlockItem*> items;
    bool visible = true; // not hidden behind opaque neighbours
};

// One block of a block set, on the set's cell grid.
struct YBlockItem {
    // Holds the shape; takes ownership of the builder (null for none).
    YBlockItem(YBlockShape* shape, int x, int y, int z, float glue, YBonusBuilder* builder);
    // Deletes the builder. The set has already taken its box away.
    ~YBlockItem();
    YBlockItem(const YBlockItem&) = delete;
    YBlockItem& operator=(const YBlockItem&) = delete;

    dGeomID geom = nullptr; // its box in the set's body; null until weighed
    YFaceRecord faces[FACE_COUNT];
    std::vector<YEdgeSlot> edges;
    YBlockShape* shape;
    YBonusBuilder* builder;
    float breakStrength;          // the glue: contact force that breaks it off
    float health;                 // used once it stands alone
    float texOffsetU, texOffsetV; // 0.75..1.25: each block shows another part of a texture
    int cell[3];                  // lowest cell
    YVec3 position;         // the cell until links are built, then the centre in set coordinates
    unsigned visitMark = 0; // scratch of the connectivity search
};
