#pragma once
// Mesh text fixtures and the base of the fixtures shared by the mesh tests.
#include "platform/sys/paths.h"
#include "render/mesh.h"
#include "render/recording_render.h"
#include "tests/render/render_fixture.h"

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace meshfix {

struct Face {
    int a, b, c;
    int ta, tb, tc;
    int material;
    uint32_t smooth;
};

inline std::string meshText(const std::vector<YVec3>& positions, const std::vector<YVec2>& tex,
                            const std::vector<Face>& faces)
{
    std::string out = "mesh test\nvertices " + std::to_string(positions.size()) + "\n";
    char line[128];
    for (const YVec3& p : positions) {
        std::snprintf(line, sizeof(line), "%g %g %g\n", p.x, p.y, p.z);
        out += line;
    }
    out += "tvertices " + std::to_string(tex.size()) + "\n";
    for (const YVec2& t : tex) {
        std::snprintf(line, sizeof(line), "%g %g\n", t.x, t.y);
        out += line;
    }
    out += "faces " + std::to_string(faces.size()) + "\n";
    for (const Face& f : faces) {
        std::snprintf(line, sizeof(line), "%d %d %d %d %d %d %d %u\n", f.a, f.b, f.c, f.ta, f.tb, f.tc, f.material,
                      f.smooth);
        out += line;
    }
    return out;
}

// A unit cube with every corner welded by position, outward counter-
// clockwise faces; each of the six sides has material = its side number
// modulo materials, and its own texture corners (seams everywhere).
inline std::string cubeText(int materials = 1, uint32_t smooth = 1)
{
    std::vector<YVec3> p = {YVec3(0, 0, 0), YVec3(1, 0, 0), YVec3(1, 1, 0), YVec3(0, 1, 0),
                            YVec3(0, 0, 1), YVec3(1, 0, 1), YVec3(1, 1, 1), YVec3(0, 1, 1)};
    std::vector<YVec2> t = {YVec2(0, 0), YVec2(1, 0), YVec2(1, 1), YVec2(0, 1)};
    // Quads as seen from outside, counter-clockwise.
    const int quads[6][4] = {{0, 3, 2, 1}, {4, 5, 6, 7}, {0, 1, 5, 4}, {1, 2, 6, 5}, {2, 3, 7, 6}, {3, 0, 4, 7}};
    std::vector<Face> f;
    for (int s = 0; s < 6; ++s) {
        const int* q = quads[s];
        int m = s % materials;
        f.push_back({q[0], q[1], q[2], 0, 1, 2, m, smooth});
        f.push_back({q[0], q[2], q[3], 0, 2, 3, m, smooth});
    }
    return meshText(p, t, f);
}

// A mesh built from text without touching files (registered in gMeshes).
inline YMesh* buildMesh(const std::string& text, const std::string& name = "test")
{
    YMesh* mesh = new YMesh();
    mesh->name = name;
    YMeshSource source;
    parseMeshText(text, source, name);
    mesh->build(source);
    mesh->restore();
    return mesh;
}

// A recording renderer of 4 stages and the log; every mesh is forgotten
// after the test.
class MeshRegistryTest : public rendertest::LoggedTest {
protected:
    void SetUp() override
    {
        render = std::make_unique<YRecordingRender>(4);
        openLog();
    }

    void TearDown() override
    {
        clearMeshes();
        render.reset();
    }

    static bool fileExists(const std::string& path) { return sys::pathKind(path) == sys::PathKind::File; }

    std::unique_ptr<YRecordingRender> render;
};

} // namespace meshfix
