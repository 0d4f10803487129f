// Writes the intro flight's camera path, "data\path.cpt": fourteen seconds
// that start high above the table, sweep round it while coming down, and
// end on the first view of the menu camera's orbit, so the main menu takes
// over where the flight stops.
//   gen_path <game folder>
#include "game/camera_path.h"
#include "game/orbit.h"
#include "platform/sys/files.h"
#include "platform/sys/paths.h"
#include "render/camera.h"
#include "world/table.h"

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr float DURATION = 14.0f;
// The flight joins the menu orbit this long before the end and then flies
// the orbit's own course into its first view.
constexpr float ORBIT_TIME = 2.0f;
constexpr float START_AZIMUTH = -90.0f; // behind the hero's edge of the table
constexpr float START_RADIUS = 7.0f;
constexpr float START_HEIGHT = 58.0f;
constexpr float START_FOV = 60.0f;
constexpr float MENU_FOV = 45.0f;

// A point in cylinder coordinates about the table's vertical axis.
struct Cylinder {
    float azimuth = 0, radius = 0, height = 0; // degrees, units, units
};

Cylinder cylinderOf(const YVec3& p)
{
    return {std::atan2(p.y, p.x) * 57.29578f, std::sqrt(p.x * p.x + p.y * p.y), p.z};
}

YVec3 pointOf(const Cylinder& c)
{
    const float a = degToRad(c.azimuth);
    return YVec3(c.radius * std::cos(a), c.radius * std::sin(a), c.height);
}

// The menu orbit s seconds before (s < 0) its first frame.
YVec3 orbitAt(const YOrbit& menu, float s)
{
    YOrbit o = menu;
    o.update(s);
    return o.position;
}

// Cubic Hermite curve from p0 to p1 over u in 0..1 with end slopes m0, m1
// (per unit of u).
float hermite(float p0, float m0, float p1, float m1, float u)
{
    const float u2 = u * u, u3 = u2 * u;
    return (2 * u3 - 3 * u2 + 1) * p0 + (u3 - 2 * u2 + u) * m0 + (-2 * u3 + 3 * u2) * p1 + (u3 - u2) * m1;
}

std::vector<YCameraPathRecord> makePath()
{
    const float half = YTable::AUTHORED_SIZE * 0.5f;
    const float fit = 1.0f / std::sin(degToRad(gCamera().fov() * 0.5f));
    YOrbit menu = menuCameraOrbit();
    fitMenuOrbit(menu, tableViewingDistance(half, half, fit));

    // Where the sweep hands over to the orbit, and how fast the orbit moves
    // there (per second, in cylinder coordinates).
    const float sweep = DURATION - ORBIT_TIME;
    const float h = 1e-3f;
    const Cylinder join = cylinderOf(orbitAt(menu, -ORBIT_TIME));
    const Cylinder before = cylinderOf(orbitAt(menu, -ORBIT_TIME - h));
    const Cylinder after = cylinderOf(orbitAt(menu, -ORBIT_TIME + h));
    const Cylinder speed = {(after.azimuth - before.azimuth) / (2 * h), (after.radius - before.radius) / (2 * h),
                            (after.height - before.height) / (2 * h)};

    const int count = static_cast<int>(DURATION * CAMERA_PATH_RATE);
    std::vector<YCameraPathRecord> path(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        // The last record is the orbit's first view itself.
        const float t = DURATION * static_cast<float>(i) / static_cast<float>(count - 1);
        YCameraPathRecord& r = path[static_cast<size_t>(i)];
        if (t >= sweep) {
            r.eye = orbitAt(menu, t - DURATION);
            r.fov = MENU_FOV;
        } else {
            const float u = t / sweep;
            Cylinder c;
            c.azimuth = hermite(START_AZIMUTH, 0.0f, join.azimuth, speed.azimuth * sweep, u);
            c.radius = hermite(START_RADIUS, 0.0f, join.radius, speed.radius * sweep, u);
            c.height = hermite(START_HEIGHT, 0.0f, join.height, speed.height * sweep, u);
            r.eye = pointOf(c);
            r.fov = hermite(START_FOV, 0.0f, MENU_FOV, 0.0f, u);
        }
        r.target = YVec3(0, 0, 0);
    }
    return path;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: gen_path <game folder>\n");
        return 2;
    }
    const std::string file = std::string(argv[1]) + "/data/path.cpt";
    std::string error;
    if (!sys::makeDirectories(std::string(argv[1]) + "/data") ||
        !sys::writeFileAtomic(file, formatCameraPath(makePath(), "tarvelin_intro"), &error)) {
        std::fprintf(stderr, "%s: cannot write: %s\n", file.c_str(), error.c_str());
        return 1;
    }
    return 0;
}
