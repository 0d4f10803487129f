// The balls, the weapons, the boomerang and the pipe. Sizes follow what the
// game does with them: the balls' collision radius is 0.5 (the small ball
// shows ball2 at scale 0.66), the bomb and grenade fuse particles start at
// fixed points of the object's frame, the boomerang's sweep box has half
// sizes 0.6 x 0.6 x 0.07, and the pipe's smoke rises from its origin.
#include "tools/gen_meshes/meshes.h"

#include <cmath>

namespace gen {

namespace {

const double PI = 3.14159265358979323846;
const uint32_t SMOOTH = 1;

// A ball is a few dozen pixels across at most, so an icosphere of two
// subdivisions (320 triangles) shows the same round outline and highlight as
// one of three (1280). Nine bonuses and the balls are on the table at once,
// and the software rasteriser sets up every triangle, seen or not.
const int BALL_SUBDIVISIONS = 2;

// A weapon: a body, a cap on top and a fuse whose tip is exactly where the
// fuse particles start. The body and cap are material 0, the fuse 1.
struct WeaponShape {
    V3 bodyRadii;
    int bodySubdivisions;
    std::vector<ProfilePoint> cap;
    V3 fuseStart, fuseTip;
    double fuseRadius;
};

MeshBuilder makeWeapon(const WeaponShape& shape)
{
    MeshBuilder mesh;
    addIcosphere(mesh, V3(), shape.bodyRadii, shape.bodySubdivisions, 0, SMOOTH);
    addLathe(mesh, Frame(), shape.cap, 12, 0, 1);
    V3 run = shape.fuseTip - shape.fuseStart;
    double length = run.length(), r = shape.fuseRadius;
    addLathe(mesh, Frame::along(shape.fuseStart, run),
             {{0, 0, false}, {r, 0, true}, {r, length - 2 * r, true}, {0, length, true}}, 6, 1, 8);
    return mesh;
}

} // namespace

MeshBuilder makeBall2()
{
    MeshBuilder mesh;
    addIcosphere(mesh, V3(), V3(0.5, 0.5, 0.5), BALL_SUBDIVISIONS, 0, SMOOTH);
    return mesh;
}

// The normal ball: the same sphere with its texture twice around.
MeshBuilder makeBallNormal()
{
    MeshBuilder mesh;
    addIcosphere(mesh, V3(), V3(0.5, 0.5, 0.5), BALL_SUBDIVISIONS, 0, SMOOTH, 2.0);
    return mesh;
}

// The phantom ball: a shell (material 0) around a core (material 1), each
// with a shader of its own.
MeshBuilder makeBallPhantom()
{
    MeshBuilder mesh;
    addIcosphere(mesh, V3(), V3(0.5, 0.5, 0.5), BALL_SUBDIVISIONS, 0, SMOOTH);
    addIcosphere(mesh, V3(), V3(0.3, 0.3, 0.3), 2, 1, SMOOTH);
    return mesh;
}

// The generative ball: a core with four satellites half sunk into it, all
// within the ball's radius of 0.5.
MeshBuilder makeBallSatellite()
{
    MeshBuilder mesh;
    addIcosphere(mesh, V3(), V3(0.4, 0.4, 0.4), BALL_SUBDIVISIONS, 0, SMOOTH);
    const V3 corners[4] = {V3(1, 1, 1), V3(1, -1, -1), V3(-1, 1, -1), V3(-1, -1, 1)};
    for (const V3& c : corners)
        addIcosphere(mesh, c.normalized() * 0.4, V3(0.1, 0.1, 0.1), 1, 0, SMOOTH);
    return mesh;
}

// The bomb: a ball of radius 0.5 (its collision sphere) with the fuse tip at
// (-0.131, 0, 0.808).
MeshBuilder makeBomb()
{
    WeaponShape s;
    s.bodyRadii = V3(0.5, 0.5, 0.5);
    s.bodySubdivisions = 3;
    s.cap = {{0, 0.40, false}, {0.15, 0.40, true}, {0.15, 0.56, true}, {0.12, 0.59, true}, {0, 0.59, true}};
    s.fuseStart = V3(0, 0, 0.57);
    s.fuseTip = V3(-0.131, 0, 0.808);
    s.fuseRadius = 0.025;
    return makeWeapon(s);
}

// The grenade: the bomb's build at about 0.56 of its size (its fuse tip
// (-0.074, 0, 0.45) against the bomb's), a little taller than wide; its
// reach is 0.25.
MeshBuilder makeGrenade()
{
    WeaponShape s;
    s.bodyRadii = V3(0.25, 0.25, 0.3);
    s.bodySubdivisions = 2;
    s.cap = {{0, 0.22, false}, {0.08, 0.22, true}, {0.08, 0.33, true}, {0.065, 0.345, true}, {0, 0.345, true}};
    s.fuseStart = V3(0, 0, 0.33);
    s.fuseTip = V3(-0.074, 0, 0.45);
    s.fuseRadius = 0.015;
    return makeWeapon(s);
}

// The boomerang: a curved band in the x-y plane, spinning about z through the
// origin, inside the sweep box (|x|, |y| <= 0.6, |z| <= 0.07). The band
// follows an arc of radius 0.6 over +-60 degrees and narrows towards its tips.
MeshBuilder makeBoomerang()
{
    MeshBuilder mesh;
    const int K = 24;
    const double radius = 0.6, spread = 60.0 * PI / 180.0, centreY = -0.485, halfThick = 0.04;
    const uint32_t TOP = 1, BOTTOM = 2, OUTER = 4, INNER = 8, ENDS = 16;

    struct Section {
        int ib, ob, ot, it; // inner/outer, bottom/top
        V3 dir, tangent;
    };
    std::vector<Section> sections;
    for (int k = 0; k <= K; ++k) {
        double s = -1.0 + 2.0 * k / K;
        double a = s * spread;
        V3 dir(std::sin(a), std::cos(a), 0), tangent(std::cos(a), -std::sin(a), 0);
        double width = 0.20 - 0.08 * s * s;
        V3 mid = V3(0, centreY, 0) + dir * radius;
        V3 in = mid - dir * (width / 2), out = mid + dir * (width / 2);
        Section sec;
        sec.ib = mesh.position(in + V3(0, 0, -halfThick));
        sec.ob = mesh.position(out + V3(0, 0, -halfThick));
        sec.ot = mesh.position(out + V3(0, 0, halfThick));
        sec.it = mesh.position(in + V3(0, 0, halfThick));
        sec.dir = dir;
        sec.tangent = tangent;
        sections.push_back(sec);
    }

    auto planar = [&](int p) { return UV{(mesh.at(p).x + 0.6) / 1.2, (0.6 - mesh.at(p).y) / 1.2}; };
    auto quad = [&](uint32_t smooth, int a, int b, int c, int d, const UV uv[4], const V3& outward) {
        const UV first[3] = {uv[0], uv[1], uv[2]}, second[3] = {uv[0], uv[2], uv[3]};
        mesh.triangleFacing(0, smooth, a, b, c, first, outward);
        mesh.triangleFacing(0, smooth, a, c, d, second, outward);
    };
    for (int k = 0; k < K; ++k) {
        const Section &s0 = sections[k], &s1 = sections[k + 1];
        const V3 dir = (s0.dir + s1.dir).normalized();
        const double u0 = double(k) / K, u1 = double(k + 1) / K;
        const UV top[4] = {planar(s0.it), planar(s0.ot), planar(s1.ot), planar(s1.it)};
        quad(TOP, s0.it, s0.ot, s1.ot, s1.it, top, V3(0, 0, 1));
        const UV bottom[4] = {planar(s0.ib), planar(s0.ob), planar(s1.ob), planar(s1.ib)};
        quad(BOTTOM, s0.ib, s0.ob, s1.ob, s1.ib, bottom, V3(0, 0, -1));
        const UV side[4] = {{u0, 1}, {u1, 1}, {u1, 0}, {u0, 0}};
        quad(OUTER, s0.ob, s1.ob, s1.ot, s0.ot, side, dir);
        quad(INNER, s0.ib, s1.ib, s1.it, s0.it, side, dir * -1.0);
    }
    const UV end[4] = {{0, 1}, {1, 1}, {1, 0}, {0, 0}};
    const Section &first = sections.front(), &last = sections.back();
    quad(ENDS, first.ib, first.ob, first.ot, first.it, end, first.tangent * -1.0);
    quad(ENDS, last.ib, last.ob, last.ot, last.it, end, last.tangent);
    return mesh;
}

// The pipe: a bowl whose opening is the origin (the smoke rises from there)
// with a tapered stem running back and up.
MeshBuilder makePipe()
{
    MeshBuilder mesh;
    addLathe(mesh, Frame(),
             {{0, -0.14, false},
              {0.06, -0.14, true},
              {0.075, -0.10, true},
              {0.075, 0, true},
              {0.055, 0, true},
              {0.055, -0.03, true},
              {0, -0.03, true}},
             12, 0, 0);
    addLathe(mesh, Frame::along(V3(0, -0.055, -0.085), V3(0, -1, 0.3)),
             {{0, 0, false}, {0.02, 0, true}, {0.02, 0.26, true}, {0.013, 0.33, true}, {0, 0.33, true}}, 8, 0,
             8);
    return mesh;
}

} // namespace gen
