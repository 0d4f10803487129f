#include "render/mesh.h"

#include "core/log.h"
#include "core/streams.h"
#include "platform/sys/files.h"
#include "platform/sys/paths.h"

#include <algorithm>

std::vector<YMesh*>& gMeshes()
{
    static std::vector<YMesh*> registry;
    return registry;
}

YMesh* findMesh(const std::string& name)
{
    for (YMesh* m : gMeshes())
        if (m->name == name)
            return m;
    return nullptr;
}

YMesh* getMesh(const std::string& name)
{
    if (YMesh* m = findMesh(name))
        return m;
    YMesh* m = new YMesh();
    m->load(name);
    return m;
}

void clearMeshes()
{
    auto& list = gMeshes();
    while (!list.empty())
        delete list.back(); // the destructor takes it off the list
}

std::string meshCacheName(const std::string& fileName)
{
    size_t keep = fileName.size() >= 3 ? fileName.size() - 3 : 0;
    return fileName.substr(0, keep) + "meb";
}

YMesh::YMesh()
{
    kind = YRK_MESH;
    gMeshes().push_back(this);
}

YMesh::~YMesh()
{
    invalidate();
    auto& list = gMeshes();
    auto it = std::find(list.begin(), list.end(), this);
    if (it != list.end()) {
        *it = list.back();
        list.pop_back();
    }
}

// A text file ("...mes", exactly these letters) without a cache beside it is
// parsed and built, and the cache is written; anything else reads the cache
// ("...meb" names a cache directly). A cache, once written, is used without
// looking at the text again, so a cache is written only from a complete
// parse: a missing or broken text gives a mesh of what could be read and
// is read again next time, where its mistake is logged again.
void YMesh::load(const std::string& fileName)
{
    name = fileName;
    const std::string cacheName = meshCacheName(fileName);
    const bool text = fileName.size() >= 3 && fileName.compare(fileName.size() - 3, 3, "mes") == 0;
    if (!text || sys::pathKind(cacheName) == sys::PathKind::File) {
        InFStream in(cacheName);
        readMeshCache(in);
        loaded = true;
        return;
    }

    YLog::writef("Load mesh file %s", fileName.c_str());
    std::string data;
    YMeshSource source;
    bool complete = false;
    if (sys::readFile(fileName, data))
        complete = parseMeshText(data, source, fileName);
    else
        YLog::writef("Mesh file %s cannot be read", fileName.c_str());
    bool built = build(source);
    loaded = true;
    restore();
    if (!complete || !built) {
        YLog::writef("Mesh file %s: no cache written", fileName.c_str());
        return;
    }
    // The stream writes a temporary file and renames it into place on close,
    // so a crash never leaves a truncated cache. When the folder cannot be
    // written the mesh just built is used all the same.
    OutFStream out(cacheName);
    writeMeshCache(out);
    if (!out.close())
        YLog::writef("Mesh %s: cache %s not written; the text is read again next time", fileName.c_str(),
                     cacheName.c_str());
}

void YMesh::restore()
{
    if (!gRender)
        return;
    if (indexBuffer)
        gRender->releaseIndexBuffer(indexBuffer);
    indexBuffer = gRender->createIndexBuffer(indices);
}

void YMesh::invalidate()
{
    if (gRender && indexBuffer)
        gRender->releaseIndexBuffer(indexBuffer);
    indexBuffer = nullptr;
}

void YMesh::setScale(float scale) { scaleVertexPositions(scale, vertices); }

void YMesh::clear()
{
    invalidate();
    vertices.clear();
    triangles.clear();
    normalGroups.clear();
    sourceVertices.clear();
    edges.clear();
    indices.clear();
    subsets.clear();
}

void YMesh::scaleVertexPositions(float scale, std::vector<YMeshVertex>& target) const
{
    for (const YSourceVertex& s : sourceVertices) {
        YVec3 p = s.pos * scale;
        for (int k = 0; k < s.vertexCount; ++k) {
            size_t i = static_cast<size_t>(s.vertices[k]);
            if (i < target.size())
                target[i].pos = p;
        }
    }
}

void YMesh::computeFaceNormals(const std::vector<YMeshVertex>& from)
{
    for (YMeshTriangle& t : triangles) {
        if (t.v[0] >= from.size() || t.v[1] >= from.size() || t.v[2] >= from.size())
            continue;
        const YVec3& a = from[t.v[0]].pos;
        const YVec3& b = from[t.v[1]].pos;
        const YVec3& c = from[t.v[2]].pos;
        YVec3 n = cross(a - b, b - c);
        float len = n.length();
        // A degenerate triangle has no direction: its normal stays zero
        // rather than becoming NaN.
        t.normal = len > 0.0f ? n * (1.0f / len) : YVec3();
    }
}

void YMesh::computeGroupNormals(std::vector<YMeshVertex>& target) const
{
    for (const YNormalGroup& g : normalGroups) {
        YVec3 sum;
        for (int k = 0; k < g.faceCount; ++k) {
            size_t f = static_cast<size_t>(g.faces[k]);
            if (f < triangles.size())
                sum = sum + triangles[f].normal;
        }
        float len = sum.length();
        YVec3 n = len > 0.0f ? sum * (1.0f / len) : YVec3();
        for (int k = 0; k < g.vertexCount; ++k) {
            size_t i = static_cast<size_t>(g.vertices[k]);
            if (i < target.size())
                target[i].normal = n;
        }
    }
}
