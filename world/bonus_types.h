#pragma once
#include "world/ball_mode.h"
#include "world/bonus.h"
#include "world/bonus_config.h"

class YRacketTacked;

// The effects of the sixteen bonus kinds. Each acts on the racket (gRacket;
// nothing without one) and shows its sparks.

// Gives the racket a ball mode for the time the bonus timings give it (the
// normal mode for good).
class YBonusBallModeType : public YBonusType {
public:
    // timeout: an index into gBonusTimeouts, or -1 for no timeout.
    YBonusBallModeType(YBonusKind kind, YBallModeId mode, int timeout);
    void apply(const YVec3& position) override;

    YBallModeId mode() const { return mMode; }

private:
    YBallModeId mMode;
    int mTimeout;
};

class YBonusBallNormal : public YBonusBallModeType {
public:
    YBonusBallNormal() : YBonusBallModeType(BONUS_BALL_NORMAL, YBallNormalId, -1) {}
};

class YBonusBallHeavy : public YBonusBallModeType {
public:
    YBonusBallHeavy() : YBonusBallModeType(BONUS_BALL_HEAVY, YBallHeavyId, BONUS_TIMEOUT_BALL_HEAVY) {}
};

class YBonusBallPhantom : public YBonusBallModeType {
public:
    YBonusBallPhantom() : YBonusBallModeType(BONUS_BALL_PHANTOM, YBallPhantomId, BONUS_TIMEOUT_BALL_PHANTOM) {}
};

class YBonusBallFire : public YBonusBallModeType {
public:
    YBonusBallFire() : YBonusBallModeType(BONUS_BALL_FIRE, YBallFireId, BONUS_TIMEOUT_BALL_FIRE) {}
};

class YBonusBallElectro : public YBonusBallModeType {
public:
    YBonusBallElectro() : YBonusBallModeType(BONUS_BALL_ELECTRO, YBallElectroId, BONUS_TIMEOUT_BALL_ELECTRO) {}
};

class YBonusBallGenerative : public YBonusBallModeType {
public:
    YBonusBallGenerative()
        : YBonusBallModeType(BONUS_BALL_GENERATIVE, YBallGenerativeId, BONUS_TIMEOUT_BALL_GENERATIVE)
    {
    }
};

// The gloves: the racket catches balls for the "take" time.
class YBonusGloves : public YBonusType {
public:
    YBonusGloves() : YBonusType(BONUS_HAND) {}
    void apply(const YVec3& position) override;
};

// ------------------------------------------------------------- weapons

// The weapons the bonuses put in the hero's hand. Each weapon registers its
// maker at start-up; a weapon bonus caught while its maker is missing gives
// nothing beyond the catch itself (score, popup, sound, sparks).
enum YBonusWeapon : int {
    BONUS_WEAPON_BOOMER = 0,
    BONUS_WEAPON_BOMB = 1,
    BONUS_WEAPON_GRENADE = 2, // a grenade with its five throws
    BONUS_WEAPON_COUNT = 3
};

// A new weapon object; it joins the racket-tacked list, which owns it.
using YBonusWeaponMaker = YRacketTacked* (*)();
// Installs (or with null removes) a weapon's maker; other values of the
// weapon are ignored.
void setBonusWeaponMaker(YBonusWeapon weapon, YBonusWeaponMaker maker);
YBonusWeaponMaker bonusWeaponMaker(YBonusWeapon weapon);

// The boomerang: whatever the racket holds is let go, and the boomerang
// goes straight into the hero's hand.
class YBonusBoomer : public YBonusType {
public:
    YBonusBoomer() : YBonusType(BONUS_BOOMER) {}
    void apply(const YVec3& position) override;
};

// The bomb, held with the holding animation.
class YBonusBomb : public YBonusType {
public:
    YBonusBomb() : YBonusType(BONUS_BOMB) {}
    void apply(const YVec3& position) override;
};

// The grenade, held without the holding animation.
class YBonusGrenade : public YBonusType {
public:
    YBonusGrenade() : YBonusType(BONUS_GRENADE) {}
    void apply(const YVec3& position) override;
};

// ------------------------------------------------------------- the rest

// The balls slow down to the start of a serve's speed.
class YBonusMinSpeedup : public YBonusType {
public:
    YBonusMinSpeedup() : YBonusType(BONUS_MIN_SPEED, "bonus_minspeed") {}
    void apply(const YVec3& position) override;
};

// The balls run at their top speed.
class YBonusMaxSpeedup : public YBonusType {
public:
    YBonusMaxSpeedup() : YBonusType(BONUS_MAX_SPEED, "bonus_maxspeed") {}
    void apply(const YVec3& position) override;
};

// One life less; the last one ends the game. The ball in play, the held
// object and the racket's state stay as they are.
class YBonusDeath : public YBonusType {
public:
    YBonusDeath() : YBonusType(BONUS_DEATH, "bonus_death") {}
    void apply(const YVec3& position) override;
};

class YBonusLife : public YBonusType {
public:
    YBonusLife() : YBonusType(BONUS_LIFE, "bonus_life") {}
    void apply(const YVec3& position) override;
};

// The hero freezes: he moves slowly for the "frost" time.
class YBonusFrost : public YBonusType {
public:
    YBonusFrost() : YBonusType(BONUS_FROST) {}
    void apply(const YVec3& position) override;
};

// The level ends.
class YBonusNext : public YBonusType {
public:
    YBonusNext() : YBonusType(BONUS_NEXT) {}
    void apply(const YVec3& position) override;
};
