// Bodies: transforms, masses, speed keeping and box sets.
#include "tests/world/world_fixture.h"

using namespace worldtest;

namespace {

class RigidBody : public WorldTest {
protected:
    static dMass massOf(const YRigidBody& b)
    {
        dMass m;
        dBodyGetMass(b.body(), &m);
        return m;
    }
};

} // namespace

TEST_F(RigidBody, TransformRoundTripsAndAgreesWithTheBody)
{
    YRigidBox box(YVec3(1, 0.5f, 0.25f));
    YMatrix rx, rz, m;
    m = at(YVec3(1, -2, 3)) * (rz.makeRotationZ(50) * rx.makeRotationX(30));
    box.setEnabled(false);
    box.setTransform(m);
    EXPECT_TRUE(box.isEnabled()) << "placing a body wakes it";
    YMatrix back = box.getTransform();
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(m[i], back[i], 1e-5f) << i;
    // A point of the body lands where the game matrix puts it.
    YVec3 local(0.3f, -0.7f, 2), expected = m.transformPoint(local);
    dVector3 world;
    dBodyGetRelPointPos(box.body(), local.x, local.y, local.z, world);
    for (int i = 0; i < 3; ++i)
        EXPECT_NEAR(expected[i], world[i], 1e-5);
}

TEST_F(RigidBody, CompressedMassesScaleTheirInertia)
{
    YRigidBox box(YVec3(0.5f, 0.5f, 0.5f));
    const float t[9] = {2.0f, 0.1f, -0.2f, 0.1f, 3.0f, 0.3f, -0.2f, 0.3f, 4.0f};
    const float diagonal[3] = {2.0f, 3.0f, 4.0f};
    const float cases[][2] = {{10, 5.1f}, {0.05f, 0.1f}, {0.1f, 0.1f}, {0.5f, 0.5f}, {1, 1}, {1e6f, 10.1f}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c[0]);
        EXPECT_NEAR(c[1], box.setMass(c[0], diagonal, true), 1e-3f);
        EXPECT_NEAR(c[1], box.getMass(), 1e-3f);
        EXPECT_NEAR(4.0 * c[1] / c[0], massOf(box).I[10], 1e-3 * c[1] / c[0]);
    }
    EXPECT_FLOAT_EQ(10.0f, box.setMass(10.0f, diagonal, false)) << "uncompressed as given";
    // A full tensor keeps its products of inertia, scaled.
    EXPECT_NEAR(5.1f, box.setMassFull(10.0f, t, true), 1e-4f);
    dMass m = massOf(box);
    EXPECT_NEAR(0.1 * 0.51, m.I[1], 1e-5);  // I12
    EXPECT_NEAR(-0.2 * 0.51, m.I[2], 1e-5); // I13
    EXPECT_NEAR(0.3 * 0.51, m.I[6], 1e-5);  // I23
    EXPECT_FALSE(logged("Bad"));
}

TEST_F(RigidBody, MassesOdeCannotTakeAreMendedNotFatal)
{
    // Each of these ends the process inside ODE if passed through.
    YRigidBox box(YVec3(0.5f, 0.5f, 0.5f));
    const float inertia[3] = {0.2f, 0.2f, 0.2f};
    EXPECT_FLOAT_EQ(0.1f, box.setMass(0.0f, inertia, true)) << "no division by zero";
    EXPECT_TRUE(logged("Bad body mass"));
    EXPECT_FLOAT_EQ(YRigidBody::MIN_MASS, box.setMass(-3.0f, inertia, false));
    EXPECT_FLOAT_EQ(YRigidBody::MIN_MASS, box.setMass(std::nanf(""), inertia, false));
    const float zero[3] = {0, 0, 0};
    EXPECT_FLOAT_EQ(2.0f, box.setMass(2.0f, zero, false));
    EXPECT_TRUE(logged("Bad inertia"));
    EXPECT_NEAR(2.0 / 6.0, massOf(box).I[0], 1e-6) << "a cube's inertia instead";
    const float skew[9] = {1, 5, 0, 5, 1, 0, 0, 0, 1}; // not positive definite
    box.setMassFull(1.0f, skew, false);
    EXPECT_NEAR(0.0, massOf(box).I[1], 1e-9);
    box.setTransform(at(YVec3(0, 0, 5)));
    run(4);
    EXPECT_TRUE(finite(box.getPosition()));
}

TEST_F(RigidBody, KeepSpeedLeavesSmallErrorsAndHalvesLargeOnes)
{
    auto k = ball(YVec3(0, 0, 0.6f), YVec3());
    const float target = 7.0f; // 0.7 x 10
    const YVec3 dir(0.6f, -0.48f, 0.64f);
    // {speed, expected x and y factor, expected z factor}
    for (float ratio : {0.95f, 0.85f, 1.15f}) {
        SCOPED_TRACE(ratio);
        float s = target * ratio;
        float k2 = (target - s) / s;
        float xy = ratio == 0.95f ? 1.0f : 1.0f + k2 / 2;
        float z = ratio > 1.0f ? 1.0f + k2 : 1.0f;
        k->setLinearVelocity(dir * s);
        k->keepSpeed(0.02f);
        YVec3 v = k->getLinearVelocity();
        EXPECT_NEAR(dir.x * s * xy, v.x, 1e-4f);
        EXPECT_NEAR(dir.y * s * xy, v.y, 1e-4f);
        EXPECT_NEAR(dir.z * s * z, v.z, 1e-4f);
    }
    // Standing still there is no direction to steer along: no NaN.
    for (YVec3 v : {YVec3(), YVec3(1e-38f, 0, 0)}) {
        k->setLinearVelocity(v);
        k->keepSpeed(0.02f);
        EXPECT_TRUE(finite(k->getLinearVelocity()));
    }
    EXPECT_TRUE(gPhysics->ballsRunning());
}

TEST_F(RigidBody, ArchPullsDownOnlyBallsComingTowardsThePlayer)
{
    // The arch is 4 high at the far edge, 3 over the centre and 0 at the
    // racket's edge. Speeds are on target, so only the arch acts.
    struct Case {
        YVec3 pos, vel;
        bool pulled;
    };
    auto k = ball(YVec3(), YVec3());
    for (Case c : {Case{YVec3(0, 9.9f, 4.5f), YVec3(0, -7, 0), true},
                   Case{YVec3(0, 9.9f, 4.5f), YVec3(0, 7, 0), false},
                   Case{YVec3(0, 9.9f, 3.5f), YVec3(0, -7, 0), false},
                   Case{YVec3(0, 0, 3.1f), YVec3(0, -7, 0), true},
                   Case{YVec3(0, 0, 2.9f), YVec3(0, -7, 0), false},
                   Case{YVec3(0, -9.9f, 0.6f), YVec3(0, -7, 0), true},
                   Case{YVec3(0, 0, 3.1f), YVec3(7, -0.005f, 0), false}}) {
        SCOPED_TRACE(testing::Message() << c.pos.y << " " << c.pos.z << " " << c.vel.y);
        k->setTransform(at(c.pos));
        k->setLinearVelocity(c.vel);
        k->keepSpeed(0.1f);
        EXPECT_NEAR(c.pulled ? -15.0f * 0.7f * 0.1f : 0.0f, k->getLinearVelocity().z, 1e-5f);
    }
}

TEST_F(RigidBody, BallsNeverFallAsleep)
{
    // A resting box is disabled after 30 quiet steps and 1.5 s; a resting
    // ball stays awake, so setting its velocity moves it again.
    auto k = ball(YVec3(-3, 0, 0.52f), YVec3());
    auto b = block(YVec3(3, 0, 0.52f));
    run(120, 0.05f);
    EXPECT_FALSE(b->isEnabled());
    EXPECT_TRUE(k->isEnabled());
    k->setLinearVelocity(YVec3(0, 5, 0));
    run(4);
    EXPECT_GT(k->getPosition().y, 0.3f);
}

TEST_F(RigidBody, BallSetupLaunchAndGeom)
{
    RecordingBallMode mode;
    YRigidBall k(YRigidBall::KIND_BONUS, 7.0f);
    EXPECT_FLOAT_EQ(YRigidBall::DEFAULT_RADIUS, k.radius());
    k.setup(0.33f, YRigidBall::KIND_PHANTOM, 10.0f, &mode);
    k.setup(-1.0f, YRigidBall::KIND_NORMAL, 10.0f, &mode);
    EXPECT_FLOAT_EQ(0.33f, k.radius()) << "a bad radius keeps the old";
    EXPECT_TRUE(logged("Bad ball radius"));
    k.launch(YVec3(0, 1.5f, 0), YVec3(0, 0, 1));
    EXPECT_FLOAT_EQ(15.0f, k.getLinearVelocity().y) << "the direction is not normalised";
    // Without its geom the ball falls through the floor.
    k.setLinearVelocity(YVec3());
    k.setGeomEnabled(false);
    run(30);
    EXPECT_LT(k.getPosition().z, -1.0f);
}

TEST_F(RigidBody, BoxSetsMoveBoxesAndRefuseForeignOnes)
{
    int items[2] = {1, 2};
    YRigidBoxSet a, b;
    const YVec3 h(0.5f, 0.5f, 0.5f);
    dGeomID g0 = a.addBox(h, &items[0]);
    dGeomID g1 = a.addBox(h, &items[1]);
    EXPECT_EQ(&items[1], dGeomGetData(g1));
    a.setBoxOffset(g1, YVec3(2, 0, 0));
    a.setTransform(at(YVec3(0, 0, 5)));
    b.setTransform(at(YVec3(0, 0, 5)));
    EXPECT_NEAR(2.0, dGeomGetPosition(g1)[0], 1e-6);
    a.moveBox(g1, b);
    EXPECT_EQ(1, a.boxCount());
    EXPECT_EQ(b.body(), dGeomGetBody(g1));
    EXPECT_NEAR(2.0f, b.boxOffset(g1).x, 1e-6f) << "the offset survives the move";
    a.removeBox(g1);
    a.moveBox(g1, b);
    EXPECT_TRUE(logged("not a box of this set"));
    EXPECT_EQ(1, b.boxCount());
    a.removeBox(g0);
    EXPECT_EQ(0, a.boxCount());
    // Box sizes ODE cannot take are mended: it aborts on negative sizes.
    YRigidBox splinter; // no box yet
    EXPECT_EQ(nullptr, splinter.geom());
    splinter.createBox(YVec3(-1, 0.5f, std::nanf("")));
    EXPECT_TRUE(logged("Bad box half size"));
    dVector3 len;
    dGeomBoxGetLengths(splinter.geom(), len);
    EXPECT_GT(len[0], 0.0);
    EXPECT_NEAR(1.0, len[1], 1e-6);
    splinter.createBox(YVec3(0.25f, 0.25f, 0.25f)); // resizes, no second geom
    dGeomBoxGetLengths(splinter.geom(), len);
    EXPECT_NEAR(0.5, len[0], 1e-6);
}
