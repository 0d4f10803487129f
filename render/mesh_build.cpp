// Building a mesh from its parsed text: smoothing groups, welded render
// vertices, triangles with their normals, the 16-bit index list, one subset
// per material and the edges that shadow silhouettes walk.
#include "render/mesh.h"

#include "core/log.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <unordered_map>
#include <utility>

namespace {

// A fixed table of the mesh format is too small for the data: the mesh
// cannot be represented, so the program ends here, with a failure code
// rather than reporting success. The log line is already on disk; nothing
// half-built is torn down on the way out.
YMeshLimitHandler gLimitHandler = nullptr;

[[noreturn]] void limitExceeded(const char* limit, int value)
{
    YLog::writef("Error, %s = %d  is small", limit, value);
    if (gLimitHandler)
        gLimitHandler(limit, value); // does not come back: it throws
    std::_Exit(1);
}

// A face corner becomes a render vertex per distinct (position, texture
// coordinate, lightmap coordinate, normal group).
struct CornerKey {
    int32_t pos, tex, lmap, group;
    bool operator==(const CornerKey& o) const
    {
        return pos == o.pos && tex == o.tex && lmap == o.lmap && group == o.group;
    }
};

struct CornerKeyHash {
    size_t operator()(const CornerKey& k) const
    {
        uint64_t h = static_cast<uint32_t>(k.pos);
        h = h * 0x9E3779B97F4A7C15ull ^ static_cast<uint32_t>(k.tex);
        h = h * 0x9E3779B97F4A7C15ull ^ static_cast<uint32_t>(k.lmap);
        h = h * 0x9E3779B97F4A7C15ull ^ static_cast<uint32_t>(k.group);
        return static_cast<size_t>(h ^ (h >> 29));
    }
};

using Corner = std::pair<int32_t, int>; // face, corner

// For each authored position, the faces using it are split into groups that
// share one vertex normal: the last remaining face opens a group and every
// other face whose smoothing mask shares a bit with the opener's joins it. A
// face with mask 0 therefore always gets a flat normal of its own.
std::vector<YNormalGroup> smoothNormals(const std::vector<YMeshFace>& faces, size_t positionCount,
                                        std::vector<std::array<int32_t, 3>>& faceGroup)
{
    std::vector<std::vector<Corner>> uses(positionCount);
    for (size_t f = 0; f < faces.size(); ++f)
        for (int c = 0; c < 3; ++c)
            uses[static_cast<size_t>(faces[f].pos[c])].push_back(Corner(static_cast<int32_t>(f), c));

    std::vector<YNormalGroup> groups;
    faceGroup.assign(faces.size(), {0, 0, 0});
    for (std::vector<Corner>& list : uses) {
        while (!list.empty()) {
            Corner opener = list.back();
            list.pop_back();
            const int32_t index = static_cast<int32_t>(groups.size());
            YNormalGroup group;
            group.faces[group.faceCount++] = opener.first;
            faceGroup[static_cast<size_t>(opener.first)][opener.second] = index;
            const uint32_t mask = faces[static_cast<size_t>(opener.first)].smooth;
            size_t kept = 0;
            for (const Corner& other : list) {
                if ((mask & faces[static_cast<size_t>(other.first)].smooth) == 0) {
                    list[kept++] = other;
                    continue;
                }
                if (group.faceCount == MAX_FACES_PER_NORMAL)
                    limitExceeded("MAX_FACES_PER_NORMAL", MAX_FACES_PER_NORMAL);
                group.faces[group.faceCount++] = other.first;
                faceGroup[static_cast<size_t>(other.first)][other.second] = index;
            }
            list.resize(kept);
            groups.push_back(group);
        }
    }
    return groups;
}

bool samePosition(const YVec3& a, const YVec3& b)
{
    return std::fabs(a.x - b.x) < 1e-6f && std::fabs(a.y - b.y) < 1e-6f && std::fabs(a.z - b.z) < 1e-6f;
}

} // namespace

void setMeshLimitHandler(YMeshLimitHandler handler) { gLimitHandler = handler; }

bool YMesh::build(const YMeshSource& src)
{
    clear();
    std::vector<YMeshFace> faces = src.faces;
    std::stable_sort(faces.begin(), faces.end(),
                     [](const YMeshFace& a, const YMeshFace& b) { return a.material < b.material; });

    std::vector<std::array<int32_t, 3>> faceGroup;
    std::vector<YNormalGroup> groups = smoothNormals(faces, src.positions.size(), faceGroup);

    // Weld the corners into render vertices, in order of first appearance.
    std::unordered_map<CornerKey, uint32_t, CornerKeyHash> seen;
    seen.reserve(faces.size() * 3);
    std::vector<CornerKey> keys;
    std::vector<std::array<uint32_t, 3>> faceVertices(faces.size());
    for (size_t f = 0; f < faces.size(); ++f) {
        for (int c = 0; c < 3; ++c) {
            CornerKey key{faces[f].pos[c], faces[f].tex[c], faces[f].lmap[c], faceGroup[f][c]};
            auto found = seen.emplace(key, static_cast<uint32_t>(keys.size()));
            if (found.second)
                keys.push_back(key);
            faceVertices[f][static_cast<size_t>(c)] = found.first->second;
        }
    }
    if (keys.size() > MAX_MESH_VERTICES) {
        YLog::writef("Mesh %s: %zu render vertices, more than the %u that 16-bit indices reach; the mesh is rejected",
                     name.c_str(), keys.size(), MAX_MESH_VERTICES);
        return false;
    }

    sourceVertices.resize(src.positions.size());
    for (size_t p = 0; p < src.positions.size(); ++p)
        sourceVertices[p].pos = src.positions[p];
    vertices.resize(keys.size());
    for (size_t i = 0; i < keys.size(); ++i) {
        const CornerKey& key = keys[i];
        YMeshVertex& v = vertices[i];
        v.pos = src.positions[static_cast<size_t>(key.pos)];
        v.tex = src.tex[static_cast<size_t>(key.tex)];
        v.tex2 = src.lmap[static_cast<size_t>(key.lmap)];
        YSourceVertex& s = sourceVertices[static_cast<size_t>(key.pos)];
        YNormalGroup& g = groups[static_cast<size_t>(key.group)];
        if (s.vertexCount == MAX_VERT_IDX || g.vertexCount == MAX_VERT_IDX)
            limitExceeded("MAX_VERT_IDX", MAX_VERT_IDX);
        s.vertices[s.vertexCount++] = static_cast<int32_t>(i);
        g.vertices[g.vertexCount++] = static_cast<int32_t>(i);
    }
    normalGroups = std::move(groups);

    triangles.resize(faces.size());
    for (size_t f = 0; f < faces.size(); ++f)
        for (int c = 0; c < 3; ++c)
            triangles[f].v[c] = faceVertices[f][static_cast<size_t>(c)];
    computeFaceNormals(vertices);
    computeGroupNormals(vertices);

    buildSubsets(faces);
    buildEdges();
    return true;
}

// The index list in triangle order, and a subset for every run of equal
// material (the faces are sorted by material, so one per material).
void YMesh::buildSubsets(const std::vector<YMeshFace>& faces)
{
    indices.reserve(triangles.size() * 3);
    size_t start = 0;
    for (size_t f = 0; f < triangles.size(); ++f) {
        for (int c = 0; c < 3; ++c)
            indices.push_back(static_cast<uint16_t>(triangles[f].v[c]));
        if (f + 1 < triangles.size() && faces[f + 1].material == faces[f].material)
            continue;
        uint32_t lowest = triangles[start].v[0], highest = lowest;
        for (size_t t = start; t <= f; ++t) {
            for (uint32_t v : triangles[t].v) {
                lowest = std::min(lowest, v);
                highest = std::max(highest, v);
            }
        }
        YMeshSubset s;
        s.firstIndex = static_cast<int32_t>(start * 3);
        s.triangleCount = static_cast<int32_t>(f + 1 - start);
        s.materialId = faces[f].material;
        s.lowestVertex = static_cast<int32_t>(lowest);
        s.vertexCount = static_cast<int32_t>(highest - lowest + 1);
        subsets.push_back(s);
        start = f + 1;
    }
}

// Pairs every half-edge with the first half-edge of a later triangle that
// runs between the same positions the other way. Positions, not render
// vertices, are compared, so edges join across texture seams and smoothing
// borders; a half-edge without a partner (an open mesh) makes no edge.
void YMesh::buildEdges()
{
    const size_t count = triangles.size();
    std::vector<uint8_t> paired(count, 0); // bit c: half-edge c (corner c to c + 1) has its partner
    auto at = [&](size_t t, int c) -> const YVec3& { return vertices[triangles[t].v[c]].pos; };
    for (size_t i = 0; i < count; ++i) {
        for (int c = 0; c < 3; ++c) {
            if (paired[i] & (1u << c))
                continue;
            const int c1 = (c + 1) % 3;
            const YVec3& from = at(i, c);
            const YVec3& to = at(i, c1);
            bool found = false;
            for (size_t j = i + 1; j < count && !found; ++j) {
                for (int k = 0; k < 3; ++k) {
                    const int k2 = (k + 2) % 3; // half-edge k2 runs from corner k2 to corner k
                    if ((paired[j] & (1u << k2)) || !samePosition(from, at(j, k)) || !samePosition(to, at(j, k2)))
                        continue;
                    YMeshEdge e;
                    e.a = triangles[i].v[c];
                    e.b = triangles[i].v[c1];
                    e.first = static_cast<uint32_t>(i);
                    e.second = static_cast<uint32_t>(j);
                    edges.push_back(e);
                    paired[i] |= static_cast<uint8_t>(1u << c);
                    paired[j] |= static_cast<uint8_t>(1u << k2);
                    found = true;
                    break;
                }
            }
        }
    }
}
