#pragma once
#include "core/math.h"
#include "world/block_events.h"

class YNamedSound;

// What the blocks ask of the rest of the world during play: scores go to
// the racket, score and damage numbers rise as text over the table, and the
// racket's objects are cleared with the level. The game installs it at
// start-up with setBlockEvents(&worldEvents()).
class YWorldEvents : public YBlockEvents {
public:
    // The rising numbers: how far above the block they start, how fast they
    // rise, how long they live and their text size.
    static constexpr float POPUP_HEIGHT = 1.5f;
    static constexpr float POPUP_RISE = 1.0f;
    static constexpr float POPUP_LIFE = 1.5f;
    static constexpr float POPUP_SIZE = 0.75f;
    static constexpr const char* POPUP_FONT = "mainfont";

    // Added to the racket's score (nothing without a racket).
    void addScore(int points, const YVec3& position) override;
    // The number in white.
    void showScorePopup(const YVec3& position, int score) override;
    // The number in pale red, fading out.
    void showDamagePopup(const YVec3& position, int amount) override;
    // A next-level bonus falls from above the table.
    void spawnNextBonus() override;
    // destroyRacketObjects.
    void clearRacketObjects() override;
};

// The one instance the game installs.
YWorldEvents& worldEvents();

// Plays a sound of the world (the racket's, the balls', the bonuses') the
// way the blocks play theirs: through the named sound, then told to the installed events so
// a log can hear it. Null plays nothing; a negative volume is full volume.
void playWorldSound(YNamedSound* sound, const YVec3& position, float volume = -1.0f,
                    const YVec3& velocity = YVec3());

// A ball, a falling bonus or a bomb lost in play: a small burst of the
// given size flying on with the velocity, and "destroy_ball".
void spawnLostBurst(const YVec3& position, const YVec3& velocity, float size);
