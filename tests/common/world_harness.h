#pragma once
// The world headless, frame by frame in the game's play order, with a bot at
// the racket. Two layers:
//
//  - PlayFrame runs one frame over whatever world exists (gTable, gRacket,
//    the blocks, the balls): sound and shaders, physics, racket, popups,
//    table, blocks, particles, then the scene drawn in the game's order. With
//    a renderer (gRender) the scene is really drawn, seen from where play
//    puts the camera; without one the light spots and the draw queues are
//    only emptied. It times physics, the world's update and the drawing.
//    Tests that set up their own world use it on its own.
//  - WorldHarness sets the world up the way the game does (shaders, fonts,
//    sounds, physics, table effects, table, racket, world events, materials),
//    loads a level of the game folder or one built in code, keeps a log of
//    what the game would hear (sounds, scores, lives, game over, level end)
//    and hashes the world's state.
//
// Same seed, same script, same world: within one process the hash repeats.
// Across processes ODE may order its contacts differently, so compare
// outcomes there (blocks destroyed, lives), not hashes.
#include "core/math.h"
#include "world/game_event.h"
#include "world/level_file.h"
#include "world/table.h"
#include "world/world_session.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class YBall;
class YCamera;
class YRacket;
class YRenderResource;
class YTableEffects;


namespace harness {

bool finite(const YVec3& v);

// Every ball in the racket's list: held, in play and leaving.
std::vector<YBall*> balls();
bool isAlive(const YBall* ball);
// The ball in play nearest the racket's edge, preferring those coming
// towards it; not held, not leaving. Null when there is none.
YBall* lowestBall();
// Describes the first position or speed of the world that is not a finite
// number (balls, blocks, particles, racket, speed factor); empty when all are.
std::string firstNonFinite();

// Plays the racket: steers it under a ball and lets go of what it holds.
class Bot {
public:
    // Steer at all (off: the racket stays where it is).
    bool steer = true;
    // Launch what the racket holds once it has held it for launchDelay
    // seconds of play.
    bool launchWhenHolding = true;
    float launchDelay = 0.5f;
    // How far beside the ball the racket stands, as a fraction of half its
    // width: the offset swings slowly from -spread to +spread so the kicks
    // go out at varied angles. 0 keeps the racket's centre under the ball.
    float aimSpread = 0.0f;
    // Follow only this ball (while it lives and is not held); null follows
    // the lowest ball.
    const YBall* watched = nullptr;

    // Fetch a falling bonus that will reach the racket's line before the
    // ball does.
    bool chaseBonuses = false;

    // Once a frame, before the frame's update (where the player's input
    // comes in).
    void act(float dt, int frame);
    int launches() const { return mLaunches; }

private:
    // The bonus to fetch first, and the x where it will cross the racket's
    // line; false when the ball comes first.
    bool bonusFirst(const YRacket& racket, const YBall* ball, float& x) const;

    float mHeldFor = 0.0f;
    int mLaunches = 0;
};

// Seconds each part of a frame took.
struct FrameTimes {
    double physics = 0.0; // the physics world's step
    double world = 0.0;   // bot, sound, shaders, racket, popups, table, blocks, particles
    double draw = 0.0;    // camera, listener and the scene, begin to end of frame
};

// Leaves the camera as it found it, and the sound listener where it stands
// before anything places it.
class PlayFrame {
public:
    PlayFrame();
    ~PlayFrame();
    PlayFrame(const PlayFrame&) = delete;
    PlayFrame& operator=(const PlayFrame&) = delete;

    Bot bot;
    // The Playing screen: blocks may drop the next-level bonus.
    bool playing = true;
    // Width over height of the picture (800 x 600).
    float aspect = 4.0f / 3.0f;

    void run(float dt);

    const FrameTimes& times() const { return mTimes; }
    // Frames run so far, and the game time they covered.
    int count() const { return mCount; }
    double time() const { return mTime; }

    // The camera where play shows the table (the orbit view's start, at
    // the distance that fits the table), and the sound listener with it.
    static void placeCamera();
    static void placeListener();

private:
    std::unique_ptr<YCamera> mCameraBefore;
    FrameTimes mTimes;
    int mCount = 0;
    double mTime = 0.0;
};

// One entry of the event log.
struct HarnessEvent {
    enum Kind { SOUND, SCORE, LIVES, GAME_OVER, LEVEL_END, CENTRE_POINTER };
    Kind kind = SOUND;
    int frame = 0;    // the frame it happened in (0: before the first)
    std::string name; // the sound's name
    float value = 0;  // sound volume, points, lives left
    YVec3 position;

    // One line: "12 sound kick -1 (0.00 -8.50 0.50)", positions rounded.
    std::string text() const;
};

class WorldHarness : public YGameEvent {
public:
    struct Options {
        unsigned seed = 1;
        // Loads the sound list; the sounds play when a sound device is open.
        bool sounds = false;
        // Copies the content it needs from the build's game folder into the
        // working folder first.
        bool copyContent = true;
        // The racket reports to the harness. Without a listener the racket
        // restarts play at game over by itself.
        bool listens = true;
    };

    explicit WorldHarness(const Options& options);
    WorldHarness() : WorldHarness(Options()) {}
    ~WorldHarness() override;
    WorldHarness(const WorldHarness&) = delete;
    WorldHarness& operator=(const WorldHarness&) = delete;

    // The level files of "levels\", sorted.
    static std::vector<std::string> levelNames();
    // Items of a level file; 0 when it does not read.
    static size_t levelItemCount(const std::string& name);

    // Starts levels\<name>: the blocks are read, then the racket's level
    // start clears its objects and lets them settle. False when it does not
    // read (the world is then empty).
    bool loadLevel(const std::string& name);
    // The same with a level made in code.
    void buildLevel(const YLevelFile& level);
    // Score 0, three lives, a ball in the hand.
    void newGame();

    void frame(float dt);
    void run(int frames, float dt);

    PlayFrame& play() { return mFrame; }
    Bot& bot() { return mFrame.bot; }
    YRacket& racket() { return mWorld->racket(); }
    YTable& table() { return mWorld->table(); }

    const std::vector<HarnessEvent>& events() const { return mEvents; }
    // Every event's line, in order.
    std::string eventText() const;
    // Events of the kind (and, for sounds, whose name starts with prefix).
    int count(HarnessEvent::Kind kind, const std::string& prefix = std::string()) const;

    // FNV-1a over the sorted, rounded (1/100) positions of every block item,
    // single block, splinter and ball, and the racket's place.
    uint64_t hash() const;
    // Items still standing (in sets and as single blocks), and at the start
    // of the level.
    size_t itemsLeft() const;
    size_t itemsAtStart() const { return mItemsAtStart; }
    bool gameOver() const { return mGameOver; }
    bool levelEnded() const { return mLevelEnded; }

    void onGameOver() override;
    void onLevelEnd() override;
    void onCenterPointer() override;

    // Called by the world's hooks.
    void record(HarnessEvent::Kind kind, const std::string& name, float value, const YVec3& position);

private:
    class Events;
    void startLevel();
    void noteRacket();

    Options mOptions;
    std::vector<YRenderResource*> mResourcesBefore;
    std::unique_ptr<Events> mWorldEvents; // outlives the world, which points at it
    std::unique_ptr<YWorldSession> mWorld;
    YTableSoundHook mTableSoundBefore = nullptr;
    PlayFrame mFrame;
    std::vector<HarnessEvent> mEvents;
    size_t mItemsAtStart = 0;
    int mLives = 0;
    bool mGameOver = false;
    bool mLevelEnded = false;
};

} // namespace harness
