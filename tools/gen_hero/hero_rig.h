#pragma once
// The hero's figure, skeleton and key frames, and the skinned mesh text they
// make ("mesh\hero.ams"). Bone numbers, attachment numbers and the clips'
// key ranges come from the table the game shares (world/hero_clips.h).
#include "tools/gen_meshes/mesh_builder.h"
#include "world/hero_clips.h"

#include <array>
#include <string>
#include <utility>
#include <vector>

namespace gen {

struct Quat {
    double x = 0, y = 0, z = 0, w = 1;
};

// a then b as one rotation is b * a (Hamilton product).
Quat operator*(const Quat& a, const Quat& b);
Quat axisAngle(const V3& axis, double degrees);
V3 rotate(const Quat& q, const V3& v);

// Bind pose: every bone's rotation is the identity, so the bones' frames are
// the model's axes and a limb's bind offset points along it (arms and legs
// hang straight down).
struct BoneDef {
    int parent;
    V3 offset; // from the parent's joint (the root's: from the floor origin)
};
extern const std::array<BoneDef, hero::BONE_COUNT> BONES;

struct AttachmentDef {
    int bone;
    V3 position; // in the bone's frame
    Quat rotation;
};
extern const std::array<AttachmentDef, hero::ATTACHMENT_COUNT> ATTACHMENTS;

// The figure: a closed mesh per body part, each authored position bound to
// the bones that move it.
struct SkinnedBody {
    MeshBuilder mesh;
    std::vector<std::vector<std::pair<int, double>>> weights; // per authored position
};
SkinnedBody makeHeroBody();

// A key: its length in frames (from the key before it in the file) and the
// pose it reaches.
struct Key {
    int frames = 0;
    V3 root;
    std::array<Quat, hero::BONE_COUNT> rotations;
};
// Every key of every clip, in clip order (hero::CLIPS gives the ranges).
std::vector<Key> makeHeroKeys();

// The whole skinned mesh text.
std::string heroText(const SkinnedBody& body, const std::vector<Key>& keys);

} // namespace gen
