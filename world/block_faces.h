#pragma once
#include "core/math.h"
#include "render/draw_obj.h"
#include "render/render.h"

#include <cstddef>
#include <deque>
#include <vector>

class YShader;
class YTexture;

// One block face to draw this frame: a quad in world space.
struct YBlockFaceQuad {
    // Four vertices: position, normal, texture coordinates, second texture
    // coordinates (the layout of drawQuadNormalUV2).
    float vertices[4][10];
    YShader* shader;
    // 0 (about to break) .. 1 (whole): chooses the crack texture.
    float crack;
};

// The faces of one frame. The draw queues point into it, so a record never
// moves: records are reused from frame to frame and the storage only grows.
// A queue left undrawn at the next update thus reads live records (the
// frame draws them twice at worst), never freed ones.
class YBlockFaceList {
public:
    using iterator = std::deque<YBlockFaceQuad>::iterator;
    using const_iterator = std::deque<YBlockFaceQuad>::const_iterator;

    void clear() { mCount = 0; }
    // The next record, its contents left from an earlier frame.
    YBlockFaceQuad& add()
    {
        if (mCount == mFaces.size())
            mFaces.emplace_back();
        return mFaces[mCount++];
    }
    size_t size() const { return mCount; }
    bool empty() const { return mCount == 0; }
    YBlockFaceQuad& operator[](size_t i) { return mFaces[i]; }
    const YBlockFaceQuad& operator[](size_t i) const { return mFaces[i]; }
    iterator begin() { return mFaces.begin(); }
    iterator end() { return mFaces.begin() + static_cast<std::ptrdiff_t>(mCount); }
    const_iterator begin() const { return mFaces.begin(); }
    const_iterator end() const { return mFaces.begin() + static_cast<std::ptrdiff_t>(mCount); }

private:
    std::deque<YBlockFaceQuad> mFaces;
    size_t mCount = 0;
};

// The faces of this frame, emptied and refilled by updateAllBlocks.
extern YBlockFaceList gBlockFaces;

// Unit cube corners (index bit 0: x, bit 1: y, bit 2: z, in the order
// (-1,-1,-1), (1,-1,-1), (1,1,-1), (-1,1,-1), (-1,-1,1), (1,-1,1), (1,1,1),
// (-1,1,1)), the corners of each face in vertex order and the face normals.
extern const YVec3 gCubeCorners[8];
extern const int gFaceCorners[6][4];
extern const YVec3 gFaceNormals[6];

// a times b axis by axis: a cube corner scaled by a box's half extents.
inline YVec3 scaleEach(const YVec3& a, const YVec3& b)
{
    return YVec3(a.x * b.x, a.y * b.y, a.z * b.z);
}

// Appends a face quad; the texture coordinates run (0,1), (1,1), (1,0),
// (0,0), the second set shifted by (u2, v2).
void addBlockFace(const YVec3 corners[4], const YVec3& normal, YShader* shader, float crack,
                  float u2, float v2);

// The faces of a box of the given centre and half extents in a local
// frame that world maps to the world. eye is the camera in the same local
// frame. With an opaque shader only faces turned towards the eye are
// emitted; with a blended one every face, those turned away drawn just
// inside the box. visible masks faces out (bit per face).
void addBoxFaces(const YMatrix& world, const YVec3& centre, const YVec3& half, unsigned visible,
                 const YVec3& eye, YShader* shader, float crack, float u2, float v2);

// How far from its centre a block's faces hide what lies inside it: its
// smallest half extent when they are opaque, else 0. The software rasteriser
// would still set up every triangle of a ball hidden there.
float blockHiding(const YShader* shader, const YVec3& half);

// Darkens a texel by an amount: (r, g, b) lowered by it (not below 0),
// alpha 1.
class YColorFilterSub : public YColorFilter {
public:
    explicit YColorFilterSub(float amount) : amount(amount) {}
    YVec4 filter(const YVec4& color) const override;
    float amount;
};

// Which of the ten crack textures a crack level shows: the level x 10 cut
// to an integer, kept within 0..9 (a level that is not a number shows 0).
int crackTextureIndex(float level);
constexpr int CRACK_TEXTURES = 10;
// The crack texture of a whole block (levels from 0.9 up): the cracks
// lowered by 0.9, black since the crack picture stays below that.
constexpr int WHOLE_CRACK_TEXTURE = CRACK_TEXTURES - 1;
// The crack texture of that level; the ten textures are made from
// "textures\split.jpg" on the first call.
YTexture* getCrackTexture(float level);
// Deletes the crack textures (before the renderer goes; tests).
void clearCrackTextures();

// Draws a queued YBlockFaceQuad; a run of them in a queue goes out as one
// draw per stretch of one shader and crack texture.
class YDrawBlockFace : public YDrawObj {
public:
    void draw(void* item) override;
    bool drawsRuns() const override { return true; }
    void drawRun(void* const* items, size_t count) override;

private:
    std::vector<float> mVertices; // a stretch's quads, kept between frames
};
extern YDrawBlockFace gDrawBlockFace;

// Queues every face of the list at its centre: opaque faces near-first,
// blended ones far-first.
void queueBlockFaces();
