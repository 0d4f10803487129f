#pragma once
#include <array>
#include <string>

#include "world/level_file.h"

class YBlockSet;
class YBonusBuilder;

// The random bonus counts of the level being loaded, one per bonus id.
extern std::array<int, LEVEL_BONUS_ID_COUNT> gBonusCounts;

// Makes the builder of a bonus id (null until bonuses exist, and for ids
// outside the registry). The bonus registry installs the real maker.
using YBonusBuilderMaker = YBonusBuilder* (*)(int bonusId);
void setBonusBuilderMaker(YBonusBuilderMaker maker);
YBonusBuilder* makeBonusBuilder(int bonusId);

// Clears the world and fills one new block set from the level file. False
// (with a log line) when the file cannot be read: the world is then empty.
bool loadLevelBlocks(const std::string& path);

// Fills the set from a level already read: the table and environment are
// set, items made with their placed bonuses, the random bonuses dealt out,
// and the set linked, centred, weighed and split.
void buildLevelBlocks(YBlockSet& set, const YLevelFile& level);
