// Render states, transforms, lighting, viewport and clear.
#include "platform/gfx/device_impl.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace gfx {

namespace {

// Tables indexed by the original value minus one.
const GLenum kBlendFactors[] = {GL_ZERO,
                                GL_ONE,
                                GL_SRC_COLOR,
                                GL_ONE_MINUS_SRC_COLOR,
                                GL_SRC_ALPHA,
                                GL_ONE_MINUS_SRC_ALPHA,
                                GL_DST_ALPHA,
                                GL_ONE_MINUS_DST_ALPHA,
                                GL_DST_COLOR,
                                GL_ONE_MINUS_DST_COLOR,
                                GL_SRC_ALPHA_SATURATE};
const GLenum kCompare[] = {GL_NEVER, GL_LESS, GL_EQUAL, GL_LEQUAL, GL_GREATER, GL_NOTEQUAL, GL_GEQUAL, GL_ALWAYS};
// INCRSAT/DECRSAT clamp (GL's INCR/DECR); INCR/DECR wrap.
const GLenum kStencilOps[] = {GL_KEEP, GL_ZERO, GL_REPLACE, GL_INCR, GL_DECR, GL_INVERT, GL_INCR_WRAP, GL_DECR_WRAP};

const char* const kRenderStateNames[RS_COUNT] = {
    "ALPHABLENDENABLE", "SRCBLEND",     "DESTBLEND",     "TEXTUREFACTOR",    "ZFUNC",        "CULLMODE",
    "ZENABLE",          "ZWRITEENABLE", "STENCILENABLE", "STENCILFAIL",      "STENCILZFAIL", "STENCILPASS",
    "STENCILFUNC",      "STENCILREF",   "STENCILMASK",   "STENCILWRITEMASK", "LIGHTING",     "SPECULARENABLE"};

bool inRange(uint32_t value, uint32_t low, uint32_t high)
{
    return value >= low && value <= high;
}

void enable(GLenum cap, bool on)
{
    if (on)
        glEnable(cap);
    else
        glDisable(cap);
}

void unpackColor(uint32_t argb, float out[4])
{
    out[0] = ((argb >> 16) & 0xFF) / 255.0f;
    out[1] = ((argb >> 8) & 0xFF) / 255.0f;
    out[2] = (argb & 0xFF) / 255.0f;
    out[3] = ((argb >> 24) & 0xFF) / 255.0f;
}

} // namespace

// Every state the device relies on, put back to the original device's
// defaults. Also undoes anything a blit or read-back could have left.
void Device::Impl::resetStates()
{
    bindTarget();
    glDisable(GL_SCISSOR_TEST);
    colorWrites = true;
    setColorMask(true);
    glDisable(GL_ALPHA_TEST);
    glDisable(GL_FOG);
    glDisable(GL_DITHER);
    glDisable(GL_COLOR_LOGIC_OP);
    glDisable(GL_POLYGON_OFFSET_FILL);
    glDisable(GL_NORMALIZE);
    glDisable(GL_COLOR_MATERIAL);
    glDisable(GL_COLOR_SUM);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glShadeModel(GL_SMOOTH);
    glLineWidth(1.0f);
    gl.BlendEquation(GL_FUNC_ADD);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);

    // Lighting model of the original device: no global ambient, local
    // viewer, specular added after texturing.
    const float black[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, black);
    glLightModeli(GL_LIGHT_MODEL_LOCAL_VIEWER, GL_TRUE);
    glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, GL_FALSE);
    glLightModeli(GL_LIGHT_MODEL_COLOR_CONTROL, GL_SEPARATE_SPECULAR_COLOR);
    lightEnabled = false;
    glDisable(GL_LIGHT0);
    lightDirty = true;
    materialDirty = true;

    static const uint32_t defaults[RS_COUNT] = {0,
                                                val::BLEND_ONE,
                                                val::BLEND_ZERO,
                                                0xFFFFFFFFu,
                                                val::CMP_LESS,
                                                val::CULL_CW,
                                                1,
                                                1,
                                                0,
                                                val::STENCIL_KEEP,
                                                val::STENCIL_KEEP,
                                                val::STENCIL_KEEP,
                                                val::CMP_ALWAYS,
                                                0,
                                                0xFFFFFFFFu,
                                                0xFFFFFFFFu,
                                                0,
                                                0};
    for (int i = 0; i < RS_COUNT; ++i)
        setRenderState(i, defaults[i]);

    identityMatrix(world);
    identityMatrix(view);
    identityMatrix(projection);
    transformsDirty = true;

    gl.BindBuffer(GL_ARRAY_BUFFER, 0);
    gl.BindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_COLOR_ARRAY);
    forgetVertexFormat();
    // The texture units themselves are left as they are: the next draw
    // sends each unit what it must change (applyStages).
    for (int i = 0; i < maxStages; ++i) {
        resetStage(i);
        gl.BindSampler(static_cast<GLuint>(i), samplers[i]);
        gl.ClientActiveTexture(GL_TEXTURE0 + i);
        glDisableClientState(GL_TEXTURE_COORD_ARRAY);
        stages[i].active = false;
    }
    for (int i = maxStages; i < MAX_STAGES; ++i)
        resetStage(i);
    gl.ClientActiveTexture(GL_TEXTURE0);
    glMatrixMode(GL_MODELVIEW);

    fullViewport();
}

void Device::Impl::setRenderState(int state, uint32_t value)
{
    if (state < 0 || state >= RS_COUNT) {
        logOnce("render state " + std::to_string(state) + " does not exist");
        return;
    }
    bool valid = true;
    switch (state) {
    case RS_SRCBLEND: valid = inRange(value, 1, 11); break;
    case RS_DESTBLEND:
        // Saturated source alpha is a source factor only.
        valid = inRange(value, 1, 10);
        break;
    case RS_ZFUNC:
    case RS_STENCILFUNC: valid = inRange(value, 1, 8); break;
    case RS_CULLMODE: valid = inRange(value, 1, 3); break;
    case RS_STENCILFAIL:
    case RS_STENCILZFAIL:
    case RS_STENCILPASS: valid = inRange(value, 1, 8); break;
    default: break;
    }
    if (!valid) {
        logOnce(std::string("render state ") + kRenderStateNames[state] + ": value " + std::to_string(value) +
                " ignored");
        return;
    }
    renderStates[state] = value;
    const uint32_t* rs = renderStates;
    switch (state) {
    case RS_ALPHABLENDENABLE: applyBlendEnable(); break;
    case RS_SRCBLEND:
    case RS_DESTBLEND:
        if (inRange(rs[RS_SRCBLEND], 1, 11) && inRange(rs[RS_DESTBLEND], 1, 10))
            glBlendFunc(kBlendFactors[rs[RS_SRCBLEND] - 1], kBlendFactors[rs[RS_DESTBLEND] - 1]);
        applyBlendEnable();
        break;
    case RS_TEXTUREFACTOR:
        for (Stage& s : stages)
            s.dirty = true;
        break;
    case RS_ZFUNC: glDepthFunc(kCompare[value - 1]); break;
    case RS_CULLMODE:
        // Winding as seen on screen: CW culls clockwise triangles. y is
        // never flipped, so screen winding is GL's window winding.
        if (value == val::CULL_NONE) {
            glDisable(GL_CULL_FACE);
        } else {
            glEnable(GL_CULL_FACE);
            glCullFace(GL_BACK);
            glFrontFace(value == val::CULL_CW ? GL_CCW : GL_CW);
        }
        break;
    case RS_ZENABLE: enable(GL_DEPTH_TEST, value != 0); break;
    case RS_ZWRITEENABLE: glDepthMask(value != 0 ? GL_TRUE : GL_FALSE); break;
    case RS_STENCILENABLE: enable(GL_STENCIL_TEST, value != 0); break;
    case RS_STENCILFAIL:
    case RS_STENCILZFAIL:
    case RS_STENCILPASS:
        if (inRange(rs[RS_STENCILFAIL], 1, 8) && inRange(rs[RS_STENCILZFAIL], 1, 8) &&
            inRange(rs[RS_STENCILPASS], 1, 8))
            glStencilOp(kStencilOps[rs[RS_STENCILFAIL] - 1], kStencilOps[rs[RS_STENCILZFAIL] - 1],
                        kStencilOps[rs[RS_STENCILPASS] - 1]);
        break;
    case RS_STENCILFUNC:
    case RS_STENCILREF:
    case RS_STENCILMASK:
        if (inRange(rs[RS_STENCILFUNC], 1, 8))
            glStencilFunc(kCompare[rs[RS_STENCILFUNC] - 1], static_cast<GLint>(rs[RS_STENCILREF] & 0x7FFFFFFF),
                          rs[RS_STENCILMASK]);
        break;
    case RS_STENCILWRITEMASK: glStencilMask(value); break;
    case RS_LIGHTING: enable(GL_LIGHTING, value != 0); break;
    case RS_SPECULARENABLE:
        materialDirty = true; // specular off is a black material specular
        break;
    default: break;
    }
}

// Blending that keeps the destination as it is (ZERO, ONE) draws for the
// depth and stencil buffers only: it is sent as a closed colour mask, so the
// software rasteriser neither reads nor writes the colour buffer for it.
void Device::Impl::applyBlendEnable()
{
    const uint32_t* rs = renderStates;
    const bool blend = rs[RS_ALPHABLENDENABLE] != 0;
    const bool keepsColor = blend && rs[RS_SRCBLEND] == val::BLEND_ZERO && rs[RS_DESTBLEND] == val::BLEND_ONE;
    enable(GL_BLEND, blend && !keepsColor);
    if (colorWrites == !keepsColor)
        return;
    colorWrites = !keepsColor;
    setColorMask(colorWrites);
}

void Device::Impl::setColorMask(bool open)
{
    const GLboolean on = open ? GL_TRUE : GL_FALSE;
    glColorMask(on, on, on, on);
}

// ---------------------------------------------------------------------------
// Viewport and clear

void Device::Impl::setViewport(int x, int y, int width, int height, float minZ, float maxZ)
{
    if (width < 0 || height < 0) {
        logOnce("viewport with a negative size ignored");
        return;
    }
    viewport.x = x;
    viewport.y = targetHeight() - y - height; // the caller counts y from the top
    viewport.width = width;
    viewport.height = height;
    viewport.minZ = std::clamp(minZ, 0.0f, 1.0f);
    viewport.maxZ = std::clamp(maxZ, 0.0f, 1.0f);
    glViewport(viewport.x, viewport.y, width, height);
    glDepthRange(viewport.minZ, viewport.maxZ);
}

void Device::Impl::fullViewport()
{
    setViewport(0, 0, targetWidth(), targetHeight(), 0.0f, 1.0f);
}

void Device::Impl::clear(bool color, bool depth, bool stencil, uint32_t argb, float z, uint32_t stencilValue)
{
    if (!ready())
        return;
    GLbitfield bits = 0;
    if (color) {
        float c[4];
        unpackColor(argb, c);
        glClearColor(c[0], c[1], c[2], c[3]);
        bits |= GL_COLOR_BUFFER_BIT;
    }
    if (depth) {
        glClearDepth(std::clamp(z, 0.0f, 1.0f));
        bits |= GL_DEPTH_BUFFER_BIT;
    }
    if (stencil) {
        glClearStencil(static_cast<GLint>(stencilValue & 0xFF));
        bits |= GL_STENCIL_BUFFER_BIT;
    }
    if (!bits)
        return;
    // Only the viewport is cleared, whatever the write masks say.
    glEnable(GL_SCISSOR_TEST);
    glScissor(viewport.x, viewport.y, viewport.width, viewport.height);
    setColorMask(true);
    glDepthMask(GL_TRUE);
    glStencilMask(0xFFFFFFFFu);
    glClear(bits);
    setColorMask(colorWrites);
    glDepthMask(renderStates[RS_ZWRITEENABLE] != 0 ? GL_TRUE : GL_FALSE);
    glStencilMask(renderStates[RS_STENCILWRITEMASK]);
    glDisable(GL_SCISSOR_TEST);
}

// ---------------------------------------------------------------------------
// Transforms and lighting

void Device::Impl::setTransform(int transform, const float m[16])
{
    if (!m)
        return;
    // Loading the same matrix again leaves GL's matrices as they are.
    auto store = [this](float (&to)[16], const float* from) {
        if (std::memcmp(to, from, sizeof to) != 0) {
            std::memcpy(to, from, sizeof to);
            transformsDirty = true;
        }
    };
    switch (transform) {
    case TS_WORLD: store(world, m); return;
    case TS_VIEW: store(view, m); return;
    case TS_PROJECTION: store(projection, m); return;
    default: break;
    }
    int stage = transform - TS_TEXTURE0;
    if (stage < 0 || stage >= MAX_STAGES) {
        logOnce("transform " + std::to_string(transform) + " does not exist");
        return;
    }
    std::memcpy(stages[stage].matrix, m, sizeof stages[stage].matrix);
    stages[stage].dirty = true;
}

// Loads the projection and modelview and, when they changed, the light and
// material. Row-major row-vector matrices are GL's column-major
// column-vector ones, so they load unchanged.
void Device::Impl::applyTransformsAndLighting()
{
    if (lightDirty) {
        // The light's position is taken under an identity modelview: the
        // renderer gives its direction in the space the view maps to.
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        float d[3] = {light.direction[0], light.direction[1], light.direction[2]};
        float length = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
        if (length > 0.0f)
            for (float& c : d)
                c /= length;
        const float position[4] = {-d[0], -d[1], -d[2], 0.0f};
        glLightfv(GL_LIGHT0, GL_POSITION, position);
        glLightfv(GL_LIGHT0, GL_DIFFUSE, light.diffuse);
        glLightfv(GL_LIGHT0, GL_SPECULAR, light.specular);
        glLightfv(GL_LIGHT0, GL_AMBIENT, light.ambient);
        lightDirty = false;
        transformsDirty = true;
    }
    if (transformsDirty) {
        // The renderer's projections map depth to 0..w; GL clips to -w..w,
        // so z' = 2z - w (column 2 := 2 * column 2 - column 3). This holds
        // for every projection, the identity included, so near-plane
        // clipping and depth values match the original device.
        float p[16];
        std::memcpy(p, projection, sizeof p);
        for (int row = 0; row < 4; ++row)
            p[row * 4 + 2] = 2.0f * projection[row * 4 + 2] - projection[row * 4 + 3];
        glMatrixMode(GL_PROJECTION);
        glLoadMatrixf(p);
        glMatrixMode(GL_MODELVIEW);
        glLoadMatrixf(view);
        glMultMatrixf(world); // v * world * view
        transformsDirty = false;
    }
    if (materialDirty) {
        const float black[4] = {0.0f, 0.0f, 0.0f, 0.0f};
        glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, material.diffuse);
        glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, material.ambient);
        glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, renderStates[RS_SPECULARENABLE] != 0 ? material.specular : black);
        glMaterialfv(GL_FRONT_AND_BACK, GL_EMISSION, material.emissive);
        float power = material.power;
        glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, std::isfinite(power) ? std::clamp(power, 0.0f, 128.0f) : 0.0f);
        materialDirty = false;
    }
}

// ---------------------------------------------------------------------------
// Public entry points

void Device::clear(bool color, bool depth, bool stencil, uint32_t argb, float z, uint32_t stencilValue)
{
    mImpl->clear(color, depth, stencil, argb, z, stencilValue);
}

void Device::setViewport(int x, int y, int width, int height, float minZ, float maxZ)
{
    mImpl->setViewport(x, y, width, height, minZ, maxZ);
}

void Device::setRenderState(RenderState state, uint32_t value)
{
    mImpl->setRenderState(state, value);
}

void Device::setTransform(int transform, const float m[16])
{
    mImpl->setTransform(transform, m);
}

void Device::setMaterial(const Material& material)
{
    mImpl->material = material;
    mImpl->materialDirty = true;
}

void Device::setLight(const Light& light)
{
    mImpl->light = light;
    mImpl->lightDirty = true;
}

void Device::lightEnable(bool on)
{
    mImpl->lightEnabled = on;
    enable(GL_LIGHT0, on);
}

} // namespace gfx
