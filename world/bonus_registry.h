#pragma once
#include "core/math.h"
#include "world/block_bonus.h"

#include <array>
#include <memory>
#include <string>
#include <vector>

class YBallMode;
class YBonusType;
class YShader;

// The sixteen kinds of falling bonus: what the racket gets when it catches
// one. The order is that of the kind records (gBonusKinds).
enum YBonusKind : int {
    BONUS_BALL_NORMAL = 0,
    BONUS_BALL_HEAVY = 1,
    BONUS_BALL_PHANTOM = 2,
    BONUS_BALL_FIRE = 3,
    BONUS_BALL_ELECTRO = 4,
    BONUS_BALL_GENERATIVE = 5,
    BONUS_HAND = 6, // the gloves
    BONUS_BOOMER = 7,
    BONUS_BOMB = 8,
    BONUS_GRENADE = 9,
    BONUS_MIN_SPEED = 10,
    BONUS_MAX_SPEED = 11,
    BONUS_DEATH = 12,
    BONUS_LIFE = 13,
    BONUS_FROST = 14,
    BONUS_NEXT = 15,
    BONUS_KIND_COUNT = 16
};

// What the game shows of a kind: its name (which also names its icon
// shader and its locale string), the localised text of the catch popup,
// the popup's colour and the score a catch earns.
struct YBonusKindInfo {
    std::string name;
    std::string displayText; // empty until localizeBonusKinds
    YVec4 color;
    int score = 0;
};

// The kind records in YBonusKind order; empty until registerBonusIds.
extern std::vector<YBonusKindInfo> gBonusKinds;

// The record of a kind, or null for a kind outside the records.
const YBonusKindInfo* bonusKindInfo(int kind);

// Bonus ids as level files and the editor store them. Only ids below
// getBonusIdCount() name a bonus; -1 (and anything else) means none.
constexpr int BONUS_ID_COUNT = 24;

// ------------------------------------------------------------- builders

// Makes a new falling bonus type (owned by the caller).
using YBonusTypeFactory = YBonusType* (*)();

// The bonus goes into the world as a falling YBonus of a type made by the
// factory. The type is made on the first show or release and handed to the
// falling bonus on release.
class YBonusBuilderGive : public YBonusBuilder {
public:
    explicit YBonusBuilderGive(YBonusTypeFactory factory);
    ~YBonusBuilderGive() override;

    // Shows the type inside the block, casting no shadow there.
    void show(const YMatrix& transform) override;
    // The same; the type's ball is not drawn when the block hides it.
    void showWithin(const YMatrix& transform, float hiding) override;
    // A falling bonus at the transform with the velocity takes the type.
    void release(const YMatrix& transform, const YVec3& velocity) override;

    // The type shown, or null (before the first show and after release).
    YBonusType* type() const { return mType.get(); }

private:
    YBonusTypeFactory mFactory;
    std::unique_ptr<YBonusType> mType;
};

// The bonus is a free ball of one mode. The block shows the ball's mode;
// on release a ball takes that mode object over. The ball gets no velocity.
class YBonusBuilderBall : public YBonusBuilder {
public:
    explicit YBonusBuilderBall(int modeId);
    ~YBonusBuilderBall() override;

    void show(const YMatrix& transform) override;
    void release(const YMatrix& transform, const YVec3& velocity) override;

    int modeId() const { return mModeId; }
    YBallMode* mode() const { return mMode.get(); }

private:
    int mModeId;
    std::unique_ptr<YBallMode> mMode;
};

// Four small balls at the corners of a tetrahedron inside the block
// (gFourBallOffsets, in the block's own frame).
class YBonusFourBallSmall : public YBonusBuilder {
public:
    YBonusFourBallSmall() = default;
    ~YBonusFourBallSmall() override;

    // Places the four modes; their shadows are left as they are.
    void show(const YMatrix& transform) override;
    // Four balls, each at the transform moved by its offset.
    void release(const YMatrix& transform, const YVec3& velocity) override;

    // Mode i, or null (none made yet, or handed to the balls).
    YBallMode* mode(int i) const { return mModes[static_cast<size_t>(i)].get(); }

private:
    std::array<std::unique_ptr<YBallMode>, 4> mModes;
};

// Where the four small balls sit in their block, in its own frame: one
// straight up and three below it, evenly round the vertical, all 0.35 from
// the centre.
extern const YVec3 gFourBallOffsets[4];

// ------------------------------------------------------------- registry

// One entry of the bonus id registry: makes the builder of its id.
class YBonusBuilderBuilder {
public:
    virtual ~YBonusBuilderBuilder() = default;
    // A new builder owned by the caller.
    virtual YBonusBuilder* create() const = 0;
};

class YBonusBuilderBuilderGive : public YBonusBuilderBuilder {
public:
    explicit YBonusBuilderBuilderGive(YBonusTypeFactory factory) : factory(factory) {}
    YBonusBuilder* create() const override { return new YBonusBuilderGive(factory); }
    YBonusTypeFactory factory;
};

class YBonusBuilderBuilderBall : public YBonusBuilderBuilder {
public:
    explicit YBonusBuilderBuilderBall(int modeId) : modeId(modeId) {}
    YBonusBuilder* create() const override { return new YBonusBuilderBall(modeId); }
    int modeId;
};

using YBonusBuilderFunc = YBonusBuilder* (*)();

class YBonusBuilderBuilderFunc : public YBonusBuilderBuilder {
public:
    explicit YBonusBuilderBuilderFunc(YBonusBuilderFunc func) : func(func) {}
    YBonusBuilder* create() const override { return func ? func() : nullptr; }
    YBonusBuilderFunc func;
};

// The registry: the index is the bonus id. Filled by registerBonusIds and
// kept for the whole run.
extern std::vector<std::unique_ptr<YBonusBuilderBuilder>> gBonusBuilders;

// Fills the registry with the 24 bonus ids and gBonusKinds with the 16 kind
// records (display texts empty). Calling it again starts both over, so
// nothing is listed twice.
void registerBonusIds();
// Number of registry entries (24 once registered, 0 before).
int getBonusIdCount();
// A new builder for the id (owned by the caller); null for an id outside
// the registry, which is how "no bonus" (-1) reaches the blocks. Fits
// setBonusBuilderMaker.
YBonusBuilder* createBonusBuilder(int id);
// Every kind's display text from the interface's locale (an empty text for
// a name it lacks). Called whenever the locale is (re)loaded.
void localizeBonusKinds();
// The icon shader of a kind (the shader named like the kind), or null for a
// kind outside the records.
YShader* getBonusKindShader(int kind);
