#include "world/playfield.h"

#include "core/log.h"

#include <cmath>

YPlayfield gPlayfield;

bool isValidTableSize(float v)
{
    return std::isfinite(v) && v > 0.0f;
}

bool isOverTableArea(const YVec3& p, float halfWidth, float halfDepth)
{
    return p.z >= 0.0f && std::fabs(p.x) < halfWidth && std::fabs(p.y) < halfDepth;
}

bool setPlayfieldSize(float width, float depth)
{
    if (!isValidTableSize(width) || !isValidTableSize(depth)) {
        YLog::writef("Bad table size %g x %g, keeping %g x %g", width, depth, gPlayfield.width,
                     gPlayfield.depth);
        return false;
    }
    gPlayfield.width = width;
    gPlayfield.depth = depth;
    gPlayfield.halfWidth = width * 0.5f;
    gPlayfield.halfDepth = depth * 0.5f;
    return true;
}

bool isOutsideTable(const YVec3& p, float r)
{
    return p.z < -r || p.z > 100.0f || std::fabs(p.x) > r + gPlayfield.halfWidth ||
           std::fabs(p.y) > r + gPlayfield.halfDepth;
}
