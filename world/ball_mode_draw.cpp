#include "world/ball_mode_draw.h"

#include "render/camera.h"
#include "render/draw_queue.h"
#include "render/particles.h"
#include "render/render.h"

#include <deque>

YDrawBallCrown gBallCrownDraw;
YDrawBlastLine gBlastLineDraw;

namespace {

struct YBallDrawRecord {
    YShader* shader;
    YVec3 a, b;  // the flare's centre; a bolt segment's ends
    float radius; // the flare's ball
    float size;   // the flare's half diagonal
};

// A deque: appending never moves the records the queue points at.
std::deque<YBallDrawRecord> gRecords;
size_t gPending = 0;

YBallDrawRecord* addRecord()
{
    if (gPending == 0)
        gRecords.clear();
    if (gRecords.size() >= MAX_BALL_DRAWS)
        return nullptr;
    gRecords.emplace_back();
    ++gPending;
    return &gRecords.back();
}

// Called once for each queued record as it is drawn.
YBallDrawRecord* takeRecord(void* item)
{
    if (gPending > 0)
        --gPending;
    return static_cast<YBallDrawRecord*>(item);
}

} // namespace

bool queueBallCrown(YShader* shader, const YVec3& centre, float radius, float size)
{
    YBallDrawRecord* r = addRecord();
    if (!r)
        return false;
    r->shader = shader;
    r->a = centre;
    r->b = centre;
    r->radius = radius;
    r->size = size;
    queueBackToFront(r, &centre.x, &gBallCrownDraw);
    return true;
}

bool queueBlastLine(YShader* shader, const YVec3& a, const YVec3& b)
{
    YBallDrawRecord* r = addRecord();
    if (!r)
        return false;
    r->shader = shader;
    r->a = a;
    r->b = b;
    r->radius = 0.0f;
    r->size = 0.0f;
    const YVec3 middle = (a + b) * 0.5f;
    queueBackToFront(r, &middle.x, &gBlastLineDraw);
    return true;
}

size_t pendingBallDraws()
{
    return gPending;
}

void YDrawBallCrown::draw(void* item)
{
    const YBallDrawRecord& r = *takeRecord(item);
    if (!gRender || !r.shader)
        return;
    YVec3 p = r.a;
    YVec3 toEye = gCamera().eye() - p;
    const float distance = toEye.length();
    if (distance > 1e-6f)
        p = p + toEye * (1.1f * r.radius / distance);
    gRender->setShader(r.shader, true);
    drawBillboard(&p.x, r.size);
}

void YDrawBlastLine::draw(void* item)
{
    const YBallDrawRecord& r = *takeRecord(item);
    if (!gRender || !r.shader)
        return;
    const YVec3 middle = (r.a + r.b) * 0.5f;
    YVec3 side = cross(r.b - r.a, gCamera().eye() - middle);
    const float length = side.length();
    if (!(length > 1e-9f))
        return; // a segment of no length, or one pointing at the eye
    side = side * (BOLT_HALF_WIDTH / length);
    const YVec3 corners[4] = {r.a + side, r.b + side, r.b - side, r.a - side};
    static const float V[4] = {0.0f, 0.0f, 1.0f, 1.0f};
    float quad[4 * 7];
    for (int k = 0; k < 4; ++k) {
        float* v = quad + k * 7;
        v[0] = corners[k].x;
        v[1] = corners[k].y;
        v[2] = corners[k].z;
        v[3] = v[5] = 0.5f;
        v[4] = v[6] = V[k];
    }
    gRender->setShader(r.shader, true);
    gRender->drawQuadUV2(quad);
}
