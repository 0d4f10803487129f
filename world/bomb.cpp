#include "world/bomb.h"

#include "world/racket.h"
#include "world/world_events.h"

const YThrownWeaponKind YBomb::KIND = {
    "mesh\\bomb.mes", "bomb",
    8.0f,            // base speed
    15.0f, 0.015f,   // mass, inertia
    2, 0,            // hold lock, bone (the ball's place in the hand)
    0.15f, 10.0f, 0.1f,
    -0.131f, 0.808f, // fuse tip
    70.0f,
    5.0f, 1500.0f, 50, "bomb",
    0.5f,
    false, true, true,
};

namespace {

constexpr float BURST_SIZE = 1.0f;

} // namespace

YBomb::YBomb() : YThrownWeapon(KIND) {}

YBomb::~YBomb()
{
    if (!hasExploded() && gWorldLive)
        spawnLostBurst(body().getPosition(), body().getLinearVelocity(), BURST_SIZE);
}

void YBomb::launch(int arg)
{
    light(arg);
    if (gRacket)
        gRacket->onBombLaunch();
}
