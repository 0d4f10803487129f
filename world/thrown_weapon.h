#pragma once
#include "render/mesh_draw.h"
#include "world/bump_events.h"
#include "world/racket_tacked.h"
#include "world/rigid_ball.h"
#include "world/zdelete.h"

// What makes one kind of thrown weapon (the bomb, the grenade).
struct YThrownWeaponKind {
    const char* mesh;
    const char* shader; // of the body; the fuse has "bomb_fuse"
    float baseSpeed;    // leaves the hand at this speed
    float mass, inertia;
    int holdLock, bone;
    float windup;      // from the launch until it leaves the hand
    float fuse;        // lit by the launch
    float impactFuse;  // what is left of a burning fuse after an impact, at most
    float tipX, tipZ;  // the fuse tip in the weapon's own frame (y is 0)
    float particleRate; // fuse sparks per second
    float blastRadius, blastStrength;
    int blastSparks;
    const char* blastSound;
    float reach;       // of the catch and of the playfield test
    bool lobbed;       // thrown at the racket's throw angle (else flat)
    bool sparksAlways; // the fuse sparkles in the hand too (else only lit in flight)
    bool holdAnimated; // a catch plays the hero's holding animation
};

// A weapon the hero holds like a ball and throws: a heavy sphere with a
// fuse. While held and idle its body rests out of the world; thrown, it
// flies as a rigid ball, and its first impact on a block or the far wall
// cuts a burning fuse short. When the fuse burns out it explodes, pushing
// and breaking the blocks around it. Flying back within the racket's reach
// after its first moments it is caught again, its fuse out.
//
// The throw timer tells the state: 0 held and idle, above 0 winding up in
// the hand, THROWN while flying.
class YThrownWeapon : public YMeshInstanceRef, public YRacketTacked, public YZDelete, public YRigidBumpEvent {
public:
    static constexpr float THROWN = -1.0f;
    static constexpr const char* FUSE_SHADER = "bomb_fuse";
    static constexpr const char* FUSE_PARTICLES = "bomb_fuse_particles";
    // Fuse sparks of one update at most; a longer gap drops the rest.
    static constexpr int MAX_FUSE_SPARKS = 100;

    ~YThrownWeapon() override;

    // Once a frame: the launch timer; the windup in the hand, at whose end
    // the weapon leaves it; in flight the drawn weapon follows its body,
    // the fuse burns and the racket may catch it; and the fuse sparks.
    void update(float dt) override;
    // The hand's matrix while held; the body rests there, still.
    void setTransform(const YMatrix& m) override;
    // A block, a ball, the far wall: a burning fuse is cut short. A body
    // that hears no bumps (a falling bonus, a splinter) changes nothing.
    void bump(void* ownData, YRigidBody* other, const YVec3& force, const YVec3& torque,
              const YVec3& position, const YVec3& normal, float depth) override;

    bool isFlying() const { return throwTimer < 0.0f; }
    bool hasExploded() const { return mExploded; }
    YRigidBall& body() { return mBody; }
    const YRigidBall& body() const { return mBody; }
    const YThrownWeaponKind& kind() const { return mKind; }
    // Where the fuse sparks start: the tip in the weapon's current frame.
    YVec3 fuseTip() const;

    float throwTimer = 0.0f;
    float fuse = 0.0f;         // seconds left; 0 when not burning
    float particleTime = 0.0f; // gathered towards the next fuse spark

protected:
    explicit YThrownWeapon(const YThrownWeaponKind& kind);

    // The throw begins: the launch timer, the windup and the fuse lit.
    void light(int arg);
    // During the windup: the weapon follows the hand.
    virtual void followHand();
    // Just after the weapon has left the hand.
    virtual void leftHand() {}

private:
    // The windup's end: out of the hand the way the hero throws at the base
    // speed, tumbling about its own y axis.
    void release();
    // While flying: the drawn weapon follows its body; once it has left
    // the playfield it goes a moment later. Returns the position.
    YVec3 followBody();
    // Burns the fuse for dt; true while it still burns afterwards. At its
    // end the weapon explodes.
    bool burnFuse(float dt);
    // Caught again within the racket's reach once the launch timer has run
    // out: held and idle with the fuse out. A racket that does not take it
    // leaves it flying.
    void catchAgain(const YVec3& position);
    // Fuse sparks for the time passed.
    void emitFuseSparks(float dt);
    void explode();

    // Out of the world and still: the state of a held weapon.
    void rest();

    const YThrownWeaponKind& mKind;
    YRigidBall mBody;
    bool mExploded = false;
};
