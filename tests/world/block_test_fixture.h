#pragma once
// The block tests' world: the physics fixture plus a few materials, a
// listener for the blocks' sounds, scores and requests, and checks of a
// set's bookkeeping.
#include "tests/world/world_fixture.h"

#include "core/init.h"
#include "render/draw_queue.h"
#include "render/particles.h"
#include "render/resource.h"
#include "render/shader.h"
#include "sound/named_sound.h"
#include "world/block.h"
#include "world/block_bonus.h"
#include "world/block_events.h"
#include "world/block_faces.h"
#include "world/block_material.h"
#include "world/block_set.h"
#include "world/block_single.h"
#include "world/block_update.h"
#include "world/splinter.h"

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace blocktest {

using namespace worldtest;

class RecordingBlockEvents : public YBlockEvents {
public:
    struct Sound {
        std::string name;
        YVec3 position;
        float volume;
        YVec3 velocity;
    };
    void onSound(const YNamedSound& sound, const YVec3& p, float volume, const YVec3& v) override
    {
        sounds.push_back(Sound{sound.name(), p, volume, v});
    }
    void addScore(int points, const YVec3& p) override
    {
        scores.push_back(points);
        scorePositions.push_back(p);
    }
    void showScorePopup(const YVec3&, int score) override { scorePopups.push_back(score); }
    void showDamagePopup(const YVec3&, int amount) override { damagePopups.push_back(amount); }
    void spawnNextBonus() override { ++nextBonuses; }
    void clearRacketObjects() override { ++racketClears; }

    int played(const std::string& name) const
    {
        return static_cast<int>(std::count_if(sounds.begin(), sounds.end(),
                                              [&](const Sound& s) { return s.name == name; }));
    }

    std::vector<Sound> sounds;
    std::vector<int> scores;
    std::vector<YVec3> scorePositions;
    std::vector<int> scorePopups, damagePopups;
    int nextBonuses = 0;
    int racketClears = 0;
};

// What happened to a builder, kept beyond its life.
struct BuilderLog {
    int shows = 0, releases = 0, deleted = 0;
    float hiding = -1.0f; // of the last show
    YMatrix shownAt, releasedAt;
};

class RecordingBuilder : public YBonusBuilder {
public:
    explicit RecordingBuilder(BuilderLog& log) : mLog(log) {}
    ~RecordingBuilder() override { ++mLog.deleted; }
    void show(const YMatrix& t) override
    {
        ++mLog.shows;
        mLog.shownAt = t;
    }
    void showWithin(const YMatrix& t, float hiding) override
    {
        show(t);
        mLog.hiding = hiding;
    }
    void release(const YMatrix& t, const YVec3&) override
    {
        ++mLog.releases;
        mLog.releasedAt = t;
    }

private:
    BuilderLog& mLog;
};

// Deletes the textures made while it lived (the crack textures first).
class NewResources {
public:
    NewResources() : mBefore(gRenderResources()) {}
    ~NewResources()
    {
        clearCrackTextures();
        std::vector<YRenderResource*> now = gRenderResources();
        for (YRenderResource* r : now)
            if (std::find(mBefore.begin(), mBefore.end(), r) == mBefore.end())
                delete r;
    }

private:
    std::vector<YRenderResource*> mBefore;
};

// "plain" has every registered default; "stone" is heavier and sturdier;
// "glass" is drawn blended.
const char* const TEST_MATERIALS =
    "<material name=\"plain\"/>\n"
    "<material name=\"stone\" mass=\"2\" health=\"300\" shader=\"t_stone\" in_shader=\"t_in\" "
    "scores=\"40\""
    " sound_stroke=\"stone_stroke\" sound_destroy=\"stone_destroy\"/>\n"
    "<material name=\"glass\" shader=\"t_glass\" sound_stroke=\"glass_stroke\"/>\n";

// Empties what the block tests fill: the blocks, the draw queues (nothing
// may stay queued into the face list) and the faces, the next bonus's timer,
// the materials, shaders and named sounds.
inline void clearBlockWorld()
{
    clearWorld();
    drawFrontToBack();
    drawBackToFront();
    gBlockFaces.clear();
    resetNextBonusTimer();
    clearBlockMaterials();
    clearShaders();
    clearNamedSounds();
}

struct Cell {
    int x, y, z;
    int w = 1, h = 1, d = 1;
    const char* material = "plain";
    float glue = 1000.0f;
};

class BlockTest : public WorldTest {
protected:
    void SetUp() override
    {
        WorldTest::SetUp();
        resources = std::make_unique<NewResources>();
        setBlockEvents(&events);
        gCellSize = YVec3(1, 1, 1);
        testutil::writeText("data/blocks.yml", TEST_MATERIALS);
        loadBlockMaterials("data\\blocks.yml");
        getShader("t_glass")->renderStates[YRS_ALPHABLENDENABLE] = 1;
        savedLosses = gInit().popuplosses;
        savedScores = gInit().popupscores;
    }

    void TearDown() override
    {
        clearBlockWorld();
        resources.reset();
        setBlockEvents(nullptr);
        gCellSize = YVec3(1, 1, 1);
        gInit().popuplosses = savedLosses;
        gInit().popupscores = savedScores;
        WorldTest::TearDown();
    }

    static YBlockItem* add(YBlockSet* set, const Cell& c, YBonusBuilder* builder = nullptr)
    {
        return set->addItem(getBlockShape(c.material, c.w, c.h, c.d), c.x, c.y, c.z, c.glue,
                            builder);
    }

    // A set as the level reader builds it: linked, weighed and split.
    static YBlockSet* build(const std::vector<Cell>& cells, const YMatrix& frame = YMatrix())
    {
        auto* set = new YBlockSet();
        for (const Cell& c : cells)
            add(set, c);
        set->buildLinks();
        set->setTransform(frame);
        set->updateMass();
        set->splitAll(true);
        return set;
    }

    template <class T>
    static std::vector<T*> all()
    {
        std::vector<T*> out;
        for (YBlock* b : gBlocks)
            if (auto* t = dynamic_cast<T*>(b))
                out.push_back(t);
        return out;
    }

    // The set that holds an item with that lowest cell, or null.
    static YBlockSet* setWith(int x, int y, int z)
    {
        for (YBlockSet* s : all<YBlockSet>())
            for (size_t i = 0; i < s->itemCount(); ++i)
                if (s->item(i)->cell[0] == x && s->item(i)->cell[1] == y &&
                    s->item(i)->cell[2] == z)
                    return s;
        return nullptr;
    }

    static YVec3 worldPosition(const YBlockSet* set, const YBlockItem* item)
    {
        return set->itemTransform(item).translation();
    }

    // Neighbour records are symmetric and stay within the set; every link
    // belongs to the set and its cell bits are exactly those its items hold.
    static void expectConsistent(const YBlockSet* set)
    {
        for (size_t i = 0; i < set->itemCount(); ++i) {
            const YBlockItem* a = set->item(i);
            for (int f = 0; f < FACE_COUNT; ++f) {
                for (const YBlockItem* b : a->faces[f].items) {
                    ASSERT_TRUE(set->hasItem(b)) << "a neighbour outside the set";
                    auto there = std::count(b->faces[oppositeFace(f)].items.begin(),
                                            b->faces[oppositeFace(f)].items.end(), a);
                    auto here = std::count(a->faces[f].items.begin(), a->faces[f].items.end(), b);
                    EXPECT_EQ(here, there) << "records disagree";
                }
            }
        }
        std::vector<unsigned> held(set->linkCount(), 0);
        for (size_t i = 0; i < set->itemCount(); ++i) {
            for (const YEdgeSlot& s : set->item(i)->edges) {
                ASSERT_LT(s.link->index, set->linkCount());
                ASSERT_EQ(set->link(s.link->index), s.link) << "a slot names a link of another set";
                EXPECT_FALSE(held[s.link->index] & s.bit) << "a cell bit held twice";
                held[s.link->index] |= s.bit;
            }
        }
        for (size_t l = 0; l < set->linkCount(); ++l)
            EXPECT_EQ(held[l], set->link(l)->mask & LINK_CELLS) << "link " << l;
    }

    static void expectNear(const YVec3& want, const YVec3& got, float tolerance = 1e-4f)
    {
        EXPECT_NEAR(want.x, got.x, tolerance);
        EXPECT_NEAR(want.y, got.y, tolerance);
        EXPECT_NEAR(want.z, got.z, tolerance);
    }

    static YMatrix turned(float degrees, const YVec3& at)
    {
        YMatrix r, t;
        r.makeRotationZ(degrees);
        t.makeTranslation(at);
        return t * r;
    }

    RecordingBlockEvents events;
    // Builders may outlive a test's body: they die with the world at the end.
    BuilderLog bonusLog, otherLog;
    std::unique_ptr<NewResources> resources;
    bool savedLosses = false, savedScores = true;
};

} // namespace blocktest
