#include "world/block_item.h"

#include "platform/sys/random.h"
#include "world/block_bonus.h"

YBlockItem::YBlockItem(YBlockShape* s, int x, int y, int z, float glue, YBonusBuilder* b)
    : shape(s), builder(b), breakStrength(glue), health(s ? s->health : 0.0f)
{
    holdBlockShape(shape);
    texOffsetU = 0.75f + sys::randUnit() * 0.5f;
    texOffsetV = 0.75f + sys::randUnit() * 0.5f;
    cell[0] = x;
    cell[1] = y;
    cell[2] = z;
    position = YVec3(static_cast<float>(x), static_cast<float>(y), static_cast<float>(z));
}

YBlockItem::~YBlockItem()
{
    delete builder;
    releaseBlockShape(shape);
}
