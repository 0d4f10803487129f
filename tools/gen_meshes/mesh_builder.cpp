#include "tools/gen_meshes/mesh_builder.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <utility>

namespace gen {

namespace {

const double PI = 3.14159265358979323846;

long long key6(double v) { return std::llround(v * 1e6); }

} // namespace

std::string number(double value)
{
    char buffer[64];
    std::snprintf(buffer, sizeof(buffer), "%.6f", value);
    std::string s = buffer;
    while (!s.empty() && s.back() == '0')
        s.pop_back();
    if (!s.empty() && s.back() == '.')
        s.pop_back();
    if (s == "-0")
        s = "0";
    return s;
}

Frame Frame::along(const V3& origin, const V3& dir)
{
    Frame f;
    f.z = dir.normalized();
    V3 helper = std::fabs(f.z.z) < 0.9 ? V3(0, 0, 1) : V3(1, 0, 0);
    f.x = helper.cross(f.z).normalized();
    f.y = f.z.cross(f.x);
    f.origin = origin;
    return f;
}

int MeshBuilder::position(const V3& p)
{
    mPositions.push_back(p);
    return static_cast<int>(mPositions.size() - 1);
}

int MeshBuilder::texture(int material, const UV& uv)
{
    auto key = std::make_tuple(material, key6(uv.u), key6(uv.v));
    auto found = mTexIndex.find(key);
    if (found != mTexIndex.end())
        return found->second;
    mTex.push_back(uv);
    int index = static_cast<int>(mTex.size() - 1);
    mTexIndex.emplace(key, index);
    return index;
}

void MeshBuilder::triangle(int material, uint32_t smooth, const int pos[3], const UV uv[3])
{
    Face f;
    for (int k = 0; k < 3; ++k) {
        f.pos[k] = pos[k];
        f.tex[k] = texture(material, uv[k]);
    }
    f.material = material;
    f.smooth = smooth;
    mFaces.push_back(f);
}

void MeshBuilder::triangleFacing(int material, uint32_t smooth, int a, int b, int c, const UV uv[3],
                                 const V3& outward)
{
    V3 n = (at(b) - at(a)).cross(at(c) - at(a));
    if (n.dot(outward) >= 0) {
        const int pos[3] = {a, b, c};
        triangle(material, smooth, pos, uv);
    } else {
        const int pos[3] = {a, c, b};
        const UV turned[3] = {uv[0], uv[2], uv[1]};
        triangle(material, smooth, pos, turned);
    }
}

std::string MeshBuilder::text(const std::string& name) const
{
    std::string out = "mesh " + name + "\n";
    out += "vertices " + std::to_string(mPositions.size()) + "\n";
    for (const V3& p : mPositions)
        out += number(p.x) + " " + number(p.y) + " " + number(p.z) + "\n";
    out += "tvertices " + std::to_string(mTex.size()) + "\n";
    for (const UV& t : mTex)
        out += number(t.u) + " " + number(1.0 - t.v) + "\n";
    out += "faces " + std::to_string(mFaces.size()) + "\n";
    for (const Face& f : mFaces) {
        for (int k = 0; k < 3; ++k)
            out += std::to_string(f.pos[k]) + " ";
        for (int k = 0; k < 3; ++k)
            out += std::to_string(f.tex[k]) + " ";
        out += std::to_string(f.material) + " " + std::to_string(f.smooth) + "\n";
    }
    return out;
}

// ---------------------------------------------------------------- icosphere

void addIcosphere(MeshBuilder& mesh, const V3& center, const V3& radii, int subdivisions, int material,
                  uint32_t smooth, double uRepeat)
{
    const double t = (1.0 + std::sqrt(5.0)) / 2.0;
    std::vector<V3> dirs = {V3(-1, t, 0), V3(1, t, 0),  V3(-1, -t, 0), V3(1, -t, 0),
                            V3(0, -1, t), V3(0, 1, t),  V3(0, -1, -t), V3(0, 1, -t),
                            V3(t, 0, -1), V3(t, 0, 1),  V3(-t, 0, -1), V3(-t, 0, 1)};
    for (V3& d : dirs)
        d = d.normalized();
    std::vector<std::array<int, 3>> tris = {{0, 11, 5}, {0, 5, 1},  {0, 1, 7},   {0, 7, 10}, {0, 10, 11},
                                            {1, 5, 9},  {5, 11, 4}, {11, 10, 2}, {10, 7, 6}, {7, 1, 8},
                                            {3, 9, 4},  {3, 4, 2},  {3, 2, 6},   {3, 6, 8},  {3, 8, 9},
                                            {4, 9, 5},  {2, 4, 11}, {6, 2, 10},  {8, 6, 7},  {9, 8, 1}};
    for (auto& f : tris) {
        V3 n = (dirs[f[1]] - dirs[f[0]]).cross(dirs[f[2]] - dirs[f[0]]);
        if (n.dot(dirs[f[0]] + dirs[f[1]] + dirs[f[2]]) < 0)
            std::swap(f[1], f[2]);
    }
    for (int s = 0; s < subdivisions; ++s) {
        std::map<std::pair<int, int>, int> middle;
        auto mid = [&](int a, int b) {
            auto key = std::make_pair(std::min(a, b), std::max(a, b));
            auto found = middle.find(key);
            if (found != middle.end())
                return found->second;
            dirs.push_back((dirs[a] + dirs[b]).normalized());
            int index = static_cast<int>(dirs.size() - 1);
            middle.emplace(key, index);
            return index;
        };
        std::vector<std::array<int, 3>> finer;
        for (const auto& f : tris) {
            int ab = mid(f[0], f[1]), bc = mid(f[1], f[2]), ca = mid(f[2], f[0]);
            finer.push_back({f[0], ab, ca});
            finer.push_back({f[1], bc, ab});
            finer.push_back({f[2], ca, bc});
            finer.push_back({ab, bc, ca});
        }
        tris = std::move(finer);
    }

    std::vector<int> index(dirs.size());
    for (size_t i = 0; i < dirs.size(); ++i)
        index[i] = mesh.position(center + V3(dirs[i].x * radii.x, dirs[i].y * radii.y, dirs[i].z * radii.z));

    for (const auto& f : tris) {
        // Spherical mapping; a triangle across the seam takes u past 1, and
        // a corner at a pole takes the mean u of the other two.
        UV uv[3];
        bool pole[3];
        for (int k = 0; k < 3; ++k) {
            const V3& d = dirs[f[k]];
            pole[k] = std::hypot(d.x, d.y) < 1e-9;
            uv[k].u = std::atan2(d.y, d.x) / (2 * PI) + 0.5;
            uv[k].v = std::acos(std::max(-1.0, std::min(1.0, d.z))) / PI;
        }
        double lo = 2, hi = -1;
        for (int k = 0; k < 3; ++k)
            if (!pole[k]) {
                lo = std::min(lo, uv[k].u);
                hi = std::max(hi, uv[k].u);
            }
        for (int k = 0; k < 3; ++k)
            if (!pole[k] && hi - lo > 0.5 && uv[k].u < 0.5)
                uv[k].u += 1.0;
        for (int k = 0; k < 3; ++k)
            if (pole[k])
                uv[k].u = (uv[(k + 1) % 3].u + uv[(k + 2) % 3].u) / 2;
        for (UV& c : uv)
            c.u *= uRepeat;
        const int pos[3] = {index[f[0]], index[f[1]], index[f[2]]};
        mesh.triangle(material, smooth, pos, uv);
    }
}

// -------------------------------------------------------------------- lathe

void addLathe(MeshBuilder& mesh, const Frame& frame, const std::vector<ProfilePoint>& profile, int segments,
              int material, int firstBit)
{
    const size_t count = profile.size();
    std::vector<std::vector<int>> ring(count);
    std::vector<double> v(count, 0.0);
    for (size_t i = 0; i < count; ++i) {
        const ProfilePoint& p = profile[i];
        if (i > 0)
            v[i] = v[i - 1] + std::hypot(p.r - profile[i - 1].r, p.z - profile[i - 1].z);
        if (p.r == 0) {
            ring[i].push_back(mesh.position(frame.apply(V3(0, 0, p.z))));
            continue;
        }
        for (int j = 0; j < segments; ++j) {
            double a = 2 * PI * j / segments;
            ring[i].push_back(mesh.position(frame.apply(V3(p.r * std::cos(a), p.r * std::sin(a), p.z))));
        }
    }
    for (double& d : v)
        d /= v.back();

    int run = 0;
    for (size_t i = 0; i + 1 < count; ++i) {
        if (i > 0 && profile[i].crease)
            ++run;
        const uint32_t mask = 1u << ((firstBit + run) % 32);
        const bool bottomPole = profile[i].r == 0, topPole = profile[i + 1].r == 0;
        for (int j = 0; j < segments; ++j) {
            const size_t j0 = static_cast<size_t>(j), j1 = static_cast<size_t>((j + 1) % segments);
            const double u0 = double(j) / segments, u1 = double(j + 1) / segments, um = (j + 0.5) / segments;
            if (bottomPole) {
                const int pos[3] = {ring[i][0], ring[i + 1][j1], ring[i + 1][j0]};
                const UV uv[3] = {{um, v[i]}, {u1, v[i + 1]}, {u0, v[i + 1]}};
                mesh.triangle(material, mask, pos, uv);
            } else if (topPole) {
                const int pos[3] = {ring[i][j0], ring[i][j1], ring[i + 1][0]};
                const UV uv[3] = {{u0, v[i]}, {u1, v[i]}, {um, v[i + 1]}};
                mesh.triangle(material, mask, pos, uv);
            } else {
                const int a = ring[i][j0], b = ring[i][j1], c = ring[i + 1][j1], d = ring[i + 1][j0];
                const int first[3] = {a, b, c}, second[3] = {a, c, d};
                const UV uvFirst[3] = {{u0, v[i]}, {u1, v[i]}, {u1, v[i + 1]}};
                const UV uvSecond[3] = {{u0, v[i]}, {u1, v[i + 1]}, {u0, v[i + 1]}};
                mesh.triangle(material, mask, first, uvFirst);
                mesh.triangle(material, mask, second, uvSecond);
            }
        }
    }
}

} // namespace gen
