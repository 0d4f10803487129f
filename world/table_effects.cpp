#include "world/table_effects.h"

#include "platform/sys/random.h"
#include "render/particles.h"
#include "render/shader.h"
#include "world/table.h"

#include <cmath>

namespace {

const float FIRE[4] = {1.0f, 0.7f, 0.2f, 1.0f};
const float EMBER[4] = {0.7f, 0.0f, 0.0f, 1.0f};
const float BLAST_END[4] = {1.0f, 0.3f, 0.0f, 0.05f};
const float WAVE_START[4] = {1.0f, 1.0f, 1.0f, 1.0f};
const float WAVE_END[4] = {1.0f, 0.1f, 0.0f, 0.0f};

} // namespace

YTableEffects::YTableEffects()
    : mBlast(getShader("blast")), mBlastWave(getShader("blast_wave")), mSpark(getShader("spark"))
{
}

void YTableEffects::addWallContact(const YVec3& position, const YVec3& normal)
{
    if (gTable)
        gTable->addWallContact(position, normal);
}

void YTableEffects::strikeSparks(const YVec3& position, int count)
{
    spawnSparks(&position.x, nullptr, 0.15f, count, FIRE, EMBER);
}

void YTableEffects::blastEffects(const YVec3& centre, float radius, int sparkCount)
{
    if (!std::isfinite(radius) || radius <= 0.0f)
        return;
    const float reach = 1.5f * radius;
    gParticles().emit(0.75f, 1.0f, reach, &centre.x, nullptr, -1.0f, nullptr, mBlast, FIRE, BLAST_END);
    if (gTable) {
        gTable->addMovingLightSpot(0.75f, 1.0f, reach, centre, mBlast, FIRE, BLAST_END);
        gTable->addMovingLightSpot(1.0f, 1.0f, reach, centre, mBlastWave, WAVE_START, WAVE_END);
    }
    for (int i = 0; i < sparkCount; ++i) {
        YVec3 d = sys::randCentred3<YVec3>();
        if (!(d.length() > 1e-6f))
            d = YVec3(0.0f, 0.0f, 1.0f);
        d.normalize();
        const float life = 1.375f + 0.25f * sys::randUnit();
        const float speed = 1.5f + sys::randUnit() + reach;
        const YVec3 velocity = d * (speed / life);
        gParticles().emit(life, 0.5f, 0.2f, &centre.x, &velocity.x, 0.75f, &gSpaceGravity, mSpark, FIRE, EMBER);
    }
}
