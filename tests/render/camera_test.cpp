// The game's orbit view and the editor's trackball at their limits.
#include "render/camera.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

YMatrix orbitMatrix(float yaw, float pitch)
{
    YMatrix rx, rz;
    rx.makeRotationX(pitch);
    rz.makeRotationZ(yaw);
    return rx * rz;
}

void expectMatrix(const YMatrix& expected, const float actual[16])
{
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(expected.m[i], actual[i], 1e-5f) << "element " << i;
}

} // namespace

TEST(OrbitView, DragsClampYawAndPitchAtTheirLimits)
{
    // The game's view: yaw within 55 degrees, pitch from -65 to -25.
    struct Case {
        const char* what;
        int x0, y0, x1, y1;
        float yaw, pitch;
    };
    const Case cases[] = {
        {"small drag", 400, 300, 440, 330, 11.0f, -46.0f},
        {"full width to the right", 0, 300, 800, 300, 55.0f, -50.0f},
        {"full width to the left", 800, 300, 0, 300, -55.0f, -50.0f},
        {"ends far left and below the window", 400, 300, -5000, 9000, -55.0f, -25.0f},
        {"ends far right and above the window", 400, 300, 5000, -9000, 55.0f, -65.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        YOrbitView view(55, -50, -65, -25);
        view.setWindowSize(800, 600);
        view.beginDrag(c.x0, c.y0);
        view.drag(c.x1, c.y1);
        float m[16];
        view.getMatrix(m);
        expectMatrix(orbitMatrix(c.yaw, c.pitch), m);
        EXPECT_FLOAT_EQ(0.0f, view.yaw()) << "a drag under way commits nothing";
        EXPECT_FLOAT_EQ(-50.0f, view.pitch());

        view.endDrag(c.x1, c.y1);
        EXPECT_FLOAT_EQ(c.yaw, view.yaw());
        EXPECT_FLOAT_EQ(c.pitch, view.pitch());
        view.getMatrix(m);
        expectMatrix(orbitMatrix(c.yaw, c.pitch), m);

        // A second drag the same way stays at the limits.
        view.beginDrag(c.x0, c.y0);
        view.endDrag(c.x1, c.y1);
        EXPECT_GE(view.yaw(), -55.0f);
        EXPECT_LE(view.yaw(), 55.0f);
        EXPECT_GE(view.pitch(), -65.0f);
        EXPECT_LE(view.pitch(), -25.0f);
    }
}

TEST(Arcball, PointsOutsideTheBallLieOnItsRimAndADragFoldsInOnce)
{
    YArcball ball;
    ball.setWindowSize(200, 100);
    struct Point {
        int x, y;
        YVec3 onSphere;
    };
    const float d = std::sqrt(0.5f);
    const Point points[] = {
        {100, 50, YVec3(0, 0, 1)},   // the centre faces the viewer
        {300, 50, YVec3(1, 0, 0)},   // right of the window
        {100, 500, YVec3(0, -1, 0)}, // far below it
        {-100, -50, YVec3(-d, d, 0)},
    };
    for (const Point& p : points) {
        YVec3 v = ball.mapToSphere(p.x, p.y);
        EXPECT_NEAR(p.onSphere.x, v.x, 1e-5f) << p.x << "," << p.y;
        EXPECT_NEAR(p.onSphere.y, v.y, 1e-5f) << p.x << "," << p.y;
        EXPECT_NEAR(p.onSphere.z, v.z, 1e-5f) << p.x << "," << p.y;
    }

    // A drag from the centre to the right edge: a quarter turn about y,
    // with the angle from the chord as the trackball takes it.
    float identity[16], during[16], first[16], second[16];
    ball.getMatrix(identity);
    expectMatrix(YMatrix(), identity);
    ball.beginDrag(100, 50);
    ball.drag(200, 50);
    YVec3 from = ball.mapToSphere(100, 50), to = ball.mapToSphere(200, 50);
    YMatrix turn;
    turn.makeRotationAxis(cross(from, to), (to - from).length() * 180.0f);
    ball.getMatrix(during);
    ball.getMatrix(during); // shown, not stored, while dragging
    expectMatrix(turn, during);
    ball.endDrag(200, 50);
    ball.getMatrix(first);
    ball.getMatrix(second);
    expectMatrix(turn, first);
    expectMatrix(turn, second);

    // The next drag turns on from there.
    ball.beginDrag(100, 50);
    ball.drag(200, 50);
    ball.endDrag(200, 50);
    ball.getMatrix(first);
    ball.getMatrix(second);
    expectMatrix(turn * turn, first);
    expectMatrix(turn * turn, second);
}
