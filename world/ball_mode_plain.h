#pragma once
#include "world/ball_mode.h"

// The modes that hurt blocks by the force of the contact, like any other
// body would.
class YBallModeDamage : public YBallMode {
public:
    YBallModeDamage(YBallModeId id, float radius) : YBallMode(id, radius) {}

    // The single's hit with the contact's force; true when it was destroyed.
    bool bumpSingle(YBlockSingle* single, const YVec3& force, const YVec3& torque,
                    const YVec3& position, const YVec3& normal, float depth) override;
    // The set's hit of the item with the contact's force; true when
    // something was destroyed.
    bool bumpSet(YBlockSet* set, YBlockItem* item, const YVec3& force, const YVec3& torque,
                 const YVec3& position, const YVec3& normal, float depth) override;
};

// The ball a game starts with.
class YBallNormal : public YBallModeDamage {
public:
    YBallNormal();
    void applyPhysics(YBall& ball) override;
};

// Ten times the mass: it pushes blocks hard.
class YBallHeavy : public YBallModeDamage {
public:
    YBallHeavy();
    void applyPhysics(YBall& ball) override;
};

// Every block it destroys gives a small ball on its far side.
class YBallGenerative : public YBallModeDamage {
public:
    YBallGenerative();
    void applyPhysics(YBall& ball) override;
    bool bumpSingle(YBlockSingle* single, const YVec3& force, const YVec3& torque,
                    const YVec3& position, const YVec3& normal, float depth) override;
    bool bumpSet(YBlockSet* set, YBlockItem* item, const YVec3& force, const YVec3& torque,
                 const YVec3& position, const YVec3& normal, float depth) override;

    // A small ball at the point opposite the contact, through the ball's
    // centre, with "small_ball".
    void spawnSmallBall(const YVec3& contact);
};

// A light ball that bounces off blocks without hurting them. It does not
// keep a life alive.
class YBallSmall : public YBallMode {
public:
    static constexpr float RADIUS = 0.33f;
    static constexpr float MESH_SCALE = 0.66f;

    YBallSmall();
    void applyPhysics(YBall& ball) override;
    bool countsAsBall() const override { return false; }
    bool bumpSingle(YBlockSingle*, const YVec3&, const YVec3&, const YVec3&, const YVec3&,
                    float) override
    {
        return false;
    }
    bool bumpSet(YBlockSet*, YBlockItem*, const YVec3&, const YVec3&, const YVec3&, const YVec3&,
                 float) override
    {
        return false;
    }
};
