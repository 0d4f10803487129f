// The bonus id registry, the kind records, and the builders that show a
// bonus inside its block and put it into the world when the block goes.
#include "world/bonus_registry.h"

#include "core/locale.h"
#include "render/shader.h"
#include "world/ball.h"
#include "world/ball_mode.h"
#include "world/bonus.h"
#include "world/bonus_types.h"

std::vector<YBonusKindInfo> gBonusKinds;
std::vector<std::unique_ptr<YBonusBuilderBuilder>> gBonusBuilders;

namespace {

YVec3 fourBallOffset(int i)
{
    const YVec3 top(0.0f, 0.0f, 0.35f);
    if (i == 0)
        return top;
    YMatrix3 down;
    const YVec3 front = down.makeRotationX(-120.0f).transform(top);
    if (i == 1)
        return front;
    YMatrix3 turn;
    return turn.makeRotationZ(i == 2 ? 120.0f : -120.0f).transform(front);
}

YMatrix offsetBy(const YMatrix& transform, const YVec3& offset)
{
    // The offset lies in the block's own frame: moved first, then placed.
    YMatrix move;
    return transform * move.makeTranslation(offset);
}

template <class T>
YBonusType* makeType()
{
    return new T();
}

YBonusBuilder* makeFourBallSmall()
{
    return new YBonusFourBallSmall();
}

} // namespace

const YVec3 gFourBallOffsets[4] = {fourBallOffset(0), fourBallOffset(1), fourBallOffset(2), fourBallOffset(3)};

// ------------------------------------------------------------ YBonusBuilderGive

YBonusBuilderGive::YBonusBuilderGive(YBonusTypeFactory factory) : mFactory(factory) {}

YBonusBuilderGive::~YBonusBuilderGive() = default;

void YBonusBuilderGive::show(const YMatrix& transform)
{
    if (!mType && mFactory)
        mType.reset(mFactory());
    if (!mType)
        return;
    mType->shadowMode = YSHADOW_NONE;
    mType->ballHidden = false;
    mType->setMatrix(transform.m);
}

void YBonusBuilderGive::showWithin(const YMatrix& transform, float hiding)
{
    show(transform);
    if (mType)
        mType->ballHidden = YBonusType::BALL_RADIUS <= hiding;
}

void YBonusBuilderGive::release(const YMatrix& transform, const YVec3& velocity)
{
    if (!mType && mFactory)
        mType.reset(mFactory());
    if (!mType)
        return;
    mType->shadowMode = YSHADOW_VOLUME;
    mType->ballHidden = false;
    new YBonus(mType.release(), transform, velocity); // owned by the falling bonuses' list
}

// ------------------------------------------------------------ YBonusBuilderBall

YBonusBuilderBall::YBonusBuilderBall(int modeId) : mModeId(modeId) {}

YBonusBuilderBall::~YBonusBuilderBall() = default;

void YBonusBuilderBall::show(const YMatrix& transform)
{
    if (!mMode)
        mMode.reset(createBallMode(mModeId));
    mMode->shadowMode = YSHADOW_NONE;
    mMode->setMatrix(transform.m);
}

void YBonusBuilderBall::release(const YMatrix& transform, const YVec3& /*velocity*/)
{
    if (!mMode)
        mMode.reset(createBallMode(mModeId));
    mMode->shadowMode = YSHADOW_VOLUME;
    // The ball keeps the velocity every new body starts with.
    auto* ball = new YBall(mMode.release()); // owned by the racket-tacked list
    ball->setBodyTransform(transform);
}

// ------------------------------------------------------------ YBonusFourBallSmall

YBonusFourBallSmall::~YBonusFourBallSmall() = default;

void YBonusFourBallSmall::show(const YMatrix& transform)
{
    if (!mModes[0])
        for (auto& mode : mModes)
            mode.reset(createBallMode(YBallSmallId));
    for (size_t i = 0; i < mModes.size(); ++i)
        mModes[i]->setMatrix(offsetBy(transform, gFourBallOffsets[i]).m);
}

void YBonusFourBallSmall::release(const YMatrix& transform, const YVec3& /*velocity*/)
{
    for (size_t i = 0; i < mModes.size(); ++i) {
        YBall* ball = mModes[i] ? new YBall(mModes[i].release()) : new YBall(YBallSmallId);
        ball->setBodyTransform(offsetBy(transform, gFourBallOffsets[i]));
    }
}

// ------------------------------------------------------------ registry

const YBonusKindInfo* bonusKindInfo(int kind)
{
    if (kind < 0 || kind >= static_cast<int>(gBonusKinds.size()))
        return nullptr;
    return &gBonusKinds[static_cast<size_t>(kind)];
}

void registerBonusIds()
{
    gBonusBuilders.clear();
    auto give = [](YBonusTypeFactory f) { gBonusBuilders.push_back(std::make_unique<YBonusBuilderBuilderGive>(f)); };
    auto ball = [](int mode) { gBonusBuilders.push_back(std::make_unique<YBonusBuilderBuilderBall>(mode)); };
    // In id order: the order level files and the editor store.
    give(makeType<YBonusNext>);
    give(makeType<YBonusBallNormal>);
    give(makeType<YBonusBallHeavy>);
    give(makeType<YBonusBallPhantom>);
    give(makeType<YBonusBallFire>);
    give(makeType<YBonusBallElectro>);
    give(makeType<YBonusBallGenerative>);
    ball(YBallSmallId);
    gBonusBuilders.push_back(std::make_unique<YBonusBuilderBuilderFunc>(makeFourBallSmall));
    ball(YBallNormalId);
    ball(YBallHeavyId);
    ball(YBallPhantomId);
    ball(YBallFireId);
    ball(YBallElectroId);
    ball(YBallGenerativeId);
    give(makeType<YBonusGloves>);
    give(makeType<YBonusBoomer>);
    give(makeType<YBonusBomb>);
    give(makeType<YBonusGrenade>);
    give(makeType<YBonusMinSpeedup>);
    give(makeType<YBonusMaxSpeedup>);
    give(makeType<YBonusLife>);
    give(makeType<YBonusDeath>);
    give(makeType<YBonusFrost>);

    const YVec4 pale(1.0f, 1.0f, 0.9f, 1.0f);
    const YVec4 green(0.5f, 1.0f, 0.5f, 1.0f);
    const YVec4 orange(1.0f, 0.9f, 0.5f, 1.0f);
    gBonusKinds = {
        {"bonus_ballnormal", "", pale, 1000}, {"bonus_ballheavy", "", pale, 200},
        {"bonus_ballphantom", "", pale, 300}, {"bonus_ballfire", "", pale, 250},
        {"bonus_ballelectro", "", pale, 500}, {"bonus_ballgenerative", "", pale, 400},
        {"bonus_hand", "", pale, 100},        {"bonus_boomer", "", pale, 100},
        {"bonus_bomb", "", pale, 250},        {"bonus_grenade", "", pale, 150},
        {"bonus_minspeed", "", pale, 50},     {"bonus_maxspeed", "", pale, 500},
        {"bonus_death", "", orange, 5000},    {"bonus_life", "", green, 1000},
        {"bonus_frost", "", orange, 2500},    {"bonus_next", "", green, 50},
    };
}

int getBonusIdCount()
{
    return static_cast<int>(gBonusBuilders.size());
}

YBonusBuilder* createBonusBuilder(int id)
{
    // Level files and the editor keep -1 for "no bonus"; anything else
    // outside the registry is no bonus either.
    if (id < 0 || id >= getBonusIdCount())
        return nullptr;
    return gBonusBuilders[static_cast<size_t>(id)]->create();
}

void localizeBonusKinds()
{
    YLocale& locale = gLocale();
    for (YBonusKindInfo& kind : gBonusKinds)
        kind.displayText = locale.getString(kind.name);
}

YShader* getBonusKindShader(int kind)
{
    const YBonusKindInfo* info = bonusKindInfo(kind);
    return info ? getShader(info->name) : nullptr;
}
