#pragma once
#include "core/math.h"

#include <string>
#include <vector>

class YShader;

// The faces of the backdrop cube, in the order they are loaded and drawn.
enum YEnvironmentFace { YEF_FRONT, YEF_BACK, YEF_RIGHT, YEF_LEFT, YEF_DOWN, YEF_UP, YEF_COUNT };

// Where each face lies and which way its picture runs, in the cube's own
// frame: y up, the viewer looking along -z, x to the viewer's right. Seen
// from inside the cube, u grows along `right` and v along `down`, so every
// picture is stored the way the viewer sees it: its top row (v = 0) is the
// edge nearest "up" on the four side faces; the top row of the up face
// meets the back face and its bottom row the front face; the top row of the
// down face meets the front face and its bottom row the back face.
//
// The cube is then turned by 90 degrees about X into the world, whose z is
// up: (x, y, z) -> (x, -z, y). So the front face lies at world +y (across
// the table, where the player looks), back at -y, right at +x, left at -x,
// up at +z and down at -z.
//
// The environment generator paints every texel from the world direction this
// table gives for it, so the six pictures meet without seams when drawn.
struct YEnvironmentFaceFrame {
    const char* name;
    float centre[3];
    float right[3];
    float down[3];
};

inline constexpr YEnvironmentFaceFrame ENVIRONMENT_FACES[YEF_COUNT] = {
    // name    centre      right       down
    {"front", {0, 0, -1}, {1, 0, 0},  {0, -1, 0}},
    {"back",  {0, 0, 1},  {-1, 0, 0}, {0, -1, 0}},
    {"right", {1, 0, 0},  {0, 0, 1},  {0, -1, 0}},
    {"left",  {-1, 0, 0}, {0, 0, -1}, {0, -1, 0}},
    {"down",  {0, -1, 0}, {1, 0, 0},  {0, 0, 1}},
    {"up",    {0, 1, 0},  {1, 0, 0},  {0, 0, -1}},
};

// The texture coordinates of the face quads stop short of the picture's
// edges, so a wrapping sampler never blends in the opposite edge.
inline constexpr float ENVIRONMENT_UV_MIN = 0.001f;
inline constexpr float ENVIRONMENT_UV_MAX = 0.999f;

// The quad's vertex order: (u, v) of vertex k is (min, min), (max, min),
// (max, max), (min, max), i.e. top-left, top-right, bottom-right,
// bottom-left, clockwise on screen when seen from inside the cube.
inline constexpr int ENVIRONMENT_QUAD_S[4] = {-1, 1, 1, -1};
inline constexpr int ENVIRONMENT_QUAD_T[4] = {-1, -1, 1, 1};

// The point of a face at s, t in -1..1 (s along right, t along down) on the
// cube of corners (+-1, +-1, +-1), in world coordinates (after the turn
// about X, written out exactly rather than with sines of 90 degrees).
inline YVec3 environmentCubePoint(int face, float s, float t)
{
    const YEnvironmentFaceFrame& f = ENVIRONMENT_FACES[face];
    float p[3];
    for (int i = 0; i < 3; ++i)
        p[i] = f.centre[i] + s * f.right[i] + t * f.down[i];
    return YVec3(p[0], -p[2], p[1]);
}

// The world direction (not normalised) that the texel at texture
// coordinates (u, v) of a face shows when the quad is drawn: the inverse of
// the quad's 0.001..0.999 mapping.
inline YVec3 environmentFaceDirection(int face, float u, float v)
{
    const float span = ENVIRONMENT_UV_MAX - ENVIRONMENT_UV_MIN;
    float s = (u - ENVIRONMENT_UV_MIN) / span * 2.0f - 1.0f;
    float t = (v - ENVIRONMENT_UV_MIN) / span * 2.0f - 1.0f;
    return environmentCubePoint(face, s, t);
}

// The backdrop: a textured cube around the eye, drawn before the scene. Each
// face has a shader of its own (a copy of the shader "environment") whose
// first stage shows "env\<name>\<face>.jpg".
class YEnvironment {
public:
    // Lists the folders under "env\": the known environments.
    YEnvironment();
    YEnvironment(const YEnvironment&) = delete;
    YEnvironment& operator=(const YEnvironment&) = delete;

    // Shows the environment of that name; a name that is not a known folder
    // (compared ignoring case, as paths are) shows the first known one. The
    // first call makes the six face shaders.
    void load(const std::string& name);
    // Draws the cube with the camera's rotation only, so it stays centred
    // on the eye. Nothing before the first load. A face outside the view is
    // skipped.
    void draw();

    const std::string& name() const { return mName; }
    const std::vector<std::string>& knownNames() const { return mKnown; }
    // The face's shader; null before the first load, and after the shader
    // registry was emptied until the next load.
    YShader* faceShader(int face) const;

private:
    void buildQuads();

    // The face shaders live in the shader registry and are found there by
    // name whenever they are used: no pointer is kept that would outlive a
    // registry emptied when a run ends.
    bool mLoaded = false;
    std::vector<std::string> mKnown;
    std::string mName;
    float mQuads[YEF_COUNT][4 * 7];
    bool mQuadsBuilt = false;
};

// The one environment, built on first use.
YEnvironment& gEnvironment();
