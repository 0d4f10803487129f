#pragma once
#include "core/math.h"

class YRacket;
class YRacketTacked;

// What the three weapons share with the rest of the world: their makers for
// the weapon bonuses, the hand-over to the racket, the way the hero throws
// them, and the objects that live for the whole run.

// Installs the makers of the boomerang, the bomb and the grenade (five
// throws) for the weapon bonuses; clearWeaponMakers removes them again.
void registerWeaponMakers();
void clearWeaponMakers();
// Frees what the weapons keep for the whole run and that belongs to the
// physics world: the boomerang's sweep box. Call before the physics world
// shuts down; it is made again when a boomerang next flies.
void releaseWeaponAssets();

// Hands the weapon to the racket (letting go of what it holds first). One
// the hand does not take (what it holds could not be let go, as outside
// play) is deleted rather than left lying about. True when it was taken.
bool holdWeapon(YRacket& racket, YRacketTacked* weapon, bool animate);

// The way the hero throws: (0, 1, 0) turned by the racket's yaw about z,
// then by the pitch (degrees) about x. (0, 1, 0) turned by the pitch alone
// without a racket.
YVec3 throwDirection(float pitch);
// The racket's throw angle, 0 without a racket.
float racketThrowAngle();

// Where a throw's windup stands after a frame.
enum YWindup {
    YWINDUP_IDLE,    // no windup running
    YWINDUP_IN_HAND, // still winding up: the weapon follows the hand
    YWINDUP_ENDED,   // it ended this frame: the weapon leaves the hand
};
// Counts a windup timer (seconds; 0 or less when none runs) down by dt.
YWindup windDown(float& timer, float dt);

// A frame step that can be used: negative or not finite counts as 0.
float validStep(float dt);
bool isFinite(const YVec3& v);
