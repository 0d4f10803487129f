// Fuzz targets of the meshes: text files (parsed, built, their cache
// written and read back) and the caches, each then used as the game uses it.
#include "core/streams.h"
#include "render/mesh.h"
#include "render/skel_instance.h"
#include "render/skel_mesh.h"
#include "tests/fuzz/fuzz_support.h"
#include "tests/fuzz/fuzz_target.h"

#include <cstdio>
#include <cstdlib>

namespace {

// What the game does with a mesh once loaded: scaled copies and normals.
void use(YMesh& mesh)
{
    std::vector<YMeshVertex> copy = mesh.vertices;
    mesh.scaleVertexPositions(1.5f, copy);
    mesh.computeFaceNormals(copy);
    mesh.computeGroupNormals(copy);
}

// What the racket does with the hero: every key as one animation, played
// on a channel and on a second channel synchronised to it, posed and skinned.
void use(YSkelMesh& mesh)
{
    use(static_cast<YMesh&>(mesh));
    if (!mesh.hasSkeleton())
        return;
    mesh.addAnimation(makeIntRange(0, static_cast<int>(mesh.keys.size())));
    mesh.setChannel(0, -1, 0, 1.0f, 0.1f, 0.1f, true, false);
    mesh.setChannel(1, 0, 0, 0.5f, 0.0f, 0.2f, false, true);
    YSkelMeshInstance instance(&mesh);
    instance.setPoseFromClip(0, true);
    instance.playChannel(0);
    instance.playChannel(1);
    for (int i = 0; i < 4; ++i) {
        instance.update(0.05f);
        instance.updatePose();
    }
    instance.stopChannel(0);
    instance.update(0.3f);
    instance.updatePose();
    instance.setPoseFromClip(static_cast<int>(mesh.keys.size()) - 1, false);
}

std::string cacheOf(const YMesh&, const std::string& name) { return meshCacheName(name); }
std::string cacheOf(const YSkelMesh&, const std::string& name) { return skelCacheName(name); }
bool readCache(YMesh& mesh, InStream& in) { return mesh.readMeshCache(in); }
bool readCache(YSkelMesh& mesh, InStream& in) { return mesh.readSkelCache(in); }

// Loads the file as the game does (a text file without a cache is parsed,
// built and compiled into its cache; a cache is read) and uses the mesh. A
// cache the load wrote from a complete parse is what the next start reads
// instead of the text, so it must read back whole.
template <typename Mesh>
void loadMesh(const char* file, const uint8_t* data, size_t size)
{
    const std::string name = fuzz::writeInput(file, data, size);
    Mesh mesh;
    mesh.load(name);
    use(mesh);
    const std::string cache = cacheOf(mesh, name);
    if (cache == name)
        return;
    InFStream in(cache);
    if (!in.isOpen())
        return; // nothing was written: the text was incomplete or broken
    Mesh again;
    if (!readCache(again, in)) {
        std::fprintf(stderr, "a cache written from a complete parse does not read back: %s\n", cache.c_str());
        std::abort();
    }
    std::remove(cache.c_str());
}

} // namespace

TARVELIN_FUZZ_TARGET(mesh_text) { loadMesh<YMesh>("fuzz.mes", data, size); }
TARVELIN_FUZZ_TARGET(skel_text) { loadMesh<YSkelMesh>("fuzz.ams", data, size); }
TARVELIN_FUZZ_TARGET(mesh_cache) { loadMesh<YMesh>("fuzz.meb", data, size); }
TARVELIN_FUZZ_TARGET(skel_cache) { loadMesh<YSkelMesh>("fuzz.mab", data, size); }
