#include "world/block_events.h"

#include "core/init.h"
#include "sound/named_sound.h"

#include <cmath>

namespace {
YBlockEvents* gBlockEvents = nullptr;
}

void setBlockEvents(YBlockEvents* events)
{
    gBlockEvents = events;
}

YBlockEvents* blockEvents()
{
    return gBlockEvents;
}

void playBlockSound(YNamedSound* sound, const YVec3& position, float volume, const YVec3& velocity)
{
    if (!sound)
        return;
    sound->play(position, volume, velocity);
    if (gBlockEvents)
        gBlockEvents->onSound(*sound, position, volume, velocity);
}

void addScore(int points, const YVec3& position)
{
    if (gBlockEvents)
        gBlockEvents->addScore(points, position);
}

void showScorePopup(const YVec3& position, int score)
{
    if (gBlockEvents && gInit().popupscores)
        gBlockEvents->showScorePopup(position, score);
}

void showDamagePopup(const YVec3& position, float amount)
{
    if (!gBlockEvents || !gInit().popuplosses)
        return;
    // Cut to an integer first: a damage of 0.9 shows nothing. Values that
    // do not fit an int (a solver blow-up) show nothing either.
    if (!(amount >= 1.0f) || amount > 1e9f)
        return;
    gBlockEvents->showDamagePopup(position, static_cast<int>(amount));
}

void requestNextBonus()
{
    if (gBlockEvents)
        gBlockEvents->spawnNextBonus();
}

void clearRacketObjects()
{
    if (gBlockEvents)
        gBlockEvents->clearRacketObjects();
}
