#pragma once
// Internal to sound/: conversions from the game's types to the sound
// device's.
#include "core/math.h"
#include "platform/snd/device.h"

// A game vector as the device's.
inline snd::Vec3 toSnd(const YVec3& v) { return snd::Vec3{v.x, v.y, v.z}; }
