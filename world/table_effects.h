#pragma once
#include "world/world_effects.h"

class YShader;

// The look of the physics world's events in the game: a wall strike
// flashes the wall and sounds through the table; a strike elsewhere throws
// sparks; an explosion flashes, glows on the table's floor for a second
// and throws sparks. The game installs one with setWorldEffects. Works
// without a table (no flashes, no glow).
class YTableEffects : public YWorldEffects {
public:
    YTableEffects();

    void addWallContact(const YVec3& position, const YVec3& normal) override;
    void strikeSparks(const YVec3& position, int count) override;
    void blastEffects(const YVec3& centre, float radius, int sparkCount) override;

private:
    YShader* mBlast;
    YShader* mBlastWave;
    YShader* mSpark;
};
