#include "game/orbit.h"

#include <algorithm>
#include <cmath>

YOrbit::YOrbit(float azimuth_, float azimuthSpeed_, float radiusPhaseSpeed_, float heightPhaseSpeed_,
               float baseRadius_, float radiusSwing_, float baseHeight_, float heightSwing_)
    : azimuth(azimuth_), azimuthSpeed(azimuthSpeed_), radiusPhaseSpeed(radiusPhaseSpeed_),
      heightPhaseSpeed(heightPhaseSpeed_), baseRadius(baseRadius_), radiusSwing(radiusSwing_),
      baseHeight(baseHeight_), heightSwing(heightSwing_)
{
    place();
}

namespace {

void turn(float& angle, float by)
{
    angle += by;
    if (angle > 360.0f)
        angle -= 360.0f;
}

} // namespace

void YOrbit::update(float dt)
{
    turn(azimuth, dt * azimuthSpeed);
    turn(radiusPhase, dt * radiusPhaseSpeed);
    turn(heightPhase, dt * heightPhaseSpeed);
    place();
}

void YOrbit::place()
{
    const float radius = baseRadius + std::sin(degToRad(radiusPhase)) * radiusSwing;
    const float height = baseHeight + std::sin(degToRad(heightPhase)) * heightSwing;
    const float a = degToRad(azimuth);
    position = YVec3(radius * std::cos(a), radius * std::sin(a), height);
}

YOrbit menuCameraOrbit()
{
    return YOrbit(180.0f, 9.0f, 19.0f, 13.0f, 10.0f, 1.0f, 19.0f, 2.0f);
}

void fitMenuOrbit(YOrbit& orbit, float distance)
{
    orbit.baseRadius = distance;
    orbit.radiusSwing = distance * 0.1f;
}

float tableViewingDistance(float halfWidth, float halfDepth, float cameraFit)
{
    const float r = std::sqrt(halfWidth * halfWidth + halfDepth * halfDepth);
    const float d = r * cameraFit * 0.9f;
    return std::sqrt(std::max(d * d - r * r, 0.0f));
}
