// The mesh cache: the built mesh as flat little-endian sections, read in one
// pass on every later run.
//
//   name             u16 length, bytes (at most 99 are kept)
//   vertices         u32 count, 40 bytes each (position, normal, uv, uv2)
//   triangles        u32 count, 24 bytes each (a, b, c, normal)
//   normal groups    u32 count, each: u32 F, F u32 faces, u32 K, K u32 vertices
//   source vertices  u32 count, each: x, y, z, u32 K, K u32 vertices
//   edges            u32 count, 16 bytes each (a, b, first, second)
//   indices          u32 count (3 per triangle), u16 each
//   subsets          u32 count, 20 bytes each
//
// The file carries no check of its own, so the reader checks every count
// against the bytes left and every index against what it names: a damaged
// cache gives an empty mesh, never a read outside the vectors.
#include "render/mesh.h"

#include "core/log.h"
#include "core/streams.h"
#include "render/cache_io.h"

namespace {

constexpr int MAX_NAME = 99;

void writeIndexList(OutStream& out, int32_t count, const int32_t* list)
{
    out.writeValue(static_cast<uint32_t>(count));
    out.write(list, count * static_cast<int>(sizeof(int32_t)));
}

// A short list of indices (at most the limit), each below bound.
bool readIndexList(YCacheReader& r, int32_t& count, int32_t* list, int limit, uint32_t bound)
{
    uint32_t n = 0;
    if (!r.value(n))
        return false;
    if (n > static_cast<uint32_t>(limit))
        return r.fail("a list of " + std::to_string(n) + " entries (at most " + std::to_string(limit) + ")");
    for (uint32_t k = 0; k < n; ++k) {
        uint32_t i = 0;
        if (!r.value(i))
            return false;
        if (!r.below(i, bound))
            return false;
        list[k] = static_cast<int32_t>(i);
    }
    count = static_cast<int32_t>(n);
    return true;
}

bool readSections(YCacheReader& r, YMesh& m)
{
    r.section("name");
    char stored[MAX_NAME + 1];
    r.in().readString(stored, sizeof(stored));
    if (!r.in().good())
        return r.fail("missing or cut short");
    // The mesh keeps the name it was asked for: the registry finds it by that.

    r.section("vertices");
    if (!r.array(m.vertices))
        return false;
    if (m.vertices.size() > MAX_MESH_VERTICES)
        return r.fail("more render vertices than 16-bit indices reach");
    const size_t V = m.vertices.size();

    r.section("triangles");
    if (!r.array(m.triangles))
        return false;
    const size_t T = m.triangles.size();
    for (const YMeshTriangle& t : m.triangles)
        for (uint32_t v : t.v)
            if (!r.below(v, V))
                return false;

    r.section("normal groups");
    uint32_t n = 0;
    if (!r.count(n, 8))
        return false;
    for (uint32_t g = 0; g < n; ++g) {
        YNormalGroup group;
        if (!readIndexList(r, group.faceCount, group.faces, MAX_FACES_PER_NORMAL, static_cast<uint32_t>(T)) ||
            !readIndexList(r, group.vertexCount, group.vertices, MAX_VERT_IDX, static_cast<uint32_t>(V)))
            return false;
        m.normalGroups.push_back(group);
    }

    r.section("source vertices");
    if (!r.count(n, 16))
        return false;
    for (uint32_t s = 0; s < n; ++s) {
        YSourceVertex source;
        if (!r.value(source.pos))
            return false;
        if (!readIndexList(r, source.vertexCount, source.vertices, MAX_VERT_IDX, static_cast<uint32_t>(V)))
            return false;
        m.sourceVertices.push_back(source);
    }

    r.section("edges");
    if (!r.array(m.edges))
        return false;
    for (const YMeshEdge& e : m.edges)
        if (!r.below(e.a, V) || !r.below(e.b, V) || !r.below(e.first, T) || !r.below(e.second, T))
            return false;

    r.section("indices");
    if (!r.array(m.indices))
        return false;
    if (m.indices.size() != T * 3)
        return r.fail(std::to_string(m.indices.size()) + " indices for " + std::to_string(T) + " triangles");
    for (uint16_t i : m.indices)
        if (!r.below(i, V))
            return false;

    r.section("subsets");
    if (!r.array(m.subsets))
        return false;
    for (const YMeshSubset& s : m.subsets) {
        bool inside = s.firstIndex >= 0 && s.triangleCount >= 0 && s.lowestVertex >= 0 && s.vertexCount >= 0 &&
                      int64_t(s.firstIndex) + int64_t(s.triangleCount) * 3 <= int64_t(m.indices.size()) &&
                      int64_t(s.lowestVertex) + s.vertexCount <= int64_t(V);
        if (!inside)
            return r.fail("a subset outside the index list or the vertices");
    }
    return true;
}

} // namespace

void YMesh::writeMeshCache(OutStream& out) const
{
    out.writeString(name);
    writeCacheArray(out, vertices);
    writeCacheArray(out, triangles);
    out.writeValue(static_cast<uint32_t>(normalGroups.size()));
    for (const YNormalGroup& g : normalGroups) {
        writeIndexList(out, g.faceCount, g.faces);
        writeIndexList(out, g.vertexCount, g.vertices);
    }
    out.writeValue(static_cast<uint32_t>(sourceVertices.size()));
    for (const YSourceVertex& s : sourceVertices) {
        out.writeValue(s.pos);
        writeIndexList(out, s.vertexCount, s.vertices);
    }
    writeCacheArray(out, edges);
    writeCacheArray(out, indices);
    writeCacheArray(out, subsets);
}

bool YMesh::readMeshCache(InStream& in)
{
    clear();
    YCacheReader reader(in, "name");
    bool ok = readSections(reader, *this);
    if (!ok) {
        YLog::writef("Mesh cache of %s: %s; the mesh is empty", name.c_str(), reader.reason().c_str());
        clear();
    }
    restore();
    return ok;
}
