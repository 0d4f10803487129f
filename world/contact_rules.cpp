// The near callback: which geom pairs touch, which contacts become joints,
// and which become bump events for the bodies' listeners.
#include "world/physics_world.h"

#include "world/bump_events.h"
#include "world/collision_category.h"
#include "world/ode_convert.h"
#include "world/rigid_ball.h"
#include "world/world_effects.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace {

// A pair without a ball records contacts deeper than this (blocks resting
// on blocks or on the floor stay quiet).
constexpr float QUIET_DEPTH = 0.05f;
// A depth bound no contact reaches: the pair records nothing.
constexpr float NEVER = 1e6f;

int isHardBall(const YRigidBall* k)
{
    return k && k->kind() != YRigidBall::KIND_BONUS ? 1 : 0;
}

int isPhantom(const YRigidBall* k)
{
    return k && k->kind() == YRigidBall::KIND_PHANTOM ? 1 : 0;
}

} // namespace

void YPhysicsWorld::nearCallback(void* data, dGeomID o1, dGeomID o2)
{
    static_cast<YPhysicsWorld*>(data)->collidePair(o1, o2);
}

void YPhysicsWorld::collidePair(dGeomID o1, dGeomID o2)
{
    // Block sets keep their boxes in sub-spaces, the table its geoms.
    if (dGeomIsSpace(o1) || dGeomIsSpace(o2)) {
        dSpaceCollide2(o1, o2, this, &nearCallback);
        return;
    }
    dBodyID b1 = dGeomGetBody(o1);
    dBodyID b2 = dGeomGetBody(o2);
    if (!b1 && !b2)
        return; // static against static: nothing can move
    if (!b1) {
        // The geom with a body comes first, so the joint's feedback for body
        // 1 is always the force on that body.
        std::swap(o1, o2);
        std::swap(b1, b2);
    }
    if (b1 == b2)
        return;
    if (b2 && dAreConnectedExcluding(b1, b2, dJointTypeContact))
        return;
    int n = dCollide(o1, o2, MAX_CONTACTS, &mContacts[0].geom, sizeof(dContact));
    if (n <= 0)
        return;

    auto* r1 = static_cast<YRigidBody*>(dBodyGetData(b1));
    auto* r2 = b2 ? static_cast<YRigidBody*>(dBodyGetData(b2)) : nullptr;
    YRigidBall* k1 = r1 ? r1->asBall() : nullptr;
    YRigidBall* k2 = r2 ? r2->asBall() : nullptr;

    int mode = (k1 || k2) ? dContactBounce : 0;
    int bodies = (r1 ? 1 : 0) + (r2 ? 1 : 0);
    int hard = isHardBall(k1) + isHardBall(k2);
    // A ball against a block records every contact; a ball alone against
    // static geometry, or two balls, record nothing; a falling bonus counts
    // as a block.
    float bound = QUIET_DEPTH;
    if (hard > 0)
        bound = hard >= bodies ? NEVER : 0.0f;
    // A phantom ball's contacts with other bodies are made but not attached:
    // it passes through blocks and balls yet bounces on static geometry.
    int phantom = isPhantom(k1) + isPhantom(k2);
    bool attach = !(phantom > 0 && phantom < bodies);

    dJointID last = nullptr;
    YVec3 posSum, normalSum, lastNormal;
    int accepted = 0;
    for (int c = 0; c < n; ++c) {
        dContact& contact = mContacts[c];
        contact.surface.mode = mode;
        dJointID j = dJointCreateContact(mWorld, mContactGroup, &contact);
        if (attach)
            dJointAttach(j, b1, b2);
        const dContactGeom& g = contact.geom;
        // The normal points from geom 2 towards geom 1: from static
        // geometry towards the ball.
        if (!b2 && k1)
            touchStatic(k1, o2, g, toVec3(g.normal));
        float depth = static_cast<float>(g.depth);
        if (depth > bound && mBumpCount < MAX_BUMPS - 1) {
            // Only contacts deeper than every one accepted before count.
            bound = depth;
            last = j;
            posSum = posSum + toVec3(g.pos);
            lastNormal = toVec3(g.normal);
            normalSum = normalSum + lastNormal;
            ++accepted;
        }
    }
    if (accepted == 0)
        return;
    bool listens1 = r1 && r1->bumpListener();
    bool listens2 = r2 && r2->bumpListener();
    if (!listens1 && !listens2)
        return;

    YBumpRecord& rec = mBumps[mBumpCount++];
    std::memset(&rec.feedback, 0, sizeof(rec.feedback));
    dJointSetFeedback(last, &rec.feedback);
    rec.body1 = r1;
    rec.body2 = r2;
    rec.data1 = dGeomGetData(o1);
    rec.data2 = dGeomGetData(o2);
    rec.position = posSum * (1.0f / static_cast<float>(accepted));
    float len = normalSum.length();
    rec.normal = len > 1e-6f ? normalSum * (1.0f / len) : lastNormal;
    rec.depth = bound;
}

void YPhysicsWorld::touchStatic(YRigidBall* ball, dGeomID staticGeom, const dContactGeom& contact,
                                const YVec3& m)
{
    unsigned long category = dGeomGetCategoryBits(staticGeom);
    YVec3 position = toVec3(contact.pos);
    if (category == COL_FLOOR) {
        // The bounce sound grows with how straight the ball comes down.
        YBallBumpEvent* mode = ball->ballMode();
        if (!mode)
            return;
        YVec3 u = ball->getLinearVelocity();
        float speed = u.length();
        if (!(speed > 1e-6f))
            return; // a ball at rest strikes nothing
        u = u * (1.0f / speed);
        float s = std::min(-1.5f * u.dot(m), 1.0f);
        if (s > 0.1f)
            mode->bumpOther(position, s);
    } else if (category == COL_WALL) {
        if (YWorldEffects* effects = worldEffects())
            effects->addWallContact(position, m);
        // The far wall faces the racket (-y); its touch is the ball's own
        // bump at once, a side wall's is not.
        if (m.y < -0.5f && ball->bumpListener()) {
            ball->bumpListener()->bump(nullptr, nullptr, YVec3(), YVec3(), position, m,
                                       static_cast<float>(contact.depth));
        }
    }
}
