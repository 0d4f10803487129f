#pragma once
#include <cstdint>

namespace sys {

// The game's random numbers: every random value is scaled as rand() / 32767,
// so the generator must stay in the 0..32767 range whatever the C library does.
constexpr int RAND_LIMIT = 32767;

// A linear congruential generator with the classic 32767 range:
// state = state * 214013 + 2531011, result = (state >> 16) & 0x7FFF.
class Random {
public:
    explicit Random(uint32_t seed = 1) : mState(seed) {}
    void seed(uint32_t seed) { mState = seed; }
    int next()
    {
        mState = mState * 214013u + 2531011u;
        return static_cast<int>((mState >> 16) & 0x7FFF);
    }
    // Uniform float in 0..1 (both ends included).
    float unit() { return static_cast<float>(next()) / static_cast<float>(RAND_LIMIT); }

private:
    uint32_t mState;
};

// The main thread's generator. Other threads keep their own Random.
int rand();
void srand(uint32_t seed);
// rand() / 32767 as a float in 0..1.
float randUnit();

// A vector of three randUnit() - 0.5 values (each in -0.5..0.5), drawn x,
// then y, then z. Drawing them as constructor arguments would leave the
// order to the compiler, and the same seed would give different worlds on
// different builds. V is any type built from three floats (YVec3).
template <typename V>
V randCentred3()
{
    const float x = randUnit() - 0.5f;
    const float y = randUnit() - 0.5f;
    const float z = randUnit() - 0.5f;
    return V(x, y, z);
}

} // namespace sys
