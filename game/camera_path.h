#pragma once
// The recorded camera path of the intro flight ("data\path.cpt"): a text
// file of one word (ignored), the record count, then per record seven
// numbers: eye x y z, target x y z, field of view in degrees. The flight
// plays it at 30 records a second.
#include "core/math.h"

#include <string>
#include <vector>

struct YCameraPathRecord {
    YVec3 eye;
    YVec3 target;
    float fov = 45.0f;
};

constexpr float CAMERA_PATH_RATE = 30.0f;   // records a second
constexpr float CAMERA_PATH_MENU_LEAD = 2.0f; // the menu is asked for this long before the end

// The path the intro flight plays, read at start-up.
extern std::vector<YCameraPathRecord> gCameraPath;

// Reads a path text into path, in the C locale. Only records that are
// whole, finite and have a field of view inside (0, 180) are kept: the path
// ends before the first that is not, and before the end of the text. A
// count below 0 gives no records; a count larger than the text can hold
// is bounded by it. False, with the reason in problem, when the text did
// not hold every record its count promised (the records read are kept).
bool parseCameraPath(const std::string& text, std::vector<YCameraPathRecord>& path, std::string& problem);
// The text of a path, as parseCameraPath reads it back.
std::string formatCameraPath(const std::vector<YCameraPathRecord>& path, const char* word = "path");

// How long the path plays, in seconds.
float cameraPathDuration(const std::vector<YCameraPathRecord>& path);
// Where the camera is time seconds into the path: between the two records
// around it, linearly; the last record from then on; the first before the
// start. The path must not be empty.
YCameraPathRecord cameraPathPose(const std::vector<YCameraPathRecord>& path, float time);
