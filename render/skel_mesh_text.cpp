// The skeleton section that follows the mesh text in a skinned mesh file,
// whitespace-separated words and numbers:
//
//   sceleton NAME
//   B                   then B bones: id parent x y z qx qy qz qw
//   WORD M              then M attachments: id bone x y z qx qy qz qw
//   WORD WORD           then for every authored position of the mesh:
//                       k, then k pairs: bone weight (k = 0: bone 0, weight 1)
//   WORD C              then C keys: WORD frame x y z, then qx qy qz qw per bone
//
// A key's frame count is its frame number minus the previous key's (the first
// key's minus 0). Bone positions are relative to the parent; a negative
// parent makes a root bone, whose position in each key is the key's x y z.
#include "render/skel_mesh.h"

#include "core/log.h"

#include <cctype>
#include <limits>
#include <locale>
#include <sstream>

size_t skeletonSectionStart(const std::string& text)
{
    static const std::string WORD = "sceleton";
    size_t at = 0;
    int index = 0;
    while (at < text.size()) {
        while (at < text.size() && std::isspace(static_cast<unsigned char>(text[at])))
            ++at;
        if (at >= text.size())
            break;
        size_t end = at;
        while (end < text.size() && !std::isspace(static_cast<unsigned char>(text[end])))
            ++end;
        // Words 0 and 1 are "mesh" and the mesh's name.
        if (index >= 2 && text.compare(at, end - at, WORD) == 0)
            return at;
        at = end;
        ++index;
    }
    return std::string::npos;
}

namespace {

class SkelTextReader {
public:
    explicit SkelTextReader(const std::string& text) : mIn(text) { mIn.imbue(std::locale::classic()); }

    bool word(std::string& out) { return static_cast<bool>(mIn >> out); }

    bool word()
    {
        std::string ignored;
        return word(ignored);
    }

    bool integer(int32_t& value)
    {
        long long v = 0;
        if (!(mIn >> v) || v < std::numeric_limits<int32_t>::min() || v > std::numeric_limits<int32_t>::max())
            return false;
        value = static_cast<int32_t>(v);
        return true;
    }

    bool count(int32_t& n) { return integer(n) && n >= 0; }

    bool number(float& value) { return static_cast<bool>(mIn >> value); }

    bool vec3(YVec3& v) { return number(v.x) && number(v.y) && number(v.z); }

    bool quaternion(YVec4& q) { return number(q.x) && number(q.y) && number(q.z) && number(q.w); }

private:
    std::istringstream mIn;
};

// What went wrong, for the log: the reader stops at the first fault.
struct Fault {
    std::string text;
    bool operator()(const std::string& why)
    {
        text = why;
        return false;
    }
};

std::string nth(const char* what, size_t i, size_t n)
{
    return std::string(what) + " " + std::to_string(i) + " of " + std::to_string(n);
}

bool readBones(SkelTextReader& r, YSkelMesh& m, Fault& fault)
{
    std::string word;
    if (!r.word(word) || word != "sceleton" || !r.word())
        return fault("no \"sceleton\" and name");
    int32_t n = 0;
    if (!r.count(n))
        return fault("the bone count is not a count");
    for (int32_t b = 0; b < n; ++b) {
        YBone bone;
        if (!r.integer(bone.id) || !r.integer(bone.parent) || !r.vec3(bone.position) || !r.quaternion(bone.rotation))
            return fault(nth("bone", static_cast<size_t>(b), static_cast<size_t>(n)) + " cannot be read");
        m.bones.push_back(bone);
    }
    return true;
}

bool readAttachments(SkelTextReader& r, YSkelMesh& m, Fault& fault)
{
    int32_t n = 0;
    if (!r.word() || !r.count(n))
        return fault("the attachment count is not a count");
    for (int32_t i = 0; i < n; ++i) {
        YBoneAttachment a;
        YVec3 position;
        YVec4 rotation;
        if (!r.integer(a.id) || !r.integer(a.bone) || !r.vec3(position) || !r.quaternion(rotation))
            return fault(nth("attachment", static_cast<size_t>(i), static_cast<size_t>(n)) + " cannot be read");
        a.frame.makeRotationQuaternion(rotation, position);
        m.attachments.push_back(a);
    }
    return true;
}

// The weights are listed per authored position and stored per bone; a bone
// index must name a bone read above.
bool readWeights(SkelTextReader& r, YSkelMesh& m, Fault& fault)
{
    if (!r.word() || !r.word())
        return fault("the weights section is missing");
    const size_t S = m.sourceVertices.size(), B = m.bones.size();
    for (size_t v = 0; v < S; ++v) {
        int32_t k = 0;
        if (!r.count(k))
            return fault("the influence count of " + nth("vertex", v, S) + " cannot be read");
        YBoneWeight w;
        w.vertex = static_cast<int32_t>(v);
        if (k == 0) {
            if (B == 0)
                return fault(nth("vertex", v, S) + " is bound to bone 0, and there are no bones");
            w.weight = 1.0f;
            m.bones[0].weights.push_back(w);
            continue;
        }
        for (int32_t i = 0; i < k; ++i) {
            int32_t bone = 0;
            if (!r.integer(bone) || !r.number(w.weight))
                return fault("an influence of " + nth("vertex", v, S) + " cannot be read");
            if (bone < 0 || static_cast<size_t>(bone) >= B)
                return fault(nth("vertex", v, S) + " names bone " + std::to_string(bone) + " of " +
                             std::to_string(B));
            m.bones[static_cast<size_t>(bone)].weights.push_back(w);
        }
    }
    return true;
}

bool readKeys(SkelTextReader& r, YSkelMesh& m, Fault& fault)
{
    int32_t n = 0;
    if (!r.word() || !r.count(n))
        return fault("the key count is not a count");
    int64_t previous = 0;
    for (int32_t k = 0; k < n; ++k) {
        YAnimKey key;
        int32_t frame = 0;
        if (!r.word() || !r.integer(frame) || !r.vec3(key.root))
            return fault(nth("key", static_cast<size_t>(k), static_cast<size_t>(n)) + " cannot be read");
        int64_t frames = int64_t(frame) - previous;
        if (frames < 0)
            return fault(nth("key", static_cast<size_t>(k), static_cast<size_t>(n)) + " has frame " +
                         std::to_string(frame) + ", before the key ahead of it");
        previous = frame;
        key.frameCount = static_cast<int32_t>(frames);
        key.rotations.resize(m.bones.size());
        for (YVec4& q : key.rotations)
            if (!r.quaternion(q))
                return fault("a rotation of " + nth("key", static_cast<size_t>(k), static_cast<size_t>(n)) +
                             " cannot be read");
        m.keys.push_back(std::move(key));
    }
    return true;
}

} // namespace

bool YSkelMesh::parseSkeletonText(const std::string& text, const std::string& fileName)
{
    clearSkeleton();
    SkelTextReader reader(text);
    Fault fault;
    bool ok = readBones(reader, *this, fault) && readAttachments(reader, *this, fault) &&
              readWeights(reader, *this, fault) && readKeys(reader, *this, fault);
    if (ok && !checkSkeleton(fault.text))
        ok = false;
    if (!ok) {
        YLog::writef("Skeleton mesh file %s: %s; the skeleton is empty", fileName.c_str(), fault.text.c_str());
        clearSkeleton();
    }
    return ok;
}
