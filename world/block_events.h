#pragma once
#include "core/math.h"

class YNamedSound;

// What the blocks ask of parts of the game that come later or live above
// the world: the racket's score and the rising numbers, the falling
// next-level bonus and the racket's objects. The game installs one
// implementation at start-up; without one these requests do nothing (the
// level editor, tools, tests that do not listen).
class YBlockEvents {
public:
    virtual ~YBlockEvents() = default;
    // Told of every sound a block played (an event log, a test); the sound
    // has been played already.
    virtual void onSound(const YNamedSound& sound, const YVec3& position, float volume,
                         const YVec3& velocity)
    {
        (void)sound, (void)position, (void)volume, (void)velocity;
    }
    // Points for the racket's score, earned where a block was destroyed.
    virtual void addScore(int points, const YVec3& position) = 0;
    // A rising score number (white) at a destroyed block.
    virtual void showScorePopup(const YVec3& position, int score) = 0;
    // A rising damage number (fading red) at a hit.
    virtual void showDamagePopup(const YVec3& position, int amount) = 0;
    // Drops a next-level bonus from above the table.
    virtual void spawnNextBonus() = 0;
    // Deletes the racket's balls, weapons and falling bonuses.
    virtual void clearRacketObjects() = 0;
};

// The installed implementation, or null. The caller keeps ownership.
void setBlockEvents(YBlockEvents* events);
YBlockEvents* blockEvents();

// Plays a block's sound (null plays nothing); volumes follow the named
// sounds: below 0.1 is silent, negative is full volume.
void playBlockSound(YNamedSound* sound, const YVec3& position, float volume,
                    const YVec3& velocity = YVec3());

// Forwarders that do nothing without an installed implementation.
void addScore(int points, const YVec3& position);
// Shown only with the "popupscores" option on.
void showScorePopup(const YVec3& position, int score);
// Shown only with the "popuplosses" option on, and only for an amount of at
// least 1 once cut to an integer.
void showDamagePopup(const YVec3& position, float amount);
// Asks for a falling next-level bonus.
void requestNextBonus();
void clearRacketObjects();
