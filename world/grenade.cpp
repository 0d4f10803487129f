#include "world/grenade.h"

#include "world/racket.h"
#include "world/weapons.h"

#include <algorithm>

const YThrownWeaponKind YGrenade::KIND = {
    "mesh\\grenade.mes", "grenade",
    15.0f,           // base speed
    0.5f, 0.000125f, // mass, inertia
    3, 2,            // hold lock, bone
    0.2f, 3.0f, 0.05f,
    -0.074f, 0.45f,  // fuse tip
    50.0f,
    2.75f, 500.0f, 25, "grenade",
    0.25f,
    true, false, false,
};

YGrenade::YGrenade(int throws) : YThrownWeapon(KIND), mThrows(std::max(throws, 0)) {}

void YGrenade::launch(int arg)
{
    if (throwTimer != 0.0f)
        return;
    // The launch timer is set here too: without it a thrown grenade would
    // be caught again as soon as it left the hand.
    light(arg);
    mThrows = arg != 0 ? std::max(mThrows - 1, 0) : 0;
    if (gRacket)
        gRacket->onGrenadeLaunch();
}

void YGrenade::followHand()
{
    // Still held, it counts as what the hand holds (and the gloves catch
    // nothing).
    if (gRacket && !gRacket->held && mThrows > 0)
        gRacket->held = this;
    YThrownWeapon::followHand();
}

void YGrenade::leftHand()
{
    if (!gRacket)
        return;
    // A flying grenade is no longer in the hand, whether or not the racket
    // could let go of it (outside play it cannot).
    if (gRacket->held == this)
        gRacket->held = nullptr;
    if (mThrows > 0)
        holdWeapon(*gRacket, new YGrenade(mThrows), false);
}
