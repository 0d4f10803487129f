#pragma once
#include "core/math.h"
#include "render/mesh.h"

#include <cstdint>
#include <string>
#include <vector>

class InStream;
class OutStream;

// Skinned meshes: a static mesh with a skeleton. The text file ("...ams") is
// the mesh text followed by a skeleton section; it compiles into a cache
// ("...mab": the mesh cache followed by the skeleton sections). Bones carry
// a bind pose and the weights of the authored positions they move; key
// frames give every bone a rotation and the root a position; animations
// (lists of key indices) and channel definitions are added by the code that
// plays the mesh, after loading.

struct YBoneWeight {
    int32_t vertex = 0; // source-vertex (authored position) index
    float weight = 0.0f;
};

struct YBone {
    int32_t id = 0;      // as authored, not used
    int32_t parent = -1; // an earlier bone, or negative for a root
    YVec3 position;      // bind translation relative to the parent
    YVec4 rotation = YVec4(0, 0, 0, 1);
    YMatrix inverseBind; // from bindPose
    std::vector<YBoneWeight> weights;
};

struct YAnimKey {
    YVec3 root;             // position of the root bones
    int32_t frameCount = 0; // frames from the previous key of the file to this one
    std::vector<YVec4> rotations; // one per bone
};

// How a channel plays its animation (set by setChannel).
struct YAnimChannelDef {
    int32_t animation = -1;   // none until a valid one is set
    float weight = 0.0f;
    int32_t syncChannel = -1; // a lower channel whose clock this one follows; negative: its own clock
    float fadeIn = 0.0f;      // seconds
    float fadeOut = 0.0f;
    bool loop = false;
    bool resetOnStop = false;
    std::vector<float> boneWeights; // one per bone; empty: every bone weighs 1
};

// A frame fixed to a bone, where objects are held.
struct YBoneAttachment {
    int32_t id = 0; // as authored
    int32_t bone = 0;
    YMatrix frame; // relative to the bone
};

class YSkelMesh : public YMesh {
public:
    // Channels beyond this are refused: a channel number is an index into a
    // list that setChannel grows.
    static constexpr int MAX_CHANNELS = 64;

    YSkelMesh();
    ~YSkelMesh() override;

    // A text file ("...ams", exactly) without a cache beside it is parsed,
    // built and checked, and the cache is written; anything else reads the
    // cache. A skeleton that fails its checks is dropped (the mesh stays) and
    // no cache is written, so the text is read and its fault logged again
    // next time.
    void load(const std::string& fileName);

    // Inverse bind matrices from the bones' bind positions and rotations.
    void bindPose();
    // Scales the authored positions, the bind positions, the attachment
    // translations and the keys' root positions, then rebinds. Repeated
    // calls compound.
    void setScale(float scale) override;

    // Defines a channel, growing the list (new channels play nothing, with
    // their own clock). A sync channel not below the channel, or an
    // animation that does not exist, is logged and that field is kept.
    void setChannel(int channel, int syncChannel, int animation, float weight, float fadeIn, float fadeOut,
                    bool loop, bool resetOnStop);
    // One weight per bone for the channel; a list of another length, or an
    // undefined channel, is logged and changes nothing.
    void setChannelBoneWeights(int channel, const std::vector<float>& weights);
    // Appends an animation and returns its index. A key index that does not
    // exist is logged and the animation is stored empty (it cannot play), so
    // later animations keep the index their callers expect.
    int addAnimation(const std::vector<int>& keyIndices);

    // The whole cache: the mesh part, then the skeleton sections. The reader
    // checks every count against the file and then the skeleton as a whole.
    // A mesh part that fails leaves mesh and skeleton empty; a skeleton that
    // fails is dropped and the mesh kept. Either is logged; true when both
    // were read whole.
    void writeSkelCache(OutStream& out) const;
    bool readSkelCache(InStream& in);

    // Checks the skeleton against itself and the mesh: parents, weights,
    // rotation counts, frame counts, animation keys and attachment bones.
    // False with the reason in why.
    bool checkSkeleton(std::string& why) const;

    // Parses the skeleton section that follows the mesh text; false (the
    // reason logged) on a fault. Fills the bones, keys and attachments.
    bool parseSkeletonText(const std::string& text, const std::string& fileName);

    bool hasSkeleton() const { return !bones.empty(); }
    void clearSkeleton();

    std::vector<YBone> bones;
    std::vector<YAnimKey> keys;
    std::vector<std::vector<int>> animations;
    std::vector<YAnimChannelDef> channels;
    std::vector<YBoneAttachment> attachments;
};

// Where the skeleton section of a skinned mesh text begins: the word
// "sceleton" after the mesh's own "mesh NAME"; npos when there is none.
size_t skeletonSectionStart(const std::string& text);

// The cache name of a skinned mesh file: its last three characters replaced
// by "mab".
std::string skelCacheName(const std::string& fileName);

// Every skinned mesh, by the name it was asked for (they are also meshes).
std::vector<YSkelMesh*>& gSkelMeshes();
YSkelMesh* findSkelMesh(const std::string& name);
// Loaded on first request; never null.
YSkelMesh* getSkelMesh(const std::string& name);

// The key lists callers append as animations: the values of a list ended by
// a negative value (the end marker not included), and count values from
// first on.
std::vector<int> makeIntList(const int* list);
std::vector<int> makeIntRange(int first, int count);
