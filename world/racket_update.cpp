// The racket's frame: timers, the state machine, the walk along the table
// with its animation and steps, the menu run, and the objects it drives.
#include "world/racket.h"

#include "render/skel_instance.h"
#include "world/block.h"
#include "world/hero_clips.h"
#include "world/racket_tacked.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float TURN = 6.2831853f;             // a full circle in radians
constexpr float DEGREES = 57.29578f;            // per radian
constexpr float MOVING_DISTANCE = 0.01f;        // nearer than this the racket is where it is steered
constexpr float MAX_YAW = -60.0f;               // the turn at full speed, per unit of direction

bool isStepKey(int key)
{
    for (int k : hero::STEP_KEYS)
        if (key == k)
            return true;
    return false;
}

} // namespace

void YRacket::update(float dt)
{
    if (ballModeTimer > 0.0f) {
        ballModeTimer -= dt;
        if (ballModeTimer <= 0.0f)
            setBallMode(YBallNormalId, -1.0f);
    }
    if (glovesTimer > 0.0f) {
        glovesTimer -= dt;
        // Without gloves the hand lets go, unless the object is locked in it
        // (the pipe).
        if (glovesTimer <= 0.0f && held && held->holdLock == 0)
            launch(0);
    }
    float speedScale = 1.0f;
    if (frostTimer > 0.0f) {
        frostTimer -= dt;
        if (frostTimer > 0.0f)
            speedScale = FROST_SPEED;
        else
            setHeroShaders(false);
    }

    bool moving = std::fabs(x - targetX) > MOVING_DISTANCE;
    switch (state) {
    case YRACKET_PLAY:
        if (noBlocksLeft())
            endLevel();
        break;
    case YRACKET_DYING:
        if (isPlaying(HERO_DEATH)) {
            moving = false;
        } else {
            targetX = 0.0f;
            state = YRACKET_RECENTRE;
        }
        break;
    case YRACKET_RECENTRE:
        if (!moving) {
            state = YRACKET_PLAY;
            serve();
        }
        break;
    case YRACKET_LEVEL_INTRO:
        moving = false;
        break;
    case YRACKET_MENU_RUN:
        updateMenuRun(dt);
        return;
    }

    float ratio = std::min(std::fabs(x - targetX) / referenceWidth, speedScale);
    if (moving) {
        const float sign = targetX > x ? 1.0f : -1.0f;
        const float a = dt * acceleration * sign * speedScale;
        // Turning round starts from a standstill.
        if ((a > 0.0f && velocity < 0.0f) || (a < 0.0f && velocity > 0.0f))
            velocity = 0.0f;
        velocity += a;
        ratio = std::min(ratio, std::fabs(velocity) / maxSpeed);
        velocity = sign * maxSpeed * ratio;
        yaw = sign * ratio * MAX_YAW;
        const float next = x + velocity * dt;
        if ((sign > 0.0f && next >= targetX) || (sign < 0.0f && next <= targetX)) {
            x = targetX;
            velocity = 0.0f;
        } else {
            x = next;
        }
        animateMovement(ratio);
    } else {
        velocity = 0.0f;
        play(HERO_STAND);
        stop(HERO_WALK);
        stop(HERO_RUN);
        stop(HERO_STEP_LEFT);
        stop(HERO_STEP_RIGHT);
    }

    if (hero) {
        YMatrix turn, at;
        turn.makeRotationZ(yaw + 180.0f);
        at.makeTranslation(YVec3(x, y, 0.0f));
        hero->update(dt);
        hero->matrix = at * turn;
        hero->updatePose();

        // A foot comes down.
        const int key = hero->sequencePosition(HERO_WALK);
        if (key != mStepKey) {
            mStepKey = key;
            if (isStepKey(key))
                playSound(mStepSound, std::min(2.0f * ratio, 1.0f));
        }
    }

    if (held)
        placeHeld(held);

    // By index with the live size: an update may add objects, and one that
    // goes away moves the last entry into its place.
    auto& bonuses = gLiveBonuses();
    for (size_t i = 0; i < bonuses.size(); ++i)
        bonuses[i]->update(dt);
    auto& objects = gRacketTacked();
    for (size_t i = 0; i < objects.size(); ++i)
        objects[i]->update(dt);
    // Counted after the walk, over what is left.
    int balls = 0;
    for (YRacketTacked* object : objects)
        if (object->countsAsBall())
            ++balls;
    if (balls == 0)
        loseLife();
}

void YRacket::updateMenuRun(float dt)
{
    if (!hero)
        return;
    // First the distance: a restarted clip moves the phase on.
    const float distance = menuRunDistance();
    float angle = (mMenuPhase + distance) / MENU_RUN_RADIUS;
    // Keep the angle within a turn; the phase takes the difference so the
    // hero does not jump.
    if (angle < -TURN) {
        angle += TURN;
        mMenuPhase += TURN * MENU_RUN_RADIUS;
    } else if (angle > TURN) {
        angle -= TURN;
        mMenuPhase -= TURN * MENU_RUN_RADIUS;
    }
    YMatrix at, turn;
    at.makeTranslation(YVec3(MENU_RUN_RADIUS * std::cos(angle), MENU_RUN_RADIUS * std::sin(angle), 0.0f));
    turn.makeRotationZ(angle * DEGREES);
    hero->matrix = at * turn;
    hero->update(dt);
    hero->updatePose();
}
