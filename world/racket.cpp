// The racket's play state and what the rest of the game asks of it: steering,
// holding and letting go, kicking and throwing balls, serving, levels, lives.
// The frame's update is in racket_update.cpp, the hero's set-up and
// animation in racket_hero.cpp.
#include "world/racket.h"

#include "platform/sys/random.h"
#include "render/camera.h"
#include "render/particles.h"
#include "render/render.h"
#include "render/shader.h"
#include "render/skel_instance.h"
#include "sound/named_sound.h"
#include "world/ball.h"
#include "world/game_event.h"
#include "world/physics_world.h"
#include "world/pipe.h"
#include "world/playfield.h"
#include "world/racket_tacked.h"
#include "world/score_popups.h"
#include "world/table.h"
#include "world/world_events.h"
#include "world/zdelete.h"

#include <algorithm>
#include <cmath>

YRacket* gRacket = nullptr;

namespace {

constexpr int LEVEL_SETTLE_STEPS = 200;
constexpr float LEVEL_SETTLE_STEP = 0.05f;
constexpr float TARGET_HEIGHT = 0.1f;

} // namespace

YRacket::YRacket(YGameEvent* listener) : listener(listener)
{
    gRacket = this;
    referenceWidth = width;
    targetShader = getShader("target");
    mStepSound = getNamedSound("hero_step");
    mDeathSound = getNamedSound("bonus_death");
    mGameOverSound = getNamedSound("game_over");
    // The table's near barrier stands behind the racket.
    if (gTable)
        gTable->setRacketWidth(width);
    followTable();
    mMenuPhase = sys::randUnit() * 10.0f;
    setUpHero();
}

YRacket::~YRacket()
{
    // The objects belong to their list; they only forget the racket.
    held = nullptr;
    if (gRacket == this)
        gRacket = nullptr;
}

void YRacket::followTable() { y = racketLineY(width, gPlayfield.depth); }

void YRacket::draw()
{
    if (state != YRACKET_PLAY || !gRender)
        return;
    // One racket width across, lying just above the floor under the target.
    const float h = width * 0.5f;
    const float corners[4][2] = {{-h, -h}, {h, -h}, {h, h}, {-h, h}};
    const float uv[4][2] = {{0, 1}, {1, 1}, {1, 0}, {0, 0}};
    float quad[4 * 7];
    for (int k = 0; k < 4; ++k) {
        float* v = quad + k * 7;
        v[0] = targetX + corners[k][0];
        v[1] = y + corners[k][1];
        v[2] = TARGET_HEIGHT;
        v[3] = v[5] = uv[k][0];
        v[4] = v[6] = uv[k][1];
    }
    gRender->setWorldMatrix(gCamera().view().m);
    gRender->setShader(targetShader, true);
    gRender->drawQuadUV2(quad);
}

void YRacket::moveTo(float to)
{
    if (state != YRACKET_PLAY || !std::isfinite(to))
        return;
    const float c = std::min(std::max(to, -1.0f), 1.0f);
    targetX = c * (gPlayfield.width - width) * 0.5f;
}

void YRacket::adjustBallAngle(float delta)
{
    if (!std::isfinite(delta))
        return;
    throwAngle = std::min(std::max(throwAngle + delta, 0.0f), MAX_THROW_ANGLE);
}

void YRacket::setBallMode(YBallModeId mode, float timeout)
{
    ballMode = mode;
    ballModeTimer = timeout;
}

void YRacket::launch(int arg)
{
    if (state != YRACKET_PLAY || !held)
        return;
    YRacketTacked* object = held;
    object->launch(arg);
    // Only what was let go is forgotten: the launch may have put something
    // else in the hand.
    if (held == object)
        held = nullptr;
}

void YRacket::hold(YRacketTacked* object) { holdObject(object, true); }

void YRacket::holdQuietly(YRacketTacked* object) { holdObject(object, false); }

void YRacket::holdObject(YRacketTacked* object, bool animate)
{
    if (!object)
        return;
    // Taking again what is in the hand must not throw it first.
    if (held != object) {
        if (held)
            launch(0);
        if (held)
            return;
        held = object;
    }
    placeHeld(object);
    if (animate)
        play(HERO_HOLD);
}

void YRacket::placeHeld(YRacketTacked* object)
{
    if (!object || !hero)
        return;
    object->setTransform(hero->matrix * hero->attachmentFrame(object->bone));
}

bool YRacket::isNear(const YVec3& point, float r) const
{
    const float dx = point.x - x, dy = point.y - y;
    const float reach = 0.5f * width + r;
    return dx * dx + dy * dy < reach * reach;
}

bool YRacket::catchBall(YBall* ball, const YVec3& direction)
{
    if (!ball || glovesTimer <= 0.0f || held)
        return false;
    held = ball;
    ball->body().setEnabled(false);
    play(HERO_HOLD);
    play(HERO_CATCH);
    aim(direction);
    return true;
}

void YRacket::kickBall(YBall* ball, const YVec3& direction, const YVec3& position)
{
    YVec3 u(direction.x, direction.y, 0.0f);
    const float length = u.length();
    u = length > 1e-6f ? u * (1.0f / length) : YVec3(0.0f, 1.0f, 0.0f);
    // A faster game kicks flatter.
    const float factor = physics().speedFactor;
    const float elevation =
        factor > 0.0f ? std::min(throwAngle / factor, MAX_KICK_ELEVATION) : MAX_KICK_ELEVATION;
    const float a = degToRad(elevation);
    const YVec3 kick = YVec3(u.x, u.y * std::cos(a), u.y * std::sin(a)) * kickSpeed;
    if (ball)
        ball->kick(kick, position);
    aim(direction);
}

void YRacket::throwBall(YBall* ball)
{
    if (!ball)
        return;
    // The way the hero faces: +y turned by the yaw.
    const float r = degToRad(yaw);
    const YVec3 f(-std::sin(r), std::cos(r), 0.0f);
    const YVec3 position(x + f.x * width, y + f.y * width, 2.0f * ball->radius());
    kickBall(ball, f, position);
    stop(HERO_HOLD);
}

void YRacket::serve()
{
    reset();
    held = new YBall(YBallNormalId); // owned by the racket-tacked list
    play(HERO_HOLD);
    state = YRACKET_PLAY;
    physics().resetSpeedFactor();
    if (frostTimer > 0.0f) {
        setHeroShaders(false);
        frostTimer = 0.0f;
    }
    update(0.001f);
}

void YRacket::newGame()
{
    score = 0;
    lives = START_LIVES;
    serve();
}

void YRacket::reset()
{
    yaw = 0.0f;
    targetX = 0.0f;
    x = 0.0f;
    YRacketTacked* object = held;
    held = nullptr;
    delete object;
    if (listener)
        listener->onCenterPointer();
    setBallMode(YBallNormalId, -1.0f);
    glovesTimer = -1.0f;
    gPopups.clearPopups();
    stop(HERO_PIPE);
    stop(HERO_MENU_RUN);
    stop(HERO_HOLD, 0.01f);
}

void YRacket::startLevel()
{
    state = YRACKET_LEVEL_INTRO;
    stop(HERO_HOLD, 0.01f);
    stop(HERO_MENU_RUN, 0.01f);
    play(HERO_PIPE);
    yaw = 0.0f;
    {
        // The old level's objects go quietly, and the new blocks settle.
        YWorldTearDown quiet;
        destroyRacketObjects();
        YPhysicsWorld& world = physics();
        for (int i = 0; i < LEVEL_SETTLE_STEPS; ++i)
            world.step(LEVEL_SETTLE_STEP);
        gParticles().clearParticles();
        gPopups.clearPopups();
    }
    // The menu run left the racket in the middle of the table.
    followTable();
    YPipe* pipe = new YPipe(); // owned by the racket-tacked list
    held = pipe;
    placeHeld(pipe);
}

void YRacket::startMenuRun()
{
    reset();
    state = YRACKET_MENU_RUN;
    if (hero)
        hero->matrix.makeIdentity();
    x = y = 0.0f;
    play(HERO_MENU_RUN);
    if (hero)
        mMenuKey = hero->sequencePosition(HERO_MENU_RUN);
}

void YRacket::endLevel()
{
    if (listener)
        listener->onLevelEnd();
}

void YRacket::loseLife()
{
    if (state != YRACKET_PLAY)
        return;
    playSound(mDeathSound, -1.0f);
    --lives;
    YRacketTacked* object = held;
    held = nullptr;
    delete object;
    setBallMode(YBallNormalId, -1.0f);
    state = YRACKET_DYING;
    play(HERO_DEATH);
    if (lives <= 0)
        gameOver();
}

void YRacket::gameOver()
{
    if (listener) {
        listener->onGameOver();
    } else {
        // Nobody to end the game: play goes on.
        lives = START_LIVES;
        targetX = 0.0f;
        state = YRACKET_RECENTRE;
    }
    playSound(mGameOverSound, -1.0f);
}

void YRacket::setFrostLook()
{
    if (frostTimer <= 0.0f)
        setHeroShaders(true);
}

void YRacket::playSound(YNamedSound* sound, float volume)
{
    playWorldSound(sound, YVec3(x, y, 0.0f), volume);
}
