#pragma once
#include "core/math.h"
#include "render/render.h"
#include "render/resource.h"

#include <cstdint>
#include <string>
#include <vector>

class InStream;
class OutStream;

// Static triangle meshes. A mesh is authored as a text file ("mesh\pipe.mes")
// and compiled on first use into a binary cache next to it ("mesh\pipe.meb");
// later runs read the cache only. The mesh is never drawn itself: every drawn
// object copies its render vertices into a mesh instance, and the mesh gives
// the index buffer and the subsets.

// The limits of the record layout: render vertices per authored position,
// render vertices per normal group and faces per normal group.
constexpr int MAX_VERT_IDX = 15;
constexpr int MAX_FACES_PER_NORMAL = 15;
// 16-bit indices reach this many render vertices.
constexpr uint32_t MAX_MESH_VERTICES = 65536;

// Render vertex in the device format (position, normal, two uv pairs).
using YMeshVertex = YVertex;

struct YMeshTriangle {
    uint32_t v[3] = {0, 0, 0}; // render-vertex indices
    YVec3 normal;              // face normal
};

// The triangles that share one vertex normal at one authored position, and
// the render vertices that receive it. Entries beyond the counts are zero.
struct YNormalGroup {
    int32_t faceCount = 0;
    int32_t vertexCount = 0;
    int32_t faces[MAX_FACES_PER_NORMAL] = {};
    int32_t vertices[MAX_VERT_IDX] = {};
};

// One authored position and the render vertices made from it.
struct YSourceVertex {
    YVec3 pos;
    int32_t vertexCount = 0;
    int32_t vertices[MAX_VERT_IDX] = {};
};

// An edge shared by two triangles: its ends as the first triangle runs it,
// and the two triangles (the second runs it the other way).
struct YMeshEdge {
    uint32_t a = 0, b = 0;
    uint32_t first = 0, second = 0;
};

static_assert(sizeof(YMeshTriangle) == 24, "a mesh triangle is 24 bytes");
static_assert(sizeof(YMeshEdge) == 16, "a mesh edge is 16 bytes");

// What a mesh text file holds, before building: authored positions, texture
// and lightmap coordinates (v already flipped), and the faces.
struct YMeshFace {
    int32_t pos[3] = {0, 0, 0};
    int32_t tex[3] = {0, 0, 0};
    int32_t lmap[3] = {0, 0, 0};
    int32_t material = 0;
    uint32_t smooth = 0; // smoothing-group bit set
};

struct YMeshSource {
    std::vector<YVec3> positions;
    std::vector<YVec2> tex;
    std::vector<YVec2> lmap;
    std::vector<YMeshFace> faces;
};

// Reads the mesh text grammar. Returns true only when the whole text was
// read without error; on an error the source holds what was read before it
// (whole records only, every index in range) and the reason is logged.
// fileName only names the file in messages.
bool parseMeshText(const std::string& text, YMeshSource& source, const std::string& fileName);

class YMesh : public YRenderResource {
public:
    YMesh();
    ~YMesh() override;

    // Loads the text file (writing its cache) or the cache; see mesh.cpp.
    void load(const std::string& fileName);
    // (Re)creates the index buffer from the index list.
    void restore() override;
    void invalidate() override;
    // Scales the mesh's own render vertices from the authored positions.
    virtual void setScale(float scale);

    // Builds render vertices, normal groups, triangles, indices, subsets and
    // edges from parsed text. False (the mesh left empty, the reason logged)
    // when the mesh has more render vertices than 16-bit indices reach.
    // Exceeding a per-vertex limit logs it and ends the program.
    bool build(const YMeshSource& source);

    // The cache file layout. The reader checks every count and index against
    // the file and the mesh; a cache that fails leaves the mesh empty and
    // logs why. Both make the index buffer afresh (restore).
    void writeMeshCache(OutStream& out) const;
    bool readMeshCache(InStream& in);

    // Writes every source vertex's authored position times scale into the
    // positions of its render vertices in the given array.
    void scaleVertexPositions(float scale, std::vector<YMeshVertex>& target) const;
    // Face normals of the triangles from the positions of the given array.
    void computeFaceNormals(const std::vector<YMeshVertex>& from);
    // Vertex normals of every normal group written into the given array.
    void computeGroupNormals(std::vector<YMeshVertex>& target) const;

    bool empty() const { return triangles.empty(); }
    // Drops every vector (the index buffer too).
    void clear();

    YIndexBuffer indexBuffer = nullptr;
    std::vector<YMeshVertex> vertices;
    std::vector<YMeshTriangle> triangles;
    std::vector<YNormalGroup> normalGroups;
    std::vector<YSourceVertex> sourceVertices;
    std::vector<YMeshEdge> edges;
    std::vector<uint16_t> indices;
    std::vector<YMeshSubset> subsets;
    bool loaded = false;

private:
    void buildSubsets(const std::vector<YMeshFace>& faces);
    void buildEdges();
};

// Replaces the end of the program when a mesh exceeds a per-vertex limit
// (the log line is written first). The handler must not return: the fuzz
// targets throw from it, to go on with their next input. Null restores the
// end of the program.
using YMeshLimitHandler = void (*)(const char* limit, int value);
void setMeshLimitHandler(YMeshLimitHandler handler);

// The cache name of a mesh file: its last three characters replaced by "meb".
std::string meshCacheName(const std::string& fileName);

// Every mesh, by the name it was asked for (exact bytes).
std::vector<YMesh*>& gMeshes();
YMesh* findMesh(const std::string& name);
// The mesh of that file, loaded on first request; never null (a mesh whose
// files are missing or broken is empty).
YMesh* getMesh(const std::string& name);
// Deletes every mesh: meshes live for the whole run; this is for tests and
// the end of the program.
void clearMeshes();
