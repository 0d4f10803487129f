// The words shader files use for render and stage states, and the device
// values they stand for. Comparison is exact and case-sensitive; a word the
// state does not take gives YSTATE_UNKNOWN so the loader can keep the value
// it had. Some words keep the spelling the data has always used ("scrcolor",
// "cww", "substract").
#include "render/render.h"

#include <cstring>

namespace {

struct Word {
    const char* text;
    uint32_t value;
};

template <size_t N>
uint32_t lookUp(const Word (&table)[N], const char* word)
{
    for (const Word& w : table) {
        if (std::strcmp(w.text, word) == 0)
            return w.value;
    }
    return YSTATE_UNKNOWN;
}

const Word BOOLEANS[] = {{"true", 1}, {"false", 0}};

const Word BLEND_FACTORS[] = {
    {"zero", 1},         {"one", 2},          {"scrcolor", 3},     {"invsrccolor", 4},
    {"srcalpha", 5},     {"invsrcalpha", 6},  {"destalpha", 7},    {"invdestalpha", 8},
    {"destcolor", 9},    {"invdestcolor", 10}, {"srcalphasat", 11},
};

const Word COMPARISONS[] = {
    {"never", 1},   {"less", 2},     {"equal", 3},        {"lessequal", 4},
    {"greater", 5}, {"notequal", 6}, {"greaterequal", 7}, {"always", 8},
};

const Word CULL_MODES[] = {{"none", 1}, {"cw", 2}, {"cww", 3}};

const Word STENCIL_OPS[] = {
    {"keep", 1},    {"zero", 2},   {"replace", 3}, {"incrsat", 4},
    {"decrsat", 5}, {"invert", 6}, {"incr", 7},    {"decr", 8},
};

const Word STAGE_OPS[] = {
    {"disable", 1},
    {"selectarg1", 2},
    {"selectarg2", 3},
    {"modulate", 4},
    {"modulate2x", 5},
    {"modulate4x", 6},
    {"add", 7},
    {"addsigned", 8},
    {"addsigned2x", 9},
    {"substract", 10},
    {"addsmooth", 11},
    {"blenddiffusealpha", 12},
    {"blendtexturealpha", 13},
    {"blendfactoralpha", 14},
    {"blendtexturealphapm", 15},
    {"blendcurrentalpha", 16},
    {"premodulate", 17},
    {"modulatealpha_addcolor", 18},
    {"modulatecolor_addalpha", 19},
    {"modulateinvalpha_addcolor", 20},
    {"modulateinvcolor_addalpha", 21},
    {"dotproduct3", 24},
    {"multiplyadd", 25},
    {"lerp", 26},
};

// "color" is the texture factor.
const Word STAGE_ARGS[] = {
    {"diffuse", 0}, {"current", 1}, {"texture", 2}, {"color", 3}, {"specular", 4}, {"selectmask", 15},
};

const Word FILTERS[] = {
    {"none", 0}, {"point", 1}, {"linear", 2}, {"anisotropic", 3}, {"flatcubic", 4}, {"gaussiancubic", 5},
};

const Word ADDRESSING[] = {{"repeat", 1}, {"mirror", 2}, {"clamp", 3}, {"border", 4}, {"mirroronce", 5}};

} // namespace

uint32_t YRender::parseRenderStateValue(YRenderState state, const char* word)
{
    if (!word)
        return YSTATE_UNKNOWN;
    switch (state) {
    case YRS_ALPHABLENDENABLE:
    case YRS_ZENABLE:
    case YRS_ZWRITEENABLE:
    case YRS_STENCILENABLE:
        return lookUp(BOOLEANS, word);
    case YRS_SRCBLEND:
    case YRS_DESTBLEND:
        return lookUp(BLEND_FACTORS, word);
    case YRS_ZFUNC:
    case YRS_STENCILFUNC:
        return lookUp(COMPARISONS, word);
    case YRS_CULLMODE:
        return lookUp(CULL_MODES, word);
    case YRS_STENCILFAIL:
    case YRS_STENCILZFAIL:
    case YRS_STENCILPASS:
        return lookUp(STENCIL_OPS, word);
    default:
        // The texture factor is a colour and the stencil reference and
        // masks are numbers: no words for them.
        return YSTATE_UNKNOWN;
    }
}

uint32_t YRender::parseStageStateValue(YStageState state, const char* word)
{
    if (!word)
        return YSTATE_UNKNOWN;
    switch (state) {
    case YSS_COLOROP:
    case YSS_ALPHAOP:
        return lookUp(STAGE_OPS, word);
    case YSS_COLORARG1:
    case YSS_COLORARG2:
    case YSS_ALPHAARG1:
    case YSS_ALPHAARG2:
        return lookUp(STAGE_ARGS, word);
    case YSS_MAGFILTER:
    case YSS_MINFILTER:
    case YSS_MIPFILTER:
        return lookUp(FILTERS, word);
    case YSS_ADDRESSU:
    case YSS_ADDRESSV:
        return lookUp(ADDRESSING, word);
    default:
        return YSTATE_UNKNOWN;
    }
}
