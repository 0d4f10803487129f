#include "world/weapons.h"

#include "world/bomb.h"
#include "world/bonus_types.h"
#include "world/boomer.h"
#include "world/grenade.h"
#include "world/racket.h"

#include <cmath>

namespace {

YRacketTacked* makeBoomer() { return new YBoomer(); }
YRacketTacked* makeBomb() { return new YBomb(); }
YRacketTacked* makeGrenade() { return new YGrenade(YGrenade::BONUS_THROWS); }

} // namespace

void registerWeaponMakers()
{
    setBonusWeaponMaker(BONUS_WEAPON_BOOMER, makeBoomer);
    setBonusWeaponMaker(BONUS_WEAPON_BOMB, makeBomb);
    setBonusWeaponMaker(BONUS_WEAPON_GRENADE, makeGrenade);
}

void clearWeaponMakers()
{
    for (int w = 0; w < BONUS_WEAPON_COUNT; ++w)
        setBonusWeaponMaker(static_cast<YBonusWeapon>(w), nullptr);
}

void releaseWeaponAssets() { YBoomer::releaseSweepBox(); }

bool holdWeapon(YRacket& racket, YRacketTacked* weapon, bool animate)
{
    if (!weapon)
        return false;
    if (animate)
        racket.hold(weapon);
    else
        racket.holdQuietly(weapon);
    if (racket.held == weapon)
        return true;
    delete weapon;
    return false;
}

YVec3 throwDirection(float pitch)
{
    const float yaw = gRacket ? degToRad(gRacket->yaw) : 0.0f;
    const float a = degToRad(pitch);
    const float ahead = std::cos(yaw);
    return YVec3(-std::sin(yaw), ahead * std::cos(a), ahead * std::sin(a));
}

float racketThrowAngle() { return gRacket ? gRacket->throwAngle : 0.0f; }

YWindup windDown(float& timer, float dt)
{
    if (timer <= 0.0f)
        return YWINDUP_IDLE;
    timer -= dt;
    return timer > 0.0f ? YWINDUP_IN_HAND : YWINDUP_ENDED;
}

float validStep(float dt) { return std::isfinite(dt) && dt > 0.0f ? dt : 0.0f; }

bool isFinite(const YVec3& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }
