#pragma once
#include "render/mesh_draw.h"
#include "render/particles.h"
#include "world/bonus_registry.h"
#include "world/racket_tacked.h"
#include "world/rigid_ball.h"
#include "world/zdelete.h"

#include <memory>

class YNamedSound;
class YShader;

// What a falling bonus gives when the racket catches it. A type is the
// bonus's look, a glass ball with the kind's icon inside, and its effect.
// It is made by a block's builder, shown inside the block, and then owned
// by the falling bonus.
class YBonusType : public YMeshInstanceRef {
public:
    static constexpr float RADIUS = 0.6f; // the reach of the catch and playfield tests
    static constexpr const char* MESH = "mesh\\ball2.mes";
    static constexpr float BALL_RADIUS = 0.5f; // of the mesh, drawn at its own size
    static constexpr const char* SHADER = "bonus";
    static constexpr const char* CATCH_SOUND = "bonus";

    // The look of the kind and the named catch sound.
    explicit YBonusType(YBonusKind kind, const char* catchSound = CATCH_SOUND);

    // The icon facing the camera inside the ball, then the ball.
    void draw() override;
    // The effect of a catch at the position.
    virtual void apply(const YVec3& position) = 0;

    YBonusKind kind() const { return mKind; }
    float radius() const { return mRadius; }
    YShader* iconShader() const { return mIcon; }
    YNamedSound* catchSound() const { return mCatchSound; }

    // The ball lies inside an opaque block that hides it: only the icon is
    // drawn (its corners may reach out of the ball, and of the block).
    bool ballHidden = false;

private:
    YBonusKind mKind;
    float mRadius = RADIUS;
    YShader* mIcon;
    YNamedSound* mCatchSound;
};

// A released bonus: a small rigid ball carrying its type about the table
// until the racket catches it or it leaves the playfield. The racket's
// update drives it once a frame.
class YBonus : public YFallingBonus, public YZDelete {
public:
    static constexpr float MASS = 0.3f;
    static constexpr float BASE_SPEED = 7.0f;
    static constexpr int BURST_SPARKS = 7;

    // Takes ownership of the type (a null type is deleted at the next
    // update).
    YBonus(YBonusType* type, const YMatrix& transform, const YVec3& velocity);
    // With the world live, a bonus that was not caught bursts.
    ~YBonus() override;

    // Keeps its speed and follows its body. Within the racket's reach it is
    // caught, once: in play the racket scores it and gets its effect, with
    // a popup and the catch sound; in any other racket state it just goes.
    // Outside the playfield it goes a moment later.
    void update(float dt) override;

    YBonusType* type() const { return mType.get(); }
    YRigidBall& body() { return mBody; }
    const YRigidBall& body() const { return mBody; }
    bool isCaught() const { return mCaught; }

private:
    void caughtBy(const YVec3& position);

    std::unique_ptr<YBonusType> mType;
    YRigidBall mBody;
    bool mCaught = false;
};

// The catch sparks: a swirl of coloured sparks drawn in round the racket.
void spawnBonusSparks(const YVec3& position);

// A next-level bonus dropped from above the middle of the table.
void spawnNextBonus();

// The force fields that steer the catch sparks: a swirl round the racket
// pulling in and lifting a little, and a straight pull to a point over it.
// Both leave a particle alone while no racket exists.
class YSpaceRacketVortex : public YSpaceWarp {
public:
    void apply(YParticle& particle, float dt) override;
};

class YSpaceRacketIn : public YSpaceWarp {
public:
    static constexpr float HEIGHT = 2.5f; // of the point the sparks fly to
    void apply(YParticle& particle, float dt) override;
};

extern YSpaceRacketVortex gSpaceRacketVortex;
extern YSpaceRacketIn gSpaceRacketIn;

// A random unit direction: three values of rand()/32767 - 0.5, normalised.
YVec3 randomBonusDirection();
