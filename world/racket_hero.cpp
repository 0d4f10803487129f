// The hero figure of the racket: the animations and channels defined on the
// shared skinned mesh, its looks, and the animation calls the racket makes.
#include "world/racket.h"

#include "core/log.h"
#include "render/shader.h"
#include "render/skel_instance.h"
#include "render/skel_mesh.h"
#include "world/hero_clips.h"

#include <algorithm>
#include <cmath>

namespace {

struct ChannelDef {
    int clip;
    int sync;
    float weight;
    float fadeIn, fadeOut;
    bool loop;
    bool resetOnStop;
};

// Indexed by YHeroChannel. The step and run channels follow the walk's
// clock so the feet stay in step when the blend changes; the second clip of
// an aiming pair follows the first.
constexpr ChannelDef CHANNELS[HERO_CHANNEL_COUNT] = {
    {hero::CLIP_STAND, -1, 1.0f, 0.01f, 0.01f, true, false},
    {hero::CLIP_WALK, -1, 1.0f, 0.01f, 0.1f, true, false},
    {hero::CLIP_STEP_LEFT, HERO_WALK, 1.0f, 0.01f, 0.1f, true, false},
    {hero::CLIP_STEP_RIGHT, HERO_WALK, 1.0f, 0.01f, 0.1f, true, false},
    {hero::CLIP_RUN, HERO_WALK, 1.0f, 0.01f, 0.1f, true, false},
    {hero::CLIP_HOLD, -1, 30.0f, 0.2f, 0.1f, true, false},
    {hero::CLIP_CATCH, -1, 10.0f, 0.2f, 0.2f, false, true},
    {hero::CLIP_HIT_LEFT, -1, 7.0f, 0.01f, 0.01f, false, true},
    {hero::CLIP_HIT_LEFT_ASIDE, HERO_AIM_LEFT, 7.0f, 0.01f, 0.01f, false, true},
    {hero::CLIP_HIT_RIGHT, -1, 7.0f, 0.01f, 0.01f, false, true},
    {hero::CLIP_HIT_RIGHT_ASIDE, HERO_AIM_RIGHT, 7.0f, 0.01f, 0.01f, false, true},
    {hero::CLIP_CATCH, -1, 10.0f, 0.2f, 0.2f, false, true},
    {hero::CLIP_DEATH, -1, 50.0f, 0.25f, 0.5f, false, true},
    {hero::CLIP_BOOMERANG_THROW, -1, 7.0f, 0.01f, 0.01f, false, true},
    {hero::CLIP_BOOMERANG_CATCH, -1, 7.0f, 0.01f, 0.01f, false, true},
    {hero::CLIP_BOMB, -1, 15.0f, 0.01f, 0.01f, false, true},
    {hero::CLIP_GRENADE, -1, 15.0f, 0.01f, 0.01f, false, true},
    {hero::CLIP_PIPE, -1, 50.0f, 0.01f, 0.01f, true, false},
    {hero::CLIP_MENU_RUN, -1, 50.0f, 0.01f, 0.01f, true, false},
};

// From this channel on, each channel gets a per-bone weight list, so the
// upper-body clips leave the pelvis and legs to the locomotion channels.
constexpr int FIRST_WEIGHTED_CHANNEL = HERO_HOLD;

// The set-up is made once per loaded mesh: the animations and channels live
// on the shared mesh, and the menu run's forward distances are taken out of
// its keys (so a second set-up would find them gone).
struct HeroSetUp {
    YSkelMesh* mesh = nullptr;
    bool animated = false;
    std::vector<float> menuRun;
};
HeroSetUp gHeroSetUp;

const char* const NORMAL_SHADERS[] = {"hero", "hero1", "hero2", "hero3"};
const char* const FROST_SHADERS[] = {"hero_frost", "hero1", "hero2", "hero3_frost"};

void defineHero(YSkelMesh* mesh)
{
    mesh->animations.clear();
    mesh->channels.clear();
    // The clips index the key list; a mesh without those keys (missing or
    // broken file) gets empty animations: the channels exist, nothing plays.
    const bool animated = mesh->keys.size() >= static_cast<size_t>(hero::KEY_COUNT);
    if (!animated)
        YLog::writef("Hero mesh %s has %zu keys, its clips need %d: the hero stands still",
                     mesh->name.c_str(), mesh->keys.size(), hero::KEY_COUNT);
    for (const hero::Clip& clip : hero::CLIPS)
        mesh->addAnimation(animated ? makeIntRange(clip.firstKey, clip.keyCount) : std::vector<int>());

    for (int c = 0; c < HERO_CHANNEL_COUNT; ++c) {
        const ChannelDef& d = CHANNELS[c];
        mesh->setChannel(c, d.sync, d.clip, d.weight, d.fadeIn, d.fadeOut, d.loop, d.resetOnStop);
    }
    if (mesh->bones.size() == static_cast<size_t>(hero::BONE_COUNT)) {
        for (int c = FIRST_WEIGHTED_CHANNEL; c < HERO_CHANNEL_COUNT; ++c) {
            std::vector<float> weights(hero::BONE_COUNT);
            for (int b = 0; b < hero::BONE_COUNT; ++b)
                weights[static_cast<size_t>(b)] = hero::boneWeight(CHANNELS[c].clip, b);
            mesh->setChannelBoneWeights(c, weights);
        }
    }

    // The menu run runs on the spot: the racket carries the hero round by
    // the distance its keys record.
    std::vector<float> menuRun;
    if (animated) {
        const hero::Clip& run = hero::CLIPS[hero::CLIP_MENU_RUN];
        for (int k = run.firstKey; k < run.firstKey + run.keyCount; ++k) {
            YVec3& root = mesh->keys[static_cast<size_t>(k)].root;
            menuRun.push_back(root[hero::MENU_RUN_FORWARD_AXIS]);
            root[hero::MENU_RUN_FORWARD_AXIS] = 0.0f;
        }
    }
    gHeroSetUp.mesh = mesh;
    gHeroSetUp.animated = animated;
    gHeroSetUp.menuRun = menuRun;
}

} // namespace

void YRacket::setUpHero()
{
    YSkelMesh* mesh = getSkelMesh(HERO_MESH);
    const bool defined = gHeroSetUp.mesh == mesh &&
                         mesh->animations.size() == static_cast<size_t>(hero::CLIP_COUNT) &&
                         mesh->channels.size() == static_cast<size_t>(HERO_CHANNEL_COUNT);
    if (!defined)
        defineHero(mesh);
    mAnimated = gHeroSetUp.animated;
    mMenuRunDistances = gHeroSetUp.menuRun;

    for (const char* name : NORMAL_SHADERS)
        mNormalShaders.push_back(getShader(name));
    for (const char* name : FROST_SHADERS)
        mFrostShaders.push_back(getShader(name));

    hero = std::make_unique<YSkelMeshInstance>(mesh);
    hero->setPoseFromClip(hero::CLIPS[hero::CLIP_STAND].firstKey, true);
    setHeroShaders(false);
    play(HERO_STAND);
}

void YRacket::setHeroShaders(bool frost)
{
    if (hero)
        hero->shaders = frost ? mFrostShaders : mNormalShaders;
}

void YRacket::play(int channel, float weight)
{
    if (mAnimated && hero)
        hero->playChannel(channel, -1.0f, weight);
}

void YRacket::stop(int channel, float fadeOut)
{
    if (mAnimated && hero)
        hero->stopChannel(channel, fadeOut);
}

bool YRacket::isPlaying(int channel) const { return hero && hero->isPlaying(channel); }

void YRacket::aim(const YVec3& direction)
{
    // The direction in the hero's frame: its sideways part picks the side
    // and blends the arm from straight ahead to far aside.
    const float r = degToRad(yaw);
    const float side = direction.x * std::cos(r) + direction.y * std::sin(r);
    const float d = std::min(std::max(2.0f * side, -1.0f), 1.0f);
    const float w = std::fabs(d) * 7.0f;
    if (d >= 0.0f) {
        play(HERO_AIM_RIGHT, 7.0f - w);
        play(HERO_AIM_RIGHT_ASIDE, w);
        stop(HERO_AIM_LEFT);
        stop(HERO_AIM_LEFT_ASIDE);
    } else {
        play(HERO_AIM_LEFT, 7.0f - w);
        play(HERO_AIM_LEFT_ASIDE, w);
        stop(HERO_AIM_RIGHT);
        stop(HERO_AIM_RIGHT_ASIDE);
    }
}

void YRacket::animateMovement(float r)
{
    play(HERO_STAND, std::max(1.0f - 8.0f * r, 0.0f));
    play(HERO_WALK, r < 0.5f ? std::max((r - 0.125f) * 2.6666667f, 0.0f) : 1.0f - 2.0f * (r - 0.5f));
    play(HERO_RUN, 2.0f * std::max(2.0f * (r - 0.5f), 0.0f));
    const float side = r < 0.25f ? 4.0f * r : std::max(1.0f - 4.0f * (r - 0.25f), 0.0f);
    const bool towardsPlusX = velocity > 0.0f;
    play(towardsPlusX ? HERO_STEP_RIGHT : HERO_STEP_LEFT, side);
    stop(towardsPlusX ? HERO_STEP_LEFT : HERO_STEP_RIGHT);
}

float YRacket::menuRunDistance()
{
    const size_t keys = mMenuRunDistances.size();
    if (!hero || keys == 0 || hero->channels.size() <= static_cast<size_t>(HERO_MENU_RUN))
        return 0.0f;
    const YAnimChannelState& ch = hero->channels[static_cast<size_t>(HERO_MENU_RUN)];
    const int key = std::min(std::max(ch.sequence, 0), static_cast<int>(keys) - 1);
    // The clip started over: its whole distance has been run.
    if (key < mMenuKey)
        mMenuPhase += mMenuRunDistances.back();
    mMenuKey = key;
    const float t = ch.keyDuration > 0.0f ? std::min(std::max(ch.clock / ch.keyDuration, 0.0f), 1.0f) : 0.0f;
    const float to = mMenuRunDistances[static_cast<size_t>(key)];
    const float from = key > 0 ? mMenuRunDistances[static_cast<size_t>(key - 1)] : 0.0f;
    return from + (to - from) * t;
}

void YRacket::onBoomerangLaunch() { play(HERO_BOOMERANG_THROW); }

void YRacket::onBoomerangUpdate() { play(HERO_BOOMERANG_READY); }

void YRacket::onBombLaunch()
{
    play(HERO_BOMB);
    stop(HERO_HOLD, 0.01f);
}

void YRacket::onGrenadeLaunch() { play(HERO_GRENADE); }
