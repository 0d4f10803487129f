// The table: a stepped pyramid whose top is the playing floor, walled on
// both sides and at the far edge, open at the racket's edge. Authored for a
// 20 x 20 table (floor x and y in -10..10); the game stretches it to other
// sizes by moving every vertex away from the centre lines, so no vertex lies
// on x = 0 or y = 0.
//
// The solid is a grid of rectangular columns, each with its own top height,
// over a flat bottom. Walls between neighbouring columns carry a vertex at
// every height met at their corner, so every edge is shared by exactly two
// triangles: the mesh is closed.
//
// Materials (one subset each, in this order):
//   0 outer risers of the base      1 terrace tops
//   2 wall tops                     3 outer faces and ends of the walls
//   4 inner faces of the walls      5 front face under the open edge
//   6 risers between the terraces   7 the floor
//   8 the bottom
#include "tools/gen_meshes/meshes.h"

#include <algorithm>
#include <map>
#include <set>
#include <tuple>

namespace gen {

namespace {

const std::vector<double> XS = {-16, -13, -10.5, -10, 10, 10.5, 13, 16};
const std::vector<double> YS = {-16, -13, -10, 10, 10.5, 13, 16};
const double BOTTOM = -6.0;
const double FLOOR = 0.0, WALL = 1.0, TERRACE = -1.5, BASE = -3.0;

// Smoothing bits by facing: every face of one direction is flat, so faces of
// one direction meeting at a corner share its normal exactly.
const uint32_t UP = 1, DOWN = 2, PLUS_X = 4, MINUS_X = 8, PLUS_Y = 16, MINUS_Y = 32;

enum Material { RISER = 0, TERRACE_TOP = 1, WALL_TOP = 2, WALL_OUTER = 3, WALL_INNER = 4, FRONT = 5, STEP = 6,
                FLOOR_TOP = 7, UNDERSIDE = 8 };

bool within(double lo, double hi, double a, double b) { return a >= lo && b <= hi; }

// Height of the column over cell (i, j); outside the grid, the bottom.
double cellHeight(int i, int j)
{
    if (i < 0 || j < 0 || i + 1 >= static_cast<int>(XS.size()) || j + 1 >= static_cast<int>(YS.size()))
        return BOTTOM;
    const double x0 = XS[i], x1 = XS[i + 1], y0 = YS[j], y1 = YS[j + 1];
    if (within(-10, 10, x0, x1) && within(-10, 10, y0, y1))
        return FLOOR;
    if (within(-10.5, 10.5, x0, x1) && within(-10, 10.5, y0, y1))
        return WALL;
    if (within(-13, 13, x0, x1) && within(-13, 13, y0, y1))
        return TERRACE;
    return BASE;
}

int topMaterial(double h)
{
    if (h == FLOOR)
        return FLOOR_TOP;
    if (h == WALL)
        return WALL_TOP;
    return TERRACE_TOP;
}

// The face between a higher and a lower column.
int sideMaterial(double high, double low)
{
    if (high == WALL)
        return low == FLOOR ? WALL_INNER : WALL_OUTER;
    if (high == FLOOR)
        return FRONT;
    if (high == TERRACE)
        return STEP;
    return RISER;
}

UV mapTop(int material, const V3& p)
{
    if (material == FLOOR_TOP)
        return {p.x * 0.11, p.y * 0.11}; // the planar mapping the table keeps for any size
    return {p.x * 0.25, p.y * 0.25};
}

// Along the wall, and downwards. The inner walls repeat their texture every
// 2.5 units, a whole number of times along a 20-unit wall.
UV mapSide(int material, const V3& p, bool alongX)
{
    double along = alongX ? p.x : p.y;
    double scale = material == WALL_INNER ? 0.4 : 0.25;
    return {along * scale, -p.z * 0.25};
}

class Heightfield {
public:
    explicit Heightfield(MeshBuilder& mesh) : mMesh(mesh) {}

    void build()
    {
        const int nx = static_cast<int>(XS.size()) - 1, ny = static_cast<int>(YS.size()) - 1;
        for (int i = 0; i < nx; ++i)
            for (int j = 0; j < ny; ++j)
                cell(i, j);
        // Walls on the lines x = XS[i] between cells (i - 1, j) and (i, j).
        for (int i = 0; i <= nx; ++i)
            for (int j = 0; j < ny; ++j)
                side(cellHeight(i - 1, j), cellHeight(i, j), i, j, i, j + 1, V3(1, 0, 0));
        // Walls on the lines y = YS[j] between cells (i, j - 1) and (i, j).
        for (int j = 0; j <= ny; ++j)
            for (int i = 0; i < nx; ++i)
                side(cellHeight(i, j - 1), cellHeight(i, j), i, j, i + 1, j, V3(0, 1, 0));
    }

private:
    int at(int i, int j, double z)
    {
        auto key = std::make_tuple(i, j, z);
        auto found = mIndex.find(key);
        if (found != mIndex.end())
            return found->second;
        int index = mMesh.position(V3(XS[i], YS[j], z));
        mIndex.emplace(key, index);
        return index;
    }

    // Every height met at a grid corner: the bottom and the four columns.
    std::vector<double> cornerHeights(int i, int j) const
    {
        std::set<double> h = {BOTTOM, cellHeight(i - 1, j - 1), cellHeight(i, j - 1), cellHeight(i - 1, j),
                              cellHeight(i, j)};
        return std::vector<double>(h.begin(), h.end());
    }

    void quad(int material, uint32_t smooth, const int corner[4], const V3& outward, UV (*map)(int, const V3&))
    {
        UV uv[4];
        for (int k = 0; k < 4; ++k)
            uv[k] = map(material, mMesh.at(corner[k]));
        const UV first[3] = {uv[0], uv[1], uv[2]}, second[3] = {uv[0], uv[2], uv[3]};
        mMesh.triangleFacing(material, smooth, corner[0], corner[1], corner[2], first, outward);
        mMesh.triangleFacing(material, smooth, corner[0], corner[2], corner[3], second, outward);
    }

    static UV mapBottom(int, const V3& p) { return {p.x * 0.25, p.y * 0.25}; }

    void cell(int i, int j)
    {
        const double h = cellHeight(i, j);
        const int top[4] = {at(i, j, h), at(i + 1, j, h), at(i + 1, j + 1, h), at(i, j + 1, h)};
        quad(topMaterial(h), UP, top, V3(0, 0, 1), mapTop);
        const int bottom[4] = {at(i, j, BOTTOM), at(i + 1, j, BOTTOM), at(i + 1, j + 1, BOTTOM),
                               at(i, j + 1, BOTTOM)};
        quad(UNDERSIDE, DOWN, bottom, V3(0, 0, -1), mapBottom);
    }

    // The vertical face between columns of heights before (on the negative
    // side of the line) and after, from corner (i0, j0) to corner (i1, j1):
    // a ladder of triangles between the two corners' height lists.
    void side(double before, double after, int i0, int j0, int i1, int j1, const V3& axis)
    {
        if (before == after)
            return;
        const double lo = std::min(before, after), hi = std::max(before, after);
        const V3 outward = before > after ? axis : axis * -1.0;
        const bool alongX = axis.y != 0; // a wall on a line y = const runs along x
        const uint32_t smooth = axis.x != 0 ? (before > after ? PLUS_X : MINUS_X) : (before > after ? PLUS_Y : MINUS_Y);
        const int material = sideMaterial(hi, lo);

        std::vector<int> p, q;
        for (double z : cornerHeights(i0, j0))
            if (z >= lo && z <= hi)
                p.push_back(at(i0, j0, z));
        for (double z : cornerHeights(i1, j1))
            if (z >= lo && z <= hi)
                q.push_back(at(i1, j1, z));

        size_t a = 0, b = 0;
        while (a + 1 < p.size() || b + 1 < q.size()) {
            const bool stepP = b + 1 >= q.size() || (a + 1 < p.size() && mMesh.at(p[a + 1]).z <= mMesh.at(q[b + 1]).z);
            const int third = stepP ? p[a + 1] : q[b + 1];
            const int corner[3] = {p[a], q[b], third};
            UV uv[3];
            for (int k = 0; k < 3; ++k)
                uv[k] = mapSide(material, mMesh.at(corner[k]), alongX);
            mMesh.triangleFacing(material, smooth, corner[0], corner[1], corner[2], uv, outward);
            if (stepP)
                ++a;
            else
                ++b;
        }
    }

    MeshBuilder& mMesh;
    std::map<std::tuple<int, int, double>, int> mIndex;
};

} // namespace

MeshBuilder makePyramid()
{
    MeshBuilder mesh;
    Heightfield(mesh).build();
    return mesh;
}

} // namespace gen
