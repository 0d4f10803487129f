// Posing skinned mesh instances: blending the channels' keys into one pose
// and skinning the vertices from it.
#include "render/skel_instance.h"

#include "render/shadow_volume.h"

#include <cmath>

namespace {

// The weight a channel gives a bone: 1 for every bone without a list.
float boneWeight(const YAnimChannelDef& def, size_t bone)
{
    if (def.boneWeights.empty())
        return 1.0f;
    return bone < def.boneWeights.size() ? def.boneWeights[bone] : 0.0f;
}

YVec4 negated(const YVec4& q) { return YVec4(-q.x, -q.y, -q.z, -q.w); }

// Scratch shared by every instance (main thread only), kept between calls
// so a frame allocates nothing.
std::vector<float> gWeightSums;
std::vector<YVec4> gBlend;
std::vector<uint8_t> gBlended;
std::vector<YMatrix> gVertexMatrices;

} // namespace

float YSkelMeshInstance::weightOf(const YAnimChannelState& ch) const
{
    float fraction = 0.0f;
    switch (ch.state) {
    case YANIM_OFF:
        return 0.0f;
    case YANIM_FADING_IN:
        fraction = ch.fadeInTime > 0.0f ? 1.0f - ch.fadeLeft / ch.fadeInTime : 1.0f;
        break;
    case YANIM_FADING_OUT:
        fraction = ch.fadeOutTime > 0.0f ? ch.fadeLeft / ch.fadeOutTime : 0.0f;
        break;
    case YANIM_PLAYING:
        fraction = 1.0f;
        break;
    }
    fraction = fraction < 0.0f ? 0.0f : (fraction > 1.0f ? 1.0f : fraction);
    return fraction * ch.weight;
}

void YSkelMeshInstance::updatePose()
{
    syncWithMesh();
    if (!poseDirty || !skelMesh)
        return;
    poseDirty = false;
    const std::vector<YBone>& bones = skelMesh->bones;
    const size_t B = bones.size();

    gWeightSums.assign(B, 0.0f);
    float total = 0.0f;
    for (size_t c = 0; c < channels.size(); ++c) {
        YAnimChannelState& ch = channels[c];
        ch.effectiveWeight = playableAnimation(static_cast<int>(c)) ? weightOf(ch) : 0.0f;
        if (ch.effectiveWeight <= 0.0f)
            continue;
        total += ch.effectiveWeight;
        for (size_t b = 0; b < B; ++b)
            gWeightSums[b] += ch.effectiveWeight * boneWeight(skelMesh->channels[c], b);
    }
    if (total <= 0.0f)
        return; // nothing plays: the last pose stays

    gBlend.assign(B, YVec4());
    gBlended.assign(B, 0);
    YVec3 root;
    bool rootBlended = false;
    for (size_t c = 0; c < channels.size(); ++c) {
        const YAnimChannelState& ch = channels[c];
        const float w = ch.effectiveWeight;
        if (w <= 0.0f)
            continue;
        const YAnimChannelDef& def = skelMesh->channels[c];
        const std::vector<int>& animation = *playableAnimation(static_cast<int>(c));
        const int count = static_cast<int>(animation.size());
        const int position = ((ch.sequence % count) + count) % count;
        const YAnimKey& to = skelMesh->keys[static_cast<size_t>(animation[static_cast<size_t>(position)])];
        const YAnimKey& from =
            skelMesh->keys[static_cast<size_t>(animation[static_cast<size_t>(position == 0 ? count - 1 : position - 1)])];
        // A key of no length is reached as soon as it starts.
        float t = ch.keyDuration > 0.0f ? ch.clock / ch.keyDuration : 1.0f;
        t = t < 0.0f ? 0.0f : (t > 1.0f ? 1.0f : t);

        if (B > 0) {
            const float bw0 = boneWeight(def, 0);
            if (bw0 > 0.0f && gWeightSums[0] > 0.0f) {
                root = root + lerp(from.root, to.root, t) * (w * bw0 / gWeightSums[0]);
                rootBlended = true;
            }
        }
        for (size_t b = 0; b < B; ++b) {
            const float bw = boneWeight(def, b);
            if (bw <= 0.0f || gWeightSums[b] <= 0.0f)
                continue;
            YVec4 q = slerp(from.rotations[b], to.rotations[b], t);
            // q and -q are the same rotation: add every channel's on the side
            // of what is summed already, or opposite ones would cancel.
            if (gBlended[b] && gBlend[b].dot(q) < 0.0f)
                q = negated(q);
            gBlend[b] = gBlend[b] + q * (w * bw / gWeightSums[b]);
            gBlended[b] = 1;
        }
    }

    // A weighted sum of unit quaternions is shorter than 1 wherever they
    // differ, and a short one is no rotation: it would shrink and shear the
    // limbs. Each blend is scaled back to unit length. A bone that no
    // channel weighs, and the root when no channel moves it, keep their last
    // pose rather than collapsing to nothing.
    for (size_t b = 0; b < B; ++b) {
        if (!gBlended[b])
            continue;
        const float length = std::sqrt(gBlend[b].dot(gBlend[b]));
        if (length > 1e-12f)
            pose[b] = gBlend[b] * (1.0f / length);
    }
    if (rootBlended)
        rootPosition = root;

    skin();
    // The silhouette follows the pose: the shadow reads the mesh's normals.
    if (shadowMode == YSHADOW_VOLUME && shadowsEnabled() && mesh)
        mesh->computeFaceNormals(vertices);
}

void YSkelMeshInstance::skin()
{
    syncWithMesh();
    if (!skelMesh || skelMesh->bones.empty())
        return; // nothing to pose: the copy keeps the mesh's own positions
    const std::vector<YBone>& bones = skelMesh->bones;
    const std::vector<YSourceVertex>& sources = skelMesh->sourceVertices;

    for (size_t b = 0; b < bones.size(); ++b) {
        const YBone& bone = bones[b];
        const bool child = bone.parent >= 0 && static_cast<size_t>(bone.parent) < b;
        YMatrix local;
        local.makeRotationQuaternion(pose[b], child ? bone.position : rootPosition);
        boneMatrices[b] = child ? boneMatrices[static_cast<size_t>(bone.parent)] * local : local;
    }

    // Each authored position moves by the weighted sum of its bones' skinning
    // matrices (inverse bind first, then the posed bone). Summing matrices
    // gives the same position as summing moved points, and also a transform
    // for the normals of the render vertices made from that position.
    YMatrix zero;
    for (float& f : zero.m)
        f = 0.0f;
    gVertexMatrices.assign(sources.size(), zero);
    for (size_t b = 0; b < bones.size(); ++b) {
        const YMatrix s = boneMatrices[b] * bones[b].inverseBind;
        for (const YBoneWeight& w : bones[b].weights) {
            if (w.vertex < 0 || static_cast<size_t>(w.vertex) >= sources.size())
                continue;
            YMatrix& m = gVertexMatrices[static_cast<size_t>(w.vertex)];
            for (int i = 0; i < 16; ++i)
                m.m[i] += s.m[i] * w.weight;
        }
    }

    for (size_t a = 0; a < skelMesh->attachments.size(); ++a) {
        const YBoneAttachment& attachment = skelMesh->attachments[a];
        attachmentFrames[a] = attachment.bone >= 0 && static_cast<size_t>(attachment.bone) < bones.size()
                                  ? boneMatrices[static_cast<size_t>(attachment.bone)] * attachment.frame
                                  : attachment.frame;
    }

    // Normals turn with their bones, from the mesh's own (bind pose) normals.
    const std::vector<YMeshVertex>& bind = skelMesh->vertices;
    for (size_t v = 0; v < sources.size(); ++v) {
        const YSourceVertex& source = sources[v];
        const YMatrix& m = gVertexMatrices[v];
        const YVec3 position = m.transformPoint(source.pos);
        for (int k = 0; k < source.vertexCount; ++k) {
            const size_t i = static_cast<size_t>(source.vertices[k]);
            if (i >= vertices.size())
                continue;
            vertices[i].pos = position;
            if (i < bind.size()) {
                YVec3 n = m.transformVector(bind[i].normal);
                const float length = n.length();
                vertices[i].normal = length > 0.0f ? n * (1.0f / length) : bind[i].normal;
            }
        }
    }
    dirty = 1;
}

void YSkelMeshInstance::setPoseFromClip(int key, bool groupNormals)
{
    syncWithMesh();
    if (skelMesh && key >= 0 && static_cast<size_t>(key) < skelMesh->keys.size() &&
        skelMesh->keys[static_cast<size_t>(key)].rotations.size() == pose.size()) {
        const YAnimKey& k = skelMesh->keys[static_cast<size_t>(key)];
        rootPosition = k.root;
        pose = k.rotations;
    }
    skin();
    if (!mesh)
        return;
    mesh->computeFaceNormals(vertices);
    if (groupNormals)
        mesh->computeGroupNormals(vertices);
    dirty = 1;
}
