#pragma once
// Three coloured comets circling the table behind the main menu, the intro
// flight and the end of the game: each trails particles and lights the
// table under it.
#include "core/math.h"
#include "game/orbit.h"

#include <array>

struct YComet {
    YOrbit orbit;
    float rate = 30.0f;        // particles a second
    float accumulator = 0.0f;  // seconds not yet turned into particles
    YVec4 color;
};

class YComets {
public:
    static constexpr int COUNT = 3;

    // Moves the comets, emits their particles and queues their light spots.
    // The first call makes them (their phase speeds are random).
    void update(float dt);
    // Forgets the comets; the next update makes them again.
    void reset() { mMade = false; }

    bool made() const { return mMade; }
    const std::array<YComet, COUNT>& comets() const { return mComets; }

private:
    void make();

    std::array<YComet, COUNT> mComets;
    bool mMade = false;
};

extern YComets gComets;
