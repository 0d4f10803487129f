#include "world/world_queries.h"

#include "core/log.h"
#include "platform/sys/random.h"
#include "world/collision_category.h"
#include "world/ode_convert.h"
#include "world/physics_world.h"
#include "world/rigid_body.h"
#include "world/world_effects.h"

#include <cmath>

namespace {

constexpr int RAY_CONTACTS = 10;
constexpr int BLAST_CONTACTS = 20;
constexpr float SWEEP_PUSH = 500.0f;
// Closer than this to a contact, the push follows the contact normal.
constexpr float NEAR_CONTACT = 0.01f;

// Collects a probe's contacts with the world, sub-spaces included, in the
// order the spaces offer the geoms. The probe comes first in every contact.
struct ProbeQuery {
    dGeomID probe;
    dContactGeom* out;
    int max;
    int count;
};

void probeCallback(void* data, dGeomID o1, dGeomID o2)
{
    auto* q = static_cast<ProbeQuery*>(data);
    if (q->count >= q->max)
        return;
    dGeomID other = o1 == q->probe ? o2 : o1;
    if (dGeomIsSpace(other)) {
        dSpaceCollide2(q->probe, other, data, &probeCallback);
        return;
    }
    q->count += dCollide(q->probe, other, q->max - q->count, q->out + q->count,
                         sizeof(dContactGeom));
}

int probeWorld(dGeomID probe, dContactGeom* out, int max)
{
    ProbeQuery q{probe, out, max, 0};
    dSpaceCollide2(probe, reinterpret_cast<dGeomID>(physics().space()), &q, &probeCallback);
    return q.count;
}

dGeomID otherGeom(const dContactGeom& c, dGeomID probe)
{
    return c.g1 == probe ? c.g2 : c.g1;
}

YRigidBody* ownerOf(dBodyID body)
{
    return body ? static_cast<YRigidBody*>(dBodyGetData(body)) : nullptr;
}

// Pushes a body and lets its listener hear the blow as a hit by itself.
// A resting body is woken: ODE would keep the force until something else
// woke it, and the body would fly off then.
void strike(YRigidBody* owner, dGeomID geom, const YVec3& force, const YVec3& position,
            const YVec3& normal)
{
    owner->setEnabled(true);
    owner->addForceAtPosition(force, position);
    if (YRigidBumpEvent* listener = owner->bumpListener())
        listener->bump(dGeomGetData(geom), owner, force, YVec3(), position, normal, 0.0f);
}

// The contact lists of the explosions running now (a listener may set off
// another): an entry's geom is cleared when its geom is destroyed.
struct BlastList {
    dGeomID geom[BLAST_CONTACTS];
    YVec3 position[BLAST_CONTACTS];
    YVec3 normal[BLAST_CONTACTS];
    int count = 0;
    BlastList* outer = nullptr;
};
BlastList* gActiveBlasts = nullptr;

void forgetBlastGeom(dGeomID geom)
{
    for (BlastList* list = gActiveBlasts; list; list = list->outer) {
        for (int i = 0; i < list->count; ++i) {
            if (list->geom[i] == geom)
                list->geom[i] = nullptr;
        }
    }
}

} // namespace

YColBox::YColBox(float halfX, float halfY, float halfZ)
{
    YPhysicsWorld& world = physics();
    YVec3 h = validHalfSize(YVec3(halfX, halfY, halfZ));
    mGeom = dCreateBox(nullptr, 2.0 * h.x, 2.0 * h.y, 2.0 * h.z);
    dGeomSetCategoryBits(mGeom, COL_SWEEP);
    dGeomSetCollideBits(mGeom, COLLIDE_SWEEP);
    world.objectCreated();
}

YColBox::~YColBox()
{
    dGeomDestroy(mGeom);
    if (gPhysics)
        gPhysics->objectDestroyed();
}

bool YColBox::sweepHit(const YMatrix& matrix, YVec3& outPosition)
{
    YVec3 centre = matrix.translation();
    dGeomSetPosition(mGeom, centre.x, centre.y, centre.z);
    dMatrix3 r;
    matrixToOdeRotation(matrix, r);
    dGeomSetRotation(mGeom, r);

    dContactGeom contact;
    if (probeWorld(mGeom, &contact, 1) == 0)
        return false;
    dGeomID other = otherGeom(contact, mGeom);
    unsigned long category = dGeomGetCategoryBits(other);
    YVec3 position = toVec3(contact.pos);
    YVec3 normal = toVec3(contact.normal); // from the touched geom towards the box
    outPosition = position;
    if (category & COL_WALL) {
        if (YWorldEffects* effects = worldEffects())
            effects->addWallContact(position, normal);
        return true;
    }
    if (category & COL_BLOCK) {
        if (YRigidBody* owner = ownerOf(dGeomGetBody(other))) {
            YVec3 d = position - centre;
            float len = d.length();
            YVec3 dir = len < NEAR_CONTACT ? normal.negated() : d * (1.0f / len);
            strike(owner, other, dir * SWEEP_PUSH, position, normal.negated());
        }
    }
    int sparks = 4 + sys::rand() % 5;
    if (YWorldEffects* effects = worldEffects())
        effects->strikeSparks(position, sparks);
    return true;
}

void YColBox::blast(const YVec3& centre, float radius, float strength, int sparkCount)
{
    if (!std::isfinite(radius) || radius <= 0.0f || !std::isfinite(strength)) {
        YLog::writef("Blast with radius %g and strength %g ignored", radius, strength);
        return;
    }
    dGeomID probe = physics().sphereProbe();
    dGeomSphereSetRadius(probe, radius);
    dGeomSetPosition(probe, centre.x, centre.y, centre.z);
    dContactGeom contacts[BLAST_CONTACTS];
    int n = probeWorld(probe, contacts, BLAST_CONTACTS);

    BlastList list;
    for (int i = 0; i < n; ++i) {
        list.geom[i] = otherGeom(contacts[i], probe);
        list.position[i] = toVec3(contacts[i].pos);
        list.normal[i] = toVec3(contacts[i].normal);
    }
    list.count = n;
    list.outer = gActiveBlasts;
    gActiveBlasts = &list;
    YGeomDestroyHook previousHook = geomDestroyHook();
    setGeomDestroyHook(&forgetBlastGeom);

    for (int i = 0; i < list.count; ++i) {
        dGeomID geom = list.geom[i];
        // The probe's collide bits (COLLIDE_PROBE) meet blocks only, so no
        // other kind of geom is among the contacts; the check keeps it so.
        if (!geom || !(dGeomGetCategoryBits(geom) & COL_BLOCK))
            continue;
        YRigidBody* owner = ownerOf(dGeomGetBody(geom));
        if (!owner)
            continue;
        YVec3 d = list.position[i] - centre;
        float len = d.length();
        if (!(len < radius))
            continue;
        YVec3 dir = len < NEAR_CONTACT ? list.normal[i].negated() : d * (1.0f / len);
        float falloff = 1.0f - len / radius;
        strike(owner, geom, dir * (falloff * falloff * strength), list.position[i],
               list.normal[i].negated());
    }

    setGeomDestroyHook(previousHook);
    gActiveBlasts = list.outer;

    if (YWorldEffects* effects = worldEffects())
        effects->blastEffects(centre, radius, sparkCount);
}

bool lineOfSight(const YVec3& start, const YVec3& direction, float length, dGeomID target,
                 YVec3& outPosition)
{
    if (!std::isfinite(length) || length <= 0.0f || !(direction.length() > 1e-6f))
        return target == nullptr;
    dGeomID ray = physics().rayProbe();
    dGeomRaySet(ray, start.x, start.y, start.z, direction.x, direction.y, direction.z);
    dGeomRaySetLength(ray, length);
    dContactGeom contacts[RAY_CONTACTS];
    int n = probeWorld(ray, contacts, RAY_CONTACTS);
    if (n == 0)
        return target == nullptr;
    dGeomID nearest = nullptr;
    dReal best = 1e6;
    for (int i = 0; i < n; ++i) {
        dGeomID other = otherGeom(contacts[i], ray);
        if (contacts[i].depth < best && (dGeomGetCategoryBits(other) & COL_BLOCK)) {
            best = contacts[i].depth;
            nearest = other;
            if (nearest == target)
                outPosition = toVec3(contacts[i].pos);
        }
    }
    return nearest == target;
}
