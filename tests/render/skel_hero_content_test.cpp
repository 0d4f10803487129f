// The generated hero, "mesh\hero.ams", through the game's own loader: it
// loads without a logged fault, matches the clip table the racket uses, is
// closed, stands on the floor in every whole-body key, holds things where
// they belong; and a picture of it posed on the real renderer.
#include "core/log.h"
#include "platform/img/image.h"
#include "platform/sys/files.h"
#include "platform/sys/paths.h"
#include "render/camera.h"
#include "render/mesh.h"
#include "render/mesh_draw.h"
#include "render/recording_render.h"
#include "render/render_d3d.h"
#include "render/shader.h"
#include "render/skel_instance.h"
#include "render/skel_mesh.h"
#include "tests/common/render_util.h"
#include "tests/common/test_util.h"
#include "world/hero_clips.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>

namespace {

const char* HERO = "mesh\\hero.ams";

bool copyHero()
{
    std::string data;
    if (!sys::readFile(std::string(TARVELIN_GAME_DIR) + "/mesh/hero.ams", data))
        return false;
    testutil::writeText(HERO, data);
    return true;
}

class HeroContent : public ::testing::Test {
protected:
    void SetUp() override
    {
        render = std::make_unique<YRecordingRender>(4);
        ASSERT_TRUE(copyHero()) << "hero.ams was not generated (build the gen_hero_content target)";
        YLog::open();
        logStart = testutil::logText().size();
        hero = getSkelMesh(HERO);
    }

    void TearDown() override
    {
        instance.reset();
        clearMeshes();
        render.reset();
    }

    std::string log() const { return testutil::logText().substr(logStart); }

    YSkelMeshInstance& posed(int key)
    {
        if (!instance)
            instance = std::make_unique<YSkelMeshInstance>(hero);
        instance->setPoseFromClip(key, false);
        return *instance;
    }

    float lowest(const YSkelMeshInstance& inst) const
    {
        float z = 1e9f;
        for (const YMeshVertex& v : inst.vertices)
            z = std::min(z, v.pos.z);
        return z;
    }

    std::unique_ptr<YRecordingRender> render;
    std::unique_ptr<YSkelMeshInstance> instance;
    YSkelMesh* hero = nullptr;
    size_t logStart = 0;
};

} // namespace

TEST_F(HeroContent, LoadsCleanlyAndMatchesTheClipTable)
{
    EXPECT_NE(std::string::npos, log().find("Load skeleton mesh file mesh\\hero.ams"));
    for (const char* fault : {"Error", "cannot", "empty", "no cache", "small"})
        EXPECT_EQ(std::string::npos, log().find(fault)) << fault << " in:\n" << log();
    EXPECT_EQ(sys::PathKind::File, sys::pathKind("mesh/hero.mab"));

    ASSERT_EQ(static_cast<size_t>(hero::BONE_COUNT), hero->bones.size());
    for (int b = 0; b < hero::BONE_COUNT; ++b)
        EXPECT_EQ(hero::BONE_PARENTS[b], hero->bones[static_cast<size_t>(b)].parent) << "bone " << b;
    ASSERT_EQ(static_cast<size_t>(hero::ATTACHMENT_COUNT), hero->attachments.size());
    for (int a = 0; a < hero::ATTACHMENT_COUNT; ++a)
        EXPECT_EQ(hero::ATTACHMENT_BONES[a], hero->attachments[static_cast<size_t>(a)].bone) << "attachment " << a;
    EXPECT_EQ(static_cast<size_t>(hero::KEY_COUNT), hero->keys.size());

    // One subset per hero shader, in material order.
    ASSERT_EQ(4u, hero->subsets.size());
    for (int s = 0; s < 4; ++s)
        EXPECT_EQ(s, hero->subsets[static_cast<size_t>(s)].materialId);
    // Closed: every half-edge has its partner, so the shadow is whole.
    EXPECT_EQ(hero->triangles.size() * 3, hero->edges.size() * 2);
    // Every authored position's weights add up to one.
    std::vector<float> sums(hero->sourceVertices.size(), 0.0f);
    for (const YBone& b : hero->bones)
        for (const YBoneWeight& w : b.weights)
            sums[static_cast<size_t>(w.vertex)] += w.weight;
    for (size_t v = 0; v < sums.size(); ++v)
        ASSERT_NEAR(1.0f, sums[v], 1e-5f) << "vertex " << v;

    // The set-up the racket does: every clip's range is an animation that
    // can play, in clip order.
    for (const hero::Clip& clip : hero::CLIPS)
        hero->addAnimation(makeIntRange(clip.firstKey, clip.keyCount));
    for (const hero::Clip& clip : hero::CLIPS)
        EXPECT_EQ(static_cast<size_t>(clip.keyCount), hero->animations[static_cast<size_t>(&clip - hero::CLIPS)].size());
    EXPECT_EQ(std::string::npos, log().find("the animation is empty"));
}

TEST_F(HeroContent, EveryWholeBodyKeyStandsOnTheFloor)
{
    for (const hero::Clip& clip : hero::CLIPS) {
        for (int k = clip.firstKey; k < clip.firstKey + clip.keyCount; ++k) {
            const YSkelMeshInstance& inst = posed(k);
            const float z = lowest(inst);
            if (clip.wholeBody)
                EXPECT_NEAR(0.0f, z, 0.015f) << clip.name << " key " << k - clip.firstKey;
            else
                EXPECT_GT(z, -0.015f) << clip.name << " key " << k - clip.firstKey;
        }
    }
    // Standing, the hero is about 2.35 tall.
    const YSkelMeshInstance& stand = posed(hero::CLIPS[hero::CLIP_STAND].firstKey);
    float top = -1e9f;
    for (const YMeshVertex& v : stand.vertices)
        top = std::max(top, v.pos.z);
    EXPECT_NEAR(2.35f, top, 0.05f);
}

TEST_F(HeroContent, HeldThingsSitInFrontOfTheHero)
{
    // Holding: the ball (radius 0.5) is between his palms in front of his
    // belly, below his chin and clear of his body.
    const YSkelMeshInstance& hold = posed(hero::CLIPS[hero::CLIP_HOLD].firstKey);
    const YVec3 ball = hold.attachmentFrame(hero::ATTACH_BALL).translation();
    EXPECT_NEAR(0.0f, ball.x, 0.15f);
    EXPECT_LT(ball.y, -0.45f);
    EXPECT_GT(ball.z - 0.5f, 0.5f);
    EXPECT_LT(ball.z + 0.5f, 1.9f);
    for (int hand : {hero::HAND_R, hero::HAND_L}) {
        // The wrist is 0.1 above the middle of the hand.
        const YVec3 palm = hold.boneMatrix(hand).transformPoint(YVec3(0, 0, -0.1f));
        EXPECT_NEAR(0.55f, (ball - palm).length(), 0.1f) << "hand " << hand;
    }

    // The pipe is at the mouth in the intro, in front of the face.
    const YSkelMeshInstance& intro = posed(hero::CLIPS[hero::CLIP_PIPE].firstKey);
    const YVec3 pipe = intro.attachmentFrame(hero::ATTACH_PIPE).translation();
    EXPECT_NEAR(2.0f, pipe.z, 0.1f);
    EXPECT_LT(pipe.y, -0.4f);

    // The locomotion clips put the right foot down at key 0, the left at 3.
    const int walk = hero::CLIPS[hero::CLIP_WALK].firstKey;
    const YSkelMeshInstance& right = posed(walk + hero::STEP_KEYS[0]);
    EXPECT_LT(right.boneMatrix(hero::FOOT_R).translation().y, right.boneMatrix(hero::FOOT_L).translation().y);
    const YSkelMeshInstance& left = posed(walk + hero::STEP_KEYS[1]);
    EXPECT_LT(left.boneMatrix(hero::FOOT_L).translation().y, left.boneMatrix(hero::FOOT_R).translation().y);

    // The menu run carries its distance forward (-y): 2.5 a second.
    const hero::Clip& run = hero::CLIPS[hero::CLIP_MENU_RUN];
    float previous = 0.0f;
    int frames = 0;
    for (int k = run.firstKey; k < run.firstKey + run.keyCount; ++k) {
        const YAnimKey& key = hero->keys[static_cast<size_t>(k)];
        frames += key.frameCount;
        EXPECT_LT(key.root[hero::MENU_RUN_FORWARD_AXIS], previous);
        EXPECT_NEAR(hero::MENU_RUN_FORWARD_SIGN * 2.5f * static_cast<float>(frames) / 50.0f,
                    key.root[hero::MENU_RUN_FORWARD_AXIS], 1e-4f);
        previous = key.root[hero::MENU_RUN_FORWARD_AXIS];
    }
}

// ---------------------------------------------------------------------------
// A picture: the hero in four clips, with what he holds, from the front and
// from his side.

namespace {

// Plain lit colours, one per hero material and one for what he holds.
std::string heroShaders()
{
    const char* shaders[][2] = {{"test_clothes", "3858c0"}, {"test_dark", "402818"}, {"test_gloves", "e0e0d0"},
                                {"test_skin", "f0b890"},    {"test_thing", "d04020"}};
    std::string text;
    for (const auto& s : shaders)
        text += std::string("<shader name=\"") + s[0] + "\"><material diffuse=\"" + s[1] + "\" ambient=\"" + s[1] +
                "\" specular=\"202020\" power=\"10\"/><map><colorblend op=\"selectarg2\" arg1=\"texture\" "
                "arg2=\"diffuse\"/></map></shader>\n";
    return text;
}

struct Shot {
    hero::ClipId clip;
    int key;
    const char* heldMesh; // null: nothing held
    int attachment;
};

} // namespace

TEST(HeroCapture, PosedHeroesOnTheRealRenderer)
{
    ASSERT_TRUE(copyHero());
    ASSERT_TRUE(testutil::copyFromGame("mesh"));
    testutil::writeText("hero.yml", heroShaders());

    std::string error;
    testutil::OffscreenDevice offscreen;
    ASSERT_TRUE(offscreen.open(512, 256, &error)) << error;
    Render_D3D& render = *offscreen.render;
    loadShaders("hero.yml");
    YSkelMesh* mesh = getSkelMesh(HERO);
    ASSERT_EQ(static_cast<size_t>(hero::KEY_COUNT), mesh->keys.size());

    const Shot shots[] = {
        {hero::CLIP_HOLD, 0, "mesh\\ball2.mes", hero::ATTACH_BALL},
        {hero::CLIP_RUN, 1, nullptr, 0},
        {hero::CLIP_DEATH, 4, nullptr, 0},
        {hero::CLIP_PIPE, 0, "mesh\\pipe.mes", hero::ATTACH_PIPE},
        {hero::CLIP_BOOMERANG_THROW, 1, "mesh\\boomer.mes", hero::ATTACH_BOOMERANG},
    };
    std::vector<std::unique_ptr<YSkelMeshInstance>> heroes;
    std::vector<std::unique_ptr<YMeshInstance>> held(5);
    for (const Shot& s : shots) {
        auto h = std::make_unique<YSkelMeshInstance>(mesh);
        h->shaders = {getShader("test_clothes"), getShader("test_dark"), getShader("test_gloves"),
                      getShader("test_skin")};
        h->setPoseFromClip(hero::CLIPS[s.clip].firstKey + s.key, true);
        if (s.heldMesh) {
            held[heroes.size()] = std::make_unique<YMeshInstance>(getMesh(s.heldMesh), 1.0f);
            held[heroes.size()]->shaders = {getShader("test_thing")};
        }
        heroes.push_back(std::move(h));
    }
    // Side by side along x, each turned about his own place; what he holds
    // goes with his attachment.
    auto place = [&](float degrees) {
        for (size_t i = 0; i < heroes.size(); ++i) {
            YMatrix at, turn;
            at.makeTranslation(YVec3(-4.4f + 2.2f * static_cast<float>(i), 0, 0));
            turn.makeRotationZ(degrees);
            heroes[i]->matrix = at * turn;
            if (held[i])
                held[i]->matrix = heroes[i]->matrix * heroes[i]->attachmentFrame(shots[i].attachment);
        }
    };

    // The camera looks along +y at the middle of the row.
    YMatrix lift, face, back;
    lift.makeTranslation(YVec3(0, 0, -1.2f));
    face.makeRotationX(-90.0f);
    back.makeTranslation(YVec3(0, 0, -9.5f));
    gCamera().setTransform(back * face * lift);
    // From the front (the heroes face -y), then from their right side.
    const float turns[2] = {0.0f, 90.0f};
    const char* files[2] = {"hero_front.bmp", "hero_side.bmp"};
    for (int v = 0; v < 2; ++v) {
        place(turns[v]);
        ASSERT_TRUE(testutil::captureFrame(render, 512, 256, files[v], [&] {
            render.setPerspective(gCamera().fov(), 2.0f, 0.5f, 100.0f);
            drawMeshDraws();
        }));
    }

    img::Image shot;
    ASSERT_TRUE(img::loadImage("hero_front.bmp", shot, &error)) << error;
    // Every hero stands in his fifth of the picture: something lit near
    // the middle of his place, nothing at the corners.
    for (int h = 0; h < 5; ++h) {
        int lit = 0;
        const int cx = 256 + static_cast<int>((-4.4f + 2.2f * h) * 256 / (2 * 9.5f * std::tan(22.5f * 3.14159265f / 180)));
        for (int dx = -20; dx <= 20; ++dx)
            for (int y = 40; y < 216; ++y) {
                const uint8_t* t = shot.texel(std::min(511, std::max(0, cx + dx)), y);
                lit += t[0] + t[1] + t[2] > 60;
            }
        EXPECT_GT(lit, 300) << "hero " << h;
    }
    const uint8_t* corner = shot.texel(2, 2);
    EXPECT_LT(corner[0] + corner[1] + corner[2], 30);

    heroes.clear();
    held.clear();
    clearShaders();
    clearMeshes();
    testutil::deleteRenderResources();
}
