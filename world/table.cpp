#include "world/table.h"

#include "core/log.h"
#include "render/mesh.h"
#include "render/render.h"
#include "render/shader.h"
#include "sound/named_sound.h"
#include "world/physics_world.h"
#include "world/playfield.h"
#include "world/racket.h"
#include "world/table_material.h"

#include <cmath>

YTable* gTable = nullptr;

YVec3 gTableCorners[4] = {
    YVec3(-10.0f, -10.0f, 0.0f),
    YVec3(10.0f, -10.0f, 0.0f),
    YVec3(10.0f, 10.0f, 0.0f),
    YVec3(-10.0f, 10.0f, 0.0f),
};

namespace {
// The table's sounds are named sounds at the struck place.
void playTableSound(const char* name, const YVec3& position)
{
    getNamedSound(name)->play(position, -1.0f, YVec3());
}
} // namespace

YTableSoundHook gTableSoundHook = playTableSound;

namespace {

// The shaders of the pyramid's subsets before any material is applied.
const char* const DEFAULT_SHADERS[YPyramid::SUBSET_COUNT] = {"pyr1", "pyr2", "pyr2", "pyr4", "pyr5",
                                                              "pyr6", "pyr7", "pyr2", "pyr9"};

// The render vertices of one subset's triangles, through the mesh's index
// list; a subset the mesh does not have, or whose indices run past the
// lists, gives none.
template <typename Fn>
void forSubsetVertices(const YMesh& mesh, size_t vertexCount, int subset, Fn fn)
{
    if (subset < 0 || static_cast<size_t>(subset) >= mesh.subsets.size())
        return;
    const YMeshSubset& s = mesh.subsets[static_cast<size_t>(subset)];
    if (s.firstIndex < 0 || s.triangleCount < 0)
        return;
    size_t first = static_cast<size_t>(s.firstIndex);
    size_t end = first + static_cast<size_t>(s.triangleCount) * 3;
    if (end > mesh.indices.size())
        return;
    for (size_t i = first; i < end; ++i) {
        size_t v = mesh.indices[i];
        if (v < vertexCount && v < mesh.vertices.size())
            fn(v);
    }
}

} // namespace

// ------------------------------------------------------------------ YPyramid

YPyramid::YPyramid() : YMeshInstance(getMesh("mesh\\pyramid.mes"), 1.0f)
{
    visible = 0;
    for (const char* name : DEFAULT_SHADERS)
        shaders.push_back(getShader(name));
}

// -------------------------------------------------------------------- YTable

YTable::YTable()
{
    gTable = this;
    mZOnlyShader = getShader("zonly");
    mSpotShader = getShader("lmap");
    mFlashShader = getShader("split");
    mPyramid = new YPyramid();
    setSize(AUTHORED_SIZE, AUTHORED_SIZE, nullptr);
}

YTable::~YTable()
{
    delete mPyramid;
    if (gTable == this)
        gTable = nullptr;
}

bool YTable::setSize(float width, float depth, const char* material)
{
    if (!isValidTableSize(width) || !isValidTableSize(depth)) {
        YLog::writef("Bad table size %g x %g, keeping %g x %g", static_cast<double>(width),
                     static_cast<double>(depth), static_cast<double>(mWidth), static_cast<double>(mDepth));
        return false;
    }
    mMovingSpots.clear();
    mWidth = width;
    mDepth = depth;
    mHalfWidth = width * 0.5f;
    mHalfDepth = depth * 0.5f;
    gTableCorners[0] = YVec3(-mHalfWidth, -mHalfDepth, 0.0f);
    gTableCorners[1] = YVec3(mHalfWidth, -mHalfDepth, 0.0f);
    gTableCorners[2] = YVec3(mHalfWidth, mHalfDepth, 0.0f);
    gTableCorners[3] = YVec3(-mHalfWidth, mHalfDepth, 0.0f);

    // The world's rules (what has left the table) measure against the same
    // size, and the balls need the floor and walls of this size.
    setPlayfieldSize(width, depth);
    physics().buildTable(width, depth, backOffset());
    // The racket walks along the near edge, wherever that now is.
    if (gRacket)
        gRacket->followTable();

    stretchPyramid();
    applyMaterial(material);
    return true;
}

bool YTable::setRacketWidth(float width)
{
    if (!std::isfinite(width) || width < 0.0f) {
        YLog::writef("Bad racket width %g, keeping %g", static_cast<double>(width),
                     static_cast<double>(mRacketWidth));
        return false;
    }
    mRacketWidth = width;
    return true;
}

// Every vertex moves away from the centre lines by the size difference, so
// the floor, the walls and the terraces keep their widths; the walls' and
// steps' textures are stretched with them and the floor is mapped anew.
void YTable::stretchPyramid()
{
    YMesh* mesh = mPyramid->mesh;
    if (!mesh)
        return;
    std::vector<YMeshVertex>& out = mPyramid->vertices;
    const float dx = mHalfWidth - AUTHORED_SIZE * 0.5f;
    const float dy = mHalfDepth - AUTHORED_SIZE * 0.5f;

    for (const YSourceVertex& source : mesh->sourceVertices) {
        const YVec3& p = source.pos;
        YVec3 moved(p.x + (p.x < 0.0f ? -dx : dx), p.y + (p.y < 0.0f ? -dy : dy), p.z);
        int count = source.vertexCount < MAX_VERT_IDX ? source.vertexCount : MAX_VERT_IDX;
        for (int k = 0; k < count; ++k) {
            int v = source.vertices[k];
            if (v >= 0 && static_cast<size_t>(v) < out.size())
                out[static_cast<size_t>(v)].pos = moved;
        }
    }

    // The inner walls repeat their texture a whole number of times; the
    // steps between the terraces stretch it; the floor keeps its tile size.
    const float k = dx + dy;
    const std::vector<YMeshVertex>& authored = mesh->vertices;
    forSubsetVertices(*mesh, out.size(), YPyramid::SUBSET_INNER_WALLS, [&](size_t v) {
        out[v].tex.x = std::floor((1.0f + 0.05f * k) * authored[v].tex.x + 0.5f);
    });
    forSubsetVertices(*mesh, out.size(), YPyramid::SUBSET_STEPS,
                      [&](size_t v) { out[v].tex.x = (1.0f + k / 18.0f) * authored[v].tex.x; });
    forSubsetVertices(*mesh, out.size(), YPyramid::SUBSET_FLOOR, [&](size_t v) {
        out[v].tex.x = out[v].pos.x * 0.11f;
        out[v].tex.y = out[v].pos.y * 0.11f;
    });
    mPyramid->dirty = 1;
}

void YTable::applyMaterial(const char* name)
{
    if (!name || !*name)
        return;
    const YTableMaterial* material = findTableMaterial(name);
    if (!material || material->shaders.empty()) {
        YLog::writef("Unknown table material \"%s\", the table keeps its look", name);
        return;
    }
    mPyramid->shaders = material->shaders;
}

bool YTable::isOverTable(const YVec3& p) const
{
    return isOverTableArea(p, mHalfWidth, mHalfDepth);
}

void YTable::draw(int flags)
{
    if (gRender) {
        if (!(flags & DRAW_MESH)) {
            // The floor in the depth buffer only, for a frame whose table
            // was drawn into the stored backdrop.
            gRender->setShader(mZOnlyShader, true);
            float quad[12];
            for (int i = 0; i < 4; ++i) {
                quad[i * 3] = gTableCorners[i].x;
                quad[i * 3 + 1] = gTableCorners[i].y;
                quad[i * 3 + 2] = gTableCorners[i].z;
            }
            gRender->drawQuad(quad);
        } else {
            mPyramid->uploadIfDirty();
            gRender->drawMeshShaded(mPyramid->buffers(), mPyramid->shaders);
            if (gShadowVolumeHook)
                gShadowVolumeHook(*mPyramid, mPyramid->matrix);
        }
        if (flags & DRAW_LIGHT_SPOTS) {
            for (const YLightSpot& spot : mLightSpots)
                drawLightSpot(spot);
        }
    }
    if (flags & DRAW_LIGHT_SPOTS)
        mLightSpots.clear();
}
