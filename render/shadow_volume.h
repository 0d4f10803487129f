#pragma once
#include "core/math.h"

#include <cstddef>
#include <vector>

// Stencil shadows. Every frame the casters (meshes of shadow mode
// YSHADOW_VOLUME, block structures) hand in the silhouette edges they show
// the scene light, in world coordinates. Each edge is pulled along the light
// down to the floor height into a quad; the quads that face the eye and
// those that face away are counted into the stencil buffer in two passes,
// and a last pass darkens the picture wherever the count is not zero.
//
// A frame: begin (empties the lists, keeping their storage), the casters'
// edges while the scene is drawn, then draw once the scene is in the depth
// buffer.

// Shadows are wanted (the "shadows" setting) and the device's depth buffer
// has a stencil part. Casters ask before producing silhouettes.
bool shadowsEnabled();

// The planar shadow matrix: points (row vectors) are projected from the
// light point onto the plane ground (a, b, c, d: ax + by + cz + d = 0).
// Element [r][c] = ground[r] * light[c], minus ground . light on the
// diagonal.
void makeShadowMatrix(float out[16], const float ground[4], const float light[4]);

class YShadowVolume {
public:
    // Triangles one list keeps per frame; edges beyond are dropped, so
    // casters that draw without a begin cannot grow the lists without end.
    static constexpr size_t MAX_TRIANGLES = 1u << 18;
    // Edge ends lower than this below the floor height cast nothing.
    static constexpr float BELOW_FLOOR = 0.5f;
    // Floor heights: the table's own shadows reach below the whole table;
    // what moves on it casts down to its floor.
    static constexpr float TABLE_FLOOR = -61.3f;
    static constexpr float PLAY_FLOOR = 0.0f;

    // Empties both lists (their storage stays) and sets the floor height.
    void begin(float floorHeight);

    // The volume quad of one silhouette edge: a, b and their floor points
    // along the scene light, into the front list when the quad faces the
    // eye, else the back list (also when seen exactly edge-on). Nothing for
    // an edge with an end more than BELOW_FLOOR under the floor, or for a
    // light that does not shine downwards.
    void addEdge(const YVec3& a, const YVec3& b);
    // An edge as a mesh triangle runs it: kept as (a, b) when that triangle
    // faces along the light, turned round otherwise, so every volume quad
    // has its outside away from the volume.
    void addEdgeOrdered(const YVec3& a, const YVec3& b, bool firstFacesLight);

    // The passes, when shadows are enabled: the back list, the front list,
    // with planar set every visible mesh draw object of shadow mode
    // YSHADOW_PLANAR flattened onto the floor, then the darkening over the
    // screen rectangle the volumes cover (the whole viewport with planar
    // shadows). The lists are in world coordinates: the caller makes
    // the camera's view the world matrix first. Nothing is drawn when no
    // volume or planar shadow was drawn.
    void draw(bool planar);

    float floorHeight() const { return mFloor; }
    // Triangles of the quads facing the eye, and facing away: 3 points each.
    const std::vector<YVec3>& frontList() const { return mFront; }
    const std::vector<YVec3>& backList() const { return mBack; }

private:
    static void appendQuad(std::vector<YVec3>& list, const YVec3& a, const YVec3& b, const YVec3& c,
                           const YVec3& d);
    // Draws the planar shadows; false when none was drawn.
    bool drawPlanar();

    std::vector<YVec3> mFront;
    std::vector<YVec3> mBack;
    float mFloor = 0.0f;
    YMatrix mPlanar;
    bool mPlanarMade = false;
};

// A light casts shadows only when it shines downwards (L.z < 0): the floor
// points lie along it below the casters.
bool lightCastsShadows(const YVec3& light);

// The one shadow volume, built on first use.
YShadowVolume& gShadows();

// A frame's shadow passes over what it has drawn: the camera's view as the
// world matrix (the lists are in world coordinates), then gShadows().draw.
void drawShadows(bool planar);
