#include "world/level_start.h"

#include "core/log.h"
#include "platform/sys/random.h"
#include "render/environment.h"
#include "render/shader.h"
#include "world/block.h"
#include "world/block_bonus.h"
#include "world/block_item.h"
#include "world/block_material.h"
#include "world/block_set.h"
#include "world/block_update.h"
#include "world/table.h"

#include <vector>

std::array<int, LEVEL_BONUS_ID_COUNT> gBonusCounts{};

namespace {
YBonusBuilderMaker gMaker = nullptr;

// Removes entry i by moving the last entry into its place.
template <typename T>
T takeAt(std::vector<T>& list, size_t i)
{
    T value = list[i];
    list[i] = list.back();
    list.pop_back();
    return value;
}

size_t randomIndex(size_t size)
{
    return static_cast<size_t>(sys::rand()) % size;
}

// Deals the level's remaining random bonuses to items without one:
// opaque items first, see-through ones only when there are too few.
void dealRandomBonuses(YBlockSet& set)
{
    // A negative count (more placed of an id than the level holds) deals
    // nothing of its own id and lowers what the others get: stored levels
    // are balanced on that.
    long remaining = 0;
    for (int c : gBonusCounts)
        remaining += c;
    if (remaining <= 0)
        return;

    std::vector<YBlockItem*> opaque, blended;
    for (size_t i = 0; i < set.itemCount(); ++i) {
        YBlockItem* item = set.item(i);
        if (item->builder)
            continue;
        YShader* shader = item->shape && item->shape->material ? item->shape->material->shader : nullptr;
        (shader && shader->isAlphaBlended() ? blended : opaque).push_back(item);
    }
    while (static_cast<long>(opaque.size()) < remaining && !blended.empty())
        opaque.push_back(takeAt(blended, randomIndex(blended.size())));
    if (remaining > static_cast<long>(opaque.size()))
        remaining = static_cast<long>(opaque.size());

    for (int id = 0; id < LEVEL_BONUS_ID_COUNT; ++id) {
        for (int n = gBonusCounts[id]; n > 0 && remaining > 0; --n) {
            --remaining;
            YBlockItem* item = takeAt(opaque, randomIndex(opaque.size()));
            item->builder = makeBonusBuilder(id);
        }
    }
}

} // namespace

void setBonusBuilderMaker(YBonusBuilderMaker maker) { gMaker = maker; }

YBonusBuilder* makeBonusBuilder(int bonusId)
{
    if (bonusId < 0 || bonusId >= LEVEL_BONUS_ID_COUNT || !gMaker)
        return nullptr;
    return gMaker(bonusId);
}

void buildLevelBlocks(YBlockSet& set, const YLevelFile& level)
{
    clearBlockShapes();
    gCellSize = level.cellSize;
    if (gTable)
        gTable->setSize(level.tableWidth, level.tableDepth, level.tableMaterial.c_str());
    gEnvironment().load(level.environment);

    gBonusCounts.fill(0);
    for (int id = 0; id < LEVEL_BONUS_ID_COUNT; ++id)
        gBonusCounts[id] = level.bonusCounts[id];

    for (const YLevelItem& it : level.items) {
        YBlockShape* shape = getBlockShape(it.material, it.w, it.h, it.d);
        if (!shape) {
            YLog::writef("Level item of unknown material \"%s\" skipped", it.material.c_str());
            continue;
        }
        set.addItem(shape, it.x, it.y, it.z, it.glue, makeBonusBuilder(it.bonus));
        if (it.bonus >= 0 && it.bonus < LEVEL_BONUS_ID_COUNT)
            --gBonusCounts[it.bonus];
    }
    dealRandomBonuses(set);

    set.buildLinks();
    if (level.center && set.itemCount() > 0) {
        float lowest = 10000.0f, highest = -10000.0f;
        for (size_t i = 0; i < set.itemCount(); ++i) {
            float x = set.item(i)->position.x;
            lowest = x < lowest ? x : lowest;
            highest = x > highest ? x : highest;
        }
        YMatrix shift;
        shift.makeTranslation(YVec3(-(lowest + highest) * 0.5f, 0, 0));
        set.setTransform(shift * set.getTransform());
    }
    set.updateMass();
    set.splitAll(true);
    resetNextBonusTimer();
}

bool loadLevelBlocks(const std::string& path)
{
    clearWorld();
    YLevelFile level;
    bool ok = loadLevelFile(path, level, [](const std::string& name) { return findBlockMaterial(name) != nullptr; });
    YBlockSet* set = new YBlockSet();
    if (ok)
        buildLevelBlocks(*set, level);
    return ok;
}
