// The intro flight's camera path: reading the file defensively, and where
// the camera stands at a given time of the flight.
#include "game/camera_path.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <locale>
#include <string>
#include <vector>

namespace {

YCameraPathRecord record(float i)
{
    YCameraPathRecord r;
    r.eye = YVec3(i, 2.0f * i, 30.0f - i * 0.1f);
    r.target = YVec3(0.0f, i * 0.5f, 0.0f);
    r.fov = 40.0f + i * 0.01f;
    return r;
}

// "pose" followed by the seven numbers of one record.
std::string oneRecord(const char* fov = "45")
{
    return std::string(" 1.5 -2.25 30  0 0 0.5 ") + fov + "\n";
}

// Decimal commas, as some user locales write numbers.
struct CommaPoint : std::numpunct<char> {
    char do_decimal_point() const override { return ','; }
};

void expectRecord(const YCameraPathRecord& want, const YCameraPathRecord& got, float tolerance, const char* what)
{
    EXPECT_NEAR(want.eye.x, got.eye.x, tolerance) << what;
    EXPECT_NEAR(want.eye.y, got.eye.y, tolerance) << what;
    EXPECT_NEAR(want.eye.z, got.eye.z, tolerance) << what;
    EXPECT_NEAR(want.target.y, got.target.y, tolerance) << what;
    EXPECT_NEAR(want.fov, got.fov, tolerance) << what;
}

} // namespace

TEST(CameraPath, ReadsWhatItWritesInTheCLocaleWhateverTheUsersLocale)
{
    std::vector<YCameraPathRecord> path;
    for (int i = 0; i < 50; ++i)
        path.push_back(record(static_cast<float>(i) / 7.0f));
    const std::locale saved = std::locale::global(std::locale(std::locale::classic(), new CommaPoint));
    const std::string text = formatCameraPath(path);
    std::vector<YCameraPathRecord> back;
    std::string problem;
    const bool ok = parseCameraPath(text, back, problem);
    std::locale::global(saved);

    ASSERT_TRUE(ok) << problem;
    EXPECT_EQ(std::string::npos, text.find(',')) << text.substr(0, 80);
    ASSERT_EQ(path.size(), back.size());
    for (size_t i = 0; i < path.size(); ++i) {
        EXPECT_EQ(path[i].eye.x, back[i].eye.x) << i;
        EXPECT_EQ(path[i].eye.z, back[i].eye.z) << i;
        EXPECT_EQ(path[i].target.y, back[i].target.y) << i;
        EXPECT_EQ(path[i].fov, back[i].fov) << i;
    }
}

TEST(CameraPath, BadFilesKeepOnlyTheWholeRecordsBeforeTheFault)
{
    const std::string two = oneRecord() + oneRecord();
    struct Case {
        const char* what;
        std::string text;
        size_t records;
        bool ok;
    };
    const Case cases[] = {
        {"empty file", "", 0, false},
        {"no count", "path\n", 0, false},
        {"no records", "path 0\n", 0, true},
        {"whole", "path 2\n" + two, 2, true},
        {"short file", "path 3\n" + two, 2, false},
        {"cut inside a record", "path 2\n" + oneRecord() + " 1 2 3 4", 1, false},
        {"negative count", "path -1\n" + two, 0, false},
        {"huge count", "path 2000000000\n" + two, 2, false},
        {"count beyond any integer", "path 99999999999999999999999\n" + two, 0, false},
        {"not a number", "path 3\n" + oneRecord() + " 1 2 x 4 5 6 45\n" + oneRecord(), 1, false},
        {"nan", "path 3\n" + oneRecord() + " nan 2 3 4 5 6 45\n" + oneRecord(), 1, false},
        {"infinity", "path 2\n" + oneRecord() + " 1 inf 3 4 5 6 45\n", 1, false},
        {"beyond a float", "path 2\n" + oneRecord() + " 1 2 1e39 4 5 6 45\n", 1, false},
        {"field of view 0", "path 2\n" + oneRecord() + oneRecord("0"), 1, false},
        {"field of view 180", "path 2\n" + oneRecord() + oneRecord("180"), 1, false},
        {"negative field of view", "path 2\n" + oneRecord("-45") + oneRecord(), 0, false},
        {"widest field of view", "path 1\n" + oneRecord("179.9"), 1, true},
    };
    for (const Case& c : cases) {
        std::vector<YCameraPathRecord> path(3); // replaced, not appended to
        std::string problem;
        EXPECT_EQ(c.ok, parseCameraPath(c.text, path, problem)) << c.what;
        EXPECT_EQ(c.records, path.size()) << c.what;
        EXPECT_EQ(c.ok, problem.empty()) << c.what << ": " << problem;
        // Room is made for what the text can hold, never for the count.
        EXPECT_LE(path.capacity(), std::max<size_t>(3, c.text.size() / 14 + 1)) << c.what;
        for (const YCameraPathRecord& r : path) {
            EXPECT_FLOAT_EQ(-2.25f, r.eye.y) << c.what;
            EXPECT_FLOAT_EQ(0.5f, r.target.z) << c.what;
        }
    }
}

TEST(CameraPath, PlaysThirtyRecordsASecondBetweenTheirEnds)
{
    std::vector<YCameraPathRecord> path;
    for (int i = 0; i < 300; ++i)
        path.push_back(record(static_cast<float>(i)));
    EXPECT_FLOAT_EQ(10.0f, cameraPathDuration(path));

    struct Case {
        float time;
        float index; // fractional: between two records
    };
    const Case cases[] = {{-1.0f, 0.0f},    {0.0f, 0.0f},     {1.0f, 30.0f}, {1.0f + 1.0f / 60.0f, 30.5f},
                          {9.95f, 298.5f},  {299.0f / 30.0f, 299.0f},         {10.0f, 299.0f},
                          {1e9f, 299.0f}};
    for (const Case& c : cases)
        expectRecord(record(c.index), cameraPathPose(path, c.time), 2e-3f, std::to_string(c.time).c_str());

    // A single record: the camera stands still on it.
    const std::vector<YCameraPathRecord> one = {record(4.0f)};
    for (float t : {0.0f, 0.5f, 100.0f})
        expectRecord(record(4.0f), cameraPathPose(one, t), 0.0f, "one record");
}
