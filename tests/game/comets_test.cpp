// Orbits and the comets that fly on them: positions after known times,
// angles past 360, the particles they trail.
#include "game/comets.h"

#include "render/particles.h"
#include "render/shader.h"
#include "platform/sys/random.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

float azimuthOf(const YVec3& p)
{
    return std::atan2(p.y, p.x) * 57.29578f;
}

} // namespace

TEST(Orbit, MovesOnItsAnglesAndWrapsPast360Once)
{
    struct Case {
        const char* what;
        YOrbit orbit;
        float dt;
        float azimuth, radiusPhase, heightPhase;
        YVec3 position;
    };
    const Case cases[] = {
        {"a quarter turn", YOrbit(0, 90, 0, 0, 10, 1, 3, 1.5f), 1.0f, 90, 0, 0, YVec3(0, 10, 3)},
        {"radius and height swing", YOrbit(0, 0, 90, 30, 10, 1, 3, 1.5f), 1.0f, 0, 90, 30, YVec3(11, 0, 3.75f)},
        {"back from 359 to just above 0", YOrbit(359, 2, 0, 0, 10, 0, 0, 0), 1.0f, 1, 0, 0,
         YVec3(9.99848f, 0.174524f, 0)},
        {"360 taken off once", YOrbit(0, 800, 0, 0, 10, 0, 0, 0), 1.0f, 440, 0, 0, YVec3(1.73648f, 9.84808f, 0)},
    };
    for (Case c : cases) {
        c.orbit.update(c.dt);
        EXPECT_NEAR(c.azimuth, c.orbit.azimuth, 1e-3f) << c.what;
        EXPECT_NEAR(c.radiusPhase, c.orbit.radiusPhase, 1e-3f) << c.what;
        EXPECT_NEAR(c.heightPhase, c.orbit.heightPhase, 1e-3f) << c.what;
        EXPECT_NEAR(c.position.x, c.orbit.position.x, 1e-3f) << c.what;
        EXPECT_NEAR(c.position.y, c.orbit.position.y, 1e-3f) << c.what;
        EXPECT_NEAR(c.position.z, c.orbit.position.z, 1e-3f) << c.what;
    }
    // The menu camera's orbit starts behind the table's -x side.
    const YOrbit menu = menuCameraOrbit();
    EXPECT_NEAR(-10.0f, menu.position.x, 1e-4f);
    EXPECT_NEAR(19.0f, menu.position.z, 1e-4f);
}

TEST(Comets, CircleTheTableAndTrailThirtyParticlesASecond)
{
    sys::srand(7);
    YComets comets;
    EXPECT_FALSE(comets.made());
    const size_t before = gParticles().particles().size();
    const float dt = 0.05f;
    for (int i = 0; i < 20; ++i)
        comets.update(dt); // one second
    ASSERT_TRUE(comets.made());

    const float starts[YComets::COUNT] = {0.0f, 120.0f, -120.0f};
    const YVec4 colors[YComets::COUNT] = {YVec4(1, 0, 0, 1), YVec4(1, 1, 0, 1), YVec4(0, 1, 1, 1)};
    for (int k = 0; k < YComets::COUNT; ++k) {
        const YComet& c = comets.comets()[static_cast<size_t>(k)];
        EXPECT_GE(c.orbit.radiusPhaseSpeed, 30.5f) << k;
        EXPECT_LE(c.orbit.radiusPhaseSpeed, 35.5f) << k;
        EXPECT_GE(c.orbit.heightPhaseSpeed, 14.5f) << k;
        EXPECT_LE(c.orbit.heightPhaseSpeed, 19.5f) << k;
        // 75 degrees a second from the start azimuth, radius 10 +- 1 and
        // height 3 +- 1.5 on their phases.
        const YVec3& p = c.orbit.position;
        float turned = azimuthOf(p) - starts[k] - 75.0f;
        turned -= 360.0f * std::round(turned / 360.0f);
        EXPECT_NEAR(0.0f, turned, 1e-2f) << k;
        const float radius = 10.0f + std::sin(degToRad(c.orbit.radiusPhaseSpeed)) * 1.0f;
        const float height = 3.0f + std::sin(degToRad(c.orbit.heightPhaseSpeed)) * 1.5f;
        EXPECT_NEAR(radius, std::sqrt(p.x * p.x + p.y * p.y), 1e-3f) << k;
        EXPECT_NEAR(height, p.z, 1e-3f) << k;
        EXPECT_EQ(colors[k].y, c.color.y) << k;
        EXPECT_LT(c.accumulator, 1.0f / c.rate) << k;
    }

    // n = (int)(accumulated x rate) a frame: 29 or 30 in a second, each
    // leaving from its comet with speed 2 in the comet's colour.
    const auto& particles = gParticles().particles();
    const size_t emitted = particles.size() - before;
    EXPECT_GE(emitted, 3u * 29u);
    EXPECT_LE(emitted, 3u * 30u);
    const YParticle& last = particles.back();
    EXPECT_EQ(getShader("comets"), last.shader);
    EXPECT_NEAR(2.0f, last.speedStart, 1e-4f);
    EXPECT_EQ(colors[2].z, last.colorStart.z);
    EXPECT_FLOAT_EQ(0.75f, last.colorEnd.w);

    gParticles().clearParticles();
    gParticles().update(0.0f);
    clearShaders();
}
