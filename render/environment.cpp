#include "render/environment.h"

#include "core/file_list.h"
#include "core/log.h"
#include "core/text.h"
#include "render/camera.h"
#include "render/render.h"
#include "render/resource.h"
#include "render/shader.h"

namespace {

// A stage that shows its texture unlit, smoothly filtered and clamped at
// the picture's edges (device values: SELECTARG1 2, TEXTURE 2, LINEAR 2,
// CLAMP 3).
YShaderStage* pictureStage()
{
    YShaderStage* stage = new YShaderStage();
    stage->states[YSS_COLOROP] = ydev::TOP_SELECTARG1;
    stage->states[YSS_COLORARG1] = ydev::TA_TEXTURE;
    stage->states[YSS_ALPHAOP] = ydev::TOP_SELECTARG1;
    stage->states[YSS_ALPHAARG1] = ydev::TA_TEXTURE;
    stage->states[YSS_MAGFILTER] = stage->states[YSS_MINFILTER] = stage->states[YSS_MIPFILTER] = 2;
    stage->states[YSS_ADDRESSU] = stage->states[YSS_ADDRESSV] = 3;
    return stage;
}

std::string faceShaderName(int face)
{
    return std::string("env_") + ENVIRONMENT_FACES[face].name;
}

} // namespace

YEnvironment::YEnvironment() : mKnown(findFiles("env\\*", true))
{
}

void YEnvironment::load(const std::string& name)
{
    // The face shaders are made once per shader registry: a registry
    // emptied since gets new ones.
    YShader* faces[YEF_COUNT];
    for (int f = 0; f < YEF_COUNT; ++f) {
        const std::string faceName = faceShaderName(f);
        faces[f] = findShader(faceName);
        if (!faces[f])
            faces[f] = getShader("environment")->clone(faceName);
    }
    mLoaded = true;

    // Folder names are matched ignoring case, like every path, and the
    // listed spelling is kept, so "Dusk" and "dusk" share their textures.
    mName = name;
    if (!mKnown.empty()) {
        std::string wanted = toLower(name);
        mName = mKnown.front();
        for (const std::string& known : mKnown) {
            if (toLower(known) == wanted) {
                mName = known;
                break;
            }
        }
    }

    // The pictures not in the texture cache yet are decoded side by side.
    std::string files[YEF_COUNT];
    std::vector<std::string> newFiles;
    for (int f = 0; f < YEF_COUNT; ++f) {
        files[f] = "env\\" + mName + "\\" + ENVIRONMENT_FACES[f].name + ".jpg";
        if (!findTexture(files[f]))
            newFiles.push_back(files[f]);
    }
    YTextureDecodeAhead ahead(newFiles);
    for (int f = 0; f < YEF_COUNT; ++f) {
        YShader* shader = faces[f];
        if (shader->stages.empty()) {
            // The shader file gave "environment" no map: the picture needs a
            // stage to show in, so the face gets one that shows it as it is.
            YLog::writef("Environment shader %s has no map, a stage is added.", shader->name.c_str());
            shader->stages.push_back(pictureStage());
        }
        shader->stages[0]->texture = getTexture(files[f]);
    }
}

void YEnvironment::buildQuads()
{
    for (int f = 0; f < YEF_COUNT; ++f) {
        for (int k = 0; k < 4; ++k) {
            float s = static_cast<float>(ENVIRONMENT_QUAD_S[k]);
            float t = static_cast<float>(ENVIRONMENT_QUAD_T[k]);
            YVec3 p = environmentCubePoint(f, s, t);
            float u = s < 0 ? ENVIRONMENT_UV_MIN : ENVIRONMENT_UV_MAX;
            float v = t < 0 ? ENVIRONMENT_UV_MIN : ENVIRONMENT_UV_MAX;
            float* vertex = mQuads[f] + k * 7;
            vertex[0] = p.x;
            vertex[1] = p.y;
            vertex[2] = p.z;
            vertex[3] = vertex[5] = u;
            vertex[4] = vertex[6] = v;
        }
    }
    mQuadsBuilt = true;
}

YShader* YEnvironment::faceShader(int face) const
{
    return mLoaded ? findShader(faceShaderName(face)) : nullptr;
}

void YEnvironment::draw()
{
    if (!mLoaded || !gRender)
        return;
    if (!mQuadsBuilt)
        buildQuads();
    YMatrix world = gCamera().view().rotationPart();
    gRender->setWorldMatrix(world.m);
    for (int f = 0; f < YEF_COUNT; ++f) {
        YVec3 corners[4];
        for (int k = 0; k < 4; ++k)
            corners[k] = YVec3(mQuads[f][k * 7], mQuads[f][k * 7 + 1], mQuads[f][k * 7 + 2]);
        if (gRender->outsideView(corners, 4))
            continue;
        // Gone with an emptied registry: nothing shows until the next load.
        YShader* shader = faceShader(f);
        if (!shader)
            continue;
        gRender->setShader(shader, true);
        gRender->drawQuadUV2(mQuads[f]);
    }
}

YEnvironment& gEnvironment()
{
    static YEnvironment environment;
    return environment;
}
