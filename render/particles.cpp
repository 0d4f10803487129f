#include "render/particles.h"

#include "platform/sys/random.h"
#include "render/camera.h"
#include "render/draw_queue.h"
#include "render/render.h"
#include "render/shader.h"

YSpaceGravity gSpaceGravity;
YDrawParticle gParticleDraw;
YDrawTextParticle gTextParticleDraw;

namespace {

YVec3 vec3Or(const float* v, const YVec3& fallback)
{
    return v ? YVec3(v[0], v[1], v[2]) : fallback;
}

YVec4 vec4Or(const float* v, const YVec4& fallback)
{
    return v ? YVec4(v[0], v[1], v[2], v[3]) : fallback;
}

YVec4 lerp4(const YVec4& a, const YVec4& b, float t)
{
    return YVec4(a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t, a.z + (b.z - a.z) * t, a.w + (b.w - a.w) * t);
}

// How far through its life a record is, 0..1.
float lifeFraction(float age, float life)
{
    if (!(life > 0.0f))
        return 1.0f;
    float t = age / life;
    return t < 0.0f ? 0.0f : (t > 1.0f ? 1.0f : t);
}

// A random direction: each component uniform in -0.5..0.5, normalised. The
// three numbers are drawn in x, y, z order so a seed gives the same sparks.
YVec3 randomDirection()
{
    float x = sys::randUnit() - 0.5f;
    float y = sys::randUnit() - 0.5f;
    float z = sys::randUnit() - 0.5f;
    YVec3 d(x, y, z);
    if (d.length() > 0.0f)
        d.normalize();
    else
        d = YVec3(0.0f, 0.0f, 1.0f);
    return d;
}

} // namespace

void YSpaceGravity::apply(YParticle& particle, float dt)
{
    particle.velocity = particle.velocity + acceleration * dt;
}

// ---------------------------------------------------------------------------

YParticleSystem& gParticles()
{
    static YParticleSystem system;
    return system;
}

void YParticleSystem::emit(float life, float sizeStart, float sizeEnd, const float position[3],
                           const float velocity[3], float speedEnd, YSpaceWarp* warp, YShader* shader,
                           const float colorStart[4], const float colorEnd[4])
{
    YParticle p;
    p.life = life;
    p.sizeStart = sizeStart;
    p.sizeEnd = sizeEnd;
    p.position = vec3Or(position, YVec3());
    p.velocity = vec3Or(velocity, YVec3());
    p.speedStart = p.velocity.length();
    p.speedEnd = speedEnd;
    p.colorStart = vec4Or(colorStart, gColorWhite);
    p.colorEnd = vec4Or(colorEnd, gColorWhite);
    p.shader = shader;
    p.warp = warp;
    mParticles.push_back(p);
}

void YParticleSystem::emitText(const char* text, float life, float size, const float position[3],
                               const float velocity[3], const YTextFont* font, const float colorStart[4],
                               const float colorEnd[4], int /*flags*/)
{
    YTextParticle p;
    p.life = life;
    p.size = size;
    p.position = vec3Or(position, YVec3());
    p.velocity = vec3Or(velocity, YVec3());
    p.colorStart = vec4Or(colorStart, gColorWhite);
    p.colorEnd = vec4Or(colorEnd, gColorWhite);
    p.text = text ? text : "";
    p.font = font;
    mTexts.push_back(std::move(p));
}

void YParticleSystem::clearParticles()
{
    if (gDrawQueue().count() == 0) {
        mParticles.clear();
        mParked.clear();
        return;
    }
    // The frame's queue may still point at these records (a level change
    // in the middle of a frame): keep them where they are, hidden, until the
    // next update. Swapping deques keeps every record at its address.
    for (YParticle& p : mParticles)
        p.cleared = true;
    mParked.emplace_back();
    mParked.back().swap(mParticles);
}

void YParticleSystem::update(float dt)
{
    // The previous frame's queue has been drained: parked records are free.
    mParked.clear();

    for (size_t i = 0; i < mParticles.size();) {
        YParticle& p = mParticles[i];
        p.age += dt;
        // Written so that a life or age that is not a number expires too.
        if (!(p.age < p.life)) {
            // The last record takes this place and is processed next, so it
            // is aged in this update as well.
            if (i + 1 < mParticles.size())
                p = mParticles.back();
            mParticles.pop_back();
            continue;
        }
        float t = p.age / p.life;
        if (p.warp)
            p.warp->apply(p, dt);
        if (p.speedEnd >= 0.0f) {
            // A particle at rest has no direction to rescale: it stays at
            // rest (warps can still move it).
            float length = p.velocity.length();
            if (length > 0.0f) {
                float speed = p.speedStart + (p.speedEnd - p.speedStart) * t;
                p.velocity = p.velocity * (speed / length);
            }
        }
        p.position = p.position + p.velocity * dt;
        queueBackToFront(&p, &p.position.x, &gParticleDraw);
        ++i;
    }

    for (size_t i = 0; i < mTexts.size();) {
        YTextParticle& p = mTexts[i];
        p.age += dt;
        if (!(p.age < p.life)) {
            if (i + 1 < mTexts.size())
                p = std::move(mTexts.back());
            mTexts.pop_back();
            continue;
        }
        p.position = p.position + p.velocity * dt;
        queueBackToFront(&p, &p.position.x, &gTextParticleDraw);
        ++i;
    }
}

// ---------------------------------------------------------------------------

// The drawers set the world matrix to the camera's own: other far-first
// drawers (balls, bonus effects) leave their object's matrix behind, and a
// billboard built in world space must not be moved by it.

void YDrawParticle::draw(void* item)
{
    const YParticle* p = static_cast<const YParticle*>(item);
    if (!p || p->cleared || !gRender)
        return;
    float t = lifeFraction(p->age, p->life);
    float size = p->sizeStart + (p->sizeEnd - p->sizeStart) * t;
    YVec4 color = lerp4(p->colorStart, p->colorEnd, t);
    gRender->setWorldMatrix(gCamera().view().m);
    gRender->setShader(p->shader, true);
    drawBillboardColoured(&p->position.x, size, &color.x);
}

void YDrawTextParticle::draw(void* item)
{
    const YTextParticle* p = static_cast<const YTextParticle*>(item);
    if (!p || !p->font || !gRender)
        return;
    float t = lifeFraction(p->age, p->life);
    YVec4 color = lerp4(p->colorStart, p->colorEnd, t);
    const YCamera& camera = gCamera();
    gRender->setWorldMatrix(camera.view().m);
    gRender->setShaderColor(p->font->textShader(), &color.x);
    // Centred on its position along the camera's X axis.
    float width = p->font->textWidth(p->text) * p->size;
    YVec3 origin = p->position - camera.axisX() * (width * 0.5f);
    gRender->drawText(p->font, p->text.c_str(), origin, p->size, &color.x, camera.axisX(), camera.axisY());
}

void drawBillboard(const float position[3], float size)
{
    if (!gRender || !position)
        return;
    // One quad reused by every billboard: position, then the same texture
    // coordinates in both sets.
    static float quad[4 * 7];
    static const float uv[4][2] = {{1, 0}, {1, 1}, {0, 1}, {0, 0}};
    const YCamera& camera = gCamera();
    YVec3 p(position[0], position[1], position[2]);
    YVec3 a = camera.diagonalSum() * size;
    YVec3 b = camera.diagonalDiff() * size;
    const YVec3 corners[4] = {p + a, p + b, p - a, p - b};
    for (int k = 0; k < 4; ++k) {
        float* v = quad + k * 7;
        v[0] = corners[k].x;
        v[1] = corners[k].y;
        v[2] = corners[k].z;
        v[3] = v[5] = uv[k][0];
        v[4] = v[6] = uv[k][1];
    }
    gRender->drawQuadUV2(quad);
}

void drawBillboardColoured(const float position[3], float size, const float color[4])
{
    if (!gRender || !position)
        return;
    // The colour comes from the emissive term alone, the transparency from
    // the diffuse alpha.
    static YMaterial material = [] {
        YMaterial m;
        m.diffuse = m.ambient = m.specular = m.emissive = gColorBlack;
        m.power = 0.0f;
        return m;
    }();
    YVec4 c = vec4Or(color, gColorWhite);
    material.diffuse.w = c.w;
    material.emissive = c;
    gRender->setMaterial(material, false);
    drawBillboard(position, size);
}

// ---------------------------------------------------------------------------

void spawnBlast(const float position[3], const float velocity[3], float size, int sparkCount, const float color[4],
                const float sparkEndColor[4])
{
    YParticleSystem& particles = gParticles();
    particles.emit(0.75f, size, 3.0f * size, position, velocity, -1.0f, nullptr, getShader("blast"), color,
                   &gColorBlack.x);
    YShader* spark = getShader("spark");
    YVec3 base = vec3Or(velocity, YVec3());
    for (int n = 0; n < sparkCount; ++n) {
        YVec3 d = randomDirection();
        float speed = 4.0f - 0.125f + 0.25f * sys::randUnit();
        YVec3 v = d * speed + base;
        float life = 1.5f - 0.125f + 0.25f * sys::randUnit();
        particles.emit(life, 0.5f, 0.2f, position, &v.x, 0.75f, &gSpaceGravity, spark, color, sparkEndColor);
    }
}

void spawnSparks(const float position[3], const float velocity[3], float size, int count, const float colorStart[4],
                 const float colorEnd[4])
{
    YParticleSystem& particles = gParticles();
    YShader* spark = getShader("spark");
    YVec3 base = vec3Or(velocity, YVec3());
    for (int n = 0; n < count; ++n) {
        YVec3 d = randomDirection();
        YVec3 v = d * 1.5f + base * 2.5f;
        float life = 1.375f + 0.25f * sys::randUnit();
        particles.emit(life, size, size * 0.5f, position, &v.x, 0.75f, &gSpaceGravity, spark, colorStart,
                       colorEnd);
    }
}
