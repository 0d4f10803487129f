#pragma once
#include "core/math.h"
#include "render/mesh_draw.h"
#include "render/skel_mesh.h"

#include <cstdint>
#include <vector>

// A drawn, animated copy of a skinned mesh. Animation runs on numbered
// channels (defined on the mesh by setChannel), each playing one animation
// with its own weight, fades, looping and optionally the clock of a lower
// channel. Once a frame the owner calls update(dt) and then updatePose():
// the channels' poses are blended per bone, the bone matrices rebuilt and the
// vertex positions skinned on the processor; the device copy follows at the
// next draw.

enum YAnimState : int32_t {
    YANIM_OFF = 0,
    YANIM_FADING_IN = 1,
    YANIM_FADING_OUT = 2,
    YANIM_PLAYING = 3,
};

struct YAnimChannelState {
    YAnimState state = YANIM_OFF;
    float weight = 0.0f;          // the target weight
    float effectiveWeight = 0.0f; // of the last pose
    int32_t sequence = 0;         // position in the animation's key list
    float clock = 0.0f;           // seconds into the current key
    float keyDuration = 0.0f;     // seconds of the current key
    float fadeLeft = 0.0f;        // seconds
    float fadeInTime = 0.0f;
    float fadeOutTime = 0.0f;
};

class YSkelMeshInstance : public YMeshInstance {
public:
    // The owner gives the instance its first pose with setPoseFromClip.
    explicit YSkelMeshInstance(YSkelMesh* mesh);

    // The root position and rotations of one key (ignored when the key does
    // not exist), skinned, with face normals and, when asked, vertex normals.
    void setPoseFromClip(int key, bool groupNormals);

    // A negative fade time or weight takes the channel definition's. A
    // channel that is not defined, or whose animation cannot play (refused,
    // empty or without frames), is left off and logged.
    void playChannel(int channel, float fadeIn = -1.0f, float weight = -1.0f);
    void stopChannel(int channel, float fadeOut = -1.0f);

    // Advances the channels by dt seconds.
    void update(float dt);
    // Blends the active channels into the pose and skins, when update found
    // any channel active.
    void updatePose();
    // Bone matrices, attachment frames and vertex positions from the pose.
    void skin();

    // Lookups that never fail: an index out of range gives the identity,
    // state off, position -1 or weight 0. Matrices are in model space.
    const YMatrix& boneMatrix(int bone) const;
    const YMatrix& attachmentFrame(int attachment) const;
    YAnimState channelState(int channel) const;
    bool isPlaying(int channel) const { return channelState(channel) != YANIM_OFF; }
    // The channel's key position (a step cycle's frame marker).
    int sequencePosition(int channel) const;
    float effectiveWeight(int channel) const;

    YSkelMesh* skelMesh; // not owned
    YVec3 rootPosition;
    std::vector<YVec4> pose; // one rotation per bone
    std::vector<YAnimChannelState> channels;
    std::vector<YMatrix> boneMatrices;     // model space, for the current pose
    std::vector<YMatrix> attachmentFrames; // model space, for the current pose
    float framesPerSecond = 50.0f;
    bool poseDirty = false;

private:
    // Follows the mesh: channels defined after construction join (off), and
    // the pose and frames match the bone and attachment counts.
    void syncWithMesh();
    const std::vector<int>* playableAnimation(int channel) const;
    int leaderOf(int channel) const;
    float seconds(int32_t frames) const;
    float keySeconds(const std::vector<int>& animation, int position) const;
    void switchOff(int channel);
    float weightOf(const YAnimChannelState& ch) const;

    uint64_t mRefusedLogged = 0; // channels whose refused play was logged
};
