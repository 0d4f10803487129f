// Texture stages: combiner set-up, texture matrices, samplers.
//
// Stage states arrive one at a time (an op, then its arguments), so they are
// only stored here and each GL unit is set up when something is drawn.
#include "platform/gfx/device_impl.h"

#include <cstring>

namespace gfx {

namespace {

// One combiner input: a GL source with its operand.
struct Input {
    GLenum source = GL_PREVIOUS;
    GLenum operand = GL_SRC_COLOR;
};

// One combiner function (RGB or alpha) with its three inputs.
struct Combine {
    GLenum mode = GL_REPLACE;
    Input in[3];
    GLint scale = 1;
};

Input complement(Input i)
{
    switch (i.operand) {
    case GL_SRC_COLOR: i.operand = GL_ONE_MINUS_SRC_COLOR; break;
    case GL_ONE_MINUS_SRC_COLOR: i.operand = GL_SRC_COLOR; break;
    case GL_SRC_ALPHA: i.operand = GL_ONE_MINUS_SRC_ALPHA; break;
    default: i.operand = GL_SRC_ALPHA; break;
    }
    return i;
}

Input alphaOf(Input i)
{
    if (i.operand == GL_SRC_COLOR)
        i.operand = GL_SRC_ALPHA;
    else if (i.operand == GL_ONE_MINUS_SRC_COLOR)
        i.operand = GL_ONE_MINUS_SRC_ALPHA;
    return i;
}

const char* const kOpNames[] = {"",
                                "DISABLE",
                                "SELECTARG1",
                                "SELECTARG2",
                                "MODULATE",
                                "MODULATE2X",
                                "MODULATE4X",
                                "ADD",
                                "ADDSIGNED",
                                "ADDSIGNED2X",
                                "SUBTRACT",
                                "ADDSMOOTH",
                                "BLENDDIFFUSEALPHA",
                                "BLENDTEXTUREALPHA",
                                "BLENDFACTORALPHA",
                                "BLENDTEXTUREALPHAPM",
                                "BLENDCURRENTALPHA",
                                "PREMODULATE",
                                "MODULATEALPHA_ADDCOLOR",
                                "MODULATECOLOR_ADDALPHA",
                                "MODULATEINVALPHA_ADDCOLOR",
                                "MODULATEINVCOLOR_ADDALPHA",
                                "BUMPENVMAP",
                                "BUMPENVMAPLUMINANCE",
                                "DOTPRODUCT3",
                                "MULTIPLYADD",
                                "LERP"};

enum Op : uint32_t {
    DISABLE = 1,
    SELECTARG1,
    SELECTARG2,
    MODULATE,
    MODULATE2X,
    MODULATE4X,
    ADD,
    ADDSIGNED,
    ADDSIGNED2X,
    SUBTRACT,
    ADDSMOOTH,
    BLENDDIFFUSEALPHA,
    BLENDTEXTUREALPHA,
    BLENDFACTORALPHA,
    BLENDTEXTUREALPHAPM,
    BLENDCURRENTALPHA,
    PREMODULATE,
    MODULATEALPHA_ADDCOLOR,
    MODULATECOLOR_ADDALPHA,
    MODULATEINVALPHA_ADDCOLOR,
    MODULATEINVCOLOR_ADDALPHA,
    BUMPENVMAP,
    BUMPENVMAPLUMINANCE,
    DOTPRODUCT3,
    MULTIPLYADD,
    LERP
};

bool validArgument(uint32_t arg)
{
    return (arg & ~0x3Fu) == 0 && (arg & 0x0F) <= val::ARG_SPECULAR;
}

bool isFilter(uint32_t v)
{
    return v <= val::FILTER_GAUSSIANCUBIC;
}
bool isAddress(uint32_t v)
{
    return v >= val::ADDRESS_WRAP && v <= val::ADDRESS_MIRRORONCE;
}

GLenum magFilter(uint32_t f)
{
    return f <= val::FILTER_POINT ? GL_NEAREST : GL_LINEAR;
}

// MINFILTER picks within a level, MIPFILTER between levels.
GLenum minFilter(uint32_t min, uint32_t mip)
{
    bool linear = min > val::FILTER_POINT;
    if (mip == val::FILTER_NONE)
        return linear ? GL_LINEAR : GL_NEAREST;
    if (mip == val::FILTER_POINT)
        return linear ? GL_LINEAR_MIPMAP_NEAREST : GL_NEAREST_MIPMAP_NEAREST;
    return linear ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_LINEAR;
}

// The eight values of one combiner function: mode, the source and operand
// of each input, scale.
void combineValues(const Combine& c, bool alpha, GLint out[8])
{
    out[0] = static_cast<GLint>(c.mode);
    for (int k = 0; k < 3; ++k) {
        Input in = alpha ? alphaOf(c.in[k]) : c.in[k];
        out[1 + 2 * k] = static_cast<GLint>(in.source);
        out[2 + 2 * k] = static_cast<GLint>(in.operand);
    }
    out[7] = c.scale;
}

// The texture-environment names of GlUnit::combine, in its order.
const GLenum kCombineNames[17] = {
    GL_TEXTURE_ENV_MODE,
    GL_COMBINE_RGB,      GL_SOURCE0_RGB,    GL_OPERAND0_RGB,   GL_SOURCE1_RGB,    GL_OPERAND1_RGB,
    GL_SOURCE2_RGB,      GL_OPERAND2_RGB,   GL_RGB_SCALE,      GL_COMBINE_ALPHA,  GL_SOURCE0_ALPHA,
    GL_OPERAND0_ALPHA,   GL_SOURCE1_ALPHA,  GL_OPERAND1_ALPHA, GL_SOURCE2_ALPHA,  GL_OPERAND2_ALPHA,
    GL_ALPHA_SCALE};

} // namespace

// ---------------------------------------------------------------------------
// Stage states

void Device::Impl::resetStage(int stage)
{
    Stage& s = stages[stage];
    s.states[SS_COLOROP] = stage == 0 ? val::OP_MODULATE : val::OP_DISABLE;
    s.states[SS_COLORARG1] = val::ARG_TEXTURE;
    s.states[SS_COLORARG2] = val::ARG_CURRENT;
    s.states[SS_ALPHAOP] = stage == 0 ? val::OP_SELECTARG1 : val::OP_DISABLE;
    s.states[SS_ALPHAARG1] = val::ARG_TEXTURE;
    s.states[SS_ALPHAARG2] = val::ARG_CURRENT;
    s.states[SS_MAGFILTER] = val::FILTER_POINT;
    s.states[SS_MINFILTER] = val::FILTER_POINT;
    s.states[SS_MIPFILTER] = val::FILTER_NONE;
    s.states[SS_ADDRESSU] = val::ADDRESS_WRAP;
    s.states[SS_ADDRESSV] = val::ADDRESS_WRAP;
    s.states[SS_TEXTURETRANSFORMFLAGS] = val::TTF_DISABLE;
    s.texture = nullptr;
    identityMatrix(s.matrix);
    s.dirty = true;
    if (stage < maxStages)
        applySampler(stage);
}

void Device::Impl::setStageState(int stage, int state, uint32_t value)
{
    if (stage < 0 || stage >= MAX_STAGES || state < 0 || state >= SS_COUNT) {
        logOnce("stage " + std::to_string(stage) + " state " + std::to_string(state) + " does not exist");
        return;
    }
    bool valid = true;
    switch (state) {
    case SS_COLOROP:
    case SS_ALPHAOP: valid = value >= val::OP_DISABLE && value <= val::OP_LERP; break;
    case SS_COLORARG1:
    case SS_COLORARG2:
    case SS_ALPHAARG1:
    case SS_ALPHAARG2: valid = validArgument(value); break;
    case SS_MAGFILTER:
    case SS_MINFILTER:
    case SS_MIPFILTER: valid = isFilter(value); break;
    case SS_ADDRESSU:
    case SS_ADDRESSV: valid = isAddress(value); break;
    case SS_TEXTURETRANSFORMFLAGS: valid = value == val::TTF_DISABLE || value == val::TTF_COUNT2; break;
    default: break;
    }
    if (!valid) {
        logOnce("stage state " + std::to_string(state) + ": value " + std::to_string(value) + " ignored");
        return;
    }
    Stage& s = stages[stage];
    if (s.states[state] == value)
        return;
    s.states[state] = value;
    if (state >= SS_MAGFILTER && state <= SS_ADDRESSV) {
        if (stage < maxStages)
            applySampler(stage);
    } else {
        s.dirty = true;
    }
}

void Device::Impl::applySampler(int stage)
{
    const uint32_t* st = stages[stage].states;
    GLuint sampler = samplers[stage];
    gl.SamplerParameteri(sampler, GL_TEXTURE_MAG_FILTER, static_cast<GLint>(magFilter(st[SS_MAGFILTER])));
    gl.SamplerParameteri(sampler, GL_TEXTURE_MIN_FILTER,
                         static_cast<GLint>(minFilter(st[SS_MINFILTER], st[SS_MIPFILTER])));
    const GLenum axes[2] = {GL_TEXTURE_WRAP_S, GL_TEXTURE_WRAP_T};
    const uint32_t modes[2] = {st[SS_ADDRESSU], st[SS_ADDRESSV]};
    for (int i = 0; i < 2; ++i) {
        GLenum wrap = GL_REPEAT;
        switch (modes[i]) {
        case 2: wrap = GL_MIRRORED_REPEAT; break;
        case 3: wrap = GL_CLAMP_TO_EDGE; break;
        case 4: wrap = GL_CLAMP_TO_BORDER; break; // border colour transparent black, as the original
        case val::ADDRESS_MIRRORONCE:
            if (hasMirrorOnce) {
                wrap = GL_MIRROR_CLAMP_TO_EDGE;
            } else {
                logOnce("MIRRORONCE addressing unavailable, mirrored repeat used");
                wrap = GL_MIRRORED_REPEAT;
            }
            break;
        default: break;
        }
        gl.SamplerParameteri(sampler, axes[i], static_cast<GLint>(wrap));
    }
}

// ---------------------------------------------------------------------------
// Combiners

namespace {

// Builds one combiner function from an op and its two arguments (already
// mapped, with modifiers). alpha: the alpha function of the stage.
Combine buildCombine(uint32_t op, Input a1, Input a2, bool alpha, bool hasModulateAdd,
                     const std::function<void(const std::string&)>& note)
{
    const Input current{GL_PREVIOUS, GL_SRC_COLOR};
    auto blend = [](Input x, Input y, Input factor) {
        Combine c;
        c.mode = GL_INTERPOLATE; // in0 * in2 + in1 * (1 - in2)
        c.in[0] = x;
        c.in[1] = y;
        c.in[2] = factor;
        return c;
    };
    // x * z + y (ATI_texture_env_combine3); callers pass the factor as x.
    // Without the extension the factor is dropped: y + z.
    auto modulateAdd = [&](Input x, Input y, Input z) {
        Combine c;
        if (hasModulateAdd) {
            c.mode = GL_MODULATE_ADD_ATI;
            c.in[0] = x;
            c.in[1] = y;
            c.in[2] = z;
        } else {
            note("no MODULATE_ADD combiner (ATI_texture_env_combine3): ADD used");
            c.mode = GL_ADD;
            c.in[0] = y;
            c.in[1] = z;
        }
        return c;
    };
    auto two = [&](GLenum mode, GLint scale) {
        Combine c;
        c.mode = mode;
        c.in[0] = a1;
        c.in[1] = a2;
        c.scale = scale;
        return c;
    };
    switch (op) {
    case SELECTARG1: return two(GL_REPLACE, 1);
    case SELECTARG2: {
        Combine c = two(GL_REPLACE, 1);
        c.in[0] = a2;
        c.in[1] = a1;
        return c;
    }
    case MODULATE: return two(GL_MODULATE, 1);
    case MODULATE2X: return two(GL_MODULATE, 2);
    case MODULATE4X: return two(GL_MODULATE, 4);
    case ADD: return two(GL_ADD, 1);
    case ADDSIGNED: return two(GL_ADD_SIGNED, 1);
    case ADDSIGNED2X: return two(GL_ADD_SIGNED, 2);
    case SUBTRACT: return two(GL_SUBTRACT, 1);
    // a1 + a2 - a1 * a2 = (1 - a1) * a2 + a1
    case ADDSMOOTH: return modulateAdd(complement(a1), a1, a2);
    case BLENDDIFFUSEALPHA: return blend(a1, a2, {GL_PRIMARY_COLOR, GL_SRC_ALPHA});
    case BLENDTEXTUREALPHA: return blend(a1, a2, {GL_TEXTURE, GL_SRC_ALPHA});
    case BLENDFACTORALPHA: return blend(a1, a2, {GL_CONSTANT, GL_SRC_ALPHA});
    case BLENDCURRENTALPHA: return blend(a1, a2, {GL_PREVIOUS, GL_SRC_ALPHA});
    // a1 + a2 * (1 - texture alpha)
    case BLENDTEXTUREALPHAPM: return modulateAdd({GL_TEXTURE, GL_ONE_MINUS_SRC_ALPHA}, a1, a2);
    case PREMODULATE: note("stage op PREMODULATE has no GL equivalent: MODULATE used"); return two(GL_MODULATE, 1);
    case MODULATEALPHA_ADDCOLOR: return modulateAdd(alphaOf(a1), a1, a2);
    case MODULATECOLOR_ADDALPHA: return modulateAdd(a1, alphaOf(a1), a2);
    case MODULATEINVALPHA_ADDCOLOR: return modulateAdd(complement(alphaOf(a1)), a1, a2);
    case MODULATEINVCOLOR_ADDALPHA: return modulateAdd(complement(a1), alphaOf(a1), a2);
    case BUMPENVMAP:
    case BUMPENVMAPLUMINANCE: {
        note(std::string("stage op ") + kOpNames[op] + " has no GL equivalent: the stage passes its input on");
        Combine c;
        c.mode = GL_REPLACE;
        c.in[0] = current;
        return c;
    }
    case DOTPRODUCT3:
        if (alpha) {
            // DOT3_RGBA from the colour function writes alpha too; an alpha
            // function cannot take a dot product of its own.
            note("stage alpha op DOTPRODUCT3 without a DOTPRODUCT3 colour op: MODULATE used");
            return two(GL_MODULATE, 1);
        }
        return two(GL_DOT3_RGBA, 1);
    case MULTIPLYADD:
        // The third argument keeps its default, the current colour.
        note("stage op MULTIPLYADD has no third argument: CURRENT used");
        return modulateAdd(a1, current, a2);
    case LERP: note("stage op LERP has no third argument: CURRENT used as the factor"); return blend(a1, a2, current);
    default: // DISABLE on the alpha function of an active stage: alpha passes on
    {
        Combine c;
        c.mode = GL_REPLACE;
        c.in[0] = current;
        return c;
    }
    }
}

} // namespace

void Device::Impl::selectUnit(int unit)
{
    if (activeUnit != unit) {
        gl.ActiveTexture(GL_TEXTURE0 + static_cast<GLenum>(unit));
        activeUnit = unit;
    }
}

void Device::Impl::bindForTransfer(GLuint texture)
{
    selectUnit(0);
    glBindTexture(GL_TEXTURE_2D, texture);
    units[0].texture = texture;
    stages[0].dirty = true;
}

// Sets up every GL unit from the stages, sending only what the unit does
// not hold yet. The first stage whose colour op is DISABLE ends the cascade:
// its unit and all later ones are off.
void Device::Impl::applyStages()
{
    auto note = [this](const std::string& message) { logOnce(message); };
    int active = 0;
    while (active < maxStages && stages[active].states[SS_COLOROP] != val::OP_DISABLE)
        ++active;
    const float factor[4] = {((renderStates[RS_TEXTUREFACTOR] >> 16) & 0xFF) / 255.0f,
                             ((renderStates[RS_TEXTUREFACTOR] >> 8) & 0xFF) / 255.0f,
                             (renderStates[RS_TEXTUREFACTOR] & 0xFF) / 255.0f,
                             ((renderStates[RS_TEXTUREFACTOR] >> 24) & 0xFF) / 255.0f};
    for (int i = 0; i < maxStages; ++i) {
        Stage& s = stages[i];
        GlUnit& u = units[i];
        if (i >= active) {
            if (u.enabled != 0) {
                selectUnit(i);
                glDisable(GL_TEXTURE_2D);
                u.enabled = 0;
            }
            s.active = false;
            continue;
        }
        if (s.active && !s.dirty && u.known)
            continue;

        auto input = [&](uint32_t arg) {
            Input in;
            switch (arg & 0x0F) {
            case 0: in.source = GL_PRIMARY_COLOR; break;
            case 1: in.source = GL_PREVIOUS; break;
            case 2: in.source = GL_TEXTURE; break;
            case 3: in.source = GL_CONSTANT; break;
            default:
                // GL combiners cannot read the specular (secondary) colour.
                note("stage argument SPECULAR has no GL equivalent: DIFFUSE used");
                in.source = GL_PRIMARY_COLOR;
                break;
            }
            in.operand = (arg & val::ARG_ALPHAREPLICATE) ? GL_SRC_ALPHA : GL_SRC_COLOR;
            if (arg & val::ARG_COMPLEMENT)
                in = complement(in);
            return in;
        };
        const uint32_t* st = s.states;
        Combine rgb =
            buildCombine(st[SS_COLOROP], input(st[SS_COLORARG1]), input(st[SS_COLORARG2]), false, hasModulateAdd, note);
        Combine alpha;
        if (st[SS_COLOROP] == DOTPRODUCT3) {
            // The dot product goes to every channel, alpha included, as on
            // the original device; the alpha function is unused.
            alpha.in[0] = {GL_PREVIOUS, GL_SRC_ALPHA};
        } else {
            alpha = buildCombine(st[SS_ALPHAOP], input(st[SS_ALPHAARG1]), input(st[SS_ALPHAARG2]), true, hasModulateAdd,
                                 note);
        }
        GLint combine[17];
        combine[0] = GL_COMBINE;
        combineValues(rgb, false, combine + 1);
        combineValues(alpha, true, combine + 9);

        // 2D texture matrix: the original takes (u, v, 1) and keeps the
        // translation in row 2; GL feeds (s, t, 0, 1), so row 2 moves to
        // row 3, and q stays 1 so nothing is divided.
        float m[16];
        identityMatrix(m);
        if (st[SS_TEXTURETRANSFORMFLAGS] == val::TTF_COUNT2) {
            m[0] = s.matrix[0];
            m[1] = s.matrix[1];
            m[4] = s.matrix[4];
            m[5] = s.matrix[5];
            m[12] = s.matrix[8];
            m[13] = s.matrix[9];
        }
        const GLuint texture = s.texture ? s.texture->id : whiteTexture;

        if (u.enabled != 1) {
            selectUnit(i);
            glEnable(GL_TEXTURE_2D);
            u.enabled = 1;
        }
        if (!u.known || u.texture != texture) {
            selectUnit(i);
            glBindTexture(GL_TEXTURE_2D, texture);
            u.texture = texture;
        }
        for (int k = 0; k < 17; ++k) {
            if (!u.known || u.combine[k] != combine[k]) {
                selectUnit(i);
                glTexEnvi(GL_TEXTURE_ENV, kCombineNames[k], combine[k]);
                u.combine[k] = combine[k];
            }
        }
        if (!u.known || std::memcmp(u.color, factor, sizeof factor) != 0) {
            selectUnit(i);
            glTexEnvfv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_COLOR, factor);
            std::memcpy(u.color, factor, sizeof factor);
        }
        if (!u.known || std::memcmp(u.matrix, m, sizeof m) != 0) {
            selectUnit(i);
            glMatrixMode(GL_TEXTURE);
            glLoadMatrixf(m);
            glMatrixMode(GL_MODELVIEW);
            std::memcpy(u.matrix, m, sizeof m);
        }
        u.known = true;
        s.active = true;
        s.dirty = false;
    }
}

// ---------------------------------------------------------------------------
// Public entry points

void Device::setStageState(int stage, StageState state, uint32_t value)
{
    mImpl->setStageState(stage, state, value);
}

} // namespace gfx
