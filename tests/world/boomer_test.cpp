// The boomerang's flight without a racket: the loop it builds, its speed
// along the path, the strike on the far wall, and inputs that would turn
// its numbers into nonsense.
#include "tests/world/world_fixture.h"

#include "platform/sys/random.h"
#include "world/boomer.h"
#include "world/weapons.h"

#include <cmath>
#include <limits>

namespace {

using namespace worldtest;

class BoomerTest : public WorldTest {
protected:
    void TearDown() override
    {
        releaseRacketLeftovers();
        releaseWeaponAssets();
        ASSERT_TRUE(setPlayfieldSize(TABLE, TABLE));
        WorldTest::TearDown();
    }

    static bool pathFinite(const YBoomer& b)
    {
        for (const YVec3& p : b.path())
            if (!finite(p))
                return false;
        for (int r = 0; r < 3; ++r)
            if (!finite(b.orientation()[r]))
                return false;
        return finite(b.position()) && finite(b.heading());
    }
};

// Thrown along a heading, the loop goes out on its right, turns well short
// of a table depth ahead and comes back on its left to end behind its start.
TEST_F(BoomerTest, ALoopGoesOutOnTheRightAndComesBackOnTheLeftBehindTheStart)
{
    const YVec3 headings[] = {YVec3(0, 1, 0), YVec3(-1, 0, 0), YVec3(0.6f, 0.8f, 0)};
    for (unsigned seed = 1; seed <= 5; ++seed) {
        for (const YVec3& d : headings) {
            SCOPED_TRACE(testing::Message() << "seed " << seed << " heading " << d.x << " " << d.y);
            sys::srand(seed);
            YBoomer b;
            b.setTransform(at(YVec3(0.0f, -6.0f, 3.0f)));
            const YVec3 start = b.position();
            b.buildPath(d);
            const YVec3 right(d.y, -d.x, 0.0f);
            float ahead = 0.0f, most = 0.0f, least = 0.0f;
            int mostAt = 0, leastAt = 0;
            for (int i = 0; i < YBoomer::PATH_POINTS; ++i) {
                const YVec3 q = b.path()[static_cast<size_t>(i)] - start;
                ahead = std::max(ahead, q.dot(d));
                const float side = q.dot(right);
                if (side > most) {
                    most = side;
                    mostAt = i;
                }
                if (side < least) {
                    least = side;
                    leastAt = i;
                }
                EXPECT_GE(b.path()[static_cast<size_t>(i)].z, YBoomer::MIN_HEIGHT - 1e-4f);
            }
            EXPECT_GT(ahead, 0.5f * TABLE);
            EXPECT_LT(ahead, 0.925f * TABLE);
            EXPECT_GT(most, 1.0f) << "out on the right";
            EXPECT_LT(least, -1.0f) << "back on the left";
            EXPECT_LT(mostAt, leastAt);
            EXPECT_LT((b.path().back() - start).dot(d), -0.3f * TABLE) << "ends behind the start";
            EXPECT_EQ(1, b.pathIndex());
            // The orientation is a right-handed frame along the path.
            const YVec3* o = b.orientation();
            EXPECT_NEAR(1.0f, o[0].length(), 1e-4f);
            EXPECT_NEAR(0.0f, o[0].dot(o[1]), 1e-4f);
            EXPECT_NEAR(0.0f, (cross(o[0], o[1]) - o[2]).length(), 1e-4f);
        }
    }
}

// Ten units a second along the path, however many points one step passes.
TEST_F(BoomerTest, ItFliesTenUnitsASecondAlongThePath)
{
    for (float dt : {0.01f, 0.25f, 1.0f}) {
        SCOPED_TRACE(dt);
        YBoomer b;
        const auto path = b.path();
        YVec3 from = b.position();
        float want = 0.0f;
        const int frames = static_cast<int>(std::lround(1.0f / dt));
        for (int f = 0; f < frames; ++f)
            b.update(dt);
        // The length of the path from the start to where it stopped.
        const int reached = b.pathIndex();
        ASSERT_GT(reached, 2) << "several points passed";
        for (int i = 1; i < reached; ++i) {
            want += (path[static_cast<size_t>(i)] - from).length();
            from = path[static_cast<size_t>(i)];
        }
        want += (b.position() - from).length();
        EXPECT_NEAR(10.0f, want, 2e-3f);
        const float spin = b.spinAngle(); // four whole turns
        EXPECT_LT(std::min(spin, 360.0f - spin), 0.1f);
        EXPECT_TRUE(effects.walls.empty() && effects.sparks.empty()) << "nothing touched";
    }
}

// A strike on the far wall flashes the wall, mirrors the heading and starts
// a new loop from the point of impact.
TEST_F(BoomerTest, AStrikeOnTheFarWallReflectsTheHeadingAndStartsANewLoop)
{
    YBoomer b;
    b.setTransform(at(YVec3(1.0f, 8.0f, 4.0f)));
    b.buildPath(YVec3(0, 1, 0));
    for (int f = 0; f < 100 && effects.walls.empty(); ++f)
        b.update(0.01f);
    ASSERT_FALSE(effects.walls.empty());
    EXPECT_LT(effects.walls[0].normal.y, -0.5f) << "the far wall";
    EXPECT_LT(b.heading().y, -0.5f) << "back towards the player";
    EXPECT_LE(std::fabs(b.heading().z), 0.7f + 1e-4f);
    EXPECT_EQ(1, b.pathIndex());
    // It flies away from the wall again.
    const float y = b.position().y;
    for (int f = 0; f < 20; ++f)
        b.update(0.01f);
    EXPECT_LT(b.position().y, y);
}

// None of these may put a number that is not finite into the path, the
// orientation or the position, nor hang the flight.
TEST_F(BoomerTest, NoInputMakesItsNumbersNonsense)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    YBoomer b;
    b.buildPath(YVec3(0, 0, 1));
    EXPECT_TRUE(pathFinite(b)) << "straight up";
    b.buildPath(YVec3(0, 0, -1));
    EXPECT_TRUE(pathFinite(b)) << "straight down";
    b.buildPath(YVec3(nan, 0, 1));
    EXPECT_TRUE(pathFinite(b)) << "not a number";
    const YVec3 heading = b.heading();
    b.strike(b.position());
    EXPECT_TRUE(pathFinite(b)) << "struck at its own centre";
    EXPECT_NEAR(-1.0f, b.heading().dot(heading), 1e-4f) << "turned straight back";
    for (float dt : {nan, inf, -1.0f, 1e30f}) {
        b.update(dt);
        EXPECT_TRUE(pathFinite(b)) << "a step of " << dt;
    }

    // A table too small to fly over: every point coincides; the flight
    // stops rather than running round for ever.
    ASSERT_TRUE(setPlayfieldSize(TABLE, 1e-30f));
    b.setTransform(at(YVec3(0, 0, 3.0f)));
    b.buildPath(YVec3(0, 1, 0));
    b.update(1.0f);
    EXPECT_TRUE(pathFinite(b)) << "a table without depth";
    ASSERT_TRUE(setPlayfieldSize(TABLE, TABLE));

    // Put somewhere that is not a number: it goes at the next sweep
    // without sweeping the world.
    YMatrix lost;
    lost.setTranslation(YVec3(nan, 0, 0));
    auto* gone = new YBoomer();
    gone->setTransform(lost);
    const size_t touched = effects.walls.size() + effects.sparks.size();
    gone->update(0.01f);
    EXPECT_TRUE(gone->isScheduled());
    EXPECT_EQ(0.0f, gone->remainingTime());
    EXPECT_EQ(touched, effects.walls.size() + effects.sparks.size()) << "no sweep";
    YZDelete::tickAll(0.01f);
    EXPECT_TRUE(gRacketTacked().size() == 1u) << "only the first one is left";
}

} // namespace
