#include "core/math.h"

#include <gtest/gtest.h>

namespace {

void expectNear(const YVec3& expected, const YVec3& actual, float tolerance = 1e-5f)
{
    EXPECT_NEAR(expected.x, actual.x, tolerance);
    EXPECT_NEAR(expected.y, actual.y, tolerance);
    EXPECT_NEAR(expected.z, actual.z, tolerance);
}

void expectIdentity(const YMatrix& m, float tolerance = 1e-5f)
{
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(i % 5 == 0 ? 1.0f : 0.0f, m[i], tolerance) << "element " << i;
}

YMatrix rigid(float ax, float az, const YVec3& t)
{
    YMatrix rx, rz, tr;
    rx.makeRotationX(ax);
    rz.makeRotationZ(az);
    tr.makeTranslation(t);
    return tr * (rz * rx); // rotate about x, then z, then translate
}

} // namespace

TEST(Math, RotationsFollowTheRowVectorConvention)
{
    YMatrix m;
    expectNear(YVec3(0, 1, 0), m.makeRotationZ(90).transformPoint(YVec3(1, 0, 0)));
    expectNear(YVec3(0, 0, 1), m.makeRotationX(90).transformPoint(YVec3(0, 1, 0)));
    expectNear(YVec3(1, 0, 0), m.makeRotationY(90).transformPoint(YVec3(0, 0, 1)));
    YMatrix3 m3;
    expectNear(YVec3(0, 1, 0), m3.makeRotationZ(90).transform(YVec3(1, 0, 0)));
    expectNear(YVec3(0, 0, 1), m3.makeRotationX(90).transform(YVec3(0, 1, 0)));
    // The axis builder agrees with the fixed-axis builders.
    YMatrix a, b;
    a.makeRotationAxis(YVec3(0, 0, 2), 37);
    b.makeRotationZ(37);
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(b[i], a[i], 1e-6f);
    a.makeRotationAxis(YVec3(1, 0, 0), -20);
    b.makeRotationX(-20);
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(b[i], a[i], 1e-6f);
    // A zero axis is no rotation rather than NaN.
    expectIdentity(a.makeRotationAxis(YVec3(0, 0, 0), 45));
}

TEST(Math, ProductAppliesTheArgumentFirst)
{
    YMatrix rot, move;
    rot.makeRotationZ(90);
    move.makeTranslation(YVec3(1, 0, 0));
    // rot * move: translate first, then rotate.
    expectNear(YVec3(0, 1, 0), (rot * move).transformPoint(YVec3(0, 0, 0)));
    // move * rot: rotate first, then translate.
    expectNear(YVec3(1, 0, 0), (move * rot).transformPoint(YVec3(0, 0, 0)));

    YMatrix a = rigid(30, 70, YVec3(1, 2, 3)), b = rigid(-45, 10, YVec3(-4, 0.5f, 2));
    YVec3 p(0.3f, -2, 5);
    expectNear(a.transformPoint(b.transformPoint(p)), (a * b).transformPoint(p), 1e-4f);
    expectNear(YVec3(1.5f, 2, 3.25f), YMatrix().makeTranslation(YVec3(1, 2, 3)).transformPoint(YVec3(0.5f, 0, 0.25f)));
}

TEST(Math, InverseAffineUndoesRigidTransformsEitherWay)
{
    const float angles[][2] = {{0, 0}, {90, 0}, {33, -120}, {-170, 45}};
    for (auto& ang : angles) {
        YMatrix m = rigid(ang[0], ang[1], YVec3(3, -7, 11));
        YMatrix inv = m.inverseAffine();
        expectIdentity(m * inv, 1e-5f);
        expectIdentity(inv * m, 1e-5f);
    }
    // A mirror has a negative determinant and still inverts.
    YMatrix mirror;
    mirror.makeScale(YVec3(-1, 2, 1));
    EXPECT_LT(mirror.determinant3(), 0);
    expectIdentity(mirror * mirror.inverseAffine());
    YMatrix r = rigid(10, 20, YVec3(5, 6, 7)).rotationPart();
    EXPECT_EQ(0, r[12]);
    EXPECT_EQ(0, r[13]);
    EXPECT_EQ(0, r[14]);
    EXPECT_EQ(1, r[15]);
}

TEST(Math, VectorsNormaliseAndCross)
{
    YVec3 v(3, 0, 4);
    EXPECT_FLOAT_EQ(5, v.normalize());
    expectNear(YVec3(0.6f, 0, 0.8f), v);
    expectNear(YVec3(0, 0, 1), cross(YVec3(1, 0, 0), YVec3(0, 1, 0)));
    expectNear(YVec3(0, 0, -1), cross(YVec3(0, 1, 0), YVec3(1, 0, 0)));
    expectNear(YVec3(-1, 2, -3), -YVec3(1, -2, 3));
    expectNear(YVec3(2, 3, 4), lerp(YVec3(0, 1, 2), YVec3(4, 5, 6), 0.5f));
}

TEST(Math, QuaternionsMatchTheRotationBuilders)
{
    // A unit quaternion for 90 degrees about z.
    float h = std::sqrt(0.5f);
    YMatrix q, z;
    q.makeRotationQuaternion(YVec4(0, 0, h, h), YVec3(1, 2, 3));
    z.makeRotationZ(90);
    for (int i = 0; i < 12; ++i)
        EXPECT_NEAR(z[i], q[i], 1e-6f);
    expectNear(YVec3(1, 2, 3), q.translation());

    // Slerp: ends, midpoint, short arc for a negated end, near-equal inputs.
    YVec4 a(0, 0, 0, 1), b(0, 0, h, h);
    YVec4 mid = slerp(a, b, 0.5f);
    EXPECT_NEAR(std::sin(degToRad(22.5f)), mid.z, 1e-5f);
    EXPECT_NEAR(std::cos(degToRad(22.5f)), mid.w, 1e-5f);
    YVec4 viaNegated = slerp(a, b * -1.0f, 0.5f);
    EXPECT_NEAR(mid.z, viaNegated.z, 1e-5f);
    EXPECT_NEAR(mid.w, viaNegated.w, 1e-5f);
    YVec4 same = slerp(a, a, 0.3f);
    EXPECT_FALSE(std::isnan(same.w));
    EXPECT_NEAR(1, same.w, 1e-6f);
    YVec4 end = slerp(a, b, 1.0f);
    EXPECT_NEAR(h, end.z, 1e-5f);
}

TEST(Math, ColoursParseFromHexText)
{
    YVec4 c;
    c.parseColor("FF8000");
    EXPECT_FLOAT_EQ(1.0f, c.x);
    EXPECT_NEAR(0.50196f, c.y, 1e-5f);
    EXPECT_FLOAT_EQ(0.0f, c.z);
    EXPECT_FLOAT_EQ(1.0f, c.w);
    c.parseColor("ff800080");
    EXPECT_NEAR(0.50196f, c.w, 1e-5f);
    c.parseColor("FF80008"); // seven digits: the seventh is ignored
    EXPECT_FLOAT_EQ(1.0f, c.w);
    c.parseColor("0000FF0000"); // longer than eight: alpha stays 1
    EXPECT_FLOAT_EQ(1.0f, c.z);
    EXPECT_FLOAT_EQ(1.0f, c.w);
    try {
        c.parseColor("12345");
        FAIL() << "a short colour must fail";
    } catch (const char* message) {
        EXPECT_STREQ("Error color format.", message);
    }
}
