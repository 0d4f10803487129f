#include "game/comets.h"

#include "platform/sys/random.h"
#include "render/particles.h"
#include "render/shader.h"
#include "world/table.h"

YComets gComets;

namespace {

// A speed of base give or take 2.5 degrees a second.
float randomSpeed(float base)
{
    return base - 2.5f + static_cast<float>(sys::rand()) * 5.0f / 32767.0f;
}

} // namespace

void YComets::make()
{
    static const float azimuths[COUNT] = {0.0f, 120.0f, -120.0f};
    static const YVec4 colors[COUNT] = {YVec4(1, 0, 0, 1), YVec4(1, 1, 0, 1), YVec4(0, 1, 1, 1)};
    for (int i = 0; i < COUNT; ++i) {
        const float radiusSpeed = randomSpeed(33.0f);
        const float heightSpeed = randomSpeed(17.0f);
        YComet& c = mComets[i];
        c.orbit = YOrbit(azimuths[i], 75.0f, radiusSpeed, heightSpeed, 10.0f, 1.0f, 3.0f, 1.5f);
        c.rate = 30.0f;
        c.accumulator = 0.0f;
        c.color = colors[i];
    }
    mMade = true;
}

void YComets::update(float dt)
{
    if (!mMade)
        make();
    // Looked up on use: the shader registry may have been emptied since.
    YShader* shader = getShader("comets");
    for (YComet& c : mComets) {
        c.accumulator += dt;
        c.orbit.update(dt);
        const int n = static_cast<int>(c.accumulator * c.rate);
        if (n > 0) {
            c.accumulator -= static_cast<float>(n) / c.rate;
            const float end[4] = {c.color.x, c.color.y, c.color.z, 0.75f};
            for (int k = 0; k < n; ++k) {
                YVec3 direction = sys::randCentred3<YVec3>();
                direction.normalize();
                const YVec3 velocity = direction * 2.0f;
                gParticles().emit(0.8f, 0.5f, 0.2f, &c.orbit.position.x, &velocity.x, -1.0f, nullptr, shader,
                                  &c.color.x, end);
            }
        }
        if (gTable)
            gTable->addLightSpot(c.orbit.position, &c.color.x, 6.5f);
    }
}
