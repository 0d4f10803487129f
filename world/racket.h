#pragma once
#include "core/math.h"
#include "world/ball_mode.h"

#include <memory>
#include <vector>

class YBall;
class YGameEvent;
class YNamedSound;
class YRacketTacked;
class YShader;
class YSkelMeshInstance;

enum YRacketState {
    YRACKET_PLAY = 0,
    YRACKET_DYING = 1,       // the death animation runs
    YRACKET_RECENTRE = 2,    // walks back to the middle, then serves
    YRACKET_LEVEL_INTRO = 3, // holds the pipe and stands still
    YRACKET_MENU_RUN = 4,    // runs round the table behind the menus
};

// The hero's animation channels (defined on "mesh\hero.ams" when the first
// racket is made).
enum YHeroChannel : int {
    HERO_STAND = 0,
    HERO_WALK = 1,
    HERO_STEP_LEFT = 2,  // slow steps towards -x
    HERO_STEP_RIGHT = 3, // slow steps towards +x
    HERO_RUN = 4,
    HERO_HOLD = 5,
    HERO_CATCH = 6,
    HERO_AIM_LEFT = 7,
    HERO_AIM_LEFT_ASIDE = 8,
    HERO_AIM_RIGHT = 9,
    HERO_AIM_RIGHT_ASIDE = 10,
    HERO_CATCH_SPARE = 11, // the catch clip once more; the racket does not play it
    HERO_DEATH = 12,
    HERO_BOOMERANG_THROW = 13,
    HERO_BOOMERANG_READY = 14,
    HERO_BOMB = 15,
    HERO_GRENADE = 16,
    HERO_PIPE = 17,
    HERO_MENU_RUN = 18,
    HERO_CHANNEL_COUNT = 19,
};

// The player: a skinned hero at the near edge of the table that moves along
// it, holds, kicks and throws balls and weapons, and carries the play state
// (score, lives, held object, ball mode, gloves, frost, throw angle).
//
// One racket at a time: the constructor makes it gRacket.
class YRacket {
public:
    static constexpr const char* HERO_MESH = "mesh\\hero.ams";
    static constexpr float MAX_THROW_ANGLE = 55.0f;
    static constexpr float MAX_KICK_ELEVATION = 60.0f;
    static constexpr float FROST_SPEED = 0.6f;
    static constexpr float MENU_RUN_RADIUS = 4.0f;
    static constexpr int START_LIVES = 3;

    // The listener (may be null) hears game over, level end and the
    // pointer's recentring. Sets the table's racket width.
    explicit YRacket(YGameEvent* listener);
    virtual ~YRacket();
    YRacket(const YRacket&) = delete;
    YRacket& operator=(const YRacket&) = delete;

    // The target marker under the racket (play state only).
    virtual void draw();
    // Once a frame: timers, state, movement and animation, the falling
    // bonuses and the racket's objects; loses a life when no ball is left.
    void update(float dt);

    // x in -1..1 across the window (play state only).
    void moveTo(float x);
    // The throw angle stays within 0..55 degrees.
    void adjustBallAngle(float delta);
    // Timeout in seconds; -1 for none.
    void setBallMode(YBallModeId mode, float timeout);
    // Lets go of what is held (play state only).
    void launch(int arg);
    // Holds an object (launching what is held first) and plays the holding
    // animation; holdQuietly does the same without the animation. When the
    // held object cannot be let go (outside play) the new one is not taken.
    void hold(YRacketTacked* object);
    void holdQuietly(YRacketTacked* object);
    // Puts the object in the hero's hand (its attachment `bone`).
    void placeHeld(YRacketTacked* object);
    // The point (x and y only) is within half the racket's width plus r.
    bool isNear(const YVec3& point, float r) const;
    // Catches the ball with the gloves on and nothing held.
    bool catchBall(YBall* ball, const YVec3& direction);
    // Sends the ball off along the direction, raised by the throw angle.
    void kickBall(YBall* ball, const YVec3& direction, const YVec3& position);
    // Throws the held ball the way the hero faces.
    void throwBall(YBall* ball);
    void serve();
    void newGame();
    void reset();
    void startLevel();
    void startMenuRun();
    void endLevel();
    void loseLife();
    void gameOver();
    void setFrostLook();
    // Weapon animation hooks.
    void onBoomerangLaunch();
    void onBoomerangUpdate();
    void onBombLaunch();
    void onGrenadeLaunch();

    // The racket's line on the table: half a racket width in from the near
    // edge of the playfield.
    void followTable();

    float targetX = 0.0f;
    float velocity = 0.0f;
    float maxSpeed = 25.0f;
    float acceleration = 100.0f;
    float referenceWidth = 2.0f;
    float kickSpeed = 1.5f;
    YShader* targetShader = nullptr;
    std::unique_ptr<YSkelMeshInstance> hero;
    YRacketTacked* held = nullptr;
    float yaw = 0.0f;
    float throwAngle = 15.0f;
    int lives = START_LIVES;
    int score = 0;
    YRacketState state = YRACKET_PLAY;
    float x = 0.0f, y = 0.0f;
    float width = 2.0f;
    float glovesTimer = -1.0f;
    float ballModeTimer = -1.0f;
    float frostTimer = 0.0f;
    YBallModeId ballMode = YBallNormalId;
    YGameEvent* listener = nullptr;

    // The hero's animation, for the weapons and tests: whether a channel
    // plays, and its weight of the last pose. Quiet when the hero mesh did
    // not load.
    bool isPlaying(int channel) const;
    // The menu run's phase (forward distance run, before the key's part).
    float menuRunPhase() const { return mMenuPhase; }

private:
    void setUpHero();
    void setHeroShaders(bool frost);
    void play(int channel, float weight = -1.0f);
    void stop(int channel, float fadeOut = -1.0f);
    void holdObject(YRacketTacked* object, bool animate);
    void aim(const YVec3& direction);
    // Speed ratio to the hero's locomotion weights.
    void animateMovement(float ratio);
    void updateMenuRun(float dt);
    float menuRunDistance();
    void playSound(YNamedSound* sound, float volume);

    std::vector<float> mMenuRunDistances; // forward distance at each key of the run
    float mMenuPhase = 0.0f;
    int mMenuKey = 0;      // the run's key position at the last update
    int mStepKey = -1;     // the walk's key position at the last update
    bool mAnimated = false; // the hero mesh has the keys the clips need
    std::vector<YShader*> mNormalShaders, mFrostShaders;
    YNamedSound* mStepSound = nullptr;
    YNamedSound* mDeathSound = nullptr;
    YNamedSound* mGameOverSound = nullptr;
};

// The racket, null while none exists.
extern YRacket* gRacket;
