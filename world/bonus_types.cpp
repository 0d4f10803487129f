// What each kind of bonus does to the racket when it is caught, and the
// sparks of the life, death and frost bonuses.
#include "world/bonus_types.h"

#include "platform/sys/random.h"
#include "render/particles.h"
#include "render/shader.h"
#include "world/physics_world.h"
#include "world/racket.h"
#include "world/racket_tacked.h"
#include "world/weapons.h"

namespace {

YBonusWeaponMaker gWeaponMakers[BONUS_WEAPON_COUNT] = {};

constexpr int OWN_SPARKS = 30; // of the life and death bonuses
constexpr int FROST_SPARKS = 20;

float shortLife()
{
    return 0.5f + sys::randUnit() * 0.025f - 0.0125f;
}

// Over the racket, where the life sparks gather and the death sparks fly
// from.
YVec3 overRacket(const YRacket& racket)
{
    return YVec3(racket.x, racket.y, YSpaceRacketIn::HEIGHT);
}

void spawnLifeSparks(const YRacket& racket)
{
    YShader* shader = getShader("spark");
    const float start[4] = {0.0f, 1.0f, 0.0f, 1.0f};
    const float end[4] = {0.0f, 1.0f, 0.0f, 0.1f};
    const float still[3] = {0.0f, 0.0f, 0.0f};
    for (int n = 0; n < OWN_SPARKS; ++n) {
        const YVec3 at = overRacket(racket) + randomBonusDirection() * 5.0f;
        gParticles().emit(shortLife(), 0.05f, 0.3f, &at.x, still, -1.0f, &gSpaceRacketIn, shader, start, end);
    }
}

void spawnDeathSparks(const YRacket& racket)
{
    YShader* shader = getShader("spark");
    const float red[4] = {1.0f, 0.0f, 0.1f, 1.0f};
    const YVec3 at = overRacket(racket);
    for (int n = 0; n < OWN_SPARKS; ++n) {
        const YVec3 v = randomBonusDirection() * 7.5f;
        gParticles().emit(shortLife(), 0.3f, 0.1f, &at.x, &v.x, -1.0f, nullptr, shader, red, red);
    }
}

void spawnFrostSparks(const YVec3& position)
{
    YShader* shader = getShader("spark2");
    const float start[4] = {0.5f, 0.5f, 1.0f, 1.0f};
    const float end[4] = {0.5f, 0.5f, 1.0f, 0.1f};
    const float still[3] = {0.0f, 0.0f, 0.0f};
    for (int n = 0; n < FROST_SPARKS; ++n) {
        const YVec3 at = position + randomBonusDirection() * 2.0f;
        const float life = 1.0f + sys::randUnit() * 0.125f - 0.0625f;
        gParticles().emit(life, 0.3f, 0.2f, &at.x, still, -1.0f, &gSpaceRacketVortex, shader, start, end);
    }
}

// A new weapon for the racket, or null while the weapon has no maker.
YRacketTacked* makeWeapon(YBonusWeapon weapon)
{
    YBonusWeaponMaker maker = bonusWeaponMaker(weapon);
    return maker ? maker() : nullptr;
}

} // namespace

void setBonusWeaponMaker(YBonusWeapon weapon, YBonusWeaponMaker maker)
{
    if (weapon >= 0 && weapon < BONUS_WEAPON_COUNT)
        gWeaponMakers[weapon] = maker;
}

YBonusWeaponMaker bonusWeaponMaker(YBonusWeapon weapon)
{
    return weapon >= 0 && weapon < BONUS_WEAPON_COUNT ? gWeaponMakers[weapon] : nullptr;
}

// ------------------------------------------------------------ ball modes

YBonusBallModeType::YBonusBallModeType(YBonusKind kind, YBallModeId mode, int timeout)
    : YBonusType(kind), mMode(mode), mTimeout(timeout)
{
}

void YBonusBallModeType::apply(const YVec3& position)
{
    if (gRacket) {
        const bool timed = mTimeout >= 0 && mTimeout < BONUS_TIMEOUT_COUNT;
        gRacket->setBallMode(mMode, timed ? gBonusTimeouts[mTimeout] : -1.0f);
    }
    spawnBonusSparks(position);
}

void YBonusGloves::apply(const YVec3& position)
{
    if (gRacket)
        gRacket->glovesTimer = gBonusTimeouts[BONUS_TIMEOUT_TAKE];
    spawnBonusSparks(position);
}

// ------------------------------------------------------------ weapons

void YBonusBoomer::apply(const YVec3& position)
{
    // Not animated: the boomerang goes straight into the hand.
    if (gRacket)
        holdWeapon(*gRacket, makeWeapon(BONUS_WEAPON_BOOMER), false);
    spawnBonusSparks(position);
}

void YBonusBomb::apply(const YVec3& position)
{
    if (gRacket)
        holdWeapon(*gRacket, makeWeapon(BONUS_WEAPON_BOMB), true);
    spawnBonusSparks(position);
}

void YBonusGrenade::apply(const YVec3& position)
{
    if (gRacket)
        holdWeapon(*gRacket, makeWeapon(BONUS_WEAPON_GRENADE), false);
    spawnBonusSparks(position);
}

// ------------------------------------------------------------ the rest

void YBonusMinSpeedup::apply(const YVec3& position)
{
    physics().resetSpeedFactor();
    spawnBonusSparks(position);
}

void YBonusMaxSpeedup::apply(const YVec3& position)
{
    physics().setMaxSpeedFactor();
    spawnBonusSparks(position);
}

void YBonusDeath::apply(const YVec3& /*position*/)
{
    if (!gRacket)
        return;
    YRacket& racket = *gRacket;
    spawnDeathSparks(racket);
    --racket.lives;
    if (racket.lives <= 0)
        racket.gameOver();
}

void YBonusLife::apply(const YVec3& /*position*/)
{
    if (!gRacket)
        return;
    ++gRacket->lives;
    spawnLifeSparks(*gRacket);
}

void YBonusFrost::apply(const YVec3& position)
{
    if (gRacket) {
        gRacket->setFrostLook();
        gRacket->frostTimer = gBonusTimeouts[BONUS_TIMEOUT_FROST];
    }
    spawnFrostSparks(position);
}

void YBonusNext::apply(const YVec3& position)
{
    if (gRacket)
        gRacket->endLevel();
    spawnBonusSparks(position);
}
