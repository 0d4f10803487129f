#pragma once
#include "world/block.h"
#include "world/block_item.h"
#include "world/bump_events.h"
#include "world/rigid_box.h"

#include <memory>
#include <vector>

class YBlockSingle;

// Block items that touch face to face, moving as one rigid body. The set's
// frame (getTransform, setTransform) has its origin at the cell grid's
// origin; its body sits at the centre of mass within that frame.
//
// Building (the level reader): addItem for every item, buildLinks,
// updateMass, splitAll(true). In play, items break off as single blocks and
// the set splits into its connected groups.
class YBlockSet : public YBlock, public YRigidBumpEvent {
public:
    YBlockSet();
    // With the world live and items left, the first item's block is
    // destroyed with splinters, its bonus and its score.
    ~YBlockSet() override;

    // A new item at the integer cell (x, y, z); takes ownership of the
    // builder. A null shape makes no item (the builder is deleted).
    YBlockItem* addItem(YBlockShape* shape, int x, int y, int z, float glue,
                        YBonusBuilder* builder);
    // Finds the face neighbours and edge links of every item, and puts
    // each item's position at its centre in set coordinates. May be run
    // again: it starts over from the items' cells.
    void buildLinks();
    // Gives every item its box in the body and weighs the set.
    void updateMass();
    // Splits the set into its connected groups (new sets and singles), then
    // works out which faces are hidden between neighbours. With physics on,
    // the parts are weighed again.
    void splitAll(bool physics);
    // One step of splitAll: splits off the group connected to the first
    // item. newSet is the set made, if any; true while there is more to do.
    bool split(YBlockSet*& newSet, bool physics);
    // Turns an item into a single block at the same place (its bonus goes
    // along) and splits what is left. Null when the item is not in this set
    // or the set has fewer than two items.
    YBlockSingle* breakOff(YBlockItem* item, bool physics);
    // Takes an item out of the set and gives it to the caller: its
    // neighbours and links forget it, its box leaves the body, the set is
    // weighed again. Null when the item is not in this set.
    std::unique_ptr<YBlockItem> removeItem(YBlockItem* item);

    // Damage from a contact or a ball: true when something was destroyed.
    // An item that is no longer in this set is ignored.
    bool hitItem(YBlockItem* item, float damage, const YVec3& position);

    // YBlock
    YMatrix getTransform() const override;
    void setTransform(const YMatrix& frame) override;
    void update(float dt) override;
    YBlock* blastHit(int seed, const YVec3& centre, float radius) override;

    // YRigidBumpEvent: ownData is the touched item.
    void bump(void* ownData, YRigidBody* other, const YVec3& force, const YVec3& torque,
              const YVec3& position, const YVec3& normal, float depth) override;

    // Compares pointers only: safe with a pointer to a deleted item.
    bool hasItem(const YBlockItem* item) const;
    size_t itemCount() const { return mItems.size(); }
    YBlockItem* item(size_t i) const { return mItems[i].get(); }
    size_t linkCount() const { return mLinks.size(); }
    const YEdgeLink* link(size_t i) const { return mLinks[i].get(); }
    // The item's world transform: the frame moved to the item's centre.
    YMatrix itemTransform(const YBlockItem* item) const;
    float totalMass() const { return mTotalMass; }
    // The mass the body took (compressed); scales the stroke sounds.
    float appliedMass() const { return mAppliedMass; }
    const YVec3& centre() const { return mCentre; }
    YRigidBoxSet& body() { return mBody; }
    const YRigidBoxSet& body() const { return mBody; }

private:
    // Recomputes the mass sums, moves the body onto the new centre of mass
    // without moving the items, and sets the inertia and box offsets.
    void massStep();
    // breakOff without splitting the rest (split goes on by itself).
    YBlockSingle* detach(YBlockItem* item);
    // Forgets the item in its neighbours' records and its edge links.
    void unlinkItem(YBlockItem* item);
    void addLink(std::unique_ptr<YEdgeLink> link);
    std::unique_ptr<YEdgeLink> takeLink(YEdgeLink* link);
    void moveGroup(YBlockSet& target, unsigned mark);
    void updateFaceVisibility();
    // Faces and the playfield test of update.
    void emitFaces();
    void destroyEffects();

    YRigidBoxSet mBody;
    std::vector<std::unique_ptr<YBlockItem>> mItems;
    std::vector<std::unique_ptr<YEdgeLink>> mLinks;
    float mTotalMass = 0.0f;
    float mAppliedMass = 0.0f;
    YVec3 mCentre; // centre of mass in set coordinates
};
