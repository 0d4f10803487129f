// Falling bonuses: the look of a bonus type, the bonus ball that carries it
// about the table until the racket catches it, the catch sparks and the
// fields that draw them to the racket, and the next-level bonus from above.
#include "world/bonus.h"

#include "platform/sys/random.h"
#include "render/camera.h"
#include "render/render.h"
#include "render/shader.h"
#include "sound/named_sound.h"
#include "world/ball_mode.h"
#include "world/block.h"
#include "world/bonus_types.h"
#include "world/playfield.h"
#include "world/racket.h"
#include "world/score_popups.h"
#include "world/world_events.h"

#include <cmath>
#include <string>

YSpaceRacketVortex gSpaceRacketVortex;
YSpaceRacketIn gSpaceRacketIn;

namespace {

constexpr int CATCH_SPARKS = 20;
constexpr float SPARK_DISTANCE = 2.0f; // from the catch
constexpr float PULL = 50.0f;          // of both fields, per second

YShader* spark2Shader()
{
    return getShader("spark2");
}

} // namespace

YVec3 randomBonusDirection()
{
    YVec3 d = sys::randCentred3<YVec3>();
    // Each value is an odd multiple of 1/65534 away from zero: never all
    // three zero.
    d.normalize();
    return d;
}

// ------------------------------------------------------------ YBonusType

YBonusType::YBonusType(YBonusKind kind, const char* catchSound)
    : YMeshInstanceRef(ballMeshInstance(MESH, 1.0f)),
      mKind(kind),
      mIcon(getBonusKindShader(kind)),
      mCatchSound(getNamedSound(catchSound))
{
    shaders.push_back(getShader(SHADER));
}

void YBonusType::draw()
{
    if (visible && gRender && mIcon) {
        gRender->setShader(mIcon, true);
        gRender->setWorldMatrix(gCamera().view().m);
        const YVec3 at = matrix.translation();
        drawBillboard(&at.x, mRadius);
    }
    if (!ballHidden)
        YMeshInstanceRef::draw();
}

// ------------------------------------------------------------ YBonus

YBonus::YBonus(YBonusType* type, const YMatrix& transform, const YVec3& velocity)
    : mType(type), mBody(YRigidBall::KIND_BONUS, BASE_SPEED)
{
    const float r = mType ? mType->radius() : YBonusType::RADIUS;
    const float i = r * r * 0.12f * 0.01f;
    const float inertia[3] = {i, i, i};
    mBody.setMass(MASS, inertia, false);
    mBody.setTransform(transform);
    mBody.setLinearVelocity(velocity);
    if (mType)
        mType->setMatrix(transform.m);
}

YBonus::~YBonus()
{
    if (!mCaught && gWorldLive) {
        const YVec3 p = mBody.getPosition();
        const YVec3 v = mBody.getLinearVelocity();
        const float r = mType ? mType->radius() : YBonusType::RADIUS;
        spawnLostBurst(p, v, 2.0f * r);
    }
}

void YBonus::update(float dt)
{
    if (!mType) {
        deleteLater(0.0f);
        return;
    }
    mBody.keepSpeed(dt);
    const YMatrix m = mBody.getTransform();
    mType->setMatrix(m.m);
    // A caught bonus waits for its removal: it is caught once only, even
    // when an earlier schedule (it had left the playfield) keeps it a
    // moment longer.
    if (mCaught)
        return;
    const YVec3 p = m.translation();
    const float r = mType->radius();
    if (gRacket && gRacket->isNear(p, r)) {
        mCaught = true;
        mType->visible = 0;
        if (gRacket->state == YRACKET_PLAY)
            caughtBy(p);
        deleteLater(0.0f);
    } else if (isOutsideTable(p, r)) {
        deleteLater(blockDeathDelay()); // a little later, like a block
    }
}

void YBonus::caughtBy(const YVec3& position)
{
    const YBonusKindInfo* kind = bonusKindInfo(mType->kind());
    if (kind)
        gRacket->score += kind->score;
    mType->apply(position);
    playWorldSound(mType->catchSound(), position);
    if (kind)
        gPopups.addPopup(kind->displayText + ": +" + std::to_string(kind->score), kind->color);
}

// ------------------------------------------------------------ sparks

void spawnBonusSparks(const YVec3& position)
{
    YShader* shader = spark2Shader();
    for (int n = 0; n < CATCH_SPARKS; ++n) {
        const YVec3 d = randomBonusDirection();
        // A bright colour of random hue (saturation 0.75, value 1).
        const float h = sys::randUnit();
        const float scaled = 6.0f * (h - std::floor(h));
        const int sector = static_cast<int>(scaled);
        const float f = scaled - static_cast<float>(sector);
        const float t = 0.25f + 0.75f * f;
        const float q = 1.0f - 0.75f * f;
        const float rgb[6][3] = {{1, t, 0.25f}, {q, 1, 0.25f}, {0.25f, 1, t},
                                 {0.25f, q, 1}, {t, 0.25f, 1}, {1, 0.25f, q}};
        const float* c = rgb[sector % 6];
        const float start[4] = {c[0], c[1], c[2], 1.0f};
        const float end[4] = {c[0], c[1], c[2], 0.1f};
        const float life = 1.0f + sys::randUnit() * 0.125f - 0.0625f;
        const YVec3 at = position + d * SPARK_DISTANCE;
        const float still[3] = {0.0f, 0.0f, 0.0f};
        gParticles().emit(life, 0.3f, 0.2f, &at.x, still, -1.0f, &gSpaceRacketVortex, shader, start, end);
    }
}

void YSpaceRacketVortex::apply(YParticle& particle, float dt)
{
    if (!gRacket)
        return;
    const YVec3 d(particle.position.x - gRacket->x, particle.position.y - gRacket->y, 0.0f);
    const float length = d.length();
    const YVec3 lift(0.0f, 0.0f, 0.05f);
    // Right over the racket there is no way round it and nothing to pull
    // in: only the lift.
    if (!(length > 1e-6f)) {
        particle.velocity = particle.velocity + lift * (PULL * dt);
        return;
    }
    const YVec3 u = d * (1.0f / length);
    const YVec3 swirl(u.y, -u.x, 0.0f);
    particle.velocity = particle.velocity + (swirl - u * (length * 0.5f) + lift) * (PULL * dt);
}

void YSpaceRacketIn::apply(YParticle& particle, float dt)
{
    if (!gRacket)
        return;
    YVec3 v = YVec3(gRacket->x, gRacket->y, HEIGHT) - particle.position;
    const float length = v.length();
    if (!(length > 1e-6f))
        return; // arrived
    v = v * (1.0f / length);
    particle.velocity = particle.velocity + v * (dt * PULL);
}

// ------------------------------------------------------------ next level

void spawnNextBonus()
{
    const float w = gPlayfield.width, d = gPlayfield.depth;
    // One draw after the other, in this order.
    const float x = sys::randUnit() * (w / 4.0f) - w / 8.0f;
    const float y = sys::randUnit() * (d / 4.0f) - d / 8.0f;
    const float z = 20.0f + sys::randUnit() * 5.0f - 2.5f;
    const YVec3 v = sys::randCentred3<YVec3>();
    YMatrix at;
    at.makeTranslation(YVec3(x, y, z));
    new YBonus(new YBonusNext(), at, v); // owned by the falling bonuses' list
}
