#include "world/world_effects.h"

namespace {
YWorldEffects* gEffects = nullptr;
}

void setWorldEffects(YWorldEffects* effects)
{
    gEffects = effects;
}

YWorldEffects* worldEffects()
{
    return gEffects;
}
