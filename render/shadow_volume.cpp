#include "render/shadow_volume.h"

#include "core/init.h"
#include "render/camera.h"
#include "render/mesh_draw.h"
#include "render/render.h"
#include "render/shader.h"

#include <cmath>

namespace {

// The plane the planar shadows lie on: just above the floor at z = 0.
const float SHADOW_GROUND[4] = {0.0f, 0.0f, 1.0f, -0.01f};
// How far along the light direction the planar shadows' light point lies.
constexpr float PLANAR_LIGHT_DISTANCE = 10000.0f;

// The point where p meets the floor height h moving along the light.
YVec3 floorPoint(const YVec3& p, const YVec3& light, float h)
{
    return p - light * ((p.z - h) / light.z);
}

void drawList(const char* shaderName, const std::vector<YVec3>& list)
{
    if (list.empty())
        return;
    // Looked up each time: the registry may have been cleared and filled
    // again since the last frame.
    gRender->setShader(getShader(shaderName), true);
    gRender->drawTriangles(&list[0].x, static_cast<int>(list.size() / 3));
}

} // namespace

bool shadowsEnabled()
{
    return gInit().shadows && gRender && gRender->hasStencil();
}

bool lightCastsShadows(const YVec3& light)
{
    return light.z < 0.0f && std::isfinite(light.x) && std::isfinite(light.y) && std::isfinite(light.z);
}

void makeShadowMatrix(float out[16], const float ground[4], const float light[4])
{
    const float d = ground[0] * light[0] + ground[1] * light[1] + ground[2] * light[2] + ground[3] * light[3];
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            out[r * 4 + c] = ground[r] * light[c] - (r == c ? d : 0.0f);
}

YShadowVolume& gShadows()
{
    static YShadowVolume volume;
    return volume;
}

void drawShadows(bool planar)
{
    if (!shadowsEnabled())
        return;
    gRender->setWorldMatrix(gCamera().view().m);
    gShadows().draw(planar);
}

void YShadowVolume::begin(float floorHeight)
{
    mFront.clear();
    mBack.clear();
    mFloor = floorHeight;
}

void YShadowVolume::appendQuad(std::vector<YVec3>& list, const YVec3& a, const YVec3& b, const YVec3& c,
                               const YVec3& d)
{
    if (list.size() / 3 + 2 > MAX_TRIANGLES)
        return;
    list.push_back(a);
    list.push_back(b);
    list.push_back(c);
    list.push_back(a);
    list.push_back(c);
    list.push_back(d);
}

void YShadowVolume::addEdge(const YVec3& a, const YVec3& b)
{
    const float h = mFloor;
    if (!(a.z >= h - BELOW_FLOOR && b.z >= h - BELOW_FLOOR))
        return;
    const YVec3& light = gCamera().lightDirection();
    if (!lightCastsShadows(light))
        return;
    const YVec3 a2 = floorPoint(a, light, h);
    const YVec3 b2 = floorPoint(b, light, h);
    // The quad's outside (a to b, then along the light) against the eye:
    // only the sign matters, so the normal is not normalised.
    const YVec3 n = cross(b - a, light);
    const YVec3 e = gCamera().eye() - a;
    appendQuad(n.dot(e) <= 0.0f ? mBack : mFront, a, b, b2, a2);
}

void YShadowVolume::addEdgeOrdered(const YVec3& a, const YVec3& b, bool firstFacesLight)
{
    if (firstFacesLight)
        addEdge(a, b);
    else
        addEdge(b, a);
}

bool YShadowVolume::drawPlanar()
{
    const YVec3& light = gCamera().lightDirection();
    if (!lightCastsShadows(light))
        return false;
    if (!mPlanarMade) {
        // Made once, with the light of its first use.
        const float point[4] = {light.x * PLANAR_LIGHT_DISTANCE, light.y * PLANAR_LIGHT_DISTANCE,
                                light.z * PLANAR_LIGHT_DISTANCE, 1.0f};
        makeShadowMatrix(mPlanar.m, SHADOW_GROUND, point);
        mPlanarMade = true;
    }
    // The flattening first, then the camera's view.
    const YMatrix m = gCamera().view() * mPlanar;
    bool drawn = false;
    auto& list = gMeshDraws();
    for (size_t i = 0; i < list.size(); ++i) {
        YMeshDraw* object = list[i];
        if (object->shadowMode != YSHADOW_PLANAR || !object->visible)
            continue;
        if (!drawn) {
            // The flattened meshes count like the front faces: with the
            // second pass's states.
            gRender->setShader(getShader("shadowPass2"), true);
            drawn = true;
        }
        object->drawWithMatrix(m);
    }
    return drawn;
}

void YShadowVolume::draw(bool planar)
{
    if (!shadowsEnabled())
        return;
    drawList("shadowPass1", mBack);
    drawList("shadowPass2", mFront);
    const bool planarDrawn = planar && drawPlanar();
    if (mFront.empty() && mBack.empty() && !planarDrawn)
        return; // the stencil holds nothing to darken
    gRender->setShader(getShader("shadowPass3"), true);
    // The volumes end on the floor, so only pixels their quads cover can
    // hold a count: the darkening need not cover the rest of the screen.
    // The flattened meshes have no such list: then the whole screen.
    if (planarDrawn)
        gRender->drawFullScreenQuad();
    else
        gRender->drawFullScreenQuadOver({&mBack, &mFront});
}
