#include "render/particles.h"

#include "platform/sys/random.h"
#include "render/camera.h"
#include "render/draw_queue.h"
#include "render/recording_render.h"
#include "render/shader.h"
#include "tests/common/test_util.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <vector>

namespace {

const float kWhite[4] = {1, 1, 1, 1};
const float kZero[3] = {0, 0, 0};

// Every character is one unit wide; glyphs are unit squares.
class StubFont : public YTextFont {
public:
    YShader* textShader() const override { return getShader("font"); }
    float charWidth(unsigned char) const override { return 1.0f; }
    const float* glyphCorners(unsigned char) const override
    {
        static const float corners[20] = {0, 0, 0, 0, 0, 1, 0, 0, 1, 0, 1, 1, 0, 1, 1, 0, 1, 0, 0, 1};
        return corners;
    }
};

using testutil::numbers;

YVec3 corner(const std::vector<float>& quad, int k) { return YVec3(quad[k * 7], quad[k * 7 + 1], quad[k * 7 + 2]); }

void expectNear(const YVec3& want, const YVec3& got, float tolerance = 1e-4f)
{
    EXPECT_NEAR(want.x, got.x, tolerance);
    EXPECT_NEAR(want.y, got.y, tolerance);
    EXPECT_NEAR(want.z, got.z, tolerance);
}

// A recording renderer, the camera at the origin looking down -z, and no
// particles, queued records or shaders left behind.
class ParticleTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        render = std::make_unique<YRecordingRender>(4);
        saved = gCamera().view();
        gCamera().setTransform(YMatrix());
        reset();
    }
    void TearDown() override
    {
        reset();
        gCamera().setTransform(saved);
        clearShaders();
        render.reset();
    }
    static void reset()
    {
        drawBackToFront();
        gParticles().clearParticles();
        gParticles().update(1e30f); // expires the text particles too
        drawBackToFront();
    }
    // One game frame; gives the number of quads drawn.
    size_t frame(float dt)
    {
        render->calls.clear();
        gParticles().update(dt);
        drawBackToFront();
        return render->callsStartingWith("quadUV2").size();
    }
    void emit(float life, float id, const YVec3& velocity, float speedEnd, YSpaceWarp* warp = nullptr)
    {
        gParticles().emit(life, id, id, kZero, &velocity.x, speedEnd, warp, getShader("spark"), kWhite, kWhite);
    }

    std::unique_ptr<YRecordingRender> render;
    YMatrix saved;
    StubFont font;
};

} // namespace

TEST_F(ParticleTest, LifeOneIsDrawnTwiceThenRemovedAndBadLivesExpireAtOnce)
{
    emit(1.0f, 1, YVec3(), -1);
    EXPECT_EQ(1u, frame(0.4f));
    EXPECT_EQ(1u, frame(0.4f));
    EXPECT_EQ(0u, frame(0.4f));
    EXPECT_EQ(0u, gParticles().particleCount());

    emit(0.0f, 1, YVec3(), -1);
    emit(-1.0f, 1, YVec3(), -1);
    emit(std::numeric_limits<float>::quiet_NaN(), 1, YVec3(), 0);
    EXPECT_EQ(0u, frame(0.0f));
    EXPECT_EQ(0u, gParticles().particleCount());
}

TEST_F(ParticleTest, RemovalAgesEveryMovedRecordExactlyOnce)
{
    const float lives[7] = {0.1f, 10, 0.1f, 10, 0.1f, 0.1f, 10};
    for (int i = 0; i < 7; ++i)
        emit(lives[i], static_cast<float>(i), YVec3(), -1);
    EXPECT_EQ(3u, frame(0.2f));
    const auto& ps = gParticles().particles();
    ASSERT_EQ(3u, ps.size());
    // 6 moved into slot 0; 5, 4, then 3 moved into slot 2 (5 and 4 expired).
    EXPECT_EQ(6.0f, ps[0].sizeStart);
    EXPECT_EQ(1.0f, ps[1].sizeStart);
    EXPECT_EQ(3.0f, ps[2].sizeStart);
    for (const YParticle& p : ps)
        EXPECT_EQ(0.2f, p.age);
}

TEST_F(ParticleTest, SpeedCurveWarpsAndRestingParticles)
{
    emit(1.0f, 0, YVec3(3, 0, 0), 0.0f);                 // slows to rest
    emit(1.0f, 1, YVec3(0, 3, 0), -1.0f);                // speed left alone
    emit(1.0f, 2, YVec3(), 2.0f);                        // no direction
    emit(1.0f, 3, YVec3(1, 0, 0), -1.0f, &gSpaceGravity); // falls
    YSpaceGravity up(YVec3(0, 0, 8));
    emit(1.0f, 4, YVec3(), 2.0f, &up); // the warp gives it a direction
    const auto& ps = gParticles().particles();
    float x = 0.0f;
    for (int step = 1; step <= 3; ++step) {
        float age = 0.25f * step;
        frame(0.25f);
        x += 3.0f * (1.0f - age) * 0.25f;
        EXPECT_NEAR(3.0f * (1.0f - age), ps[0].velocity.length(), 1e-5f);
        EXPECT_NEAR(x, ps[0].position.x, 1e-5f);
        expectNear(YVec3(0, 3, 0), ps[1].velocity);
        expectNear(YVec3(), ps[2].velocity);
        expectNear(YVec3(), ps[2].position);
        expectNear(YVec3(1, 0, -4.0f * age), ps[3].velocity);
        expectNear(YVec3(0, 0, 2.0f * age), ps[4].velocity); // length 0 + 2 t, upwards
    }
    // The velocity changes before the move: z = -(1 + 2 + 3) x 0.25.
    EXPECT_NEAR(-1.5f, ps[3].position.z, 1e-5f);
}

TEST_F(ParticleTest, DrawerInterpolatesSizeAndColour)
{
    YParticle p;
    p.life = 2.0f;
    p.sizeStart = 1.0f;
    p.sizeEnd = 3.0f;
    p.position = YVec3(5, 0, 0);
    p.colorStart = YVec4(1, 0, 0, 1);
    p.colorEnd = YVec4(0, 1, 0.5f, 0);
    p.shader = getShader("spark");
    for (int k = 0; k <= 2; ++k) {
        float t = 0.5f * k;
        p.age = 2.0f * t;
        render->calls.clear();
        gParticleDraw.draw(&p);
        auto materials = render->callsStartingWith("material");
        auto quads = render->callsStartingWith("quadUV2");
        ASSERT_FALSE(materials.empty());
        ASSERT_EQ(1u, quads.size());
        std::vector<float> m = numbers(materials.back());
        std::vector<float> want = {0, 0, 0, 1 - t, 0, 0, 0, 1, 0, 0, 0, 1, 1 - t, t, 0.5f * t, 1 - t, 0};
        ASSERT_EQ(want.size(), m.size());
        for (size_t i = 0; i < m.size(); ++i)
            EXPECT_NEAR(want[i], m[i], 1e-6f) << "material float " << i << " at t " << t;
        float size = 1.0f + 2.0f * t; // corner 0 is p + size (X + Y)
        expectNear(YVec3(5 + size, size, 0), corner(numbers(quads[0]), 0));
    }
    render.reset(); // no renderer: nothing happens
    gParticleDraw.draw(&p);
    drawBillboard(&p.position.x, 1.0f);
}

TEST_F(ParticleTest, BillboardFacesTheCameraWithTheParticleShader)
{
    YMatrix rx, rz, move;
    rx.makeRotationX(-40.0f);
    rz.makeRotationZ(25.0f);
    move.makeTranslation(YVec3(1, 2, -30));
    gCamera().setTransform(move * rx * rz);
    getShader("spark")->material.diffuse = YVec4(0.5f, 0.5f, 0.5f, 1);
    const float pos[3] = {1, 2, 3};
    gParticles().emit(1.0f, 2.0f, 2.0f, pos, kZero, -1, nullptr, getShader("spark"), kWhite, kWhite);
    ASSERT_EQ(1u, frame(0.1f));

    std::vector<std::string> calls;
    for (const std::string& c : render->calls) {
        for (const char* prefix : {"world ", "shader ", "material ", "quadUV2 "})
            if (c.rfind(prefix, 0) == 0)
                calls.push_back(c);
    }
    ASSERT_EQ(5u, calls.size());
    EXPECT_EQ(0u, calls[0].rfind("world ", 0));
    std::vector<float> world = numbers(calls[0]);
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(gCamera().view()[i], world[i], 1e-5f); // recorded with 6 digits
    EXPECT_EQ("shader spark", calls[1]);
    EXPECT_EQ(0u, calls[2].rfind("material 0.5 0.5 0.5 1", 0)); // the shader's own material
    EXPECT_EQ(0u, calls[3].rfind("material 0 0 0 1", 0));       // then the billboard's

    std::vector<float> quad = numbers(calls[4]);
    ASSERT_EQ(28u, quad.size());
    YVec3 p(1, 2, 3), a = gCamera().diagonalSum() * 2.0f, b = gCamera().diagonalDiff() * 2.0f;
    const YVec3 want[4] = {p + a, p + b, p - a, p - b};
    const float uv[4][2] = {{1, 0}, {1, 1}, {0, 1}, {0, 0}};
    for (int k = 0; k < 4; ++k) {
        YVec3 c = corner(quad, k);
        expectNear(want[k], c);
        EXPECT_NEAR(0.0f, (c - p).dot(gCamera().axisZ()), 1e-5f) << k; // in the view plane
        EXPECT_NEAR(2.0f * std::sqrt(2.0f), (c - p).length(), 1e-4f) << k;
        for (int s = 0; s < 2; ++s) {
            EXPECT_EQ(uv[k][0], quad[k * 7 + 3 + 2 * s]);
            EXPECT_EQ(uv[k][1], quad[k * 7 + 4 + 2 * s]);
        }
    }
}

TEST_F(ParticleTest, TextIsCentredFacesTheCameraAndKeepsItsText)
{
    const float pos[3] = {10, 0, 0}, up[3] = {0, 0, 1};
    const float red[4] = {1, 0, 0, 1}, clear[4] = {1, 0, 0, 0};
    gParticles().emitText("gone", 0.1f, 1.0f, pos, up, &font, red, red);
    gParticles().emitText("abc", 1.0f, 2.0f, pos, up, &font, red, clear);
    gParticles().emitText("moved", 10.0f, 1.0f, pos, kZero, &font, red, red);
    gParticles().emitText(nullptr, 10.0f, 1.0f, pos, kZero, nullptr, red, red); // no font: never drawn
    EXPECT_EQ(3u + 5u, frame(0.25f));
    const auto& texts = gParticles().texts();
    ASSERT_EQ(3u, texts.size());
    EXPECT_EQ("", texts[0].text); // the last record took the freed place
    EXPECT_EQ("abc", texts[1].text);
    EXPECT_EQ("moved", texts[2].text);

    // "abc" is drawn first (farther from the eye): 6 wide, centred on x 10.
    auto quads = render->callsStartingWith("quadUV2");
    float low = 1e9f, high = -1e9f;
    for (int q = 0; q < 3; ++q) {
        std::vector<float> v = numbers(quads[q]);
        for (int k = 0; k < 4; ++k) {
            low = std::min(low, v[k * 7]);
            high = std::max(high, v[k * 7]);
            EXPECT_NEAR(0.25f, v[k * 7 + 2], 1e-6f); // moved up by velocity x dt
        }
    }
    EXPECT_NEAR(7.0f, low, 1e-5f);
    EXPECT_NEAR(13.0f, high, 1e-5f);
    // The font's shader with the colour at t = 0.25: alpha 0.75.
    auto it = std::find(render->calls.begin(), render->calls.end(), "shader font");
    ASSERT_NE(render->calls.end(), it);
    it = std::find_if(it, render->calls.end(), [](const std::string& c) { return c.rfind("material", 0) == 0; });
    ASSERT_NE(render->calls.end(), it);
    EXPECT_EQ(0u, it->rfind("material 0 0 0 0.75 0 0 0 1 0 0 0 1 1 0 0 0.75 0", 0)) << *it;
}

TEST_F(ParticleTest, QueuedRecordsSurviveEmitsAndClearsBeforeTheDrain)
{
    emit(10.0f, 1, YVec3(), -1);
    gParticles().emitText("ab", 10.0f, 1.0f, kZero, kZero, &font, kWhite, kWhite);
    render->calls.clear();
    gParticles().update(0.1f);
    for (int i = 0; i < 5000; ++i) // would move the records of a vector
        emit(10.0f, 2, YVec3(), -1);
    gParticles().clearParticles(); // a level change in the middle of the frame
    EXPECT_EQ(0u, gParticles().particleCount());
    EXPECT_EQ(1u, gParticles().textCount());
    drawBackToFront();
    // Only the text is drawn: the cleared particle is skipped, not read freed.
    EXPECT_EQ(2u, render->callsStartingWith("quadUV2").size());
    EXPECT_EQ(2u, frame(0.1f));
}

TEST_F(ParticleTest, StockEffects)
{
    const float pos[3] = {1, 2, 3}, vel[3] = {1, 0, 0}, color[4] = {1, 0.7f, 0.2f, 1}, end[4] = {0.7f, 0, 0, 1};
    const auto& ps = gParticles().particles();
    spawnBlast(pos, vel, 2.0f, 0, color, end);
    ASSERT_EQ(1u, ps.size());
    const YParticle& b = ps[0];
    EXPECT_TRUE(b.life == 0.75f && b.sizeStart == 2.0f && b.sizeEnd == 6.0f && b.speedEnd == -1.0f && !b.warp);
    EXPECT_EQ("blast", b.shader->name);
    EXPECT_TRUE(b.colorEnd.x == 0.0f && b.colorEnd.w == 1.0f); // black

    spawnBlast(pos, vel, 2.0f, 20, color, end);
    ASSERT_EQ(22u, ps.size());
    for (size_t i = 2; i < ps.size(); ++i) {
        const YParticle& s = ps[i];
        float speed = (s.velocity - YVec3(1, 0, 0)).length();
        EXPECT_TRUE(speed >= 3.875f - 1e-5f && speed <= 4.125f + 1e-5f) << speed;
        EXPECT_TRUE(s.life >= 1.375f && s.life <= 1.625f) << s.life;
        EXPECT_TRUE(s.sizeStart == 0.5f && s.sizeEnd == 0.2f && s.speedEnd == 0.75f && s.colorEnd.x == 0.7f);
        EXPECT_TRUE(s.warp == &gSpaceGravity && s.shader->name == "spark");
    }

    const float up[3] = {0, 0, 1};
    std::vector<YVec3> first;
    for (int run = 0; run < 2; ++run) {
        gParticles().clearParticles();
        sys::srand(1);
        spawnSparks(pos, up, 0.4f, 3, color, end);
        spawnSparks(pos, up, 0.4f, -1, color, end); // nothing
        ASSERT_EQ(3u, ps.size());
        for (size_t i = 0; i < ps.size(); ++i) {
            EXPECT_NEAR(1.5f, (ps[i].velocity - YVec3(0, 0, 2.5f)).length(), 1e-5f);
            EXPECT_FLOAT_EQ(0.2f, ps[i].sizeEnd);
            if (run == 0)
                first.push_back(ps[i].velocity);
            else
                expectNear(first[i], ps[i].velocity, 0.0f); // same seed, same sparks
        }
    }
}
