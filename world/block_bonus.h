#pragma once
#include "core/math.h"

// What a block item holds when it carries a bonus: it shows the bonus
// inside the block while the block stands and puts it into the world when
// the block is destroyed. Owned by the item (or the single block it breaks
// off as); deleted with it, released at most once before that.
class YBonusBuilder {
public:
    virtual ~YBonusBuilder() = default;
    // The holding block stands at this world transform (called every frame).
    virtual void show(const YMatrix& transform) = 0;
    // As show, from a block whose faces hide all that lies within `hiding`
    // of its centre (blockHiding): what lies wholly within need not be
    // drawn. By default everything is.
    virtual void showWithin(const YMatrix& transform, float /*hiding*/) { show(transform); }
    // The holding block was destroyed at this transform while moving at
    // this velocity: the bonus enters the world. Afterwards the builder
    // holds nothing.
    virtual void release(const YMatrix& transform, const YVec3& velocity) = 0;
};
