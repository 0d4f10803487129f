#pragma once
// Building blocks of the procedural meshes: a mesh under construction that
// writes the game's mesh text format, and the closed shapes the meshes are
// made of (icospheres, lathed profiles, a heightfield of columns).
#include <cmath>
#include <cstdint>
#include <map>
#include <string>
#include <tuple>
#include <vector>

namespace gen {

struct V3 {
    double x = 0, y = 0, z = 0;
    V3() = default;
    V3(double x_, double y_, double z_) : x(x_), y(y_), z(z_) {}
    V3 operator+(const V3& o) const { return V3(x + o.x, y + o.y, z + o.z); }
    V3 operator-(const V3& o) const { return V3(x - o.x, y - o.y, z - o.z); }
    V3 operator*(double s) const { return V3(x * s, y * s, z * s); }
    double dot(const V3& o) const { return x * o.x + y * o.y + z * o.z; }
    V3 cross(const V3& o) const { return V3(y * o.z - z * o.y, z * o.x - x * o.z, x * o.y - y * o.x); }
    double length() const { return std::sqrt(dot(*this)); }
    V3 normalized() const { return *this * (1.0 / length()); }
};

// Six decimals, trailing zeros dropped, no negative zero: the same text for
// the same value on every run. The mesh texts of both mesh generators write
// their numbers with it.
std::string number(double value);

struct UV {
    double u = 0, v = 0;
};

// A rotation (three rows: where the local x, y and z axes go) and a
// translation, applied to the positions a shape makes.
struct Frame {
    V3 x{1, 0, 0}, y{0, 1, 0}, z{0, 0, 1};
    V3 origin;
    V3 apply(const V3& p) const { return x * p.x + y * p.y + z * p.z + origin; }
    // The frame whose local z runs along dir, starting at origin.
    static Frame along(const V3& origin, const V3& dir);
};

class MeshBuilder {
public:
    int position(const V3& p);
    // Texture coordinates are kept per material, so subsets never share a
    // render vertex (code may rewrite one subset's coordinates).
    int texture(int material, const UV& uv);
    // A triangle with its corners in counter-clockwise order seen from
    // outside (the order the loader's face normals and the cull mode expect).
    void triangle(int material, uint32_t smooth, const int pos[3], const UV uv[3]);
    // The same, turned to face along the given outward direction.
    void triangleFacing(int material, uint32_t smooth, int a, int b, int c, const UV uv[3], const V3& outward);

    const V3& at(int index) const { return mPositions[static_cast<size_t>(index)]; }
    size_t faceCount() const { return mFaces.size(); }
    // The mesh text: "mesh", "vertices", "tvertices", "faces" (v written as
    // 1 - v, since the loader flips it back).
    std::string text(const std::string& name) const;

private:
    struct Face {
        int pos[3];
        int tex[3];
        int material;
        uint32_t smooth;
    };
    std::vector<V3> mPositions;
    std::vector<UV> mTex;
    std::map<std::tuple<int, long long, long long>, int> mTexIndex;
    std::vector<Face> mFaces;
};

// A sphere (an ellipsoid with unequal radii) from a subdivided icosahedron:
// no position is shared by more than six triangles, unlike the pole of a UV
// sphere. Spherical texture mapping, u repeated uRepeat times around.
void addIcosphere(MeshBuilder& mesh, const V3& center, const V3& radii, int subdivisions, int material,
                  uint32_t smooth, double uRepeat = 1.0);

// A point of a lathe profile: radius and height. A crease ends the smooth
// run of the segments before it.
struct ProfilePoint {
    double r, z;
    bool crease;
};

// A closed solid of revolution about the local z axis: the profile runs from
// a point on the axis (r = 0) to another, the solid on its left going up.
// Each smooth run of segments gets its own smoothing bit, starting at
// firstBit. segments stays at most 12, since every triangle of a cap meets
// at its pole.
void addLathe(MeshBuilder& mesh, const Frame& frame, const std::vector<ProfilePoint>& profile, int segments,
              int material, int firstBit);

} // namespace gen
