// The generated levels: each one reads back with every material known,
// builds into blocks, and stands on the table after settling.
#include "platform/sys/paths.h"
#include "render/shader.h"
#include "sound/named_sound.h"
#include "tests/world/block_test_fixture.h"
#include "world/block_material.h"
#include "world/level_start.h"

#include <gtest/gtest.h>

using namespace blocktest;

namespace {

class LevelContent : public WorldTest {
protected:
    void SetUp() override
    {
        WorldTest::SetUp();
        resources = std::make_unique<NewResources>();
        ASSERT_TRUE(testutil::copyFromGame("levels")) << "build the game content first";
        ASSERT_TRUE(testutil::copyFromGame("data"));
        loadBlockMaterials("data\\blocks.yml");
        ASSERT_FALSE(logged("error"));
    }
    void TearDown() override
    {
        clearBlockWorld();
        resources.reset();
        WorldTest::TearDown();
    }
    std::unique_ptr<NewResources> resources;
};

bool knownMaterial(const std::string& name) { return findBlockMaterial(name) != nullptr; }

} // namespace

TEST_F(LevelContent, EveryLevelReadsBuildsAndStands)
{
    std::vector<sys::DirEntry> files = sys::listDirectory("levels\\*");
    int levels = 0;
    std::array<bool, LEVEL_BONUS_ID_COUNT> seen{};
    for (const sys::DirEntry& e : files) {
        if (e.directory)
            continue;
        ++levels;
        SCOPED_TRACE(e.name);
        YLevelFile level;
        ASSERT_TRUE(loadLevelFile("levels\\" + e.name, level, knownMaterial));
        EXPECT_FALSE(logged("skipped")) << "an item of an unknown material";
        ASSERT_FALSE(level.items.empty());
        int bonuses = 0;
        for (int id = 0; id < LEVEL_BONUS_ID_COUNT; ++id) {
            bonuses += level.bonusCounts[id];
            seen[id] = seen[id] || level.bonusCounts[id] > 0;
        }
        for (const YLevelItem& it : level.items)
            if (it.bonus >= 0)
                seen[it.bonus] = true;
        EXPECT_GT(bonuses, 0);

        ASSERT_TRUE(loadLevelBlocks("levels\\" + e.name));
        size_t items = 0;
        for (YBlock* b : gBlocks)
            if (auto* s = dynamic_cast<YBlockSet*>(b))
                items += s->itemCount();
        EXPECT_EQ(level.items.size(), items);
        // Let it settle: nothing falls off or breaks by itself.
        for (int i = 0; i < 200; ++i)
            gPhysics->step(0.05f);
        size_t standing = 0;
        for (YBlock* b : gBlocks) {
            YVec3 p = b->getTransform().translation();
            EXPECT_TRUE(finite(p));
            if (auto* s = dynamic_cast<YBlockSet*>(b))
                standing += s->itemCount();
            else
                ++standing;
        }
        EXPECT_EQ(items, standing) << "blocks broke while settling";
        clearWorld();
    }
    EXPECT_GE(levels, 8);
    for (int id = 0; id < LEVEL_BONUS_ID_COUNT; ++id)
        EXPECT_TRUE(seen[id]) << "no level holds bonus id " << id;
}
