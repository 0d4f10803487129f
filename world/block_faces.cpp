#include "world/block_faces.h"

#include "render/camera.h"
#include "render/draw_queue.h"
#include "render/resource.h"
#include "render/shader.h"

#include <algorithm>
#include <cmath>
#include <string>

YBlockFaceList gBlockFaces;
YDrawBlockFace gDrawBlockFace;

const YVec3 gCubeCorners[8] = {YVec3(-1, -1, -1), YVec3(1, -1, -1), YVec3(1, 1, -1),
                               YVec3(-1, 1, -1),  YVec3(-1, -1, 1), YVec3(1, -1, 1),
                               YVec3(1, 1, 1),    YVec3(-1, 1, 1)};
const int gFaceCorners[6][4] = {{0, 4, 7, 3}, {6, 5, 1, 2}, {0, 1, 5, 4},
                                {6, 2, 3, 7}, {0, 3, 2, 1}, {6, 7, 4, 5}};
const YVec3 gFaceNormals[6] = {YVec3(-1, 0, 0), YVec3(1, 0, 0),  YVec3(0, -1, 0),
                               YVec3(0, 1, 0),  YVec3(0, 0, -1), YVec3(0, 0, 1)};

namespace {

YFilterTexture* gCrackTextures[CRACK_TEXTURES] = {};

const float FACE_UV[4][2] = {{0, 1}, {1, 1}, {1, 0}, {0, 0}};

// How far a blended block's far faces sit inside it, as a share of its
// extent: enough to keep them behind the near faces of a blended neighbour.
constexpr float BACK_FACE_INSET = 0.02f;

} // namespace

void addBlockFace(const YVec3 corners[4], const YVec3& normal, YShader* shader, float crack,
                  float u2, float v2)
{
    YBlockFaceQuad& f = gBlockFaces.add();
    for (int k = 0; k < 4; ++k) {
        float* v = f.vertices[k];
        v[0] = corners[k].x;
        v[1] = corners[k].y;
        v[2] = corners[k].z;
        v[3] = normal.x;
        v[4] = normal.y;
        v[5] = normal.z;
        v[6] = FACE_UV[k][0];
        v[7] = FACE_UV[k][1];
        v[8] = FACE_UV[k][0] + u2;
        v[9] = FACE_UV[k][1] + v2;
    }
    f.shader = shader;
    f.crack = crack;
}

void addBoxFaces(const YMatrix& world, const YVec3& centre, const YVec3& half, unsigned visible,
                 const YVec3& eye, YShader* shader, float crack, float u2, float v2)
{
    if (!shader)
        return;
    bool blended = shader->isAlphaBlended();
    YVec3 low = centre - half, high = centre + half;
    for (int face = 0; face < 6; ++face) {
        if (!(visible & (1u << face)))
            continue;
        const YVec3& n = gFaceNormals[face];
        // The faces -x, -y, -z pass through the lowest corner, the others
        // through the highest.
        const YVec3& onFace = (face & 1) ? high : low;
        bool towards = n.dot(eye - onFace) > 0.0f;
        if (!towards && !blended)
            continue;
        YVec3 inset;
        if (!towards) {
            int axis = face / 2;
            inset[axis] = -n[axis] * half[axis] * 2.0f * BACK_FACE_INSET;
        }
        YVec3 corners[4];
        for (int k = 0; k < 4; ++k)
            corners[k] = world.transformPoint(
                centre + scaleEach(gCubeCorners[gFaceCorners[face][k]], half) + inset);
        addBlockFace(corners, world.transformVector(n), shader, crack, u2, v2);
    }
}

float blockHiding(const YShader* shader, const YVec3& half)
{
    if (!shader || shader->isAlphaBlended())
        return 0.0f;
    return std::min({half.x, half.y, half.z});
}

YVec4 YColorFilterSub::filter(const YVec4& c) const
{
    return YVec4(std::max(c.x - amount, 0.0f), std::max(c.y - amount, 0.0f),
                 std::max(c.z - amount, 0.0f), 1.0f);
}

int crackTextureIndex(float level)
{
    if (!(level > 0.0f))
        return 0;
    if (level >= 1.0f)
        return CRACK_TEXTURES - 1;
    return std::min(static_cast<int>(level * 10.0f), CRACK_TEXTURES - 1);
}

YTexture* getCrackTexture(float level)
{
    if (!gCrackTextures[0]) {
        YTexture* source = getTexture("textures\\split.jpg");
        for (int i = 0; i < CRACK_TEXTURES; ++i) {
            auto* t = new YFilterTexture(source, new YColorFilterSub(static_cast<float>(i) * 0.1f));
            t->name = "textures\\split.jpg#" + std::to_string(i);
            t->restore();
            gCrackTextures[i] = t;
        }
    }
    return gCrackTextures[crackTextureIndex(level)];
}

void clearCrackTextures()
{
    for (YFilterTexture*& t : gCrackTextures) {
        delete t;
        t = nullptr;
    }
}

void YDrawBlockFace::draw(void* item) { drawRun(&item, 1); }

void YDrawBlockFace::drawRun(void* const* items, size_t count)
{
    if (!gRender)
        return;
    gRender->setWorldMatrix(gCamera().view().m);
    const bool cracks = gRender->maxStageCount() > 1;
    size_t i = 0;
    while (i < count) {
        auto* first = static_cast<YBlockFaceQuad*>(items[i]);
        if (!first || !first->shader) {
            ++i;
            continue;
        }
        YShader* shader = first->shader;
        const bool crackStage = cracks && shader->stages.size() > 1;
        const int crack = crackStage ? crackTextureIndex(first->crack) : 0;
        // The stretch: the faces from here on of this shader and crack.
        mVertices.clear();
        for (; i < count; ++i) {
            auto* face = static_cast<YBlockFaceQuad*>(items[i]);
            if (!face || face->shader != shader || (crackStage && crackTextureIndex(face->crack) != crack))
                break;
            const float* v = &face->vertices[0][0];
            mVertices.insert(mVertices.end(), v, v + 40);
        }
        // A whole block's crack texture is black: subtracting it changes
        // nothing, so its faces go without the crack stage and the software
        // rasteriser reads one texture less on every pixel they cover.
        const bool cracked = crackStage && crack != WHOLE_CRACK_TEXTURE;
        gRender->setShader(shader, true, crackStage && !cracked ? 1u : YMAX_STAGES);
        if (cracked)
            gRender->setTexture(getCrackTexture(first->crack), 1);
        gRender->drawQuadsNormalUV2(mVertices.data(), static_cast<int>(mVertices.size() / 40));
    }
}

void queueBlockFaces()
{
    for (YBlockFaceQuad& f : gBlockFaces) {
        if (!f.shader)
            continue;
        float centre[3] = {0, 0, 0};
        for (int k = 0; k < 4; ++k)
            for (int a = 0; a < 3; ++a)
                centre[a] += f.vertices[k][a] * 0.25f;
        if (f.shader->isAlphaBlended())
            queueBackToFront(&f, centre, &gDrawBlockFace);
        else
            queueFrontToBack(&f, centre, &gDrawBlockFace);
    }
}
