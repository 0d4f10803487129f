// The table's passing decoration: light spots on the floor under glowing
// objects and explosions, and flashes on the walls where something struck.
#include "world/table.h"

#include "render/draw_queue.h"
#include "render/render.h"
#include "render/shader.h"

#include <cmath>
#include <cstdint>

namespace {

YWallContactDraw& wallContactDraw()
{
    static YWallContactDraw drawer;
    return drawer;
}

YVec4 colorOrWhite(const float c[4])
{
    return c ? YVec4(c[0], c[1], c[2], c[3]) : gColorWhite;
}

// A queued flash is known by its place in the table's list, not by its
// address: the list may grow while the queue waits, and a table that is
// gone leaves nothing to point at. The place is stored plus one so that
// no item is null.
void* flashItem(size_t index)
{
    return reinterpret_cast<void*>(static_cast<uintptr_t>(index) + 1u);
}

size_t flashIndex(void* item)
{
    return static_cast<size_t>(reinterpret_cast<uintptr_t>(item) - 1u);
}

// The source of a spot must lie above the floor, below r, and within r of
// the table's rectangle.
bool spotReachesTable(const YVec3& p, float r, float hw, float hd)
{
    return p.z >= 0.0f && p.z < r && std::fabs(p.x) < r + hw && std::fabs(p.y) < r + hd;
}

void setVertex(float* v, const YVec3& p, float u, float t)
{
    v[0] = p.x;
    v[1] = p.y;
    v[2] = p.z;
    v[3] = v[5] = u;
    v[4] = v[6] = t;
}

} // namespace

void YWallContactDraw::draw(void* item)
{
    if (gTable)
        gTable->drawWallFlash(flashIndex(item));
}

// ---------------------------------------------------------------- light spots

void YTable::addLightSpot(const YVec3& position, const float color[4], float radius)
{
    queueLightSpot(position, mSpotShader, color, radius);
}

void YTable::queueLightSpot(const YVec3& p, YShader* shader, const float color[4], float r)
{
    if (!shader || !spotReachesTable(p, r, mHalfWidth, mHalfDepth))
        return;
    if (mLightSpots.size() >= MAX_LIGHT_SPOTS)
        return;
    const float f = 1.0f - p.z / r;
    YLightSpot spot;
    spot.x = p.x;
    spot.y = p.y;
    spot.size = r + p.z;
    spot.color = colorOrWhite(color) * f;
    spot.shader = shader;
    mLightSpots.push_back(spot);
}

void YTable::addMovingLightSpot(float life, float sizeStart, float sizeEnd, const YVec3& position,
                                YShader* shader, const float colorStart[4], const float colorEnd[4])
{
    const float r = sizeStart > sizeEnd ? sizeStart : sizeEnd;
    if (!shader || !spotReachesTable(position, r, mHalfWidth, mHalfDepth))
        return;
    YMovingLightSpot spot;
    spot.life = life;
    spot.sizeStart = sizeStart;
    spot.sizeEnd = sizeEnd;
    spot.position = position;
    spot.colorStart = colorOrWhite(colorStart);
    spot.colorEnd = colorOrWhite(colorEnd);
    spot.shader = shader;
    mMovingSpots.push_back(spot);
}

// A square at floor height, cut at the table's edges: a cut edge keeps the
// part of the picture that lies on the table rather than squeezing it.
void YTable::drawLightSpot(const YLightSpot& spot)
{
    const float side = spot.size * 2.0f;
    if (!(side > 0.0f))
        return;
    const float left = spot.x - spot.size, front = spot.y - spot.size;
    float x0 = left, x1 = spot.x + spot.size, y0 = front, y1 = spot.y + spot.size;
    if (x0 < -mHalfWidth)
        x0 = -mHalfWidth;
    if (x1 > mHalfWidth)
        x1 = mHalfWidth;
    if (y0 < -mHalfDepth)
        y0 = -mHalfDepth;
    if (y1 > mHalfDepth)
        y1 = mHalfDepth;
    if (!(x1 > x0) || !(y1 > y0))
        return;
    const float u0 = (x0 - left) / side, u1 = (x1 - left) / side;
    const float v0 = (y0 - front) / side, v1 = (y1 - front) / side;
    const float z = LIGHT_SPOT_HEIGHT;
    float quad[28];
    setVertex(quad, YVec3(x0, y0, z), u0, v0);
    setVertex(quad + 7, YVec3(x1, y0, z), u1, v0);
    setVertex(quad + 14, YVec3(x1, y1, z), u1, v1);
    setVertex(quad + 21, YVec3(x0, y1, z), u0, v1);

    YMaterial m;
    m.diffuse = YVec4(0.0f, 0.0f, 0.0f, spot.color.w);
    m.ambient = gColorBlack;
    m.specular = gColorBlack;
    m.emissive = spot.color;
    m.power = 0.0f;
    // Sent whatever the cache holds: the spots differ in colour only.
    gRender->setMaterial(m, false);
    gRender->setShader(spot.shader, false);
    gRender->drawQuadUV2(quad);
}

// ---------------------------------------------------------------- wall flashes

void YTable::addWallContact(const YVec3& p, const YVec3& n)
{
    if (!(p.z >= 0.0f))
        return;
    if (gTableSoundHook)
        gTableSoundHook("wall_stroke", p);
    YWallFlash flash;
    flash.position = p;
    flash.remaining = FLASH_TIME;
    // The side walls face along x (with a slight lean), the far wall along
    // -y: the larger component tells which wall was struck.
    flash.side = std::fabs(n.x) > std::fabs(n.y);
    mFlashes.push_back(flash);
}

void YTable::update(float dt)
{
    if (!std::isfinite(dt) || dt < 0.0f)
        dt = 0.0f;

    // A finished flash is replaced by the last one, which is examined next.
    // Only places already examined are queued, so the queued places stay
    // right until the next update.
    for (size_t i = 0; i < mFlashes.size();) {
        YWallFlash& flash = mFlashes[i];
        flash.remaining -= dt;
        if (flash.remaining > 0.0f) {
            queueBackToFront(flashItem(i), &flash.position.x, &wallContactDraw());
            ++i;
        } else {
            flash = mFlashes.back();
            mFlashes.pop_back();
        }
    }

    for (size_t i = 0; i < mMovingSpots.size();) {
        YMovingLightSpot& spot = mMovingSpots[i];
        spot.age += dt;
        if (spot.age < spot.life) {
            const float t = spot.age / spot.life;
            const YVec4& c0 = spot.colorStart;
            const YVec4& c1 = spot.colorEnd;
            const float color[4] = {c0.x + (c1.x - c0.x) * t, c0.y + (c1.y - c0.y) * t, c0.z + (c1.z - c0.z) * t,
                                    c0.w + (c1.w - c0.w) * t};
            const float size = spot.sizeStart + (spot.sizeEnd - spot.sizeStart) * t;
            queueLightSpot(spot.position, spot.shader, color, size);
            ++i;
        } else {
            spot = mMovingSpots.back();
            mMovingSpots.pop_back();
        }
    }
}

// The flash stands on the struck wall and grows from 0.5 to 2.5 across while
// it fades; it is cut where it would pass the far corner or the floor.
void YTable::drawWallFlash(size_t index)
{
    if (!gRender || index >= mFlashes.size())
        return;
    YWallFlash& flash = mFlashes[index];
    const float t = flash.remaining / FLASH_TIME;
    const float s = 2.0f * (1.0f - t) + 0.5f;
    const float side = s * 2.0f;
    YVec3& p = flash.position;

    // Along the wall (a) and upwards (z); u and v measure the same spans.
    float a0, a1, along;
    if (flash.side) {
        p.x = std::fmin(std::fmax(p.x, -mHalfWidth), mHalfWidth);
        along = p.y;
        a0 = along - s;
        a1 = std::fmin(along + s, mHalfDepth); // the near end is open
    } else {
        p.y = std::fmin(std::fmax(p.y, -mHalfDepth), mHalfDepth);
        along = p.x;
        a0 = std::fmax(along - s, -mHalfWidth);
        a1 = std::fmin(along + s, mHalfWidth);
    }
    const float bottom = p.z - s;
    const float z0 = std::fmax(bottom, 0.0f), z1 = p.z + s;
    if (!(a1 > a0) || !(z1 > z0))
        return;
    const float u0 = (a0 - (along - s)) / side, u1 = (a1 - (along - s)) / side;
    const float v0 = (z0 - bottom) / side, v1 = 1.0f;

    auto corner = [&](float a, float z) { return flash.side ? YVec3(p.x, a, z) : YVec3(a, p.y, z); };
    float quad[28];
    setVertex(quad, corner(a0, z0), u0, v0);
    setVertex(quad + 7, corner(a1, z0), u1, v0);
    setVertex(quad + 14, corner(a1, z1), u1, v1);
    setVertex(quad + 21, corner(a0, z1), u0, v1);

    YMaterial m;
    m.diffuse = gColorBlack;
    m.ambient = gColorBlack;
    m.specular = gColorBlack;
    m.emissive = YVec4(0.6f * t, 0.6f * t, t, t);
    m.power = 0.0f;
    gRender->setShader(mFlashShader, false);
    gRender->setMaterial(m, true);
    gRender->drawQuadUV2(quad);
}
