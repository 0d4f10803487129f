// The skinned mesh cache: the mesh cache, then the skeleton as flat
// little-endian sections.
//
//   bones        u32 count, each: id i32, parent i32, position 3 floats,
//                rotation 4 floats (36 bytes), u32 W, W x (u32 vertex, weight)
//   keys         u32 count, each: root 3 floats, frame count i32, u32 R,
//                R x quaternion (4 floats)
//   animations   u32 count, each: u32 N, N x u32 key index
//   attachments  u32 count, each: id i32, bone i32, frame 16 floats (72 bytes)
//   end          the byte 0x1A
//
// Inverse bind matrices are computed on loading; channel definitions are
// not stored. Counts are checked against the bytes left before anything is
// allocated, and the skeleton read is checked as a whole before it is used.
#include "render/skel_mesh.h"

#include "core/log.h"
#include "core/streams.h"
#include "render/cache_io.h"

namespace {

constexpr uint8_t END_MARK = 0x1A;

struct BoneRecord {
    int32_t id, parent;
    YVec3 position;
    YVec4 rotation;
};
static_assert(sizeof(BoneRecord) == 36, "a bone record is 36 bytes");

struct AttachmentRecord {
    int32_t id, bone;
    YMatrix frame;
};
static_assert(sizeof(AttachmentRecord) == 72, "an attachment record is 72 bytes");

bool readBones(YCacheReader& r, std::vector<YBone>& bones)
{
    r.section("bones");
    uint32_t n = 0;
    if (!r.count(n, sizeof(BoneRecord) + 4))
        return false;
    for (uint32_t b = 0; b < n; ++b) {
        BoneRecord record{};
        if (!r.value(record))
            return false;
        YBone bone;
        bone.id = record.id;
        bone.parent = record.parent;
        bone.position = record.position;
        bone.rotation = record.rotation;
        if (!r.array(bone.weights))
            return false;
        bones.push_back(std::move(bone));
    }
    return true;
}

bool readKeys(YCacheReader& r, std::vector<YAnimKey>& keys)
{
    r.section("keys");
    uint32_t n = 0;
    if (!r.count(n, 12 + 4 + 4))
        return false;
    for (uint32_t k = 0; k < n; ++k) {
        YAnimKey key;
        if (!r.value(key.root) || !r.value(key.frameCount) || !r.array(key.rotations))
            return false;
        keys.push_back(std::move(key));
    }
    return true;
}

bool readAnimations(YCacheReader& r, std::vector<std::vector<int>>& animations)
{
    r.section("animations");
    uint32_t n = 0;
    if (!r.count(n, 4))
        return false;
    for (uint32_t a = 0; a < n; ++a) {
        std::vector<uint32_t> list;
        if (!r.array(list))
            return false;
        std::vector<int> keys;
        for (uint32_t k : list) {
            // An index past int is out of range anyway; it stays negative so
            // the skeleton check refuses it.
            keys.push_back(k > 0x7FFFFFFFu ? -1 : static_cast<int>(k));
        }
        animations.push_back(std::move(keys));
    }
    return true;
}

bool readAttachments(YCacheReader& r, std::vector<YBoneAttachment>& attachments)
{
    r.section("attachments");
    std::vector<AttachmentRecord> records;
    if (!r.array(records))
        return false;
    for (const AttachmentRecord& record : records) {
        YBoneAttachment a;
        a.id = record.id;
        a.bone = record.bone;
        a.frame = record.frame;
        attachments.push_back(a);
    }
    return true;
}

} // namespace

void YSkelMesh::writeSkelCache(OutStream& out) const
{
    writeMeshCache(out);

    out.writeValue(static_cast<uint32_t>(bones.size()));
    for (const YBone& b : bones) {
        BoneRecord record{b.id, b.parent, b.position, b.rotation};
        out.writeValue(record);
        writeCacheArray(out, b.weights);
    }

    out.writeValue(static_cast<uint32_t>(keys.size()));
    for (const YAnimKey& k : keys) {
        out.writeValue(k.root);
        out.writeValue(k.frameCount);
        writeCacheArray(out, k.rotations);
    }

    out.writeValue(static_cast<uint32_t>(animations.size()));
    for (const std::vector<int>& a : animations) {
        out.writeValue(static_cast<uint32_t>(a.size()));
        for (int k : a)
            out.writeValue(static_cast<uint32_t>(k));
    }

    out.writeValue(static_cast<uint32_t>(attachments.size()));
    for (const YBoneAttachment& a : attachments) {
        AttachmentRecord record{a.id, a.bone, a.frame};
        out.writeValue(record);
    }

    out.writeValue(END_MARK);
}

bool YSkelMesh::readSkelCache(InStream& in)
{
    clearSkeleton();
    if (!readMeshCache(in))
        return false; // the mesh part logged why; there is nothing to skin

    // The sections are collected aside; only a whole, sound skeleton is kept.
    YCacheReader r(in, "bones");
    std::vector<YBone> readBonesList;
    std::vector<YAnimKey> readKeyList;
    std::vector<std::vector<int>> readAnimationList;
    std::vector<YBoneAttachment> readAttachmentList;
    bool ok = readBones(r, readBonesList) && readKeys(r, readKeyList) && readAnimations(r, readAnimationList) &&
              readAttachments(r, readAttachmentList);
    if (ok) {
        r.section("end");
        uint8_t mark = 0;
        ok = r.value(mark) && (mark == END_MARK || r.fail("no end mark"));
    }
    std::string why = r.reason();
    if (ok) {
        bones = std::move(readBonesList);
        keys = std::move(readKeyList);
        animations = std::move(readAnimationList);
        attachments = std::move(readAttachmentList);
        ok = checkSkeleton(why);
    }
    if (!ok) {
        YLog::writef("Skeleton cache of %s: %s; the skeleton is empty", name.c_str(), why.c_str());
        clearSkeleton();
    }
    return ok;
}
