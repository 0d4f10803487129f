// Writes the hero's skinned mesh "mesh\hero.ams" into the game folder given
// as the only argument. The game compiles it into "mesh\hero.mab" on first
// use and then reads only that, so the stale cache is removed.
#include "tools/gen_hero/hero_rig.h"

#include "platform/sys/files.h"
#include "platform/sys/paths.h"

#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>

namespace gen {

namespace {

std::string vec(const V3& v) { return number(v.x) + " " + number(v.y) + " " + number(v.z); }

std::string quat(const Quat& q)
{
    return number(q.x) + " " + number(q.y) + " " + number(q.z) + " " + number(q.w);
}

// The number after "vertices" in the mesh text: every authored position
// must have its weights.
size_t positionCount(const std::string& meshText)
{
    std::istringstream in(meshText);
    std::string word;
    while (in >> word)
        if (word == "vertices") {
            size_t n = 0;
            in >> n;
            return n;
        }
    return 0;
}

} // namespace

std::string heroText(const SkinnedBody& body, const std::vector<Key>& keys)
{
    std::string out = body.mesh.text("hero");
    if (positionCount(out) != body.weights.size()) {
        std::fprintf(stderr, "gen_hero: %zu positions but %zu weight lists\n", positionCount(out),
                     body.weights.size());
        std::exit(1);
    }

    out += "sceleton hero\n" + std::to_string(hero::BONE_COUNT) + "\n";
    for (int b = 0; b < hero::BONE_COUNT; ++b) {
        const BoneDef& bone = BONES[static_cast<size_t>(b)];
        out += std::to_string(b) + " " + std::to_string(bone.parent) + " " + vec(bone.offset) + " " +
               quat(Quat()) + "\n";
    }

    out += "attachments " + std::to_string(hero::ATTACHMENT_COUNT) + "\n";
    for (int a = 0; a < hero::ATTACHMENT_COUNT; ++a) {
        const AttachmentDef& at = ATTACHMENTS[static_cast<size_t>(a)];
        out += std::to_string(a) + " " + std::to_string(at.bone) + " " + vec(at.position) + " " +
               quat(at.rotation) + "\n";
    }

    out += "vertex weights\n";
    for (const auto& list : body.weights) {
        out += std::to_string(list.size());
        for (const auto& w : list)
            out += " " + std::to_string(w.first) + " " + number(w.second);
        out += "\n";
    }

    out += "keys " + std::to_string(keys.size()) + "\n";
    long frame = 0;
    for (const Key& k : keys) {
        frame += k.frames;
        out += "key " + std::to_string(frame) + " " + vec(k.root);
        for (const Quat& q : k.rotations)
            out += " " + quat(q);
        out += "\n";
    }
    return out;
}

} // namespace gen

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: gen_hero GAME_FOLDER\n");
        return 2;
    }
    const std::string folder = std::string(argv[1]) + "/mesh";
    if (!sys::makeDirectories(folder)) {
        std::fprintf(stderr, "gen_hero: cannot make %s\n", folder.c_str());
        return 1;
    }
    const std::string text = gen::heroText(gen::makeHeroBody(), gen::makeHeroKeys());
    std::string error;
    if (!sys::writeFileAtomic(folder + "/hero.ams", text, &error)) {
        std::fprintf(stderr, "gen_hero: %s/hero.ams: %s\n", folder.c_str(), error.c_str());
        return 1;
    }
    if (!sys::removeFile(folder + "/hero.mab")) {
        std::fprintf(stderr, "gen_hero: cannot remove the stale cache %s/hero.mab\n", folder.c_str());
        return 1;
    }
    return 0;
}
