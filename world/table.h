#pragma once
#include "core/math.h"
#include "render/draw_obj.h"
#include "render/mesh_draw.h"
#include "world/playfield.h"

#include <cstddef>
#include <vector>

class YShader;

// The table's mesh: "mesh\pyramid.mes", authored for a 20 x 20 table and
// stretched by the table to its size. It stays out of the scene's mesh pass
// (hidden, and its frame draw does nothing): only YTable::draw shows it.
class YPyramid : public YMeshInstance {
public:
    // The mesh's subsets, in the order of the table materials' shaders.
    static constexpr int SUBSET_COUNT = 9;
    // Subsets whose texture coordinates follow the table's size.
    static constexpr int SUBSET_INNER_WALLS = 4;
    static constexpr int SUBSET_STEPS = 6;
    static constexpr int SUBSET_FLOOR = 7;

    YPyramid();
    void draw() override {}
};

// A light spot of this frame: a square of half side `size` lying on the
// floor, tinted by its colour.
struct YLightSpot {
    float x = 0.0f, y = 0.0f;
    float size = 0.0f;
    YVec4 color;
    YShader* shader = nullptr;
};

// A light spot that lives for a while, its size and colour running from
// start to end over its life (the glow of an explosion on the floor).
struct YMovingLightSpot {
    float life = 0.0f;
    float age = 0.0f;
    float sizeStart = 0.0f, sizeEnd = 0.0f;
    YVec3 position;
    YVec4 colorStart, colorEnd;
    YShader* shader = nullptr;
};

// Where a ball or the boomerang struck a wall.
struct YWallFlash {
    YVec3 position;
    float remaining = 0.0f; // seconds left
    bool side = false;      // a side wall; false for the far wall
};

// The drawer of queued wall flashes. The queued item is the flash's place
// in the table's list (see YTable::update), so a flash that is gone, or a
// table that is gone, draws nothing.
class YWallContactDraw : public YDrawObj {
public:
    void draw(void* item) override;
};

// The four corners of the floor, near left first, counter-clockwise seen
// from above: (-hw, -hd, 0), (hw, -hd, 0), (hw, hd, 0), (-hw, hd, 0).
extern YVec3 gTableCorners[4];

// How the table plays its sounds: the game installs a function that plays
// the named sound at the position at full volume with no velocity. Without
// one (tests, tools, the editor) the table is silent.
using YTableSoundHook = void (*)(const char* name, const YVec3& position);
extern YTableSoundHook gTableSoundHook;

// The rectangular playing table: floor at z = 0, x in [-hw, hw], y in
// [-hd, hd], walls along both sides and the far edge (+y), open at the
// racket's edge (-y). It owns the pyramid mesh, keeps the physics world's
// table geometry and the world's playfield in step with its size, and draws
// the floor's light spots and the walls' flashes.
//
// One table at a time: the constructor makes it gTable. The shaders it uses
// are looked up once; shaders live for the whole run.
class YTable {
public:
    // Bits of draw(): the table mesh (clear: the floor's depth only), and
    // the light spots of this frame.
    enum DrawFlags { DRAW_MESH = 1, DRAW_LIGHT_SPOTS = 4, DRAW_ALL = 7 };

    static constexpr float AUTHORED_SIZE = 20.0f; // the pyramid's table
    static constexpr float DEFAULT_RACKET_WIDTH = 2.0f;
    // The near barrier that holds the blocks stands this far beyond the
    // racket's width from the racket's edge.
    static constexpr float BARRIER_GAP = 0.5f;
    static constexpr float FLASH_TIME = 0.25f;
    static constexpr float LIGHT_SPOT_HEIGHT = 0.01f;
    // Spots queued beyond this in one frame are dropped, so a loop that
    // never draws cannot grow the queue without end.
    static constexpr size_t MAX_LIGHT_SPOTS = 1024;

    // Becomes gTable, makes the pyramid and sets a 20 x 20 table.
    YTable();
    ~YTable();
    YTable(const YTable&) = delete;
    YTable& operator=(const YTable&) = delete;

    // Resizes the table: drops the moving light spots, sets the corners and
    // the world's playfield, rebuilds the physics world's floor and walls
    // (the world is made when it does not exist yet), stretches the pyramid
    // from its authored shape and, when a material of exactly that name is
    // known, gives the pyramid its shaders. A null or empty name keeps the
    // look; an unknown one is logged and keeps it too. A width or depth
    // that is not a positive finite number is logged and refused (false):
    // the old table stays as it was.
    bool setSize(float width, float depth, const char* material = nullptr);

    // The racket's width decides where the near barrier stands (width +
    // 0.5 from the near edge) and where the racket walks (racketY). 2.0
    // until the racket tells its own; applies from the next setSize. A
    // width that is negative or not finite is logged and refused.
    bool setRacketWidth(float width);
    float racketWidth() const { return mRacketWidth; }
    float backOffset() const { return mRacketWidth + BARRIER_GAP; }
    // The racket's line: half a racket width in from the near edge.
    float racketY() const { return racketLineY(mRacketWidth, mDepth); }

    // p.z >= 0 and strictly inside the table's rectangle.
    bool isOverTable(const YVec3& p) const;

    // A light spot ("lmap") under a glowing object of the given radius.
    void addLightSpot(const YVec3& position, const float color[4], float radius);
    // Queues a spot for this frame when the source is not below the floor,
    // lower than r and not farther than r beyond an edge. The spot grows
    // (half side r + height) and fades (colour x (1 - height / r)) as the
    // source rises. A null colour counts as white.
    void queueLightSpot(const YVec3& position, YShader* shader, const float color[4], float radius);
    // A spot that lives for `life` seconds; refused under the same rule
    // with r = the larger size.
    void addMovingLightSpot(float life, float sizeStart, float sizeEnd, const YVec3& position, YShader* shader,
                            const float colorStart[4], const float colorEnd[4]);
    // A ball or the boomerang struck a wall at p; n points from the wall
    // towards it. Above the floor only: plays "wall_stroke" and starts a
    // flash on the struck wall (a side wall when n is mostly along x).
    void addWallContact(const YVec3& position, const YVec3& normal);
    // Empties this frame's light spots (what draw with DRAW_LIGHT_SPOTS
    // does after drawing them), for loops that do not draw.
    void clearLightSpots() { mLightSpots.clear(); }

    // Once a frame: ages the wall flashes (queueing the live ones far-first)
    // and the moving light spots (queueing their spots for this frame). A
    // negative or non-finite dt counts as 0.
    void update(float dt);
    // Draws with the current world matrix (the camera's view: the table's
    // coordinates are the world's). Without DRAW_MESH the floor rectangle
    // goes to the depth buffer only ("zonly"); with it the pyramid is drawn
    // and hands its shadow volume on. DRAW_LIGHT_SPOTS draws this frame's
    // spots and empties their queue, with or without a renderer.
    void draw(int flags);

    // Draws one queued wall flash (YWallContactDraw); a stale index draws
    // nothing.
    void drawWallFlash(size_t index);

    float width() const { return mWidth; }
    float depth() const { return mDepth; }
    float halfWidth() const { return mHalfWidth; }
    float halfDepth() const { return mHalfDepth; }
    YPyramid* pyramid() const { return mPyramid; }
    const std::vector<YLightSpot>& lightSpots() const { return mLightSpots; }
    const std::vector<YMovingLightSpot>& movingLightSpots() const { return mMovingSpots; }
    const std::vector<YWallFlash>& wallFlashes() const { return mFlashes; }

private:
    void stretchPyramid();
    void applyMaterial(const char* name);
    void drawLightSpot(const YLightSpot& spot);

    float mWidth = AUTHORED_SIZE;
    float mDepth = AUTHORED_SIZE;
    float mHalfWidth = AUTHORED_SIZE * 0.5f;
    float mHalfDepth = AUTHORED_SIZE * 0.5f;
    float mRacketWidth = DEFAULT_RACKET_WIDTH;
    YPyramid* mPyramid = nullptr;

    std::vector<YLightSpot> mLightSpots;
    std::vector<YMovingLightSpot> mMovingSpots;
    std::vector<YWallFlash> mFlashes;

    YShader* mZOnlyShader = nullptr;
    YShader* mSpotShader = nullptr;
    YShader* mFlashShader = nullptr;
};

// The table, or null when none exists.
extern YTable* gTable;
