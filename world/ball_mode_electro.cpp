#include "world/ball_mode_electro.h"

#include "platform/sys/random.h"
#include "render/shader.h"
#include "sound/named_sound.h"
#include "world/ball.h"
#include "world/ball_mode_draw.h"
#include "world/block_set.h"
#include "world/table.h"
#include "world/world_events.h"

#include <algorithm>

YVec3 blockCentre(const YBlock* block)
{
    if (const auto* set = dynamic_cast<const YBlockSet*>(block)) {
        if (set->itemCount() > 0)
            return set->itemTransform(set->item(0)).translation();
    }
    return block->getTransform().translation();
}

YBallElectro::YBallElectro()
    : YBallModeSuper(YBallElectroId, BALL_RADIUS, "ballelectro_flare", 1.7f),
      mBoltShader(getShader("lightning")), mLightning(getNamedSound("lightning"))
{
    setLook("mesh\\ball2.mes", 1.0f, {"ball_electro"});
    setKickSound("kick_electro");
    for (Slot& s : mSlots)
        s.timer = sys::randUnit() * COOL_TIME;
}

YBallElectro::~YBallElectro()
{
    for (Slot& s : mSlots) {
        if (s.state == STRIKING && isBlockAlive(s.target, s.serial))
            s.target->lightningTarget = false;
    }
}

void YBallElectro::applyPhysics(YBall& ball)
{
    ball.setPhysics(0.5f, YRigidBall::KIND_NORMAL, BASE_SPEED);
}

void YBallElectro::updateEffects(YBall& ball, float dt)
{
    if (isHeld())
        return;
    static const float GLOW[4] = {0.5f, 0.5f, 1.0f, 1.0f};
    const YVec3 centre = ball.position();
    for (Slot& s : mSlots)
        runSlot(s, centre, dt);
    if (gTable)
        gTable->addLightSpot(centre, GLOW, LIGHT_SPOT_RADIUS);
}

void YBallElectro::runSlot(Slot& s, const YVec3& centre, float dt)
{
    switch (s.state) {
    case IDLE: {
        YBlock* block = strikeRandomBlock(sys::rand(), centre, STRIKE_RADIUS);
        if (!block)
            return;
        block->lightningTarget = true;
        s.state = STRIKING;
        s.timer = 0.0f;
        s.target = block;
        s.serial = block->serial();
        playWorldSound(mLightning, centre);
        return;
    }
    case STRIKING:
        s.timer += dt;
        if (!isBlockAlive(s.target, s.serial)) {
            s.state = COOLING;
            s.timer = 0.0f;
            s.target = nullptr;
            return;
        }
        if (s.timer < STRIKE_TIME) {
            queueBolt(centre, blockCentre(s.target));
            return;
        }
        s.target->deleteLater(0.0f);
        s.state = COOLING;
        s.timer = 0.0f;
        s.target = nullptr;
        return;
    case COOLING:
        s.timer += dt;
        if (s.timer >= COOL_TIME) {
            s.state = IDLE;
            s.timer = 0.0f;
        }
        return;
    }
}

int YBallElectro::boltPoints(const YVec3& from, const YVec3& to, YVec3* points)
{
    const float length = (to - from).length();
    // One segment per unit of length (truncated), 1 to 10 of them. A
    // length that is not a number gives one.
    int n = 1;
    if (length >= SEGMENT_LENGTH)
        n = static_cast<int>(std::min(length / SEGMENT_LENGTH, static_cast<float>(MAX_SEGMENTS)));
    points[0] = from;
    points[n] = to;
    for (int i = 1; i < n; ++i) {
        const YVec3 shake = sys::randCentred3<YVec3>() * (2.0f * JITTER);
        points[i] = from + (to - from) * (static_cast<float>(i) / static_cast<float>(n)) + shake;
    }
    return n;
}

void YBallElectro::queueBolt(const YVec3& from, const YVec3& to)
{
    YVec3 points[MAX_SEGMENTS + 1];
    const int n = boltPoints(from, to, points);
    for (int i = 0; i < n; ++i)
        queueBlastLine(mBoltShader, points[i], points[i + 1]);
}
