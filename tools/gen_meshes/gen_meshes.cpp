// Writes the game's meshes as mesh text files into "mesh/" of the game
// folder given as the only argument. The game compiles each into a cache
// beside it on first use and then reads only the cache, so every text
// written here takes its stale cache away.
#include "tools/gen_meshes/meshes.h"

#include "platform/sys/files.h"
#include "platform/sys/paths.h"

#include <cstdio>
#include <string>

namespace {

struct MeshFile {
    const char* name;
    gen::MeshBuilder (*make)();
};

const MeshFile MESHES[] = {
    {"ball2", gen::makeBall2},     {"ball_norm", gen::makeBallNormal}, {"ball_phant", gen::makeBallPhantom},
    {"ball_sat", gen::makeBallSatellite}, {"bomb", gen::makeBomb},      {"grenade", gen::makeGrenade},
    {"boomer", gen::makeBoomerang}, {"pipe", gen::makePipe},           {"pyramid", gen::makePyramid},
};

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: gen_meshes GAME_FOLDER\n");
        return 2;
    }
    const std::string folder = std::string(argv[1]) + "/mesh";
    if (!sys::makeDirectories(folder)) {
        std::fprintf(stderr, "gen_meshes: cannot make %s\n", folder.c_str());
        return 1;
    }
    for (const MeshFile& m : MESHES) {
        const std::string base = folder + "/" + m.name;
        std::string error;
        if (!sys::writeFileAtomic(base + ".mes", m.make().text(m.name), &error)) {
            std::fprintf(stderr, "gen_meshes: %s.mes: %s\n", base.c_str(), error.c_str());
            return 1;
        }
        if (!sys::removeFile(base + ".meb")) {
            std::fprintf(stderr, "gen_meshes: cannot remove the stale cache %s.meb\n", base.c_str());
            return 1;
        }
    }
    return 0;
}
