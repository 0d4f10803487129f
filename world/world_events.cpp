#include "world/world_events.h"

#include "render/font.h"
#include "render/particles.h"
#include "sound/named_sound.h"
#include "world/bonus.h"
#include "world/racket.h"
#include "world/racket_tacked.h"

#include <string>

namespace {

const float SCORE_START[4] = {1.0f, 1.0f, 1.0f, 1.0f};
const float SCORE_END[4] = {1.0f, 1.0f, 1.0f, 1.0f};
const float DAMAGE_START[4] = {1.0f, 0.5f, 0.5f, 1.0f};
const float DAMAGE_END[4] = {1.0f, 0.5f, 0.5f, 0.0f};
const float BURST_FLASH[4] = {1.0f, 0.7f, 0.2f, 1.0f};
const float BURST_EMBER[4] = {0.7f, 0.0f, 0.0f, 1.0f};
constexpr int BURST_SPARKS = 7;

void risingNumber(const YVec3& position, int value, const float start[4], const float end[4])
{
    const std::string text = std::to_string(value);
    const YVec3 at = position + YVec3(0.0f, 0.0f, YWorldEvents::POPUP_HEIGHT);
    const YVec3 rise(0.0f, 0.0f, YWorldEvents::POPUP_RISE);
    gParticles().emitText(text.c_str(), YWorldEvents::POPUP_LIFE, YWorldEvents::POPUP_SIZE, &at.x, &rise.x,
                          getFont(YWorldEvents::POPUP_FONT), start, end);
}

} // namespace

void YWorldEvents::addScore(int points, const YVec3& /*position*/)
{
    if (gRacket)
        gRacket->score += points;
}

void YWorldEvents::showScorePopup(const YVec3& position, int score)
{
    risingNumber(position, score, SCORE_START, SCORE_END);
}

void YWorldEvents::showDamagePopup(const YVec3& position, int amount)
{
    risingNumber(position, amount, DAMAGE_START, DAMAGE_END);
}

void YWorldEvents::spawnNextBonus() { ::spawnNextBonus(); }

void YWorldEvents::clearRacketObjects() { destroyRacketObjects(); }

YWorldEvents& worldEvents()
{
    static YWorldEvents events;
    return events;
}

void playWorldSound(YNamedSound* sound, const YVec3& position, float volume, const YVec3& velocity)
{
    playBlockSound(sound, position, volume, velocity);
}

void spawnLostBurst(const YVec3& position, const YVec3& velocity, float size)
{
    spawnBlast(&position.x, &velocity.x, size, BURST_SPARKS, BURST_FLASH, BURST_EMBER);
    playWorldSound(getNamedSound("destroy_ball"), position);
}
