#include "world/pipe.h"

#include "platform/sys/random.h"
#include "render/mesh.h"
#include "render/particles.h"
#include "render/resource.h"
#include "render/shader.h"

#include <algorithm>
#include <cmath>

namespace {

YMeshInstanceBase* gPipeInstance = nullptr;

// The shared instance, made on first use. One that was deleted behind our
// back (every render resource freed at once) is made again.
YMeshInstanceBase* pipeInstance()
{
    if (gPipeInstance) {
        const auto& live = gRenderResources();
        if (std::find(live.begin(), live.end(), gPipeInstance) == live.end())
            gPipeInstance = nullptr;
    }
    if (!gPipeInstance)
        gPipeInstance = new YMeshInstanceBase(getMesh(YPipe::MESH), 1.0f);
    return gPipeInstance;
}

const float SMOKE_START[4] = {0.5f, 0.5f, 0.5f, 0.0f};
const float SMOKE_END[4] = {0.5f, 0.5f, 0.5f, 0.75f};
constexpr float SMOKE_LIFE = 3.0f;
constexpr float SMOKE_SIZE_START = 0.01f;
constexpr float SMOKE_SIZE_END = 0.5f;
constexpr float SMOKE_SPREAD = 0.05f;
constexpr float SMOKE_RISE = 0.5f;

} // namespace

YPipe::YPipe() : YMeshInstanceRef(pipeInstance()), mSmokeShader(getShader("pipe_smoke"))
{
    shaders.push_back(getShader("pipe"));
    holdLock = HOLD_LOCK;
    bone = BONE;
}

YPipe::~YPipe() = default;

void YPipe::releaseSharedInstance()
{
    for (YRacketTacked* object : gRacketTacked())
        if (auto* pipe = dynamic_cast<YPipe*>(object))
            pipe->instance = nullptr;
    delete gPipeInstance;
    gPipeInstance = nullptr;
}

void YPipe::update(float dt)
{
    if (!(dt > 0.0f) || !std::isfinite(dt))
        return;
    smokeTime += dt;
    int puffs = static_cast<int>(std::floor(smokeTime * 3.0f));
    smokeTime -= static_cast<float>(puffs) * PUFF_TIME;
    if (puffs > MAX_PUFFS) {
        puffs = MAX_PUFFS;
        smokeTime = 0.0f;
    }
    const YVec3 at = matrix.translation();
    for (int i = 0; i < puffs; ++i) {
        YVec3 d = sys::randCentred3<YVec3>();
        d.normalize();
        const YVec3 v = d * SMOKE_SPREAD + YVec3(0.0f, 0.0f, SMOKE_RISE);
        gParticles().emit(SMOKE_LIFE, SMOKE_SIZE_START, SMOKE_SIZE_END, &at.x, &v.x, -1.0f, nullptr, mSmokeShader,
                          SMOKE_START, SMOKE_END);
    }
}
