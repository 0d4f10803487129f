#pragma once
#include "core/math.h"

// A point circling the table: the azimuth turns at a steady speed while the
// radius and the height swing on their own sine phases. The comets fly on
// orbits, and the menu camera's eye follows one.
struct YOrbit {
    YOrbit() = default;
    // Both phases start at 0; the position is computed at once.
    YOrbit(float azimuth, float azimuthSpeed, float radiusPhaseSpeed, float heightPhaseSpeed, float baseRadius,
           float radiusSwing, float baseHeight, float heightSwing);

    // Advances the three angles by dt times their speeds (an angle that goes
    // above 360 loses 360 once) and computes the new position.
    void update(float dt);
    // The position for the current angles, radii and heights.
    void place();

    float azimuth = 0.0f;     // degrees
    float radiusPhase = 0.0f; // degrees
    float heightPhase = 0.0f; // degrees
    float azimuthSpeed = 0.0f, radiusPhaseSpeed = 0.0f, heightPhaseSpeed = 0.0f; // degrees per second
    float baseRadius = 0.0f, radiusSwing = 0.0f; // radius = base + sin(radius phase) x swing
    float baseHeight = 0.0f, heightSwing = 0.0f; // height = base + sin(height phase) x swing
    YVec3 position;
};

// The menu camera's orbit as a run starts: azimuth 180 turning at 9 degrees
// a second, radius and height phases at 19 and 13, height 19 swinging by 2.
// Its radius is set from the viewing distance on every frame.
YOrbit menuCameraOrbit();
// Gives the menu orbit its radius for a viewing distance: the distance,
// swinging by a tenth of it.
void fitMenuOrbit(YOrbit& orbit, float distance);

// How far from the table's centre the camera stands to see a table of
// these half sizes: cameraFit is 1 / sin(half the field of view).
float tableViewingDistance(float halfWidth, float halfDepth, float cameraFit);
