#pragma once
#include "core/math.h"
#include "render/draw_obj.h"

#include <cstddef>

class YShader;

// The balls' blended extras, drawn from the far-first queue: the flares of
// the phantom, fire and electro balls, and the electro ball's bolts.
//
// What a queued item points at is a record kept here, not the ball: a ball
// that is deleted between its update and the frame's drawing (a lost
// ball's sweep runs in between) leaves nothing dangling in the queue. The
// records stay until the queue has drawn every one of them; the next record
// queued after that starts a fresh list.

// A flare: a camera-facing billboard with the record's shader, moved from
// the ball's centre 1.1 radius towards the eye so that it lies over the
// ball's mesh.
class YDrawBallCrown : public YDrawObj {
public:
    void draw(void* item) override;
};

// A bolt segment: a band of BOLT_HALF_WIDTH either side of the segment,
// turned to face the eye, with the record's shader. The band's texture
// coordinates run across it (v 0..1) down the middle of the texture
// (u = 0.5), so a round glow texture gives a bright core.
class YDrawBlastLine : public YDrawObj {
public:
    static constexpr float BOLT_HALF_WIDTH = 0.12f;
    void draw(void* item) override;
};

extern YDrawBallCrown gBallCrownDraw;
extern YDrawBlastLine gBlastLineDraw;

// Records queued in one frame beyond this are dropped, so a loop that never
// draws cannot grow the list without end.
constexpr size_t MAX_BALL_DRAWS = 4096;

// Queues a flare of half diagonal `size` for the ball of that radius whose
// centre is given. False when the record was dropped.
bool queueBallCrown(YShader* shader, const YVec3& centre, float radius, float size);
// Queues one bolt segment from a to b, sorted at its midpoint.
bool queueBlastLine(YShader* shader, const YVec3& a, const YVec3& b);
// Records queued and not drawn yet.
size_t pendingBallDraws();
