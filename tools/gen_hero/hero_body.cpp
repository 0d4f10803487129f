// The hero's figure: a low-poly body of closed parts (head, hair, eyes, nose,
// neck, torso, belt, sleeves, forearms, gloves, legs, shoes), each bound to
// its bone; the torso bends at the waist between the pelvis and the chest.
//
// Materials, one subset each (the game gives one shader per subset):
//   0 clothes (shirt, sleeves, trousers)   1 dark details (hair, eyes,
//   belt, shoes)   2 gloves   3 skin (head, nose, neck, forearms)
#include "tools/gen_hero/hero_rig.h"

#include <cmath>

namespace gen {

using namespace hero;

namespace {

const double PI = 3.14159265358979323846;

enum Material { CLOTHES = 0, DARK = 1, GLOVES = 2, SKIN = 3 };

// Joints of the bind pose in model space.
const double HIP_HEIGHT = 1.10; // the pelvis joint, the root
const V3 WAIST(0, 0, 1.35);
const V3 NECK(0, 0, 1.80);
const double SHOULDER_X = 0.40, SHOULDER_Z = 1.73;
const double UPPER_ARM = 0.42, FOREARM = 0.40;
const double HIP_X = 0.17, HIP_Z = 1.05;
const double THIGH = 0.47, SHIN = 0.46;

size_t icospherePositions(int subdivisions)
{
    size_t n = 10;
    for (int s = 0; s < subdivisions; ++s)
        n *= 4;
    return n + 2;
}

size_t lathePositions(const std::vector<ProfilePoint>& profile, int segments)
{
    size_t n = 0;
    for (const ProfilePoint& p : profile)
        n += p.r == 0 ? 1 : static_cast<size_t>(segments);
    return n;
}

// Binds the positions added since the last call: every one to the bone.
void bind(SkinnedBody& body, size_t added, int bone)
{
    for (size_t i = 0; i < added; ++i)
        body.weights.push_back({{bone, 1.0}});
}

void sphere(SkinnedBody& body, int bone, const V3& center, const V3& radii, int subdivisions, int material)
{
    addIcosphere(body.mesh, center, radii, subdivisions, material, 1);
    bind(body, icospherePositions(subdivisions), bone);
}

// A limb segment: a capsule of the radius from the joint along dir for the
// length, its round ends covering the joints.
void capsule(SkinnedBody& body, int bone, const V3& joint, const V3& dir, double length, double radius,
             int material, int segments)
{
    const double c = std::cos(PI / 4), s = std::sin(PI / 4);
    const std::vector<ProfilePoint> profile = {
        {0, -radius, false},          {radius * s, -radius * c, false}, {radius, 0, false},
        {radius, length, false},      {radius * s, length + radius * c, false},
        {0, length + radius, false},
    };
    addLathe(body.mesh, Frame::along(joint, dir), profile, segments, material, 0);
    bind(body, lathePositions(profile, segments), bone);
}

// The torso: a solid of revolution flattened front to back, from the hips to
// the shoulders. Below the waist it follows the pelvis, above it the chest,
// blended across the waist so the body bends without a crease.
void torso(SkinnedBody& body)
{
    const double base = 0.98;
    const std::vector<ProfilePoint> profile = {
        {0, 0, false},       {0.24, 0.02, true},  {0.28, 0.14, false}, {0.27, 0.32, false}, {0.29, 0.45, false},
        {0.32, 0.58, false}, {0.34, 0.70, false}, {0.30, 0.79, false}, {0.16, 0.84, false}, {0, 0.85, false},
    };
    Frame f;
    f.y = V3(0, 0.62, 0);
    f.origin = V3(0, 0, base);
    const size_t first = body.weights.size();
    addLathe(body.mesh, f, profile, 12, CLOTHES, 0);
    const size_t added = lathePositions(profile, 12);
    const double low = WAIST.z - 0.12, high = WAIST.z + 0.14;
    for (size_t i = 0; i < added; ++i) {
        const double z = body.mesh.at(static_cast<int>(first + i)).z;
        const double t = std::min(1.0, std::max(0.0, (z - low) / (high - low)));
        if (t <= 0.0)
            body.weights.push_back({{PELVIS, 1.0}});
        else if (t >= 1.0)
            body.weights.push_back({{CHEST, 1.0}});
        else
            body.weights.push_back({{PELVIS, 1.0 - t}, {CHEST, t}});
    }
}

void belt(SkinnedBody& body)
{
    const std::vector<ProfilePoint> profile = {
        {0, 0, false}, {0.295, 0, true}, {0.295, 0.07, true}, {0, 0.07, true}};
    Frame f;
    f.y = V3(0, 0.64, 0);
    f.origin = V3(0, 0, 1.12);
    addLathe(body.mesh, f, profile, 12, DARK, 4);
    bind(body, lathePositions(profile, 12), PELVIS);
}

void head(SkinnedBody& body)
{
    const std::vector<ProfilePoint> neck = {
        {0, 0, false}, {0.085, 0, true}, {0.085, 0.19, true}, {0, 0.19, true}};
    addLathe(body.mesh, Frame::along(V3(0, 0, 1.76), V3(0, 0, 1)), neck, 8, SKIN, 0);
    bind(body, lathePositions(neck, 8), HEAD);
    sphere(body, HEAD, V3(0, -0.01, 2.10), V3(0.20, 0.22, 0.25), 2, SKIN);
    sphere(body, HEAD, V3(0, 0.035, 2.17), V3(0.215, 0.225, 0.20), 2, DARK);
    sphere(body, HEAD, V3(0, -0.225, 2.06), V3(0.03, 0.05, 0.035), 1, SKIN);
    for (double side : {-1.0, 1.0})
        sphere(body, HEAD, V3(side * 0.075, -0.195, 2.13), V3(0.035, 0.035, 0.035), 1, DARK);
}

void arm(SkinnedBody& body, double side, int upper, int fore, int hand)
{
    const V3 shoulder(side * SHOULDER_X, 0, SHOULDER_Z);
    const V3 elbow = shoulder + V3(0, 0, -UPPER_ARM);
    const V3 wrist = elbow + V3(0, 0, -FOREARM);
    const V3 down(0, 0, -1);
    capsule(body, upper, shoulder, down, UPPER_ARM, 0.105, CLOTHES, 8);
    capsule(body, fore, elbow, down, FOREARM, 0.085, SKIN, 8);
    sphere(body, hand, wrist + V3(0, 0, -0.10), V3(0.06, 0.09, 0.11), 1, GLOVES);
}

void leg(SkinnedBody& body, double side, int thigh, int shin, int foot)
{
    const V3 hip(side * HIP_X, 0, HIP_Z);
    const V3 knee = hip + V3(0, 0, -THIGH);
    const V3 ankle = knee + V3(0, 0, -SHIN);
    const V3 down(0, 0, -1);
    capsule(body, thigh, hip, down, THIGH, 0.135, CLOTHES, 8);
    capsule(body, shin, knee, down, SHIN, 0.105, CLOTHES, 8);
    // The shoe's sole lies on the floor in the bind pose.
    sphere(body, foot, V3(ankle.x, -0.07, 0.075), V3(0.095, 0.18, 0.075), 1, DARK);
}

} // namespace

const std::array<BoneDef, BONE_COUNT> BONES = {{
    {-1, V3(0, 0, HIP_HEIGHT)},                      // pelvis
    {PELVIS, WAIST - V3(0, 0, HIP_HEIGHT)},          // chest
    {CHEST, NECK - WAIST},                           // head
    {CHEST, V3(-SHOULDER_X, 0, SHOULDER_Z) - WAIST}, // upper arm R
    {UPPER_ARM_R, V3(0, 0, -UPPER_ARM)},             // forearm R
    {FOREARM_R, V3(0, 0, -FOREARM)},                 // hand R (wrist)
    {CHEST, V3(SHOULDER_X, 0, SHOULDER_Z) - WAIST},  // upper arm L
    {UPPER_ARM_L, V3(0, 0, -UPPER_ARM)},             // forearm L
    {FOREARM_L, V3(0, 0, -FOREARM)},                 // hand L
    {PELVIS, V3(-HIP_X, 0, HIP_Z - HIP_HEIGHT)},     // thigh R
    {THIGH_R, V3(0, 0, -THIGH)},                     // shin R (knee)
    {SHIN_R, V3(0, 0, -SHIN)},                       // foot R (ankle)
    {PELVIS, V3(HIP_X, 0, HIP_Z - HIP_HEIGHT)},      // thigh L
    {THIGH_L, V3(0, 0, -THIGH)},                     // shin L
    {SHIN_L, V3(0, 0, -SHIN)},                       // foot L
}};

// In the right hand's frame the fingers point down (-z), the palm faces the
// body (+x) and the back of the hand faces -x. The ball (radius 0.5) rests
// against the palm; the grenade sits in the curled fingers. The boomerang
// is turned a quarter about z so that one tip (0.52, -0.185, 0 in its own
// frame) lies in the fist and the rest reaches forward. The pipe is turned
// round so its stem end is at the mouth and the bowl in front of the face.
const std::array<AttachmentDef, ATTACHMENT_COUNT> ATTACHMENTS = {{
    {HAND_R, V3(0.55, 0, -0.10), Quat()},
    {HAND_R, V3(-0.185, -0.52, -0.11), Quat{0, 0, std::sin(PI / 4), std::cos(PI / 4)}},
    {HAND_R, V3(0, -0.22, -0.12), Quat()},
    {HEAD, V3(0.05, -0.57, 0.19), Quat{0, 0, 1, 0}},
}};

SkinnedBody makeHeroBody()
{
    SkinnedBody body;
    torso(body);
    belt(body);
    head(body);
    arm(body, -1.0, UPPER_ARM_R, FOREARM_R, HAND_R);
    arm(body, 1.0, UPPER_ARM_L, FOREARM_L, HAND_L);
    leg(body, -1.0, THIGH_R, SHIN_R, FOOT_R);
    leg(body, 1.0, THIGH_L, SHIN_L, FOOT_L);
    return body;
}

} // namespace gen
