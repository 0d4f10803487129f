#pragma once
#include "core/math.h"

// The table extent that the world's rules measure against: x in
// [-halfWidth, halfWidth], y in [-halfDepth, halfDepth], the far wall at
// +halfDepth, the racket's edge at -halfDepth, the floor at z = 0.
struct YPlayfield {
    float width = 20.0f;
    float depth = 20.0f;
    float halfWidth = 10.0f;
    float halfDepth = 10.0f;
};

// 20 x 20 until the table sets its size.
extern YPlayfield gPlayfield;

// A table side that can be used: positive and finite.
bool isValidTableSize(float v);

// p.z >= 0 and strictly inside the rectangle of the given half sizes around
// the centre. The table and the rules without a table both measure with it.
bool isOverTableArea(const YVec3& p, float halfWidth, float halfDepth);

// The racket's line on a table of the given depth: half a racket width in
// from the near edge.
inline float racketLineY(float racketWidth, float tableDepth)
{
    return (racketWidth - tableDepth) * 0.5f;
}

// Sets the table size; a size that is not a positive finite number is
// logged and refused (false), and the old size stays.
bool setPlayfieldSize(float width, float depth);

// True when the point has left the playfield by more than r: below the floor
// by more than r, higher than 100, or beyond a table edge by more than r.
// The comparisons are strict: a point exactly on a widened edge is inside.
bool isOutsideTable(const YVec3& point, float r);
