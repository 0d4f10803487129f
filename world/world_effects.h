#pragma once
#include "core/math.h"

// What the physics world asks of the parts of the game it does not own: the
// table's wall flashes and sounds, and the look of strikes and explosions.
// The game installs its implementation; without one these events make no
// effect (tests, tools, the level editor).
class YWorldEffects {
public:
    virtual ~YWorldEffects() = default;
    // A ball or the boomerang touched a side or the far wall. The normal
    // points from the wall towards the object.
    virtual void addWallContact(const YVec3& position, const YVec3& normal) = 0;
    // The boomerang's sweep struck something that is not a wall: sparks of
    // size 0.15 from (1, 0.7, 0.2, 1) to (0.7, 0, 0, 1).
    virtual void strikeSparks(const YVec3& position, int count) = 0;
    // An explosion of the given radius: the flash, the two moving light spots
    // on the table and the flying sparks.
    virtual void blastEffects(const YVec3& centre, float radius, int sparkCount) = 0;
};

// The installed effects, or null. The caller keeps ownership.
void setWorldEffects(YWorldEffects* effects);
YWorldEffects* worldEffects();
