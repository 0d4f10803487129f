// The HUD through the recording renderer, over a stub "mainfont" whose
// characters are all half a unit wide and carry their code in the texture
// coordinate, so the drawn texts can be read back.
#include "game/hud.h"

#include "render/font.h"
#include "render/shader.h"
#include "tests/render/render_fixture.h"
#include "world/score_popups.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <string>
#include <vector>

namespace {

// One thing the HUD drew: an icon (its shader and corners) or a text (its
// characters, the top-left of its first glyph and its width).
struct Drawn {
    std::string shader;
    std::string text;
    float x[4] = {}, y[4] = {};
    float width = 0.0f;

    std::string what() const { return text.empty() ? shader : "'" + text + "'"; }
};

class HudTest : public rendertest::RecordingRenderTest {
protected:
    void SetUp() override
    {
        RecordingRenderTest::SetUp();
        YFont* font = getFont("mainfont");
        font->shader = getShader("mainfont");
        for (int c = 0x20; c < 0x7F; ++c) {
            font->widths[c] = 0.5f;
            YGlyph& g = font->glyphs[c];
            const float corners[4][2] = {{0, 0}, {0.5f, 0}, {0.5f, 1}, {0, 1}};
            for (int k = 0; k < 4; ++k)
                g.corners[k] = YGlyphCorner{corners[k][0], corners[k][1], 0.0f, c / 256.0f, 0.0f};
        }
        gPopups.clearPopups();
        hud.init();
    }

    void TearDown() override
    {
        gPopups.clearPopups();
        clearFonts();
        RecordingRenderTest::TearDown();
    }

    // What was drawn, in order: consecutive glyphs of the font that join
    // edge to edge on one line form one text.
    std::vector<Drawn> drawn() const
    {
        std::vector<Drawn> out;
        std::string shader;
        bool joinable = false;
        for (const std::string& call : render->calls) {
            if (call.compare(0, 7, "shader ") == 0) {
                shader = call.substr(7);
                continue;
            }
            if (call.compare(0, 8, "quadUV2 ") != 0)
                continue;
            float v[28];
            const char* p = call.c_str() + 8;
            for (float& f : v)
                f = std::strtof(p, const_cast<char**>(&p));
            Drawn d;
            d.shader = shader;
            for (int k = 0; k < 4; ++k) {
                d.x[k] = v[k * 7];
                d.y[k] = v[k * 7 + 1];
            }
            if (shader == "mainfont") {
                const char c = static_cast<char>(std::lround(v[3] * 256.0f));
                Drawn& last = out.empty() ? d : out.back();
                if (joinable && last.y[0] == d.y[0] && std::fabs(last.x[0] + last.width - d.x[0]) < 1e-3f) {
                    last.text += c;
                    last.width = d.x[1] - last.x[0];
                    continue;
                }
                d.text = std::string(1, c);
                d.width = d.x[1] - d.x[0];
                joinable = true;
            } else {
                joinable = false;
            }
            out.push_back(d);
        }
        return out;
    }

    std::vector<std::string> order() const
    {
        std::vector<std::string> out;
        for (const Drawn& d : drawn())
            out.push_back(d.what());
        return out;
    }

    // Forgets what was drawn, and the current shader with it, so the next
    // draw names its shader again.
    void restart()
    {
        render->setShader(nullptr, false);
        render->calls.clear();
    }

    YHud hud;
};

} // namespace

TEST_F(HudTest, DrawsTheColumnUpwardsThenPopupsThenTheScore)
{
    YHudState s;
    s.ballMode = 3;
    s.ballModeTime = 75.4f;
    s.lives = 3;
    s.glovesTime = 9.5f;
    s.frostTime = 130.0f;
    s.grenades = 4;
    s.score = 1234;
    gPopups.addPopup("Fire 250", YVec4(1, 0.5f, 0, 1));
    gPopups.updatePopups(0.1f);
    hud.draw(s);

    const std::vector<std::string> expected = {
        "bonus_ballfire", "ball_angle",  "'01:15'", "heart",  "'3'",        "bonus_hand", "'00:09'",
        "bonus_frost",    "'02:10'",     "bonus_grenade",     "'4'",        "'Fire 250'", "'1234'", "'1234'"};
    EXPECT_EQ(expected, order());

    const std::vector<Drawn> d = drawn();
    ASSERT_EQ(expected.size(), d.size());
    // The ball icon's square, the time under it centred in the column.
    EXPECT_EQ(730.0f, d[0].x[0]);
    EXPECT_EQ(500.0f, d[0].y[0]);
    EXPECT_EQ(790.0f, d[0].x[2]);
    EXPECT_EQ(560.0f, d[0].y[2]);
    EXPECT_FLOAT_EQ(730.0f + (60.0f - 45.0f) / 2.0f, d[2].x[0]);
    EXPECT_GE(d[2].y[0], 560.0f);
    // Each stacked row stands above the one before, inside the column, and
    // its number or time under its icon.
    float above = 500.0f;
    for (size_t i = 3; i + 1 < 11; i += 2) {
        SCOPED_TRACE(d[i].what());
        EXPECT_LE(d[i + 1].y[2], above);
        EXPECT_LT(d[i].y[2], d[i + 1].y[0] + 1e-3f);
        EXPECT_GE(d[i].x[0], 730.0f);
        EXPECT_LE(d[i].x[1], 790.0f);
        EXPECT_FLOAT_EQ(760.0f, d[i + 1].x[0] + d[i + 1].width / 2.0f);
        above = d[i].y[0];
    }
    // The popup where it slid to, at the foot of the screen.
    EXPECT_FLOAT_EQ(gPopups.popups()[0].x, d[11].x[0]);
    EXPECT_FLOAT_EQ(580.0f, d[11].y[2]);
    // The score right-aligned at 780: its shadow 2 units right and lower.
    EXPECT_FLOAT_EQ(780.0f, d[13].x[0] + d[13].width);
    EXPECT_FLOAT_EQ(40.0f, d[13].y[2]);
    EXPECT_FLOAT_EQ(d[13].x[0] + 2.0f, d[12].x[0]);
    EXPECT_FLOAT_EQ(42.0f, d[12].y[2]);
}

TEST_F(HudTest, ShowsOnlyWhatAppliesAndTimesAsMinutesAndSeconds)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const std::vector<std::string> normal = {"bonus_ballnormal", "ball_angle", "heart", "'2'"};
    struct Case {
        int ballMode;
        float ballModeTime;
        int score;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        // The normal ball shows no time; no score while it is 0.
        {0, 30.0f, 0, normal},
        // Modes without an icon (the small ball, bad indexes) show as normal.
        {6, 30.0f, 0, normal},
        {-1, 30.0f, 0, normal},
        {99, 30.0f, 0, normal},
        {5, 75.4f, -7, {"bonus_ballgenerative", "ball_angle", "'01:15'", "heart", "'2'", "'-7'", "'-7'"}},
        {1, 0.99f, 0, {"bonus_ballheavy", "ball_angle", "'00:00'", "heart", "'2'"}},
        {1, 3600.0f, 0, {"bonus_ballheavy", "ball_angle", "'60:00'", "heart", "'2'"}},
        // A mode without end, or a time gone wrong, shows no time left.
        {2, -1.0f, 0, {"bonus_ballphantom", "ball_angle", "'00:00'", "heart", "'2'"}},
        {2, nan, 0, {"bonus_ballphantom", "ball_angle", "'00:00'", "heart", "'2'"}},
        {2, 1e30f, 0, {"bonus_ballphantom", "ball_angle", "'16666666:40'", "heart", "'2'"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.ballMode << " " << c.ballModeTime);
        restart();
        YHudState s;
        s.ballMode = c.ballMode;
        s.ballModeTime = c.ballModeTime;
        s.lives = 2;
        s.glovesTime = -1.0f; // the gloves' and frost's idle values
        s.frostTime = 0.0f;
        s.score = c.score;
        hud.draw(s);
        EXPECT_EQ(c.expected, order());
    }
}

TEST_F(HudTest, TheAnglePointerTurnsToTheThrowAngle)
{
    for (float angle : {0.0f, 15.0f, 55.0f, 90.0f}) {
        SCOPED_TRACE(angle);
        restart();
        YHudState s;
        s.throwAngle = angle;
        hud.draw(s);
        const std::vector<Drawn> d = drawn();
        ASSERT_GE(d.size(), 2u);
        ASSERT_EQ("ball_angle", d[1].shader);
        const Drawn& q = d[1];
        // The picture's arrow runs from its bottom edge to its top edge.
        const float cx = (q.x[0] + q.x[2]) / 2.0f, cy = (q.y[0] + q.y[2]) / 2.0f;
        const float dx = (q.x[0] + q.x[1] - q.x[2] - q.x[3]) / 2.0f;
        const float dy = (q.y[0] + q.y[1] - q.y[2] - q.y[3]) / 2.0f;
        EXPECT_NEAR(760.0f, cx, 1e-3f);
        EXPECT_NEAR(530.0f, cy, 1e-3f);
        EXPECT_NEAR(60.0f, std::hypot(dx, dy), 1e-3f);
        // Turned by angle - 90 degrees: the arrow rises by the throw angle
        // above the horizontal (screen y grows downwards).
        EXPECT_NEAR(angle, std::atan2(-dy, std::fabs(dx)) * 180.0f / 3.1415927f, 1e-3f);
        if (angle < 90.0f) {
            EXPECT_LT(dx, 0.0f);
        }
    }
}
