#pragma once
#include "core/math.h"
#include "core/xml_parser.h"

#include <string>
#include <vector>

class YNamedSound;
class YShader;
struct YBlockMaterial;

// Faces of a block in their fixed order; each has an opposite.
enum YBlockFace {
    FACE_NEG_X,
    FACE_POS_X,
    FACE_NEG_Y,
    FACE_POS_Y,
    FACE_NEG_Z,
    FACE_POS_Z,
    FACE_COUNT
};
inline int oppositeFace(int face)
{
    return face ^ 1;
}

// One size of block of one material: what every block of that size and
// material shares. Owned by its material.
struct YBlockShape {
    float mass = 0.0f;
    float health = 0.0f;
    int w = 1, h = 1, d = 1;       // size in cells along x, y, z
    int faceArea[FACE_COUNT] = {}; // in cells, in face order
    YVec3 halfExtents;             // in world units, from the cell size when made
    YVec3 inertia;                 // of a solid box about its centre
    YBlockMaterial* material = nullptr;
    // Blocks (items, singles, splinters) that hold the shape. A shape that
    // is cleared while held lives on until its last holder lets go.
    int holders = 0;
};

// Blocks take hold of their shape for their lifetime.
void holdBlockShape(YBlockShape* shape);
void releaseBlockShape(YBlockShape* shape);

// A block material of "data\blocks.yml".
struct YBlockMaterial {
    YBlockMaterial() = default;
    ~YBlockMaterial();
    YBlockMaterial(const YBlockMaterial&) = delete;
    YBlockMaterial& operator=(const YBlockMaterial&) = delete;

    std::string name;
    float mass = 1.0f;           // per cell
    float health = 200.0f;       // of a block, whatever its size
    YShader* shader = nullptr;   // the faces
    YShader* inShader = nullptr; // the broken inside
    YNamedSound* soundStroke = nullptr;
    YNamedSound* soundDestroy = nullptr;
    std::vector<YBlockShape*> shapes; // sizes in use
    int score = 25;                   // for destroying a block
};

// Every material in file order. Materials are added and updated, never
// removed during a run.
extern std::vector<YBlockMaterial*> gBlockMaterials;

// Reads a materials file: adds new materials, updates known ones in place.
class YBlockMaterialLoader : public XMLParser {
public:
    enum Tag { TAG_DEFAULT, TAG_MATERIAL };
    YBlockMaterialLoader();

protected:
    void onTagOpen(int tagIndex) override;
    bool onError(const char* message) override;
};

void loadBlockMaterials(const char* path);
YBlockMaterial* findBlockMaterial(const std::string& name);
// The shape of that material and size, made on first use; null for a
// material nobody defined or a size that is not at least one cell.
YBlockShape* getBlockShape(const std::string& material, int w, int h, int d);
// Forgets every material's shapes (the cell size may change with the next
// level). Shapes still held by blocks are freed when their last holder goes.
void clearBlockShapes();
// Deletes every material with its shapes (tests, the end of the program).
// No block may be alive.
void clearBlockMaterials();
