#include "render/skel_mesh.h"

#include "core/log.h"
#include "core/streams.h"
#include "platform/sys/files.h"
#include "platform/sys/paths.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>

namespace {

bool failWith(std::string& why, const char* format, ...) __attribute__((format(printf, 2, 3)));

bool failWith(std::string& why, const char* format, ...)
{
    char text[200];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof(text), format, args);
    va_end(args);
    why = text;
    return false;
}

} // namespace

std::vector<YSkelMesh*>& gSkelMeshes()
{
    static std::vector<YSkelMesh*> registry;
    return registry;
}

YSkelMesh* findSkelMesh(const std::string& name)
{
    for (YSkelMesh* m : gSkelMeshes())
        if (m->name == name)
            return m;
    return nullptr;
}

YSkelMesh* getSkelMesh(const std::string& name)
{
    if (YSkelMesh* m = findSkelMesh(name))
        return m;
    YSkelMesh* m = new YSkelMesh();
    m->load(name);
    return m;
}

std::string skelCacheName(const std::string& fileName)
{
    size_t keep = fileName.size() >= 3 ? fileName.size() - 3 : 0;
    return fileName.substr(0, keep) + "mab";
}

std::vector<int> makeIntList(const int* list)
{
    std::vector<int> out;
    for (const int* p = list; p && *p >= 0; ++p)
        out.push_back(*p);
    return out;
}

std::vector<int> makeIntRange(int first, int count)
{
    std::vector<int> out;
    for (int i = 0; i < count; ++i)
        out.push_back(first + i);
    return out;
}

// Skinned meshes are meshes too: the base registers this one in gMeshes, so
// clearMeshes() deletes it with the others.
YSkelMesh::YSkelMesh() { gSkelMeshes().push_back(this); }

YSkelMesh::~YSkelMesh()
{
    auto& list = gSkelMeshes();
    auto it = std::find(list.begin(), list.end(), this);
    if (it != list.end()) {
        *it = list.back();
        list.pop_back();
    }
}

void YSkelMesh::clearSkeleton()
{
    bones.clear();
    keys.clear();
    animations.clear();
    channels.clear();
    attachments.clear();
}

void YSkelMesh::load(const std::string& fileName)
{
    name = fileName;
    clear();
    clearSkeleton();
    const std::string cacheName = skelCacheName(fileName);
    const bool text = fileName.size() >= 3 && fileName.compare(fileName.size() - 3, 3, "ams") == 0;
    if (!text || sys::pathKind(cacheName) == sys::PathKind::File) {
        InFStream in(cacheName);
        readSkelCache(in);
        bindPose();
        loaded = true;
        return;
    }

    YLog::writef("Load skeleton mesh file %s", fileName.c_str());
    std::string data;
    YMeshSource source;
    bool complete = false;
    size_t skeletonAt = std::string::npos;
    if (sys::readFile(fileName, data)) {
        skeletonAt = skeletonSectionStart(data);
        complete = parseMeshText(data.substr(0, skeletonAt), source, fileName);
        if (skeletonAt == std::string::npos)
            YLog::writef("Skeleton mesh file %s has no skeleton section", fileName.c_str());
    } else {
        YLog::writef("Skeleton mesh file %s cannot be read", fileName.c_str());
    }
    const bool built = build(source);
    restore();
    // The weights name authored positions, so a skeleton is only read for a
    // mesh that was read whole.
    const bool skeleton =
        complete && built && skeletonAt != std::string::npos && parseSkeletonText(data.substr(skeletonAt), fileName);
    bindPose();
    loaded = true;
    if (!skeleton) {
        YLog::writef("Skeleton mesh file %s: no cache written", fileName.c_str());
        return;
    }
    // Written to a temporary file and renamed into place on close; when that
    // fails the mesh just read is used all the same.
    OutFStream out(cacheName);
    writeSkelCache(out);
    if (!out.close())
        YLog::writef("Skeleton mesh %s: cache %s not written; the text is read again next time", fileName.c_str(),
                     cacheName.c_str());
}

void YSkelMesh::bindPose()
{
    std::vector<YMatrix> model(bones.size());
    for (size_t b = 0; b < bones.size(); ++b) {
        YBone& bone = bones[b];
        YMatrix local;
        local.makeRotationQuaternion(bone.rotation, bone.position);
        const bool child = bone.parent >= 0 && static_cast<size_t>(bone.parent) < b;
        model[b] = child ? model[static_cast<size_t>(bone.parent)] * local : local;
        bone.inverseBind = model[b].inverseAffine();
    }
}

void YSkelMesh::setScale(float scale)
{
    for (YSourceVertex& s : sourceVertices)
        s.pos = s.pos * scale;
    scaleVertexPositions(1.0f, vertices);
    for (YBone& b : bones)
        b.position = b.position * scale;
    for (YBoneAttachment& a : attachments)
        a.frame.setTranslation(a.frame.translation() * scale);
    for (YAnimKey& k : keys)
        k.root = k.root * scale;
    bindPose();
}

void YSkelMesh::setChannel(int channel, int syncChannel, int animation, float weight, float fadeIn, float fadeOut,
                           bool loop, bool resetOnStop)
{
    if (channel < 0 || channel >= MAX_CHANNELS) {
        YLog::writef("Mesh %s animation channel %d error: channels are 0 to %d.", name.c_str(), channel,
                     MAX_CHANNELS - 1);
        return;
    }
    if (channels.size() <= static_cast<size_t>(channel))
        channels.resize(static_cast<size_t>(channel) + 1);
    YAnimChannelDef& def = channels[static_cast<size_t>(channel)];
    if (syncChannel >= channel)
        YLog::writef("Mesh %s animation channel %d error syncChannel=%d >= curChannel.", name.c_str(), channel,
                     syncChannel);
    else
        def.syncChannel = syncChannel < 0 ? -1 : syncChannel;
    if (animation < 0 || static_cast<size_t>(animation) >= animations.size())
        YLog::writef("Mesh %s animation channel %d error animation index %d.", name.c_str(), channel, animation);
    else
        def.animation = animation;
    def.weight = weight;
    def.fadeIn = fadeIn;
    def.fadeOut = fadeOut;
    def.loop = loop;
    def.resetOnStop = resetOnStop;
}

void YSkelMesh::setChannelBoneWeights(int channel, const std::vector<float>& weights)
{
    if (channel < 0 || static_cast<size_t>(channel) >= channels.size()) {
        YLog::writef("Mesh %s animation channel %d error: bone weights for a channel not defined.", name.c_str(),
                     channel);
        return;
    }
    if (weights.size() != bones.size()) {
        YLog::writef("Mesh %s animation channel %d error: %zu bone weights for %zu bones.", name.c_str(), channel,
                     weights.size(), bones.size());
        return;
    }
    channels[static_cast<size_t>(channel)].boneWeights = weights;
}

int YSkelMesh::addAnimation(const std::vector<int>& keyIndices)
{
    const int index = static_cast<int>(animations.size());
    for (int k : keyIndices) {
        if (k < 0 || static_cast<size_t>(k) >= keys.size()) {
            YLog::writef("Mesh %s animation %d names key %d of %zu; the animation is empty", name.c_str(), index, k,
                         keys.size());
            animations.emplace_back();
            return index;
        }
    }
    animations.push_back(keyIndices);
    return index;
}

bool YSkelMesh::checkSkeleton(std::string& why) const
{
    const size_t S = sourceVertices.size(), B = bones.size(), K = keys.size();
    if (B == 0 && S > 0)
        return failWith(why, "no bones for %zu vertices", S);
    std::vector<uint8_t> moved(S, 0);
    for (size_t b = 0; b < B; ++b) {
        const YBone& bone = bones[b];
        if (bone.parent >= 0 && static_cast<size_t>(bone.parent) >= b)
            return failWith(why, "bone %zu has parent %d, which is not an earlier bone", b, bone.parent);
        for (const YBoneWeight& w : bone.weights) {
            if (w.vertex < 0 || static_cast<size_t>(w.vertex) >= S)
                return failWith(why, "bone %zu weighs vertex %d of %zu", b, w.vertex, S);
            if (!std::isfinite(w.weight))
                return failWith(why, "bone %zu weighs vertex %d with a weight that is not a number", b, w.vertex);
            moved[static_cast<size_t>(w.vertex)] = 1;
        }
    }
    for (size_t v = 0; v < S; ++v)
        if (!moved[v])
            return failWith(why, "vertex %zu is moved by no bone", v);
    for (size_t k = 0; k < K; ++k) {
        if (keys[k].rotations.size() != B)
            return failWith(why, "key %zu has %zu rotations for %zu bones", k, keys[k].rotations.size(), B);
        if (keys[k].frameCount < 0)
            return failWith(why, "key %zu comes %d frames before the key ahead of it", k, -keys[k].frameCount);
    }
    for (size_t a = 0; a < animations.size(); ++a)
        for (int k : animations[a])
            if (k < 0 || static_cast<size_t>(k) >= K)
                return failWith(why, "animation %zu names key %d of %zu", a, k, K);
    for (size_t m = 0; m < attachments.size(); ++m)
        if (attachments[m].bone < 0 || static_cast<size_t>(attachments[m].bone) >= B)
            return failWith(why, "attachment %zu is on bone %d of %zu", m, attachments[m].bone, B);
    return true;
}
