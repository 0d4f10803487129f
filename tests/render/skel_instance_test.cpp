// Skinned mesh instances: channels that fade, loop, end and follow each
// other's clocks; blending; skinning; the upload of the skinned copy; and
// lookups that must hold up on a mesh without a skeleton.
#include "render/skel_instance.h"

#include "core/init.h"
#include "core/log.h"
#include "render/mesh_draw.h"
#include "render/recording_render.h"
#include "render/shader.h"
#include "tests/common/test_util.h"
#include "tests/render/mesh_fixtures.h"
#include "world/hero_clips.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

namespace {

YVec4 aboutZ(float degrees)
{
    const float h = degToRad(degrees) * 0.5f;
    return YVec4(0, 0, std::sin(h), std::cos(h));
}

YVec4 aboutX(float degrees)
{
    const float h = degToRad(degrees) * 0.5f;
    return YVec4(std::sin(h), 0, 0, std::cos(h));
}

YVec4 unit(const YVec4& q) { return q * (1.0f / std::sqrt(q.dot(q))); }

// q and -q are the same rotation.
void expectSameRotation(const YVec4& want, const YVec4& got)
{
    EXPECT_NEAR(1.0f, std::fabs(unit(want).dot(got)), 1e-5f);
    EXPECT_NEAR(1.0f, got.dot(got), 1e-5f) << "a pose rotation has unit length";
}

void expectNear(const YVec3& want, const YVec3& got, float tolerance = 1e-5f)
{
    EXPECT_NEAR(want.x, got.x, tolerance);
    EXPECT_NEAR(want.y, got.y, tolerance);
    EXPECT_NEAR(want.z, got.z, tolerance);
}

// Also keeps what was last sent to a vertex buffer.
class KeepingRender : public YRecordingRender {
public:
    void updateVertexBuffer(YVertexBuffer b, const std::vector<YVertex>& v) override
    {
        sent = v;
        YRecordingRender::updateVertexBuffer(b, v);
    }
    std::vector<YVertex> sent;
};

// A unit cube on two bones: the bottom corners on the root at the origin,
// the top corners on a child whose joint is the middle of the top face.
class SkelInstanceTest : public rendertest::LoggedTest {
protected:
    void SetUp() override
    {
        render = std::make_unique<KeepingRender>();
        openLog();
        mesh = new YSkelMesh();
        mesh->name = "rig";
        YMeshSource source;
        parseMeshText(meshfix::cubeText(), source, "rig");
        mesh->build(source);
        mesh->restore();
        mesh->bones.resize(2);
        mesh->bones[1].parent = 0;
        mesh->bones[1].position = YVec3(0.5f, 0.5f, 1);
        for (size_t v = 0; v < mesh->sourceVertices.size(); ++v) {
            YBoneWeight w;
            w.vertex = static_cast<int32_t>(v);
            w.weight = 1.0f;
            mesh->bones[mesh->sourceVertices[v].pos.z > 0.5f ? 1 : 0].weights.push_back(w);
        }
        mesh->bindPose();
        std::string why;
        ASSERT_TRUE(mesh->checkSkeleton(why)) << why;
    }

    void TearDown() override
    {
        instance.reset();
        clearMeshes();
        clearShaders();
        render.reset();
    }

    int key(int frames, const YVec4& bone1, const YVec4& bone0 = YVec4(0, 0, 0, 1), const YVec3& root = YVec3())
    {
        YAnimKey k;
        k.frameCount = frames;
        k.root = root;
        k.rotations = {bone0, bone1};
        mesh->keys.push_back(k);
        return static_cast<int>(mesh->keys.size() - 1);
    }

    // An animation of n keys of the given frames, bone 1 turning 10 degrees
    // further about z at each.
    int animation(int n, int frames)
    {
        std::vector<int> keys;
        for (int i = 0; i < n; ++i)
            keys.push_back(key(frames, aboutZ(10.0f * i)));
        return mesh->addAnimation(keys);
    }

    YSkelMeshInstance& make()
    {
        instance = std::make_unique<YSkelMeshInstance>(mesh);
        return *instance;
    }

    // The skinned position of an authored corner.
    YVec3 corner(const YVec3& authored) const
    {
        for (const YSourceVertex& s : mesh->sourceVertices)
            if ((s.pos - authored).length() < 1e-6f)
                return instance->vertices[static_cast<size_t>(s.vertices[0])].pos;
        ADD_FAILURE() << "no such corner";
        return YVec3();
    }

    std::unique_ptr<KeepingRender> render;
    YSkelMesh* mesh = nullptr;
    std::unique_ptr<YSkelMeshInstance> instance;
};

} // namespace

// ---------------------------------------------------------------------------
// Fades

TEST_F(SkelInstanceTest, FadesChangeTheWeightLinearlyAndTurnRoundWithoutAJump)
{
    mesh->setChannel(0, -1, animation(2, 10), 1.0f, 0.5f, 1.0f, true, false);
    YSkelMeshInstance& inst = make();
    auto weightAfter = [&](float dt) {
        inst.update(dt);
        inst.updatePose();
        return inst.effectiveWeight(0);
    };
    inst.playChannel(0, 0.5f, 1.0f);
    EXPECT_EQ(YANIM_FADING_IN, inst.channelState(0));
    EXPECT_NEAR(0.5f, weightAfter(0.25f), 1e-6f);
    EXPECT_FLOAT_EQ(1.0f, weightAfter(0.3f));
    EXPECT_EQ(YANIM_PLAYING, inst.channelState(0));
    inst.stopChannel(0, 0.0f);
    inst.update(0.01f);
    EXPECT_EQ(YANIM_OFF, inst.channelState(0));

    // Stopped with a quarter of its fade-in left (weight 0.75), a fade-out
    // of 1.0 s goes on from 0.75 with 0.75 s left; played again, it turns
    // round from there.
    inst.playChannel(0, 1.0f, 1.0f);
    EXPECT_NEAR(0.75f, weightAfter(0.75f), 1e-6f);
    inst.stopChannel(0, 1.0f);
    EXPECT_EQ(YANIM_FADING_OUT, inst.channelState(0));
    EXPECT_NEAR(0.75f, inst.channels[0].fadeLeft, 1e-6f);
    EXPECT_NEAR(0.75f, weightAfter(0.0f), 1e-6f);
    EXPECT_NEAR(0.5f, weightAfter(0.25f), 1e-6f);
    inst.playChannel(0, 1.0f, 1.0f);
    EXPECT_EQ(YANIM_FADING_IN, inst.channelState(0));
    EXPECT_NEAR(0.5f, weightAfter(0.0f), 1e-6f);
    inst.update(1.0f);
    EXPECT_EQ(YANIM_PLAYING, inst.channelState(0));
}

TEST_F(SkelInstanceTest, ShorterFadesKeepTheWeightReachedAndZeroFadesAreWhole)
{
    mesh->setChannel(0, -1, animation(2, 10), 1.0f, 0.2f, 0.2f, true, false);
    YSkelMeshInstance& inst = make();
    auto weightAfter = [&](float dt) {
        inst.update(dt);
        inst.updatePose();
        return inst.effectiveWeight(0);
    };
    inst.playChannel(0);
    EXPECT_NEAR(0.25f, weightAfter(0.05f), 1e-6f);
    inst.playChannel(0, 0.1f); // hurry: the same weight now, full sooner
    EXPECT_NEAR(0.25f, weightAfter(0.0f), 1e-6f);
    EXPECT_NEAR(0.075f, inst.channels[0].fadeLeft, 1e-6f);
    inst.update(0.2f);
    inst.stopChannel(0, 0.4f);
    EXPECT_NEAR(0.75f, weightAfter(0.1f), 1e-6f);
    inst.stopChannel(0, 0.2f);
    EXPECT_NEAR(0.75f, weightAfter(0.0f), 1e-6f);

    // Fades of no length: full weight at once, none at once; never NaN.
    inst.stopChannel(0, 0.0f);
    inst.update(0.01f);
    ASSERT_EQ(YANIM_OFF, inst.channelState(0));
    inst.playChannel(0, 0.0f, 2.0f);
    EXPECT_FLOAT_EQ(2.0f, weightAfter(0.0f));
    inst.stopChannel(0, 0.0f);
    EXPECT_EQ(0.0f, weightAfter(0.0f));
    for (const YVec4& q : inst.pose)
        EXPECT_TRUE(std::isfinite(q.x + q.y + q.z + q.w));
}

// ---------------------------------------------------------------------------
// Key sequences

TEST_F(SkelInstanceTest, EachPlayFromOffStartsOneKeyOnAndLoopsWrap)
{
    const int anim = animation(3, 10); // 0.2 s a key
    mesh->setChannel(0, -1, anim, 1.0f, 0.0f, 0.0f, true, false);
    YSkelMeshInstance& inst = make();
    inst.playChannel(0);
    EXPECT_EQ(1, inst.sequencePosition(0));
    EXPECT_FLOAT_EQ(0.2f, inst.channels[0].keyDuration);
    inst.update(0.5f); // through key 1 and key 2, 0.1 s into key 0
    EXPECT_EQ(0, inst.sequencePosition(0));
    EXPECT_NEAR(0.1f, inst.channels[0].clock, 1e-5f);

    // The pose: between key 2 (20 degrees) and key 0 (0) at half way.
    inst.updatePose();
    expectSameRotation(aboutZ(10.0f), inst.pose[1]);

    // Stopped and played again, it starts one key further on.
    inst.stopChannel(0, 0.0f);
    inst.update(0.01f);
    inst.playChannel(0);
    EXPECT_EQ(1, inst.sequencePosition(0));

    // A huge frame is whole cycles and a remainder: no endless stepping.
    inst.update(1.0e7f + 0.05f);
    EXPECT_GE(inst.sequencePosition(0), 0);
    EXPECT_LT(inst.sequencePosition(0), 3);
    EXPECT_LT(inst.channels[0].clock, inst.channels[0].keyDuration);
    inst.update(NAN);
    EXPECT_EQ(YANIM_PLAYING, inst.channelState(0));
}

TEST_F(SkelInstanceTest, ANonLoopingChannelFadesOutWithItsLastKeyAndResets)
{
    const int anim = animation(3, 10);
    mesh->setChannel(0, -1, anim, 1.0f, 0.0f, 0.1f, false, true);
    YSkelMeshInstance& inst = make();
    inst.playChannel(0); // key 1: 0.4 s to the end
    inst.update(0.25f);
    EXPECT_EQ(YANIM_PLAYING, inst.channelState(0));
    EXPECT_EQ(2, inst.sequencePosition(0));
    inst.update(0.1f); // 0.05 s left: less than the fade-out
    EXPECT_EQ(YANIM_FADING_OUT, inst.channelState(0));
    EXPECT_NEAR(0.05f, inst.channels[0].fadeLeft, 1e-5f);
    inst.updatePose();
    EXPECT_NEAR(0.5f, inst.effectiveWeight(0), 1e-4f);
    inst.update(0.06f);
    EXPECT_EQ(YANIM_OFF, inst.channelState(0));
    EXPECT_EQ(0, inst.sequencePosition(0)); // reset on stop
    EXPECT_FALSE(inst.isPlaying(0));
}

TEST_F(SkelInstanceTest, AnEndingChannelDoesNotHoldUpTheChannelsAfterIt)
{
    mesh->setChannel(0, -1, animation(2, 5), 1.0f, 0.0f, 0.0f, false, false);
    mesh->setChannel(1, -1, animation(3, 10), 1.0f, 0.0f, 0.0f, true, false);
    YSkelMeshInstance& inst = make();
    inst.playChannel(0);
    inst.playChannel(1);
    inst.update(0.15f); // channel 0 has 0.1 s: it ends in this frame
    EXPECT_EQ(YANIM_OFF, inst.channelState(0));
    EXPECT_NEAR(0.15f, inst.channels[1].clock, 1e-6f);
}

TEST_F(SkelInstanceTest, AFollowerKeepsItsLeadersPlaceButItsOwnFades)
{
    mesh->setChannel(0, -1, animation(3, 10), 1.0f, 0.0f, 0.0f, true, false);
    mesh->setChannel(1, 0, animation(3, 20), 1.0f, 0.0f, 0.2f, true, false);
    mesh->setChannel(2, 0, animation(2, 10), 1.0f, 0.0f, 0.2f, true, false); // shorter than its leader
    YSkelMeshInstance& inst = make();
    inst.playChannel(0);
    inst.update(0.3f);
    inst.playChannel(1);
    EXPECT_EQ(inst.sequencePosition(0), inst.sequencePosition(1));
    EXPECT_EQ(inst.channels[0].clock, inst.channels[1].clock);
    inst.update(0.13f);
    EXPECT_EQ(inst.sequencePosition(0), inst.sequencePosition(1));
    EXPECT_EQ(inst.channels[0].clock, inst.channels[1].clock);
    EXPECT_EQ(inst.channels[0].keyDuration, inst.channels[1].keyDuration);

    // Stopped while its leader plays on, it fades out and ends.
    inst.stopChannel(1);
    inst.update(0.1f);
    EXPECT_EQ(YANIM_FADING_OUT, inst.channelState(1));
    inst.updatePose();
    EXPECT_NEAR(0.5f, inst.effectiveWeight(1), 1e-5f);
    inst.update(0.15f);
    EXPECT_EQ(YANIM_OFF, inst.channelState(1));
    EXPECT_EQ(YANIM_PLAYING, inst.channelState(0));

    // A follower with fewer keys than its leader wraps round its own list.
    inst.playChannel(2);
    for (int i = 0; i < 12; ++i) {
        inst.update(0.05f);
        inst.updatePose();
    }
    EXPECT_EQ(YANIM_PLAYING, inst.channelState(2));

    // When the leader stops, so does the follower.
    inst.stopChannel(0, 0.0f);
    inst.update(0.01f);
    inst.update(0.01f);
    EXPECT_EQ(YANIM_OFF, inst.channelState(0));
    EXPECT_EQ(YANIM_OFF, inst.channelState(2));
}

// ---------------------------------------------------------------------------
// Blending

TEST_F(SkelInstanceTest, EqualChannelsBlendToTheSlerpMidpoint)
{
    const YVec4 a = aboutZ(0.0f), b = aboutZ(90.0f);
    const int p = mesh->addAnimation({key(10, a, YVec4(0, 0, 0, 1), YVec3(0, 0, 0))});
    const int q = mesh->addAnimation({key(10, b, YVec4(0, 0, 0, 1), YVec3(2, 0, 0))});
    const YVec4 minusB = b * -1.0f; // the same rotation from the other side
    const int r = mesh->addAnimation({key(10, minusB, YVec4(0, 0, 0, 1), YVec3(2, 0, 0))});
    mesh->setChannel(0, -1, p, 1.0f, 0.0f, 0.0f, true, false);
    mesh->setChannel(1, -1, q, 1.0f, 0.0f, 0.0f, true, false);
    YSkelMeshInstance& inst = make();
    inst.playChannel(0);
    inst.playChannel(1);
    inst.update(0.01f);
    inst.updatePose();
    expectSameRotation(slerp(a, b, 0.5f), inst.pose[1]);
    expectSameRotation(aboutZ(45.0f), inst.pose[1]);
    expectNear(YVec3(1, 0, 0), inst.rootPosition);
    // The top corners turn 45 degrees about the child's joint (0.5, 0.5, 1);
    // the root moved the whole cube 1 along x.
    const float s = std::sqrt(0.5f);
    expectNear(YVec3(1.5f, 0.5f + 2.0f * 0.5f * s, 1.0f), corner(YVec3(1, 1, 1)), 1e-4f);
    expectNear(YVec3(1.5f + 2.0f * 0.5f * s, 0.5f, 1.0f), corner(YVec3(1, 0, 1)), 1e-4f);

    // Weights 1 and 3: three quarters of the way, on the short arc even when
    // one channel's quaternion has the opposite sign.
    mesh->channels[1].animation = r;
    inst.playChannel(1, -1.0f, 3.0f);
    inst.update(0.01f);
    inst.updatePose();
    expectSameRotation(unit(a * 0.25f + b * 0.75f), inst.pose[1]);
    expectNear(YVec3(1.5f, 0, 0), inst.rootPosition);
}

TEST_F(SkelInstanceTest, BoneWeightsLeaveOtherBonesToOtherChannels)
{
    const int p = mesh->addAnimation({key(10, aboutZ(0.0f), YVec4(0, 0, 0, 1), YVec3(0, 0, 0))});
    const int q = mesh->addAnimation({key(10, aboutZ(90.0f), aboutX(90.0f), YVec3(2, 0, 0))});
    mesh->setChannel(0, -1, p, 1.0f, 0.0f, 0.0f, true, false);
    mesh->setChannel(1, -1, q, 7.0f, 0.0f, 0.0f, true, false);
    mesh->setChannelBoneWeights(1, {0.0f, 1.0f}); // the child only
    YSkelMeshInstance& inst = make();
    inst.playChannel(0);
    inst.playChannel(1);
    inst.update(0.01f);
    inst.updatePose();
    expectSameRotation(YVec4(0, 0, 0, 1), inst.pose[0]);
    expectNear(YVec3(0, 0, 0), inst.rootPosition);
    expectSameRotation(unit(aboutZ(0.0f) * 0.125f + aboutZ(90.0f) * 0.875f), inst.pose[1]);

    // With only the child weighed by any channel, the root bone and the root
    // position keep their last pose instead of collapsing to nothing.
    inst.setPoseFromClip(mesh->animations[static_cast<size_t>(q)][0], false);
    inst.stopChannel(0, 0.0f);
    inst.update(0.01f);
    inst.update(0.01f);
    inst.updatePose();
    EXPECT_EQ(YANIM_OFF, inst.channelState(0));
    expectSameRotation(aboutX(90.0f), inst.pose[0]);
    expectNear(YVec3(2, 0, 0), inst.rootPosition);
    expectSameRotation(aboutZ(90.0f), inst.pose[1]);

    // Nothing playing at all: the pose stays as it is.
    const std::vector<YVec4> before = inst.pose;
    inst.stopChannel(1, 0.0f);
    inst.update(0.01f);
    inst.update(0.01f);
    inst.updatePose();
    EXPECT_EQ(before[1].z, inst.pose[1].z);
}

// ---------------------------------------------------------------------------
// Skinning, attachments and the device copy

TEST_F(SkelInstanceTest, SkinningMovesVerticesNormalsAndAttachmentsAndUploadsOnDraw)
{
    YBoneAttachment hold;
    hold.bone = 1;
    hold.frame.makeTranslation(YVec3(0.5f, 0, 0));
    mesh->attachments.push_back(hold);
    const int turned = key(10, aboutZ(90.0f), YVec4(0, 0, 0, 1), YVec3(0, 0, 0.5f));
    const int rest = key(10, YVec4(0, 0, 0, 1));
    YSkelMeshInstance& inst = make();
    inst.shaders.push_back(getShader("a"));
    EXPECT_EQ(0, inst.dirty);

    inst.setPoseFromClip(turned, false);
    EXPECT_EQ(1, inst.dirty);
    // The top corner (1, 1, 1) turns a quarter about the child's joint
    // (0.5, 0.5, 1); the root lifts everything by 0.5.
    expectNear(YVec3(0, 1, 1.5f), corner(YVec3(1, 1, 1)));
    expectNear(YVec3(1, 1, 0.5f), corner(YVec3(1, 1, 0)));
    expectNear(YVec3(0.5f, 0.5f, 1.5f), inst.boneMatrix(1).translation());
    expectNear(YVec3(0.5f, 1.0f, 1.5f), inst.attachmentFrame(0).translation());
    EXPECT_EQ(YMatrix(), inst.attachmentFrame(1)); // out of range

    // The top's vertex normals turn with their bone.
    for (const YSourceVertex& s : mesh->sourceVertices) {
        if (s.pos.z < 0.5f)
            continue;
        for (int k = 0; k < s.vertexCount; ++k) {
            const size_t i = static_cast<size_t>(s.vertices[k]);
            const YVec3 bind = mesh->vertices[i].normal;
            expectNear(YVec3(-bind.y, bind.x, bind.z), inst.vertices[i].normal);
        }
    }

    // The draw sends the skinned copy once; nothing changed, nothing sent.
    render->calls.clear();
    inst.draw();
    ASSERT_EQ(1u, render->callsStartingWith("update vertexbuffer").size());
    EXPECT_EQ(0, inst.dirty);
    ASSERT_EQ(inst.vertices.size(), render->sent.size());
    expectNear(YVec3(0, 1, 1.5f), render->sent[static_cast<size_t>(mesh->sourceVertices[6].vertices[0])].pos);
    render->calls.clear();
    inst.draw();
    EXPECT_TRUE(render->callsStartingWith("update vertexbuffer").empty());

    // A channel that plays dirties the pose, the skinned copy and the upload.
    mesh->setChannel(0, -1, mesh->addAnimation({rest}), 1.0f, 0.0f, 0.0f, true, false);
    inst.playChannel(0);
    inst.updatePose(); // nothing has advanced yet
    EXPECT_EQ(0, inst.dirty);
    inst.update(0.01f);
    EXPECT_TRUE(inst.poseDirty);
    inst.updatePose();
    EXPECT_FALSE(inst.poseDirty);
    EXPECT_EQ(1, inst.dirty);
    expectNear(YVec3(1, 1, 1), corner(YVec3(1, 1, 1)));
    render->calls.clear();
    inst.draw();
    EXPECT_EQ(1u, render->callsStartingWith("update vertexbuffer").size());
}

TEST_F(SkelInstanceTest, ThePoseTurnsTheShadowsNormalsWhileShadowsAreOnHookOrNot)
{
    const YShadowVolumeHook savedHook = gShadowVolumeHook;
    const bool savedShadows = gInit().shadows;
    gShadowVolumeHook = nullptr;
    const int rest = key(10, YVec4(0, 0, 0, 1));
    mesh->setChannel(0, -1, mesh->addAnimation({key(10, aboutX(90.0f))}), 1.0f, 0.0f, 0.0f, true, false);
    YSkelMeshInstance& inst = make();
    inst.setPoseFromClip(rest, false);
    // The top of the cube: its triangles face up at rest.
    std::vector<size_t> top;
    for (size_t t = 0; t < mesh->triangles.size(); ++t)
        if (mesh->triangles[t].normal.z > 0.99f)
            top.push_back(t);
    ASSERT_EQ(2u, top.size());

    inst.playChannel(0);
    gInit().shadows = false;
    inst.update(0.01f);
    inst.updatePose();
    EXPECT_NEAR(1.0f, mesh->triangles[top[0]].normal.z, 1e-5f) << "no shadow, no normals";
    gInit().shadows = true;
    inst.update(0.01f);
    inst.updatePose();
    EXPECT_NEAR(0.0f, mesh->triangles[top[0]].normal.z, 1e-4f) << "the silhouette follows the pose";

    gInit().shadows = savedShadows;
    gShadowVolumeHook = savedHook;
}

// ---------------------------------------------------------------------------
// What cannot play, and meshes without a skeleton

TEST_F(SkelInstanceTest, ChannelsThatCannotPlayStayOff)
{
    const int empty = mesh->addAnimation({});
    const int still = mesh->addAnimation({key(0, aboutZ(5.0f))}); // no frames: no clock could leave it
    const int fine = animation(2, 10);
    mesh->setChannel(0, -1, empty, 1.0f, 0.0f, 0.0f, true, false);
    mesh->setChannel(1, -1, still, 1.0f, 0.0f, 0.0f, true, false);
    mesh->setChannel(2, -1, 99, 1.0f, 0.0f, 0.0f, true, false); // refused: no animation
    YSkelMeshInstance& inst = make();
    for (int c : {0, 1, 2, 3, -1, 200}) {
        inst.playChannel(c);
        inst.playChannel(c);
        inst.stopChannel(c);
        EXPECT_EQ(YANIM_OFF, inst.channelState(c)) << c;
    }
    inst.update(0.1f);
    inst.updatePose();
    EXPECT_EQ(1u, logCount("Mesh rig animation channel 1 cannot play"));
    EXPECT_TRUE(logHas("Mesh rig animation channel 3 cannot play"));
    EXPECT_EQ(-1, inst.sequencePosition(7));
    EXPECT_EQ(0.0f, inst.effectiveWeight(-3));

    // Channels defined after the instance was made can be played.
    mesh->setChannel(4, -1, fine, 1.0f, 0.0f, 0.0f, true, false);
    inst.playChannel(4);
    EXPECT_EQ(YANIM_FADING_IN, inst.channelState(4));
    // An animation changed under a playing channel ends it.
    mesh->animations[static_cast<size_t>(fine)].clear();
    inst.update(0.01f);
    EXPECT_EQ(YANIM_OFF, inst.channelState(4));
}

TEST_F(SkelInstanceTest, AnEmptyHeroMeshTakesTheWholeSetUpWithoutHarm)
{
    // No "mesh\hero.ams" here: an empty mesh, no keys, no bones.
    YSkelMesh* hero = getSkelMesh("mesh\\hero.ams");
    ASSERT_TRUE(hero->empty());
    for (const hero::Clip& clip : hero::CLIPS)
        hero->addAnimation(makeIntRange(clip.firstKey, clip.keyCount));
    EXPECT_EQ(static_cast<size_t>(hero::CLIP_COUNT), hero->animations.size());
    for (int c = 0; c <= 18; ++c) {
        const int sync = (c >= 2 && c <= 4) ? 1 : (c == 8 ? 7 : (c == 10 ? 9 : -1));
        hero->setChannel(c, sync, c == 11 ? 6 : c, 1.0f, 0.01f, 0.1f, c < 6, c >= 6);
        std::vector<float> weights;
        for (size_t b = 0; b < hero->bones.size(); ++b)
            weights.push_back(hero::boneWeight(c == 11 ? 6 : c, static_cast<int>(b)));
        hero->setChannelBoneWeights(c, weights);
    }
    YSkelMeshInstance heroInstance(hero);
    heroInstance.setPoseFromClip(0, true);
    for (int c = 0; c <= 18; ++c)
        heroInstance.playChannel(c);
    for (int frame = 0; frame < 3; ++frame) {
        heroInstance.update(0.02f);
        heroInstance.updatePose();
        heroInstance.draw();
    }
    EXPECT_EQ(YMatrix(), heroInstance.attachmentFrame(hero::ATTACH_BALL));
    EXPECT_EQ(YMatrix(), heroInstance.attachmentFrame(hero::ATTACH_PIPE));
    EXPECT_EQ(YMatrix(), heroInstance.boneMatrix(hero::HAND_R));
    EXPECT_FALSE(heroInstance.isPlaying(0));
    EXPECT_EQ(0, heroInstance.sequencePosition(1));

    // No mesh at all.
    YSkelMeshInstance none(nullptr);
    none.setPoseFromClip(0, true);
    none.playChannel(0);
    none.stopChannel(0);
    none.update(0.1f);
    none.updatePose();
    none.draw();
    EXPECT_EQ(YMatrix(), none.attachmentFrame(0));
}
