// The balls on the real renderer (offscreen window, software GL): the table
// with its pyramid and walls, a little wall of blocks, and a ball of each
// mode in a row with their flares, trails, light on the floor and the
// electro ball's bolt, captured to BMP.
#include "tests/world/capture_fixture.h"

#include "world/ball.h"
#include "world/ball_mode.h"
#include "world/ball_mode_draw.h"
#include "world/ball_mode_electro.h"
#include "world/block_update.h"
#include "world/racket_tacked.h"

#include <cmath>

using namespace blocktest;

namespace {

constexpr int SIZE = 384;

using testutil::colourAt;

// Brightness (0..765) of the mean colour around where a world point lands.
float brightness(const img::Image& shot, const YVec3& p)
{
    const YVec3 c = colourAt(shot, p);
    return c.x + c.y + c.z;
}

class BallCapture : public WorldCapture {};

} // namespace

TEST_F(BallCapture, EveryModeOnTheTableWithItsEffects)
{
    openScene(SIZE, 24.0f, 20.0f, YVec3(0, -22.0f, 13.0f), YVec3(0, 1.0f, 0));
    if (HasFatalFailure())
        return;
    build({{0, 0, 0, 1, 1, 1, "wood"},
           {1, 0, 0, 1, 1, 1, "stone"},
           {2, 0, 0, 1, 1, 1, "metal"},
           {0, 0, 1, 3, 1, 1, "plain"}},
          at(YVec3(1.5f, 3.0f, 0.02f)));

    // A ball of each mode in a row across the table.
    std::vector<YBall*> row;
    std::vector<YVec3> places;
    for (int m = 0; m < YBALL_MODE_COUNT; ++m) {
        places.push_back(YVec3(-9.0f + 3.0f * static_cast<float>(m), -2.0f, 1.2f));
        row.push_back(new YBall(m));
        row.back()->setBodyTransform(at(places.back()));
    }
    // The trails stream out behind the phantom and fire balls as they
    // fly towards the back; the electro ball strikes the blocks.
    const YVec3 flight(0, 5.0f, 0.6f);
    YRender* device = gRender;
    gRender = nullptr; // the warm-up frames draw nothing
    const float dt = 0.02f;
    auto strikes = [&] {
        const auto& electro = *static_cast<const YBallElectro*>(row[YBallElectroId]->mode());
        for (int s = 0; s < YBallElectro::SLOT_COUNT; ++s)
            if (electro.slot(s).state == YBallElectro::STRIKING && electro.slot(s).timer < 0.15f)
                return true;
        return false;
    };
    for (int f = 0; f < 150 && !(f > 20 && strikes()); ++f) {
        table->clearLightSpots();
        for (int m = 0; m < YBALL_MODE_COUNT; ++m) {
            YBall* b = row[static_cast<size_t>(m)];
            const bool moving = m == YBallPhantomId || m == YBallFireId;
            const YVec3 p = moving ? places[static_cast<size_t>(m)] + flight * (dt * static_cast<float>(f - 20))
                                   : places[static_cast<size_t>(m)];
            b->setBodyTransform(at(p));
            b->body().setLinearVelocity(moving ? flight : YVec3());
            b->update(dt);
        }
        gParticles().update(dt);
        YZDelete::tickAll(dt);
        drawBackToFront();
    }
    ASSERT_TRUE(strikes()) << "the electro ball struck";
    gRender = device;

    img::Image plain, shot;
    auto frame = [&](bool withBalls, const char* file, img::Image& picture) {
        for (YBall* b : row)
            b->mode()->visible = withBalls;
        table->clearLightSpots();
        if (withBalls) {
            // This frame's effects: trails, light spots and the bolt.
            for (YBall* b : row)
                b->mode()->updateEffects(*b, 0.0f);
            gParticles().update(0.0f);
            if (table->lightSpots().size() != 2u)
                return false; // under the fire and electro balls
        }
        updateAllBlocks(0.0f, false);
        return capture(file, withBalls, picture);
    };
    std::vector<YVec3> where;
    for (YBall* b : row)
        where.push_back(b->position());
    ASSERT_TRUE(frame(false, "balls_plain.bmp", plain));
    ASSERT_TRUE(frame(true, "balls.bmp", shot));
    EXPECT_EQ(0u, pendingBallDraws());

    EXPECT_GT(brightness(plain, YVec3(0, 0, 0)), 90.0f) << "the table is lit";
    // Every ball shows where it is: something other than the table.
    for (int m = 0; m < YBALL_MODE_COUNT; ++m) {
        const YVec3 a = colourAt(shot, where[static_cast<size_t>(m)]);
        const YVec3 b = colourAt(plain, where[static_cast<size_t>(m)]);
        EXPECT_GT((a - b).length(), 25.0f) << "mode " << m;
    }
    // The fire ball glows warm, the electro ball cold.
    const YVec3 fire = colourAt(shot, where[YBallFireId]);
    const YVec3 electro = colourAt(shot, where[YBallElectroId]);
    EXPECT_GT(fire.x, fire.z + 40.0f);
    EXPECT_GT(electro.z, electro.x + 20.0f);
    // Their light on the floor beside them.
    auto floorGain = [&](const YVec3& p) {
        const YVec3 q(p.x + 1.2f, p.y - 1.2f, 0.0f);
        return brightness(shot, q) - brightness(plain, q);
    };
    EXPECT_GT(floorGain(where[YBallFireId]), 40.0f);
    EXPECT_GT(floorGain(where[YBallElectroId]), 30.0f);
    EXPECT_NEAR(0.0f, floorGain(where[YBallNormalId]), 2.0f);
    EXPECT_FALSE(logged("failed") || logged("error")) << testutil::logText().substr(logStart);

    closeScene();
}
