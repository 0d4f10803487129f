#include "tests/common/world_harness.h"

#include "platform/sys/paths.h"
#include "platform/sys/random.h"
#include "render/camera.h"
#include "render/draw_queue.h"
#include "render/environment.h"
#include "render/font.h"
#include "render/mesh.h"
#include "render/mesh_draw.h"
#include "render/particles.h"
#include "render/render.h"
#include "render/resource.h"
#include "render/shader.h"
#include "render/shadow_volume.h"
#include "sound/named_sound.h"
#include "sound/sound_device.h"
#include "sound/sound_loader.h"
#include "tests/common/test_util.h"
#include "world/ball.h"
#include "world/ball_mode.h"
#include "world/block.h"
#include "world/block_faces.h"
#include "world/block_material.h"
#include "world/block_set.h"
#include "world/block_single.h"
#include "world/block_update.h"
#include "world/bonus.h"
#include "world/bonus_config.h"
#include "world/bonus_registry.h"
#include "world/level_start.h"
#include "world/physics_world.h"
#include "world/pipe.h"
#include "world/playfield.h"
#include "world/racket.h"
#include "world/racket_tacked.h"
#include "world/score_popups.h"
#include "world/splinter.h"
#include "world/table_effects.h"
#include "world/table_material.h"
#include "world/world_effects.h"
#include "world/world_events.h"
#include "world/world_session.h"
#include "world/zdelete.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <stdexcept>

namespace harness {

namespace {

using Clock = std::chrono::steady_clock;

double seconds(Clock::time_point from, Clock::time_point to)
{
    return std::chrono::duration<double>(to - from).count();
}

// Play's camera: the orbit view as it starts, looking 45 degrees wide.
constexpr float PLAY_FOV = 45.0f;
const YOrbitView& playView()
{
    static const YOrbitView view(55.0f, -50.0f, -65.0f, -25.0f);
    return view;
}

// The harness that hears the table's sounds, if any.
WorldHarness* gHearing = nullptr;

void tableSound(const char* name, const YVec3& position)
{
    getNamedSound(name)->play(position, -1.0f, YVec3());
    if (gHearing)
        gHearing->record(HarnessEvent::SOUND, name, -1.0f, position);
}

const char* kindName(HarnessEvent::Kind kind)
{
    switch (kind) {
    case HarnessEvent::SOUND:
        return "sound";
    case HarnessEvent::SCORE:
        return "score";
    case HarnessEvent::LIVES:
        return "lives";
    case HarnessEvent::GAME_OVER:
        return "game_over";
    case HarnessEvent::LEVEL_END:
        return "level_end";
    case HarnessEvent::CENTRE_POINTER:
        return "centre_pointer";
    }
    return "?";
}

int64_t rounded(float v)
{
    // Not a number hashes as one value of its own.
    return std::isfinite(v) ? static_cast<int64_t>(std::llround(static_cast<double>(v) * 100.0)) : INT64_MIN;
}

} // namespace

bool finite(const YVec3& v)
{
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

std::vector<YBall*> balls()
{
    std::vector<YBall*> out;
    for (YRacketTacked* t : gRacketTacked())
        if (auto* b = dynamic_cast<YBall*>(t))
            out.push_back(b);
    return out;
}

bool isAlive(const YBall* ball)
{
    const auto& list = gRacketTacked();
    return std::find(list.begin(), list.end(), static_cast<const YRacketTacked*>(ball)) != list.end();
}

YBall* lowestBall()
{
    YBall* best = nullptr;
    bool bestComing = false;
    float bestY = 0.0f;
    for (YBall* b : balls()) {
        if (b->isHeld() || b->isScheduled() || !b->countsAsBall())
            continue;
        const float y = b->position().y;
        const bool coming = b->velocity().y < 0.0f;
        if (!best || (coming && !bestComing) || (coming == bestComing && y < bestY)) {
            best = b;
            bestComing = coming;
            bestY = y;
        }
    }
    return best;
}

std::string firstNonFinite()
{
    for (const YBall* b : balls()) {
        if (!finite(b->position()) || !finite(b->velocity()))
            return "a ball's body";
        if (!finite(b->mode()->position()))
            return "a drawn ball";
    }
    for (const YBlock* b : gBlocks)
        if (!finite(b->getTransform().translation()))
            return "a block";
    if (gRacket && !(std::isfinite(gRacket->x) && std::isfinite(gRacket->velocity)))
        return "the racket";
    if (gPhysics && !std::isfinite(gPhysics->speedFactor))
        return "the speed factor";
    for (const YParticle& p : gParticles().particles())
        if (!finite(p.position))
            return "a particle";
    return std::string();
}

// ------------------------------------------------------------------- Bot

void Bot::act(float dt, int frame)
{
    YRacket* racket = gRacket;
    if (!racket)
        return;
    if (launchWhenHolding && racket->held && racket->state == YRACKET_PLAY) {
        mHeldFor += dt;
        if (mHeldFor >= launchDelay) {
            racket->launch(1); // as Space does: a grenade keeps its other throws
            if (!racket->held)
                ++mLaunches;
            mHeldFor = 0.0f;
        }
    } else {
        mHeldFor = 0.0f;
    }

    if (!steer)
        return;
    const YBall* ball = nullptr;
    if (watched)
        ball = isAlive(watched) && !watched->isHeld() ? watched : nullptr;
    else
        ball = lowestBall();
    const float reach = (gPlayfield.width - racket->width) * 0.5f;
    if (reach <= 0.0f)
        return;
    // A bonus that reaches the racket's line before the ball is fetched
    // first, where it will cross the line.
    float bonusX = 0.0f;
    if (chaseBonuses && bonusFirst(*racket, ball, bonusX)) {
        racket->moveTo(bonusX / reach);
        return;
    }
    if (!ball)
        return;
    // About 5 s from one side of the ball to the other at 100 frames a second.
    const float offset = aimSpread * 0.5f * racket->width * std::sin(static_cast<float>(frame) * 0.006f);
    racket->moveTo((ball->position().x + offset) / reach);
}

bool Bot::bonusFirst(const YRacket& racket, const YBall* ball, float& x) const
{
    // Seconds until a body reaches the racket's line; very long when it
    // goes the other way.
    auto arrival = [&](const YVec3& p, const YVec3& v) {
        return v.y < -0.1f ? (p.y - racket.y) / -v.y : 1e6f;
    };
    float best = ball ? arrival(ball->position(), ball->velocity()) : 1e6f;
    bool found = false;
    for (YFallingBonus* f : gLiveBonuses()) {
        const auto* bonus = dynamic_cast<const YBonus*>(f);
        if (!bonus || bonus->isCaught() || bonus->isScheduled())
            continue;
        const YVec3 p = bonus->body().getPosition();
        const YVec3 v = bonus->body().getLinearVelocity();
        const float t = arrival(p, v);
        if (t < best) {
            best = t;
            x = std::min(std::max(p.x + v.x * t, -gPlayfield.halfWidth), gPlayfield.halfWidth);
            found = true;
        }
    }
    return found;
}

// ------------------------------------------------------------- PlayFrame

PlayFrame::PlayFrame() : mCameraBefore(std::make_unique<YCamera>(gCamera())) {}

PlayFrame::~PlayFrame()
{
    gCamera() = *mCameraBefore;
    setListenerPosition(YVec3());
    setListenerVelocity(YVec3());
    setListenerOrientation(YVec3(0, 0, 1), YVec3(0, 1, 0));
}

void PlayFrame::placeCamera()
{
    // The game's viewing distance: a little nearer than where the circle
    // around the table would just fill the view.
    const float hw = gTable ? gTable->halfWidth() : 10.0f;
    const float hd = gTable ? gTable->halfDepth() : 10.0f;
    const float r = std::sqrt(hw * hw + hd * hd);
    const float d = r / std::sin(degToRad(PLAY_FOV * 0.5f)) * 0.9f;
    const float distance = std::sqrt(std::max(d * d - r * r, 0.0f));
    YMatrix back;
    back.makeTranslation(YVec3(0, 0, -distance));
    gCamera().setTransform(back * playView().matrix());
    gCamera().setFov(PLAY_FOV);
}

void PlayFrame::placeListener()
{
    const float d = gTable ? gTable->halfDepth() : 10.0f;
    const YMatrix m = gCamera().view().rotationPart();
    setListenerPosition(m.transformVector(YVec3(0, 0, -d)));
    setListenerOrientation(m.transformVector(YVec3(0, 1, 0)), m.transformVector(YVec3(0, 0, 1)));
}

void PlayFrame::run(float dt)
{
    ++mCount;
    const Clock::time_point start = Clock::now();
    bot.act(dt, mCount);
    updateSound();
    updateShaders(dt);

    const Clock::time_point physicsStart = Clock::now();
    if (gPhysics)
        gPhysics->step(dt);
    const Clock::time_point physicsEnd = Clock::now();

    if (gRacket)
        gRacket->update(dt);
    gPopups.updatePopups(dt);
    if (gTable)
        gTable->update(dt);

    // The scene, windowed: the backdrop and the table, then the blocks and
    // everything queued.
    const Clock::time_point drawStart = Clock::now();
    placeCamera();
    placeListener();
    const float pos[2] = {0, 0}, size[2] = {1, 1};
    if (gRender)
        gRender->beginFrame(true);
    drawBackdropWithShadows(pos, size, aspect, YTable::DRAW_ALL);
    gShadows().begin(YShadowVolume::PLAY_FLOOR);
    const Clock::time_point blocksStart = Clock::now();

    updateAllBlocks(dt, playing);
    gParticles().update(dt);
    const Clock::time_point queuesStart = Clock::now();

    drawWorldQueues();
    drawShadows(false);
    if (gRender) {
        gRender->setViewport(pos, size);
        gRender->setOrtho2D(0, 0, 800, 600);
        gRender->setShader(nullptr, false);
        gRender->endFrame();
    }
    const Clock::time_point end = Clock::now();

    mTimes.physics = seconds(physicsStart, physicsEnd);
    mTimes.world = seconds(start, physicsStart) + seconds(physicsEnd, drawStart) + seconds(blocksStart, queuesStart);
    mTimes.draw = seconds(drawStart, blocksStart) + seconds(queuesStart, end);
    mTime += dt;
}

// ---------------------------------------------------------- HarnessEvent

std::string HarnessEvent::text() const
{
    char line[256];
    std::snprintf(line, sizeof line, "%d %s %s %g (%.2f %.2f %.2f)", frame, kindName(kind), name.c_str(),
                  static_cast<double>(value), static_cast<double>(position.x), static_cast<double>(position.y),
                  static_cast<double>(position.z));
    return line;
}

// ---------------------------------------------------------- WorldHarness

// The game's world events (scores go to the racket, numbers rise over the
// table), written down on their way.
class WorldHarness::Events : public YWorldEvents {
public:
    explicit Events(WorldHarness& harness) : mHarness(harness) {}
    void onSound(const YNamedSound& sound, const YVec3& position, float volume, const YVec3&) override
    {
        mHarness.record(HarnessEvent::SOUND, sound.name(), volume, position);
    }
    void addScore(int points, const YVec3& position) override
    {
        YWorldEvents::addScore(points, position);
        mHarness.record(HarnessEvent::SCORE, std::string(), static_cast<float>(points), position);
    }

private:
    WorldHarness& mHarness;
};

WorldHarness::WorldHarness(const Options& options) : mOptions(options)
{
    if (gHearing)
        throw std::logic_error("one world harness at a time");
    if (options.copyContent) {
        std::vector<std::string> folders = {"data", "levels", "mesh", "fonts", "textures", "env"};
        if (options.sounds)
            folders.push_back("sound");
        for (const std::string& folder : folders)
            if (!testutil::copyFromGame(folder))
                throw std::runtime_error("build the game content first: no " + folder);
    }
    sys::srand(options.seed);
    mResourcesBefore = gRenderResources();

    // As the game starts up, less the window, the interface and the music.
    loadFonts("data\\fonts.yml");
    loadShaders("data\\shaders.yml");
    loadShaders("data\\shaders_env.yml");
    loadShaders("data\\shaders_blocks.yml");
    if (options.sounds)
        loadSoundList("data\\sound_fx.yml");
    mWorldEvents = std::make_unique<Events>(*this);
    mWorld = std::make_unique<YWorldSession>(options.listens ? this : nullptr, mWorldEvents.get());
    setListenerDistanceFactors(0.02f);

    mTableSoundBefore = gTableSoundHook;
    gTableSoundHook = tableSound;
    gHearing = this;
    mLives = racket().lives;
}

WorldHarness::~WorldHarness()
{
    gTableSoundHook = mTableSoundBefore;
    gHearing = nullptr;
    mWorld.reset();
    mWorldEvents.reset();
    releaseRunAssets(mResourcesBefore);
    gCellSize = YVec3(1, 1, 1);
    setListenerDistanceFactors(1.0f);
}

std::vector<std::string> WorldHarness::levelNames()
{
    std::vector<std::string> names;
    for (const sys::DirEntry& e : sys::listDirectory(std::string(gLevelDir) + "*"))
        if (!e.directory)
            names.push_back(e.name);
    std::sort(names.begin(), names.end());
    return names;
}

size_t WorldHarness::levelItemCount(const std::string& name)
{
    YLevelFile level;
    return loadLevelFile(std::string(gLevelDir) + name, level) ? level.items.size() : 0;
}

bool WorldHarness::loadLevel(const std::string& name)
{
    const bool ok = loadLevelBlocks(std::string(gLevelDir) + name);
    startLevel();
    return ok;
}

void WorldHarness::buildLevel(const YLevelFile& level)
{
    clearWorld();
    auto* set = new YBlockSet(); // owned by the world's block list
    buildLevelBlocks(*set, level);
    startLevel();
}

void WorldHarness::startLevel()
{
    racket().startLevel();
    mItemsAtStart = itemsLeft();
    mGameOver = mLevelEnded = false;
}

void WorldHarness::newGame()
{
    racket().newGame();
    mLives = racket().lives;
}

void WorldHarness::frame(float dt)
{
    mFrame.run(dt);
    noteRacket();
}

void WorldHarness::run(int frames, float dt)
{
    for (int i = 0; i < frames; ++i)
        frame(dt);
}

void WorldHarness::noteRacket()
{
    if (racket().lives != mLives) {
        mLives = racket().lives;
        record(HarnessEvent::LIVES, std::string(), static_cast<float>(mLives), YVec3(racket().x, racket().y, 0));
    }
}

void WorldHarness::record(HarnessEvent::Kind kind, const std::string& name, float value, const YVec3& position)
{
    HarnessEvent e;
    e.kind = kind;
    e.frame = mFrame.count();
    e.name = name;
    e.value = value;
    e.position = position;
    mEvents.push_back(std::move(e));
}

void WorldHarness::onGameOver()
{
    mGameOver = true;
    record(HarnessEvent::GAME_OVER, std::string(), static_cast<float>(racket().lives), YVec3());
}

void WorldHarness::onLevelEnd()
{
    // The racket says so every frame while no block is left.
    if (mLevelEnded)
        return;
    mLevelEnded = true;
    record(HarnessEvent::LEVEL_END, std::string(), 0.0f, YVec3());
}

void WorldHarness::onCenterPointer() { record(HarnessEvent::CENTRE_POINTER, std::string(), 0.0f, YVec3()); }

std::string WorldHarness::eventText() const
{
    std::string text;
    for (const HarnessEvent& e : mEvents)
        text += e.text() + "\n";
    return text;
}

int WorldHarness::count(HarnessEvent::Kind kind, const std::string& prefix) const
{
    return static_cast<int>(std::count_if(mEvents.begin(), mEvents.end(), [&](const HarnessEvent& e) {
        return e.kind == kind && e.name.compare(0, prefix.size(), prefix) == 0;
    }));
}

uint64_t WorldHarness::hash() const
{
    std::vector<std::array<int64_t, 4>> points;
    auto add = [&](int64_t what, const YVec3& p) {
        points.push_back({what, rounded(p.x), rounded(p.y), rounded(p.z)});
    };
    for (const YBlock* b : gBlocks) {
        if (const auto* set = dynamic_cast<const YBlockSet*>(b)) {
            for (size_t i = 0; i < set->itemCount(); ++i)
                add(0, set->itemTransform(set->item(i)).translation());
        } else {
            add(dynamic_cast<const YSplinter*>(b) ? 2 : 1, b->getTransform().translation());
        }
    }
    for (const YBall* b : balls())
        add(3, b->position());
    add(4, YVec3(mWorld->racket().x, mWorld->racket().y, 0.0f));
    // The lists keep no order of their own: the sorted points do.
    std::sort(points.begin(), points.end());
    uint64_t h = 14695981039346656037ull;
    for (const auto& p : points) {
        for (int64_t v : p) {
            for (int k = 0; k < 8; ++k) {
                h ^= (static_cast<uint64_t>(v) >> (8 * k)) & 0xFFu;
                h *= 1099511628211ull;
            }
        }
    }
    return h;
}

size_t WorldHarness::itemsLeft() const
{
    size_t n = 0;
    for (const YBlock* b : gBlocks) {
        if (const auto* set = dynamic_cast<const YBlockSet*>(b))
            n += set->itemCount();
        else if (dynamic_cast<const YBlockSingle*>(b))
            ++n;
    }
    return n;
}

} // namespace harness
