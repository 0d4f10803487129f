#include "world/ball_mode.h"

#include "render/shader.h"
#include "sound/named_sound.h"
#include "world/ball.h"
#include "world/ball_mode_electro.h"
#include "world/ball_mode_plain.h"
#include "world/ball_mode_super.h"
#include "world/world_events.h"

#include <algorithm>
#include <vector>

// ------------------------------------------------- shared mesh instances

namespace {

class YBallMeshInstance;

struct SharedInstance {
    std::string mesh;
    float scale;
    YBallMeshInstance* instance;
};

std::vector<SharedInstance>& sharedInstances()
{
    static std::vector<SharedInstance> list;
    return list;
}

// A shared instance that takes itself out of the registry when it goes,
// whoever deletes it.
class YBallMeshInstance : public YMeshInstanceBase {
public:
    YBallMeshInstance(YMesh* mesh, float scale) : YMeshInstanceBase(mesh, scale) {}
    ~YBallMeshInstance() override
    {
        auto& list = sharedInstances();
        list.erase(std::remove_if(list.begin(), list.end(),
                                  [this](const SharedInstance& s) { return s.instance == this; }),
                   list.end());
    }
};

} // namespace

YMeshInstanceBase* ballMeshInstance(const std::string& meshName, float scale)
{
    for (const SharedInstance& s : sharedInstances())
        if (s.mesh == meshName && s.scale == scale)
            return s.instance;
    auto* instance = new YBallMeshInstance(getMesh(meshName), scale);
    sharedInstances().push_back(SharedInstance{meshName, scale, instance});
    return instance;
}

size_t ballMeshInstanceCount()
{
    return sharedInstances().size();
}

void releaseBallMeshInstances()
{
    auto& list = sharedInstances();
    while (!list.empty())
        delete list.back().instance; // the destructor takes it off the list
}

// ------------------------------------------------------------ YBallMode

YBallModeId validBallMode(int id)
{
    return id >= 0 && id < YBALL_MODE_COUNT ? static_cast<YBallModeId>(id) : YBallNormalId;
}

YBallMode::YBallMode(YBallModeId id, float radius) : mRadius(radius), mId(id)
{
    setKickSound("kick");
}

YBallMode::~YBallMode() = default;

void YBallMode::updateEffects(YBall&, float) {}

void YBallMode::bumpOther(const YVec3& position, float strength)
{
    playWorldSound(mKickSound, position, strength);
}

bool YBallMode::isHeld() const
{
    return mBall && mBall->isHeld();
}

YVec3 YBallMode::ballPosition() const
{
    return mBall ? mBall->position() : position();
}

void YBallMode::setLook(const char* mesh, float scale, std::initializer_list<const char*> shaderNames)
{
    instance = ballMeshInstance(mesh, scale);
    shaders.clear();
    for (const char* name : shaderNames)
        shaders.push_back(getShader(name));
}

void YBallMode::setKickSound(const char* name)
{
    mKickSound = getNamedSound(name);
}

// ------------------------------------------------------------ the modes

namespace {

using YBallModeCreator = YBallMode* (*)();

template <class T>
YBallMode* make()
{
    return new T();
}

} // namespace

YBallMode* createBallMode(int id)
{
    // In the order of the ids.
    static const YBallModeCreator CREATORS[YBALL_MODE_COUNT] = {
        make<YBallNormal>, make<YBallHeavy>,      make<YBallPhantom>, make<YBallFire>,
        make<YBallElectro>, make<YBallGenerative>, make<YBallSmall>,
    };
    return CREATORS[validBallMode(id)]();
}
