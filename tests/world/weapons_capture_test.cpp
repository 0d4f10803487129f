// The weapons on the real renderer: the hero at the table's edge with a
// grenade in his hand, a bomb in flight trailing its fuse sparks, and the
// boomerang spinning over the table, captured to BMP.
#include "tests/world/capture_fixture.h"

#include "world/bomb.h"
#include "world/boomer.h"
#include "world/grenade.h"
#include "world/racket.h"

using namespace blocktest;

namespace {

constexpr int SIZE = 384;

using testutil::colourAt;

class WeaponsCapture : public WorldCapture {};

} // namespace

TEST_F(WeaponsCapture, ABombInFlightWithItsFuseAndTheBoomerangOverTheTable)
{
    openScene(SIZE, 20.0f, 20.0f, YVec3(0, -17.0f, 9.0f), YVec3(0, -2.0f, 1.5f));
    if (HasFatalFailure())
        return;
    for (const char* name : {"bomb", "bomb_fuse", "grenade", "boomer", "bomb_fuse_particles"})
        EXPECT_NE(nullptr, findShader(name)) << name;
    build({{-2, 4, 0, 1, 1, 1, "wood"}, {-1, 4, 0, 1, 1, 1, "stone"}, {-2, 4, 1, 2, 1, 1, "plain"}});

    // The hero with a grenade in his hand, the ball he served put away.
    auto racket = std::make_unique<YRacket>(nullptr);
    racket->serve();
    {
        YWorldTearDown quiet;
        delete racket->held;
    }
    ASSERT_TRUE(holdWeapon(*racket, new YGrenade(YGrenade::BONUS_THROWS), false));

    // A bomb thrown and on its way over the table, tumbling, its fuse
    // sparkling behind it; and a boomerang out on its loop.
    auto* bomb = new YBomb();
    bomb->launch(1);
    for (int f = 0; f < 20 && !bomb->isFlying(); ++f)
        bomb->update(0.01f);
    ASSERT_TRUE(bomb->isFlying());
    auto* boomer = new YBoomer();
    boomer->setTransform(worldtest::at(YVec3(1.0f, -8.0f, 2.5f)));
    boomer->buildPath(YVec3(0, 1, 0));
    YRender* device = gRender;
    gRender = nullptr; // the warm-up frames draw nothing
    const float dt = 0.01f;
    for (int f = 0; f < 30; ++f) {
        YMatrix m;
        m.makeRotationY(25.0f * static_cast<float>(f));
        m.setTranslation(YVec3(-2.5f, -5.0f + 0.08f * static_cast<float>(f), 2.2f));
        bomb->body().setTransform(m);
        bomb->body().setLinearVelocity(YVec3(0, 8.0f, 0));
        bomb->update(dt);
        boomer->update(dt);
        gParticles().update(dt);
        drawBackToFront();
    }
    gRender = device;
    ASSERT_GT(gParticles().particleCount(), 5u) << "the fuse sparkles";

    img::Image plain, shot;
    auto frame = [&](bool withWeapons, const char* file, img::Image& picture) {
        bomb->visible = boomer->visible = withWeapons;
        table->clearLightSpots();
        gParticles().update(0.0f);
        updateAllBlocks(0.0f, false);
        return capture(file, withWeapons, picture);
    };
    ASSERT_TRUE(frame(false, "weapons_plain.bmp", plain));
    ASSERT_TRUE(frame(true, "weapons.bmp", shot));

    // The bomb, its fuse and the boomerang show where they are; the fuse's
    // sparks glow yellow.
    const YVec3 bombAt = bomb->matrix.translation();
    const YVec3 tipAt = bomb->fuseTip();
    const YVec3 boomerAt = boomer->position();
    EXPECT_GT((colourAt(shot, bombAt) - colourAt(plain, bombAt)).length(), 25.0f) << "the bomb";
    EXPECT_GT((colourAt(shot, tipAt, 1) - colourAt(plain, tipAt, 1)).length(), 25.0f) << "the fuse";
    EXPECT_GT((colourAt(shot, boomerAt) - colourAt(plain, boomerAt)).length(), 25.0f) << "the boomerang";
    size_t yellow = 0;
    for (const YParticle& p : gParticles().particles()) {
        const YVec3 c = colourAt(shot, p.position, 0);
        yellow += c.x > 180.0f && c.y > 110.0f && c.z < c.x - 50.0f;
    }
    EXPECT_GT(yellow * 2, gParticles().particleCount()) << "most fuse sparks glow yellow";
    EXPECT_FALSE(logged("failed") || logged("error")) << testutil::logText().substr(logStart);

    racket.reset();
    closeScene();
}
