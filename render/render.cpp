#include "render/render.h"

#include "render/resource.h"
#include "render/shader.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

YRender* gRender = nullptr;

const YVec4 gColorBlack(0, 0, 0, 1);
const YVec4 gColorWhite(1, 1, 1, 1);

const uint32_t gDefaultRenderStates[YRS_COUNT] = {
    0,                   // ALPHABLENDENABLE false
    ydev::BLEND_ONE,     // SRCBLEND
    ydev::BLEND_ZERO,    // DESTBLEND
    0xFFFFFFFFu,         // TEXTUREFACTOR opaque white
    ydev::CMP_LESS,      // ZFUNC
    ydev::CULL_CW,       // CULLMODE
    1,                   // ZENABLE
    1,                   // ZWRITEENABLE
    0,                   // STENCILENABLE
    ydev::STENCILOP_KEEP, // STENCILFAIL
    ydev::STENCILOP_KEEP, // STENCILZFAIL
    ydev::STENCILOP_KEEP, // STENCILPASS
    ydev::CMP_ALWAYS,    // STENCILFUNC
    0,                   // STENCILREF
    0xFFFFFFFFu,         // STENCILMASK
    0xFFFFFFFFu,         // STENCILWRITEMASK
};

const uint32_t gDefaultStageStates[YSS_COUNT] = {
    ydev::TOP_DISABLE, ydev::TA_TEXTURE, ydev::TA_CURRENT, ydev::TOP_DISABLE, ydev::TA_TEXTURE, ydev::TA_CURRENT,
    ydev::TEXF_POINT,  ydev::TEXF_POINT, ydev::TEXF_NONE,  ydev::TADDRESS_WRAP, ydev::TADDRESS_WRAP,
};

YRenderStates::YRenderStates()
{
    std::memcpy(values, gDefaultRenderStates, sizeof(values));
}

bool YMaterial::operator==(const YMaterial& o) const
{
    return std::memcmp(this, &o, sizeof(YMaterial)) == 0;
}

namespace {

YMaterial uniformMaterial(const YVec4& color)
{
    YMaterial m;
    m.diffuse = m.ambient = m.specular = m.emissive = color;
    m.power = 0.0f;
    return m;
}

} // namespace

YRender::YRender()
{
    mMaterial = uniformMaterial(gColorBlack);
    mColorMaterial = uniformMaterial(gColorBlack);
    std::memset(mRenderStates, 0xFF, sizeof(mRenderStates));
    std::memset(mStageStates, 0xFF, sizeof(mStageStates));
    for (int i = 0; i < YMAX_STAGES; ++i) {
        mTextures[i] = nullptr;
        mIdentity[i] = false;
    }
    std::memcpy(mDefaultStageStates, gDefaultStageStates, sizeof(mDefaultStageStates));
    gRender = this;
}

YRender::~YRender()
{
    if (gRender == this)
        gRender = nullptr;
}

uint32_t YRender::packColor(const float rgba[4])
{
    auto channel = [](float v) {
        if (!(v > 0.0f))
            return 0u;
        return v >= 1.0f ? 255u : static_cast<uint32_t>(v * 255.0f);
    };
    return channel(rgba[3]) << 24 | channel(rgba[0]) << 16 | channel(rgba[1]) << 8 | channel(rgba[2]);
}

void YRender::drawFullScreenQuadOver(std::initializer_list<const std::vector<YVec3>*>) { drawFullScreenQuad(); }

bool YRender::outsideView(const YVec3*, int) const { return false; }

void YRender::decodeAhead(const std::vector<std::string>&) {}

void YRender::setTextureFactor(const float rgba[4])
{
    uint32_t packed = packColor(rgba);
    if (mRenderStates[YRS_TEXTUREFACTOR] != packed) {
        setRenderState(YRS_TEXTUREFACTOR, packed);
        mRenderStates[YRS_TEXTUREFACTOR] = packed;
    }
}

void YRender::drawQuadsNormalUV2(const float* vertices, int quadCount)
{
    for (int i = 0; i < quadCount; ++i)
        drawQuadNormalUV2(vertices + static_cast<std::ptrdiff_t>(i) * 40);
}

void YRender::setStageCount(unsigned count)
{
    if (count > mMaxStages)
        count = mMaxStages;
    for (unsigned stage = count; stage < mStageCount; ++stage) {
        bindTexture(nullptr, static_cast<int>(stage));
        setStageState(static_cast<int>(stage), YSS_COLOROP, ydev::TOP_DISABLE);
        setStageState(static_cast<int>(stage), YSS_ALPHAOP, ydev::TOP_DISABLE);
        mTextures[stage] = nullptr;
        mStageStates[stage][YSS_COLOROP] = ydev::TOP_DISABLE;
        mStageStates[stage][YSS_ALPHAOP] = ydev::TOP_DISABLE;
    }
    mStageCount = count;
}

void YRender::resetRenderStates()
{
    for (int i = 0; i < YMAX_STAGES; ++i)
        mTextures[i] = nullptr;
    std::memset(mRenderStates, 0xFF, sizeof(mRenderStates));
    std::memset(mStageStates, 0xFF, sizeof(mStageStates));
    applyRenderStates(mDefaultRenderStates);

    mMaterial = uniformMaterial(gColorWhite);
    applyMaterial(&mMaterial);
    mLighting = true;
    enableLight(true);

    for (unsigned stage = 0; stage < mMaxStages; ++stage) {
        applyStageStates(static_cast<int>(stage), mDefaultStageStates);
        mIdentity[stage] = true;
        setTextureMatrix(YMatrix::identity().m, static_cast<int>(stage));
    }
    setStageCount(1);
    mShader = nullptr;
    mShaderStages = 0;
}

void YRender::setTexture(YTexture* texture, int stage)
{
    if (!texture || stage < 0 || static_cast<unsigned>(stage) >= mMaxStages)
        return;
    if (mTextures[stage] != texture->deviceTexture) {
        mTextures[stage] = texture->deviceTexture;
        bindTexture(texture, stage);
    }
}

void YRender::applyRenderStates(const YRenderStates& states)
{
    for (int i = 0; i < YRS_COUNT; ++i) {
        if (mRenderStates[i] != states.values[i]) {
            setRenderState(static_cast<YRenderState>(i), states.values[i]);
            mRenderStates[i] = states.values[i];
        }
    }
}

void YRender::applyStageStates(int stage, const uint32_t values[YSS_COUNT])
{
    if (stage < 0 || stage >= YMAX_STAGES)
        return;
    for (int i = 0; i < YSS_COUNT; ++i) {
        if (mStageStates[stage][i] != values[i]) {
            setStageState(stage, static_cast<YStageState>(i), values[i]);
            mStageStates[stage][i] = values[i];
        }
    }
}

void YRender::setMaterial(const YMaterial& material, bool compare)
{
    if (compare && material == mMaterial)
        return;
    mMaterial = material;
    applyMaterial(&mMaterial);
}

void YRender::setShader(YShader* shader, bool withMaterial, unsigned stageLimit)
{
    const unsigned stages = shader ? std::min(static_cast<unsigned>(shader->stages.size()), stageLimit) : 0;
    if (shader == mShader && stages == mShaderStages)
        return;
    mShader = shader;
    mShaderStages = stages;
    if (!shader)
        return;
    onShaderSet(shader);
    if (mStageCount != stages)
        setStageCount(stages);
    applyRenderStates(shader->renderStates);
    unsigned count = stages < mStageCount ? stages : mStageCount;
    for (unsigned i = 0; i < count; ++i) {
        YShaderStage* stage = shader->stages[i];
        int s = static_cast<int>(i);
        setTexture(stage->texture, s);
        applyStageStates(s, stage->states);
        if (!(stage->identity && mIdentity[i])) {
            mIdentity[i] = stage->identity;
            setTextureMatrix(stage->matrix.m, s);
        }
    }
    if (withMaterial)
        setMaterial(shader->material, true);
}

void YRender::setShaderColor(YShader* shader, const float rgba[4])
{
    mColorMaterial.diffuse.w = rgba[3];
    mColorMaterial.emissive = YVec4(rgba[0], rgba[1], rgba[2], rgba[3]);
    setShader(shader, false);
    setMaterial(mColorMaterial, true);
}

float YRender::drawText(const YTextFont* font, const char* text, const YVec3& origin, float size,
                        const float rgba[4], const YVec3& right, const YVec3& down)
{
    if (!font || !text || !*text)
        return 0.0f;
    setShaderColor(font->textShader(), rgba);
    float advance = 0.0f;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p; ++p) {
        float w = font->charWidth(*p) * size;
        if (w == 0.0f)
            continue;
        const float* corners = font->glyphCorners(*p);
        float quad[4 * 7];
        for (int k = 0; k < 4; ++k) {
            const float* c = corners + k * 5;
            YVec3 pos = origin + right * (size * c[0] + advance) + down * (size * (1.0f - c[1]));
            float* v = quad + k * 7;
            v[0] = pos.x;
            v[1] = pos.y;
            v[2] = pos.z;
            v[3] = v[5] = c[3];
            v[4] = v[6] = c[4];
        }
        drawQuadUV2(quad);
        advance += w;
    }
    return advance;
}

float YRender::drawText2D(const YTextFont* font, const char* text, float x, float y, float size,
                          const float rgba[4])
{
    if (font && text && *text)
        onTextDraw(text, x, y, size, rgba);
    return drawText(font, text, YVec3(x, y, 0), size, rgba, YVec3(1, 0, 0), YVec3(0, -1, 0));
}
