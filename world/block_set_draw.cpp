// A block set's frame: its faces, its bonuses, its shadow, and whether it
// is still on the table.
#include "world/block_set.h"

#include "render/camera.h"
#include "render/shadow_volume.h"
#include "world/block_bonus.h"
#include "world/block_faces.h"
#include "world/block_shadows.h"
#include "world/block_update.h"
#include "world/playfield.h"

void YBlockSet::update(float)
{
    mTransform = getTransform();
    emitFaces();
    if (shadowsEnabled()) {
        const YVec3 light = mTransform.inverseAffine().transformVector(gCamera().lightDirection());
        for (const auto& link : mLinks)
            addEdgeLinkSilhouette(mTransform, light, *link);
    }
}

void YBlockSet::emitFaces()
{
    const YVec3 eye = mTransform.inverseAffine().transformPoint(gCamera().eye());
    const size_t half = 4 * mItems.size(); // half of all corners
    size_t inside = 0, outside = 0;
    bool decided = false;
    for (auto& it : mItems) {
        const YBlockItem& item = *it;
        unsigned visible = 0;
        for (int f = 0; f < FACE_COUNT; ++f) {
            if (item.faces[f].visible)
                visible |= 1u << f;
        }
        addBoxFaces(mTransform, item.position, item.shape->halfExtents, visible, eye,
                    item.shape->material->shader, 1.0f, item.texOffsetU, item.texOffsetV);
        if (item.builder) {
            YMatrix at;
            // An item's hidden faces lie against opaque neighbours, so an
            // opaque item hides its inside as a lone block would.
            item.builder->showWithin(mTransform * at.makeTranslation(item.position),
                                     blockHiding(item.shape->material->shader, item.shape->halfExtents));
        }

        // Corners item by item, until more than half lie on one side, and
        // on while every one so far lies outside.
        if (decided)
            continue;
        for (const YVec3& c : gCubeCorners) {
            YVec3 local = item.position + scaleEach(c, item.shape->halfExtents);
            if (isOutsideTable(mTransform.transformPoint(local), 0.0f))
                ++outside;
            else
                ++inside;
        }
        decided = inside > half || (outside > half && inside > 0);
    }
    // A set with every corner outside (or none at all) is done for.
    if (inside == 0 && !isScheduled())
        deleteLater(blockDeathDelay());
    // A set mostly off the table no longer counts towards the items left.
    if (!mItems.empty() && inside >= half)
        countBlockItems(static_cast<int>(mItems.size()));
}
