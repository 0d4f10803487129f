// Skinned mesh files: the skeleton text, the cache after it, the checks that
// keep bad indices out, channel definitions and scaling.
#include "render/skel_mesh.h"

#include "core/log.h"
#include "core/streams.h"
#include "platform/sys/paths.h"
#include "render/recording_render.h"
#include "tests/common/test_util.h"
#include "tests/common/unsized_stream.h"
#include "tests/render/mesh_fixtures.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

// A unit cube on three bones: the root at the origin, a child half way up
// turned 45 degrees about z, and a grandchild turned 30 degrees about x.
// The bottom corners follow the root (corner 0 through the "0" line), one
// top corner is shared by bones 1 and 2, and one attachment hangs on bone 2.
const char* SKELETON = R"(sceleton bar
3
10 -1 0 0 0 0 0 0 1
11 0 0 0 0.5 0 0 0.38268343 0.92387953
12 1 0.25 0 0.25 0.25881905 0 0 0.96592583
attachments 1
7 2 0 0 0.1 0 0 0.70710678 0.70710678
vertex weights
0
1 0 1
1 0 1
1 0 1
2 1 0.5 2 0.5
1 1 1
1 2 1
1 2 1
keys 3
key 0 0 0 0 0 0 0 1 0 0 0 1 0 0 0 1
key 10 0 0 0.1 0 0 0.38268343 0.92387953 0 0 0 1 0 0 0 1
key 25 1 2 3 0 0 0 1 0.25881905 0 0 0.96592583 0 0 0 1
)";

std::string skelText(const std::string& skeleton = SKELETON) { return meshfix::cubeText() + skeleton; }

// The text with one piece replaced (the piece must be there).
std::string replaced(const std::string& from, const std::string& to)
{
    std::string text = SKELETON;
    size_t at = text.find(from);
    EXPECT_NE(std::string::npos, at) << from;
    if (at != std::string::npos)
        text.replace(at, from.size(), to);
    return skelText(text);
}

std::string cacheBytes(const YSkelMesh& mesh)
{
    OutMemStream out;
    mesh.writeSkelCache(out);
    return out.data();
}

std::string meshPartBytes(const YSkelMesh& mesh)
{
    OutMemStream out;
    mesh.writeMeshCache(out);
    return out.data();
}

// A skinned mesh parsed from text without files (registered like any).
YSkelMesh* parseSkel(const std::string& text, const std::string& name = "bar")
{
    auto* mesh = new YSkelMesh();
    mesh->name = name;
    const size_t at = skeletonSectionStart(text);
    YMeshSource source;
    parseMeshText(text.substr(0, at), source, name);
    mesh->build(source);
    if (at != std::string::npos)
        mesh->parseSkeletonText(text.substr(at), name);
    mesh->bindPose();
    return mesh;
}

void expectMatrixNear(const YMatrix& want, const YMatrix& got, float tolerance = 1e-5f)
{
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(want.m[i], got.m[i], tolerance) << "element " << i;
}

class SkelMeshTest : public meshfix::MeshRegistryTest {
protected:
    static YSkelMesh* loadAfresh(const std::string& name)
    {
        clearMeshes();
        return getSkelMesh(name);
    }

    static bool skeletonEmpty(const YSkelMesh& m)
    {
        return m.bones.empty() && m.keys.empty() && m.animations.empty() && m.attachments.empty();
    }
};

} // namespace

// ---------------------------------------------------------------------------
// Text and cache

TEST_F(SkelMeshTest, TextIsCompiledIntoACacheThatReadsBackByteForByte)
{
    testutil::writeText("mesh\\bar.ams", skelText());
    YSkelMesh* m = getSkelMesh("mesh\\bar.ams");
    EXPECT_EQ(1u, logCount("Load skeleton mesh file mesh\\bar.ams"));
    EXPECT_EQ(m, getSkelMesh("mesh\\bar.ams"));
    EXPECT_EQ(m, findMesh("mesh\\bar.ams")); // a mesh like any other
    ASSERT_EQ(3u, m->bones.size());
    EXPECT_EQ(1, m->bones[2].parent);
    // Weights are stored per bone; a "0" line binds to bone 0 with weight 1.
    ASSERT_EQ(4u, m->bones[0].weights.size());
    EXPECT_EQ(0, m->bones[0].weights[0].vertex);
    EXPECT_EQ(1.0f, m->bones[0].weights[0].weight);
    ASSERT_EQ(2u, m->bones[1].weights.size());
    EXPECT_EQ(0.5f, m->bones[1].weights[0].weight);
    // Frame counts are the differences of the frame numbers.
    ASSERT_EQ(3u, m->keys.size());
    EXPECT_EQ((std::vector<int>{0, 10, 15}),
              (std::vector<int>{m->keys[0].frameCount, m->keys[1].frameCount, m->keys[2].frameCount}));
    EXPECT_FLOAT_EQ(0.25881905f, m->keys[2].rotations[1].x);
    // The attachment's frame: a quarter turn about z, lifted 0.1.
    ASSERT_EQ(1u, m->attachments.size());
    EXPECT_NEAR(1.0f, m->attachments[0].frame.transformVector(YVec3(1, 0, 0)).y, 1e-6f);
    EXPECT_FLOAT_EQ(0.1f, m->attachments[0].frame.translation().z);

    // The cache on disk is exactly what the mesh writes, ending in 0x1A; a
    // later run reads only the cache and gets the same bytes back.
    const std::string bytes = cacheBytes(*m);
    EXPECT_TRUE(bytes == testutil::readText("mesh/bar.mab"));
    EXPECT_EQ('\x1A', bytes.back());
    testutil::writeText("mesh\\bar.ams", "not a mesh");
    YSkelMesh* again = loadAfresh("mesh\\bar.ams");
    EXPECT_EQ(1u, logCount("Load skeleton mesh file"));
    EXPECT_TRUE(bytes == cacheBytes(*again));
    // "mab" names the cache itself; capital "AMS" is not a text name.
    EXPECT_EQ(3u, getSkelMesh("mesh\\bar.mab")->bones.size());
    EXPECT_EQ(3u, getSkelMesh("mesh\\BAR.AMS")->bones.size());

    // Animations added before writing travel with the cache.
    again->addAnimation({2, 0, 1});
    {
        const std::string withAnimation = cacheBytes(*again);
        YSkelMesh copy;
        copy.name = again->name; // a cache keeps the name the mesh was asked for
        InMemStream in(withAnimation);
        ASSERT_TRUE(copy.readSkelCache(in));
        EXPECT_EQ((std::vector<std::vector<int>>{{2, 0, 1}}), copy.animations);
        EXPECT_TRUE(withAnimation == cacheBytes(copy));
    }

    // Deleting a skinned mesh takes it off both registries.
    delete again;
    EXPECT_EQ(nullptr, findSkelMesh("mesh\\bar.ams"));
    EXPECT_EQ(nullptr, findMesh("mesh\\bar.ams"));
}

TEST_F(SkelMeshTest, BindPoseStoresTheInverseOfEachBonesModelMatrix)
{
    YSkelMesh* m = parseSkel(skelText());
    ASSERT_EQ(3u, m->bones.size());
    YMatrix model[3];
    for (size_t b = 0; b < 3; ++b) {
        YMatrix local;
        local.makeRotationQuaternion(m->bones[b].rotation, m->bones[b].position);
        model[b] = m->bones[b].parent < 0 ? local : model[m->bones[b].parent] * local;
        expectMatrixNear(YMatrix(), model[b] * m->bones[b].inverseBind);
    }
    // The grandchild's joint: its offset turned by its parent's 45 degrees.
    const YVec3 joint = model[2].translation();
    EXPECT_NEAR(0.25f * 0.70710678f, joint.x, 1e-6f);
    EXPECT_NEAR(0.25f * 0.70710678f, joint.y, 1e-6f);
    EXPECT_NEAR(0.75f, joint.z, 1e-6f);
    // The inverse takes the joint back to the bone's origin.
    const YVec3 origin = m->bones[2].inverseBind.transformPoint(joint);
    EXPECT_NEAR(0.0f, origin.x + origin.y + origin.z, 1e-6f);
}

TEST_F(SkelMeshTest, ScalingCompoundsAndRebinds)
{
    YSkelMesh* m = parseSkel(skelText());
    const float z = m->sourceVertices[6].pos.z;
    m->setScale(2.0f);
    m->setScale(1.5f);
    EXPECT_FLOAT_EQ(z * 3.0f, m->vertices[static_cast<size_t>(m->sourceVertices[6].vertices[0])].pos.z);
    EXPECT_FLOAT_EQ(1.5f, m->bones[1].position.z);
    EXPECT_FLOAT_EQ(0.3f, m->attachments[0].frame.translation().z);
    EXPECT_FLOAT_EQ(9.0f, m->keys[2].root.z);
    EXPECT_NEAR(-1.5f, m->bones[1].inverseBind.translation().z, 1e-6f);
}

// ---------------------------------------------------------------------------
// Faults: the skeleton is refused whole, the mesh stays, no cache is written

TEST_F(SkelMeshTest, BadSkeletonTextGivesAnEmptySkeletonAndNoCache)
{
    struct Case {
        const char* what;
        std::string text;
        const char* logged;
    };
    const Case cases[] = {
        {"parent is itself", replaced("11 0 0 0 0.5", "11 1 0 0 0.5"), "bone 1 has parent 1"},
        {"parent comes later", replaced("11 0 0 0 0.5", "11 2 0 0 0.5"), "bone 1 has parent 2"},
        {"parent past the bones", replaced("12 1 0.25", "12 3 0.25"), "bone 2 has parent 3"},
        {"weight names no bone", replaced("1 2 1\n1 2 1", "1 2 1\n1 3 1"), "vertex 7 of 8 names bone 3 of 3"},
        {"negative weight bone", replaced("2 1 0.5 2 0.5", "2 1 0.5 -1 0.5"), "vertex 4 of 8 names bone -1"},
        {"attachment on no bone", replaced("7 2 0 0 0.1", "7 5 0 0 0.1"), "attachment 0 is on bone 5 of 3"},
        {"frames go back", replaced("key 25", "key 5"), "key 2 of 3 has frame 5, before the key ahead of it"},
        {"rotations cut short", skelText(std::string(SKELETON).substr(0, std::string(SKELETON).size() - 9)),
         "a rotation of key 2 of 3 cannot be read"},
        {"weights cut short", skelText(std::string(SKELETON).substr(0, std::string(SKELETON).find("1 2 1"))),
         "the influence count of vertex 6 of 8 cannot be read"},
        {"bone count not a count", replaced("sceleton bar\n3", "sceleton bar\n-3"), "the bone count is not a count"},
        {"no bones", replaced("3\n10 -1 0 0 0 0 0 0 1\n11 0 0 0 0.5 0 0 0.38268343 0.92387953\n"
                              "12 1 0.25 0 0.25 0.25881905 0 0 0.96592583\n",
                              "0\n"),
         "vertex 0 of 8 is bound to bone 0, and there are no bones"},
        {"no skeleton at all", meshfix::cubeText(), "Skeleton mesh file mesh\\bad.ams has no skeleton section"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        testutil::writeText("mesh\\bad.ams", c.text);
        YSkelMesh* m = loadAfresh("mesh\\bad.ams");
        EXPECT_TRUE(skeletonEmpty(*m));
        EXPECT_EQ(12u, m->triangles.size()); // the mesh part was fine
        EXPECT_TRUE(logHas(c.logged)) << c.logged;
        EXPECT_TRUE(logHas("Skeleton mesh file mesh\\bad.ams: no cache written"));
        EXPECT_FALSE(fileExists("mesh/bad.mab"));
    }

    // A broken mesh part reads no skeleton at all.
    testutil::writeText("mesh\\bad.ams", "mesh x vertices 2\n0 0 0\n" + std::string(SKELETON));
    YSkelMesh* m = loadAfresh("mesh\\bad.ams");
    EXPECT_TRUE(skeletonEmpty(*m));
    EXPECT_FALSE(fileExists("mesh/bad.mab"));

    // Mended, the next run compiles it.
    testutil::writeText("mesh\\bad.ams", skelText());
    EXPECT_EQ(3u, loadAfresh("mesh\\bad.ams")->bones.size());
    EXPECT_TRUE(fileExists("mesh/bad.mab"));
}

TEST_F(SkelMeshTest, CachedSkeletonsAreCheckedLikeText)
{
    // Each fault written into an otherwise good cache (the writer stores what
    // it is given), then read back.
    struct Case {
        const char* what;
        std::function<void(YSkelMesh&)> spoil;
        const char* logged;
    };
    const Case cases[] = {
        {"parent order", [](YSkelMesh& m) { m.bones[1].parent = 2; }, "bone 1 has parent 2"},
        {"parent count", [](YSkelMesh& m) { m.bones[2].parent = 3; }, "bone 2 has parent 3"},
        {"weight vertex", [](YSkelMesh& m) { m.bones[1].weights[0].vertex = 8; }, "bone 1 weighs vertex 8 of 8"},
        {"unmoved vertex", [](YSkelMesh& m) { m.bones[0].weights.pop_back(); }, "vertex 3 is moved by no bone"},
        {"too few rotations", [](YSkelMesh& m) { m.keys[1].rotations.pop_back(); },
         "key 1 has 2 rotations for 3 bones"},
        {"negative frames", [](YSkelMesh& m) { m.keys[2].frameCount = -4; }, "key 2 comes 4 frames before"},
        {"animation key", [](YSkelMesh& m) { m.animations.push_back({0, 3}); }, "animation 0 names key 3 of 3"},
        {"attachment bone", [](YSkelMesh& m) { m.attachments[0].bone = 3; }, "attachment 0 is on bone 3 of 3"},
        {"no bones", [](YSkelMesh& m) { m.bones.clear(); }, "no bones for 8 vertices"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        YSkelMesh* good = parseSkel(skelText());
        c.spoil(*good);
        const std::string bytes = cacheBytes(*good);
        YSkelMesh read;
        read.name = "spoilt";
        InMemStream in(bytes);
        EXPECT_FALSE(read.readSkelCache(in));
        EXPECT_TRUE(skeletonEmpty(read));
        EXPECT_EQ(12u, read.triangles.size());
        EXPECT_TRUE(logHas(std::string("Skeleton cache of spoilt: ") + c.logged)) << c.logged;
        delete good;
    }

    // A count beyond what the file holds is refused before anything is made.
    YSkelMesh* good = parseSkel(skelText());
    std::string bytes = cacheBytes(*good);
    const uint32_t huge = 0x7FFFFFFF;
    std::memcpy(&bytes[meshPartBytes(*good).size()], &huge, 4);
    YSkelMesh read;
    read.name = "huge";
    InMemStream in(bytes);
    EXPECT_FALSE(read.readSkelCache(in));
    EXPECT_TRUE(logHas("Skeleton cache of huge: a count of 2147483647 larger than the file in the bones section"));

    // A damaged end mark is a damaged file.
    bytes = cacheBytes(*good);
    bytes.back() = 0;
    InMemStream marked(bytes);
    EXPECT_FALSE(read.readSkelCache(marked));
    EXPECT_TRUE(logHas("no end mark in the end section"));
}

TEST_F(SkelMeshTest, ACacheCutAnywhereIsRefused)
{
    YSkelMesh* good = parseSkel(skelText());
    good->addAnimation({0, 1, 2});
    const std::string bytes = cacheBytes(*good);
    const size_t meshEnd = meshPartBytes(*good).size();
    for (size_t cut = 0; cut < bytes.size(); ++cut) {
        for (int unsized = 0; unsized < 2; ++unsized) {
            std::unique_ptr<InStream> in;
            if (unsized)
                in = std::make_unique<testutil::UnsizedStream>(bytes.substr(0, cut));
            else
                in = std::make_unique<InMemStream>(bytes.substr(0, cut));
            YSkelMesh m;
            ASSERT_FALSE(m.readSkelCache(*in)) << "cut at " << cut;
            ASSERT_TRUE(skeletonEmpty(m)) << "cut at " << cut;
            // A cut in the mesh part leaves nothing; after it the mesh stays.
            ASSERT_EQ(cut < meshEnd ? 0u : 12u, m.triangles.size()) << "cut at " << cut;
        }
    }
    for (const char* section : {"bones", "keys", "animations", "attachments", "end"})
        EXPECT_TRUE(logHas(std::string("cut short in the ") + section + " section; the skeleton is empty"))
            << section;

    YSkelMesh whole;
    whole.name = good->name;
    InMemStream in(bytes);
    EXPECT_TRUE(whole.readSkelCache(in));
    EXPECT_TRUE(bytes == cacheBytes(whole));
}

TEST_F(SkelMeshTest, AMissingCacheOrTextGivesAnEmptyMesh)
{
    for (const char* name : {"mesh\\none.ams", "mesh\\none.mab"}) {
        YSkelMesh* none = getSkelMesh(name);
        EXPECT_TRUE(none->loaded && none->empty() && skeletonEmpty(*none)) << name;
    }
    EXPECT_TRUE(logHas("Skeleton mesh file mesh\\none.ams cannot be read"));
    EXPECT_FALSE(fileExists("mesh/none.mab"));
}

// ---------------------------------------------------------------------------
// Animations and channel definitions

TEST_F(SkelMeshTest, ChannelDefinitionsGrowTheListAndRefuseBadFields)
{
    YSkelMesh* m = parseSkel(skelText(), "bar");
    EXPECT_EQ(0, m->addAnimation(makeIntRange(0, 3)));
    EXPECT_EQ(1, m->addAnimation(makeIntRange(1, 2)));
    m->setChannel(3, -1, 1, 2.0f, 0.25f, 0.5f, true, false);
    ASSERT_EQ(4u, m->channels.size());
    // New channels play nothing and keep their own clock.
    EXPECT_EQ(-1, m->channels[0].animation);
    EXPECT_EQ(-1, m->channels[2].syncChannel);
    EXPECT_EQ(1, m->channels[3].animation);
    EXPECT_EQ(0.5f, m->channels[3].fadeOut);

    // A sync channel not below the channel, or a missing animation, keeps
    // the field as it was; the other fields are stored.
    m->setChannel(2, 1, 0, 1.0f, 0.1f, 0.1f, false, true);
    m->setChannel(2, 2, 5, 3.0f, 0.2f, 0.3f, true, false);
    EXPECT_TRUE(logHas("Mesh bar animation channel 2 error syncChannel=2 >= curChannel."));
    EXPECT_TRUE(logHas("Mesh bar animation channel 2 error animation index 5."));
    EXPECT_EQ(1, m->channels[2].syncChannel);
    EXPECT_EQ(0, m->channels[2].animation);
    EXPECT_EQ(3.0f, m->channels[2].weight);
    EXPECT_TRUE(m->channels[2].loop);
    // Channel numbers outside the list's range are refused outright.
    m->setChannel(-1, -1, 0, 1, 0, 0, false, false);
    m->setChannel(YSkelMesh::MAX_CHANNELS, -1, 0, 1, 0, 0, false, false);
    EXPECT_EQ(4u, m->channels.size());

    // Bone weights: one per bone, for a defined channel.
    m->setChannelBoneWeights(3, {1, 0, 0.5f});
    m->setChannelBoneWeights(3, {1, 0});
    m->setChannelBoneWeights(9, {1, 1, 1});
    EXPECT_EQ((std::vector<float>{1, 0, 0.5f}), m->channels[3].boneWeights);
    EXPECT_TRUE(logHas("Mesh bar animation channel 3 error: 2 bone weights for 3 bones."));

    // An animation naming a missing key is kept empty, so the index of the
    // next one stays where its caller expects it.
    EXPECT_EQ(2, m->addAnimation({0, 3}));
    EXPECT_TRUE(m->animations[2].empty());
    EXPECT_TRUE(logHas("Mesh bar animation 2 names key 3 of 3; the animation is empty"));
    EXPECT_EQ(3, m->addAnimation({2}));
}

TEST(SkelMeshText, ListsRangesAndWhereTheSkeletonStarts)
{
    const int list[] = {4, 0, 7, -1, 9};
    EXPECT_EQ((std::vector<int>{4, 0, 7}), makeIntList(list));
    EXPECT_TRUE(makeIntList(nullptr).empty());
    EXPECT_EQ((std::vector<int>{3, 4, 5}), makeIntRange(3, 3));
    EXPECT_TRUE(makeIntRange(3, -2).empty());
    // Not the mesh's own name, not a longer word.
    EXPECT_EQ(25u, skeletonSectionStart("mesh sceleton vertices 0 sceleton x"));
    EXPECT_EQ(std::string::npos, skeletonSectionStart("mesh x vertices 0 sceletons"));
}
