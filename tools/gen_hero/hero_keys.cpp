// The hero's key frames, clip by clip. Poses are written as joint angles in
// degrees, in each bone's frame (the model's axes in the bind pose: x to the
// hero's left, y backwards, z up):
//   swing   a hanging limb's tip forwards (negative: backwards)
//   raise   a hanging limb's tip out to its side (negative: across the body)
//   lean    an upright bone (pelvis, chest, head) forwards
//   tilt    an upright bone towards the hero's left
//   turn    about the bone's up axis, towards the hero's left
// A knee bends with a negative swing of the shin, an elbow with a positive
// swing of the forearm; a foot points its toes down with a positive "point".
//
// Every whole-body key is set on the floor: the root height is chosen so the
// lowest point of the shoes, shins and knees touches z = 0.
#include "tools/gen_hero/hero_rig.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace gen {

using namespace hero;

const double PI = 3.14159265358979323846;

Quat operator*(const Quat& a, const Quat& b)
{
    Quat r;
    r.w = a.w * b.w - a.x * b.x - a.y * b.y - a.z * b.z;
    r.x = a.w * b.x + a.x * b.w + a.y * b.z - a.z * b.y;
    r.y = a.w * b.y - a.x * b.z + a.y * b.w + a.z * b.x;
    r.z = a.w * b.z + a.x * b.y - a.y * b.x + a.z * b.w;
    return r;
}

Quat axisAngle(const V3& axis, double degrees)
{
    const V3 u = axis.normalized();
    const double h = degrees * PI / 360.0;
    const double s = std::sin(h);
    return Quat{u.x * s, u.y * s, u.z * s, std::cos(h)};
}

V3 rotate(const Quat& q, const V3& v)
{
    const Quat p{v.x, v.y, v.z, 0};
    const Quat conj{-q.x, -q.y, -q.z, q.w};
    const Quat r = q * p * conj;
    return V3(r.x, r.y, r.z);
}

namespace {

const double STAND_HEIGHT = 1.10;

bool rightSide(int bone)
{
    return (bone >= UPPER_ARM_R && bone <= HAND_R) || (bone >= THIGH_R && bone <= FOOT_R);
}

struct Pose {
    V3 root{0, 0, STAND_HEIGHT};
    std::array<V3, BONE_COUNT> angles{}; // degrees about x, y, z, applied in that order

    Pose& swing(int b, double d) { return add(b, -d, 0, 0); }
    Pose& raise(int b, double d) { return add(b, 0, rightSide(b) ? d : -d, 0); }
    Pose& lean(int b, double d) { return add(b, d, 0, 0); }
    Pose& tilt(int b, double d) { return add(b, 0, d, 0); }
    Pose& turn(int b, double d) { return add(b, 0, 0, d); }
    Pose& point(int b, double d) { return add(b, d, 0, 0); }
    // The same on both sides (right bone given): swing, raise.
    Pose& swingBoth(int right, double d) { return swing(right, d).swing(right + 3, d); }
    Pose& raiseBoth(int right, double d) { return raise(right, d).raise(right + 3, d); }

    Pose& add(int b, double x, double y, double z)
    {
        angles[static_cast<size_t>(b)] = angles[static_cast<size_t>(b)] + V3(x, y, z);
        return *this;
    }

    Quat rotation(int b) const
    {
        const V3& a = angles[static_cast<size_t>(b)];
        return axisAngle(V3(0, 0, 1), a.z) * axisAngle(V3(0, 1, 0), a.y) * axisAngle(V3(1, 0, 0), a.x);
    }
};

// The same pose seen in a mirror across the hero's middle: left and right
// bones change places and turns about y and z change sign.
Pose mirrored(const Pose& p)
{
    Pose m = p;
    m.root.x = -p.root.x;
    for (int b = 0; b < BONE_COUNT; ++b) {
        int other = b;
        if (b >= UPPER_ARM_R && b <= HAND_R)
            other = b + 3;
        else if (b >= UPPER_ARM_L && b <= HAND_L)
            other = b - 3;
        else if (b >= THIGH_R && b <= FOOT_R)
            other = b + 3;
        else if (b >= THIGH_L && b <= FOOT_L)
            other = b - 3;
        const V3& a = p.angles[static_cast<size_t>(other)];
        m.angles[static_cast<size_t>(b)] = V3(a.x, -a.y, -a.z);
    }
    return m;
}

Pose stand()
{
    Pose p;
    p.raiseBoth(UPPER_ARM_R, 7).swingBoth(FOREARM_R, 10);
    return p;
}

// Where the joints of a pose are (model space) and how they are turned.
struct Posed {
    std::array<V3, BONE_COUNT> joint;
    std::array<Quat, BONE_COUNT> frame;
};

Posed forward(const Pose& p)
{
    Posed out;
    for (int b = 0; b < BONE_COUNT; ++b) {
        const BoneDef& def = BONES[static_cast<size_t>(b)];
        const Quat local = p.rotation(b);
        if (def.parent < 0) {
            out.joint[static_cast<size_t>(b)] = p.root;
            out.frame[static_cast<size_t>(b)] = local;
        } else {
            const size_t parent = static_cast<size_t>(def.parent);
            out.joint[static_cast<size_t>(b)] = out.joint[parent] + rotate(out.frame[parent], def.offset);
            out.frame[static_cast<size_t>(b)] = out.frame[parent] * local;
        }
    }
    return out;
}

// The lowest point of the legs: the round ends of the thighs (radius 0.135)
// and shins (0.105) at the knees, of the shins at the ankles, and the
// underside of the shoes.
double lowestPoint(const Pose& p)
{
    const Posed posed = forward(p);
    double lowest = 1e9;
    for (int shin : {SHIN_R, SHIN_L}) {
        lowest = std::min(lowest, posed.joint[static_cast<size_t>(shin)].z - 0.135);
        lowest = std::min(lowest, posed.joint[static_cast<size_t>(shin + 1)].z - 0.105);
    }
    for (int foot : {FOOT_R, FOOT_L}) {
        // The shoe: centre 0.07 ahead of and 0.045 below the ankle, half
        // sizes 0.095 x 0.18 x 0.075; sampled round its underside.
        const V3 ankle = posed.joint[static_cast<size_t>(foot)];
        const Quat& q = posed.frame[static_cast<size_t>(foot)];
        for (int i = 0; i < 16; ++i) {
            const double a = 2 * PI * i / 16;
            for (double down : {0.0, 0.7, 1.0}) {
                const double ring = std::sqrt(1 - down * down);
                const V3 local(0.095 * ring * std::cos(a), -0.07 + 0.18 * ring * std::sin(a), -0.045 - 0.075 * down);
                lowest = std::min(lowest, (ankle + rotate(q, local)).z);
            }
        }
    }
    return lowest;
}

Pose grounded(Pose p)
{
    p.root.z -= lowestPoint(p);
    return p;
}

class ClipWriter {
public:
    explicit ClipWriter(std::vector<Key>& keys) : mKeys(keys) {}

    void begin(int clip)
    {
        mClip = clip;
        if (static_cast<int>(mKeys.size()) != CLIPS[clip].firstKey)
            fail("starts at the wrong key");
    }

    void key(int frames, const Pose& pose)
    {
        const Pose p = CLIPS[mClip].wholeBody ? grounded(pose) : pose;
        Key k;
        k.frames = frames;
        k.root = p.root;
        for (int b = 0; b < BONE_COUNT; ++b)
            k.rotations[static_cast<size_t>(b)] = p.rotation(b);
        mKeys.push_back(k);
    }

    void end()
    {
        if (static_cast<int>(mKeys.size()) != CLIPS[mClip].firstKey + CLIPS[mClip].keyCount)
            fail("has the wrong number of keys");
    }

private:
    [[noreturn]] void fail(const char* what)
    {
        std::fprintf(stderr, "gen_hero: clip %d (%s) %s\n", mClip, CLIPS[mClip].name, what);
        std::exit(1);
    }

    std::vector<Key>& mKeys;
    int mClip = 0;
};

// ------------------------------------------------------------------ clips

void standing(ClipWriter& w)
{
    w.begin(CLIP_STAND);
    Pose breathe = stand();
    breathe.lean(CHEST, -1.5).raiseBoth(UPPER_ARM_R, 2);
    Pose look = stand();
    look.turn(HEAD, 10).lean(HEAD, -3);
    Pose settle = stand();
    settle.lean(CHEST, 1).turn(HEAD, -6).tilt(PELVIS, 1);
    w.key(25, stand());
    w.key(25, breathe);
    w.key(25, look);
    w.key(25, settle);
    w.end();
}

// A step cycle of six keys: the right foot comes down at key 0, the left at
// key 3. phase 0 is the right heel striking; each leg's thigh swings with
// the cosine of its phase, its knee lifts while it swings forward.
struct Gait {
    double thigh, kneeStance, kneeSwing, foot, arm, elbow, lean, twist;
};

Pose gaitPose(const Gait& g, int key)
{
    Pose p = stand();
    p.lean(PELVIS, g.lean * 0.3).lean(CHEST, g.lean * 0.7);
    const double phase = 2 * PI * key / 6;
    for (int side = 0; side < 2; ++side) {
        const double f = phase + side * PI;
        const int thigh = side == 0 ? THIGH_R : THIGH_L;
        const int arm = side == 0 ? UPPER_ARM_R : UPPER_ARM_L;
        p.swing(thigh, g.thigh * std::cos(f) - g.lean * 0.3);
        p.swing(thigh + 1, -(g.kneeStance + g.kneeSwing * std::max(0.0, -std::sin(f))));
        p.point(thigh + 2, g.foot * std::max(0.0, std::sin(f)) - 8 * std::max(0.0, std::cos(f)));
        p.swing(arm, -g.arm * std::cos(f));
        p.swing(arm + 1, g.elbow);
    }
    p.turn(PELVIS, -g.twist * std::cos(phase)).turn(CHEST, 2 * g.twist * std::cos(phase));
    return p;
}

void gaitClip(ClipWriter& w, int clip, const Gait& g, const int frames[6], double speed)
{
    w.begin(clip);
    double frame = 0;
    for (int k = 0; k < 6; ++k) {
        Pose p = gaitPose(g, k);
        frame += frames[k];
        // The forward distance of the menu run (see hero_clips.h).
        p.root.y = MENU_RUN_FORWARD_SIGN * speed * frame / 50.0;
        w.key(frames[k], p);
    }
    w.end();
}

// Steps to the hero's left: the left leg reaches out, the right follows.
Pose sideStep(int key)
{
    static const double outL[6] = {0, 14, 20, 12, 8, 3};
    static const double outR[6] = {0, 2, 6, 12, 4, -5};
    static const double kneeL[6] = {4, 30, 12, 4, 4, 4};
    static const double kneeR[6] = {4, 4, 4, 4, 30, 12};
    Pose p = stand();
    p.raise(THIGH_L, outL[key]).raise(THIGH_R, outR[key]);
    p.swing(THIGH_L, kneeL[key] * 0.5).swing(SHIN_L, -kneeL[key]).point(FOOT_L, kneeL[key] * 0.3);
    p.swing(THIGH_R, kneeR[key] * 0.5).swing(SHIN_R, -kneeR[key]).point(FOOT_R, kneeR[key] * 0.3);
    p.raise(FOOT_L, -outL[key]).raise(FOOT_R, -outR[key]);
    p.tilt(CHEST, -(outL[key] - outR[key]) * 0.2).raiseBoth(UPPER_ARM_R, 4 + (outL[key] + outR[key]) * 0.3);
    return p;
}

void sideSteps(ClipWriter& w)
{
    w.begin(CLIP_STEP_LEFT);
    for (int k = 0; k < 6; ++k)
        w.key(6, sideStep(k));
    w.end();
    w.begin(CLIP_STEP_RIGHT);
    for (int k = 0; k < 6; ++k)
        w.key(6, mirrored(sideStep(k)));
    w.end();
}

// The ball held in front of the belly between both palms (the right hand
// holds it; the left one steadies it).
Pose holding()
{
    Pose p = stand();
    p.swingBoth(UPPER_ARM_R, 34).raiseBoth(UPPER_ARM_R, 10).swingBoth(FOREARM_R, 42).lean(CHEST, 4);
    return p;
}

void holdAndCatch(ClipWriter& w)
{
    w.begin(CLIP_HOLD);
    w.key(50, holding());
    Pose lift = holding();
    lift.swing(UPPER_ARM_R, 4).lean(CHEST, 1).lean(HEAD, 3);
    w.key(50, lift);
    w.end();

    w.begin(CLIP_CATCH);
    w.key(10, stand());
    Pose reach = stand();
    reach.swingBoth(UPPER_ARM_R, 62).raiseBoth(UPPER_ARM_R, -6).swingBoth(FOREARM_R, 8).lean(CHEST, 9).lean(HEAD, 4);
    w.key(8, reach);
    w.key(10, holding());
    w.end();
}

// Hitting a ball on the hero's right: straight ahead, or far out to the side.
void hitRightAhead(Pose (&keys)[4])
{
    keys[0] = stand();
    keys[1] = stand();
    keys[1].swing(UPPER_ARM_R, -35).raise(UPPER_ARM_R, 22).swing(FOREARM_R, 35).turn(CHEST, -16);
    keys[2] = stand();
    keys[2].swing(UPPER_ARM_R, 82).raise(UPPER_ARM_R, 10).swing(FOREARM_R, 8).turn(CHEST, 14).lean(CHEST, 8);
    keys[3] = stand();
    keys[3].swing(UPPER_ARM_R, 62).raise(UPPER_ARM_R, -12).swing(FOREARM_R, 30).turn(CHEST, 20).lean(CHEST, 5);
}

void hitRightAside(Pose (&keys)[4])
{
    keys[0] = stand();
    keys[1] = stand();
    keys[1].raise(UPPER_ARM_R, 60).swing(UPPER_ARM_R, -25).swing(FOREARM_R, 30).turn(CHEST, 14);
    keys[2] = stand();
    keys[2].raise(UPPER_ARM_R, 80).swing(UPPER_ARM_R, 25).swing(FOREARM_R, 6).turn(CHEST, -24).tilt(CHEST, -6);
    keys[3] = stand();
    keys[3].raise(UPPER_ARM_R, 55).swing(UPPER_ARM_R, 45).swing(FOREARM_R, 30).turn(CHEST, -30);
}

void hits(ClipWriter& w)
{
    static const int frames[4] = {10, 5, 5, 8};
    Pose ahead[4], aside[4];
    hitRightAhead(ahead);
    hitRightAside(aside);
    const struct {
        int clip;
        const Pose* keys;
        bool mirror;
    } clips[] = {{CLIP_HIT_LEFT, ahead, true},
                 {CLIP_HIT_LEFT_ASIDE, aside, true},
                 {CLIP_HIT_RIGHT, ahead, false},
                 {CLIP_HIT_RIGHT_ASIDE, aside, false}};
    for (const auto& c : clips) {
        w.begin(c.clip);
        for (int k = 0; k < 4; ++k)
            w.key(frames[k], c.mirror ? mirrored(c.keys[k]) : c.keys[k]);
        w.end();
    }
}

void cheer(ClipWriter& w)
{
    w.begin(CLIP_CHEER);
    w.key(10, stand());
    Pose up = stand();
    up.raiseBoth(UPPER_ARM_R, 150).swingBoth(UPPER_ARM_R, 10).swingBoth(FOREARM_R, 15).lean(HEAD, -12);
    w.key(12, up);
    Pose wave = up;
    wave.raiseBoth(UPPER_ARM_R, 12).lean(CHEST, -4);
    w.key(12, wave);
    w.end();
}

// Losing a life: struck back, the knees give, he slumps kneeling, then
// gets up again.
void death(ClipWriter& w)
{
    w.begin(CLIP_DEATH);
    w.key(10, stand());
    Pose recoil = stand();
    recoil.lean(CHEST, -16).lean(HEAD, -22).raiseBoth(UPPER_ARM_R, 38).swingBoth(FOREARM_R, 55);
    w.key(8, recoil);
    Pose buckle = stand();
    buckle.swingBoth(THIGH_R, 40).swingBoth(SHIN_R, -80).point(FOOT_R, 30).point(FOOT_L, 30);
    buckle.lean(CHEST, 14).lean(HEAD, 10).swingBoth(UPPER_ARM_R, 20).swingBoth(FOREARM_R, 25);
    w.key(15, buckle);
    Pose kneel = stand();
    kneel.swingBoth(THIGH_R, 10).swingBoth(SHIN_R, -100).point(FOOT_R, 75).point(FOOT_L, 75);
    kneel.lean(CHEST, 24).lean(HEAD, 28).swingBoth(UPPER_ARM_R, 24).swingBoth(FOREARM_R, 20);
    w.key(20, kneel);
    Pose slump = kneel;
    slump.lean(CHEST, 14).lean(HEAD, 8).swingBoth(UPPER_ARM_R, 10).raiseBoth(UPPER_ARM_R, -4);
    w.key(45, slump);
    Pose upright = stand();
    upright.swingBoth(THIGH_R, 10).swingBoth(SHIN_R, -100).point(FOOT_R, 75).point(FOOT_L, 75).lean(CHEST, 4);
    w.key(20, upright);
    w.key(20, stand());
    w.end();
}

void boomerang(ClipWriter& w)
{
    w.begin(CLIP_BOOMERANG_THROW);
    w.key(10, stand());
    Pose windup = stand();
    windup.turn(CHEST, 32).swing(UPPER_ARM_R, 40).raise(UPPER_ARM_R, -28).swing(FOREARM_R, 70);
    w.key(12, windup);
    Pose release = stand();
    release.turn(CHEST, -28).swing(UPPER_ARM_R, 78).raise(UPPER_ARM_R, 40).swing(FOREARM_R, 10);
    w.key(6, release);
    Pose follow = stand();
    follow.turn(CHEST, -38).swing(UPPER_ARM_R, 60).raise(UPPER_ARM_R, 12).swing(FOREARM_R, 28);
    w.key(10, follow);
    w.end();

    w.begin(CLIP_BOOMERANG_CATCH);
    w.key(10, stand());
    Pose reach = stand();
    reach.swing(UPPER_ARM_R, 118).raise(UPPER_ARM_R, 14).swing(FOREARM_R, 10).lean(HEAD, -10);
    w.key(8, reach);
    Pose bring = stand();
    bring.swing(UPPER_ARM_R, 40).swing(FOREARM_R, 68);
    w.key(12, bring);
    w.end();
}

void throws(ClipWriter& w)
{
    w.begin(CLIP_BOMB);
    w.key(10, holding());
    Pose windup = stand();
    windup.swing(UPPER_ARM_R, 160).raise(UPPER_ARM_R, 14).swing(FOREARM_R, 80).lean(CHEST, -10).turn(CHEST, -14);
    w.key(15, windup);
    Pose release = stand();
    release.swing(UPPER_ARM_R, 100).swing(FOREARM_R, 10).lean(CHEST, 14).turn(CHEST, 10);
    w.key(8, release);
    Pose follow = stand();
    follow.swing(UPPER_ARM_R, 40).raise(UPPER_ARM_R, -16).swing(FOREARM_R, 20).lean(CHEST, 18);
    w.key(12, follow);
    w.end();

    w.begin(CLIP_GRENADE);
    w.key(10, stand());
    Pose back = stand();
    back.swing(UPPER_ARM_R, -40).swing(FOREARM_R, 20).lean(CHEST, 10);
    w.key(12, back);
    Pose lob = stand();
    lob.swing(UPPER_ARM_R, 70).swing(FOREARM_R, 14).lean(CHEST, -5);
    w.key(6, lob);
    Pose follow2 = stand();
    follow2.swing(UPPER_ARM_R, 100).swing(FOREARM_R, 20);
    w.key(10, follow2);
    w.end();
}

// The level intro: hands on the hips, the pipe in his mouth, looking about.
void pipe(ClipWriter& w)
{
    w.begin(CLIP_PIPE);
    Pose base = stand();
    base.raiseBoth(UPPER_ARM_R, 38).swingBoth(UPPER_ARM_R, -10).raiseBoth(FOREARM_R, -95).swingBoth(FOREARM_R, -10);
    Pose puff = base;
    puff.lean(HEAD, -9).lean(CHEST, -3);
    Pose look = base;
    look.turn(HEAD, 14).turn(CHEST, 4);
    Pose nod = base;
    nod.lean(HEAD, 4).turn(HEAD, -8);
    w.key(40, base);
    w.key(40, puff);
    w.key(40, look);
    w.key(40, nod);
    w.end();
}

} // namespace

std::vector<Key> makeHeroKeys()
{
    std::vector<Key> keys;
    ClipWriter w(keys);
    standing(w);
    static const int walkFrames[6] = {6, 6, 6, 6, 6, 6};
    gaitClip(w, CLIP_WALK, Gait{24, 4, 45, 18, 20, 18, 3, 4}, walkFrames, 0.0);
    sideSteps(w);
    gaitClip(w, CLIP_RUN, Gait{38, 10, 80, 25, 36, 75, 12, 6}, walkFrames, 0.0);
    holdAndCatch(w);
    hits(w);
    cheer(w);
    death(w);
    boomerang(w);
    throws(w);
    pipe(w);
    // Runs 2.5 units a second: 2.0 a cycle of 40 frames.
    static const int runFrames[6] = {7, 7, 6, 7, 7, 6};
    gaitClip(w, CLIP_MENU_RUN, Gait{36, 10, 80, 25, 34, 75, 12, 6}, runFrames, 2.5);
    if (static_cast<int>(keys.size()) != KEY_COUNT) {
        std::fprintf(stderr, "gen_hero: %zu keys written, the clip table has %d\n", keys.size(), KEY_COUNT);
        std::exit(1);
    }
    return keys;
}

} // namespace gen
