// The mesh text grammar: whitespace-separated words and numbers.
//
//   mesh NAME
//   vertices N      then N times: x y z
//   tvertices N     then N times: u v
//   faces N         then N times: a b c ta tb tc material smoothing-mask
//   [lightmap WORD WORD N   then N times: u v
//    tfaces M       then M times: face l0 l1 l2]
//
// v is stored as 1 - v. Without a lightmap section the lightmap coordinates
// are the texture coordinates.
#include "render/mesh.h"

#include "core/log.h"

#include <cstdint>
#include <limits>
#include <locale>
#include <sstream>

namespace {

class MeshTextReader {
public:
    MeshTextReader(const std::string& text, const std::string& fileName) : mIn(text), mFile(fileName)
    {
        mIn.imbue(std::locale::classic());
    }

    // The next word; false at the end of the text.
    bool next(std::string& word)
    {
        if (mIn >> word)
            return true;
        word.clear();
        return false;
    }

    // The next word must be the expected one; otherwise "Error token" names
    // what stood there (empty at the end of the text).
    bool expect(const char* expected)
    {
        std::string word;
        next(word);
        if (word == expected)
            return true;
        YLog::writef("Error token: %s", word.c_str());
        return false;
    }

    // Any next word (a name the game does not use); the end of the text in
    // its place is an "Error token" with nothing found.
    bool skipWord()
    {
        std::string word;
        if (next(word))
            return true;
        YLog::writef("Error token: %s", "");
        return false;
    }

    bool count(const char* section, int64_t& n)
    {
        long long value = 0;
        if (!(mIn >> value) || value < 0 || value > std::numeric_limits<int32_t>::max()) {
            YLog::writef("Mesh file %s: the %s count is not a count", mFile.c_str(), section);
            return false;
        }
        n = value;
        return true;
    }

    bool number(float& value) { return static_cast<bool>(mIn >> value); }

    bool integer(long long& value) { return static_cast<bool>(mIn >> value); }

    // An index field: out-of-range values become -1, which the face check
    // after reading rejects.
    bool index(int32_t& value)
    {
        long long v = 0;
        if (!integer(v))
            return false;
        value = (v < 0 || v > std::numeric_limits<int32_t>::max()) ? -1 : static_cast<int32_t>(v);
        return true;
    }

    bool uv(YVec2& out)
    {
        float u = 0, v = 0;
        if (!number(u) || !number(v))
            return false;
        out = YVec2(u, 1.0f - v);
        return true;
    }

    bool unreadable(const char* what, int64_t i, int64_t n)
    {
        YLog::writef("Mesh file %s: %s %lld of %lld cannot be read", mFile.c_str(), what,
                     static_cast<long long>(i), static_cast<long long>(n));
        return false;
    }

    const std::string& file() const { return mFile; }

private:
    std::istringstream mIn;
    std::string mFile;
};

bool readFace(MeshTextReader& r, YMeshFace& face)
{
    for (int k = 0; k < 3; ++k)
        if (!r.index(face.pos[k]))
            return false;
    for (int k = 0; k < 3; ++k)
        if (!r.index(face.tex[k]))
            return false;
    long long material = 0, mask = 0;
    if (!r.integer(material) || !r.integer(mask))
        return false;
    if (material < std::numeric_limits<int32_t>::min() || material > std::numeric_limits<int32_t>::max() ||
        mask < 0 || mask > std::numeric_limits<uint32_t>::max())
        return false;
    face.material = static_cast<int32_t>(material);
    face.smooth = static_cast<uint32_t>(mask);
    for (int k = 0; k < 3; ++k)
        face.lmap[k] = face.tex[k];
    return true;
}

bool readLightmap(MeshTextReader& r, YMeshSource& src)
{
    if (!r.skipWord() || !r.skipWord())
        return false;
    int64_t n = 0;
    if (!r.count("lightmap", n))
        return false;
    src.lmap.clear();
    for (int64_t i = 0; i < n; ++i) {
        YVec2 uv;
        if (!r.uv(uv))
            return r.unreadable("lightmap coordinate", i, n);
        src.lmap.push_back(uv);
    }
    if (!r.expect("tfaces"))
        return false;
    int64_t m = 0;
    if (!r.count("tfaces", m))
        return false;
    for (int64_t i = 0; i < m; ++i) {
        long long f = 0;
        int32_t l[3];
        if (!r.integer(f) || !r.index(l[0]) || !r.index(l[1]) || !r.index(l[2]))
            return r.unreadable("tface", i, m);
        if (f < 0 || f >= static_cast<long long>(src.faces.size())) {
            YLog::writef("Mesh file %s: tface %lld names face %lld, which does not exist", r.file().c_str(),
                         static_cast<long long>(i), f);
            return false;
        }
        for (int k = 0; k < 3; ++k)
            src.faces[static_cast<size_t>(f)].lmap[k] = l[k];
    }
    return true;
}

bool readSections(MeshTextReader& r, YMeshSource& src)
{
    std::string word;
    if (!r.expect("mesh"))
        return false;
    if (!r.skipWord()) // the authoring tool's name of the mesh
        return false;

    int64_t n = 0;
    if (!r.expect("vertices") || !r.count("vertices", n))
        return false;
    for (int64_t i = 0; i < n; ++i) {
        YVec3 p;
        if (!r.number(p.x) || !r.number(p.y) || !r.number(p.z))
            return r.unreadable("vertex", i, n);
        src.positions.push_back(p);
    }

    if (!r.expect("tvertices") || !r.count("tvertices", n))
        return false;
    for (int64_t i = 0; i < n; ++i) {
        YVec2 uv;
        if (!r.uv(uv))
            return r.unreadable("texture vertex", i, n);
        src.tex.push_back(uv);
    }
    src.lmap = src.tex;

    if (!r.expect("faces") || !r.count("faces", n))
        return false;
    for (int64_t i = 0; i < n; ++i) {
        YMeshFace face;
        if (!readFace(r, face))
            return r.unreadable("face", i, n);
        src.faces.push_back(face);
    }

    // One further word: only a lightmap section means anything.
    if (!r.next(word) || word != "lightmap")
        return true;
    return readLightmap(r, src);
}

// Every index of every face must name something that was read; the faces
// from the first one that does not are dropped.
bool checkFaces(YMeshSource& src, const std::string& file)
{
    const int64_t counts[3] = {static_cast<int64_t>(src.positions.size()), static_cast<int64_t>(src.tex.size()),
                               static_cast<int64_t>(src.lmap.size())};
    static const char* const kinds[3] = {"vertex", "texture vertex", "lightmap vertex"};
    for (size_t f = 0; f < src.faces.size(); ++f) {
        const YMeshFace& face = src.faces[f];
        const int32_t* fields[3] = {face.pos, face.tex, face.lmap};
        for (int kind = 0; kind < 3; ++kind) {
            for (int k = 0; k < 3; ++k) {
                int32_t i = fields[kind][k];
                if (i < 0 || i >= counts[kind]) {
                    YLog::writef("Mesh file %s: face %zu refers to %s %d, which does not exist", file.c_str(), f,
                                 kinds[kind], i);
                    src.faces.resize(f);
                    return false;
                }
            }
        }
    }
    return true;
}

} // namespace

bool parseMeshText(const std::string& text, YMeshSource& source, const std::string& fileName)
{
    source = YMeshSource();
    MeshTextReader reader(text, fileName);
    bool complete = readSections(reader, source);
    bool valid = checkFaces(source, fileName);
    return complete && valid;
}
