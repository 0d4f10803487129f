#include "game/camera_path.h"

#include <algorithm>
#include <cmath>
#include <locale>
#include <sstream>

std::vector<YCameraPathRecord> gCameraPath;

namespace {

// Seven numbers, each at least one character after a separator.
constexpr size_t MIN_RECORD_BYTES = 14;

bool readRecord(std::istream& in, YCameraPathRecord& r)
{
    float v[7];
    for (float& f : v) {
        if (!(in >> f) || !std::isfinite(f))
            return false;
    }
    r.eye = YVec3(v[0], v[1], v[2]);
    r.target = YVec3(v[3], v[4], v[5]);
    r.fov = v[6];
    return r.fov > 0.0f && r.fov < 180.0f;
}

} // namespace

bool parseCameraPath(const std::string& text, std::vector<YCameraPathRecord>& path, std::string& problem)
{
    path.clear();
    std::istringstream in(text);
    in.imbue(std::locale::classic());
    std::string word;
    long long count = 0;
    if (!(in >> word >> count)) {
        problem = "no record count";
        return false;
    }
    if (count < 0) {
        problem = "negative record count " + std::to_string(count);
        return false;
    }
    const std::streamoff at = in.tellg();
    const size_t left = at < 0 ? 0 : text.size() - static_cast<size_t>(at);
    const long long room = static_cast<long long>(left / MIN_RECORD_BYTES);
    path.reserve(static_cast<size_t>(std::min(count, room)));
    YCameraPathRecord record;
    while (static_cast<long long>(path.size()) < count && readRecord(in, record))
        path.push_back(record);
    if (static_cast<long long>(path.size()) < count) {
        problem = "record " + std::to_string(path.size()) + " of " + std::to_string(count) +
                  " is missing or not a camera pose";
        return false;
    }
    return true;
}

std::string formatCameraPath(const std::vector<YCameraPathRecord>& path, const char* word)
{
    std::ostringstream out;
    out.imbue(std::locale::classic());
    out.precision(9); // enough digits to read every float back unchanged
    out << word << "\n" << path.size() << "\n";
    for (const YCameraPathRecord& r : path) {
        out << r.eye.x << ' ' << r.eye.y << ' ' << r.eye.z << "  " << r.target.x << ' ' << r.target.y << ' '
            << r.target.z << "  " << r.fov << "\n";
    }
    return out.str();
}

float cameraPathDuration(const std::vector<YCameraPathRecord>& path)
{
    return static_cast<float>(path.size()) / CAMERA_PATH_RATE;
}

YCameraPathRecord cameraPathPose(const std::vector<YCameraPathRecord>& path, float time)
{
    // Worked out in float, so a long time cannot overflow an index.
    const float at = std::max(time * CAMERA_PATH_RATE, 0.0f);
    const float last = static_cast<float>(path.size() - 1);
    if (!(at < last))
        return path.back();
    const size_t i = static_cast<size_t>(at);
    const float t = at - static_cast<float>(i);
    const YCameraPathRecord& a = path[i];
    const YCameraPathRecord& b = path[i + 1];
    // Each end weighted, rather than the difference scaled and added: the
    // difference of two far-apart positions can overflow a float.
    YCameraPathRecord r;
    r.eye = a.eye * (1.0f - t) + b.eye * t;
    r.target = a.target * (1.0f - t) + b.target * t;
    r.fov = a.fov + (b.fov - a.fov) * t;
    return r;
}
