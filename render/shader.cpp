#include "render/shader.h"

#include "core/log.h"
#include "platform/sys/paths.h"
#include "render/resource.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

// The render states a fresh shader starts from: the renderer's own default
// block when one exists, the constant table otherwise.
YRenderStates defaultRenderStates()
{
    return gRender ? gRender->defaultRenderStates() : YRenderStates();
}

const uint32_t* defaultStageStates()
{
    return gRender ? gRender->defaultStageStates() : gDefaultStageStates;
}

void setBlackMaterial(YMaterial& m)
{
    m.diffuse = m.ambient = m.specular = m.emissive = gColorBlack;
    m.power = 0.0f;
}

// A stage with the texture and stage states of another; the matrix starts
// as the identity and the animators stay behind.
YShaderStage* copyStage(const YShaderStage& from)
{
    YShaderStage* stage = new YShaderStage();
    stage->texture = from.texture;
    std::copy(from.states, from.states + YSS_COUNT, stage->states);
    return stage;
}

// Brings an angle in degrees back into [-180, 180]. A normal frame step
// leaves it at most one turn out, which one subtraction mends; a huge step
// (a long pause, a wild speed in a file) goes through fmod, which is exact,
// and a value that is no longer finite starts again from 0.
float wrapDegrees(float angle)
{
    if (!std::isfinite(angle))
        return 0.0f;
    if (angle > 180.0f)
        angle -= 360.0f;
    else if (angle < -180.0f)
        angle += 360.0f;
    if (angle > 180.0f || angle < -180.0f) {
        angle = std::fmod(angle, 360.0f);
        if (angle > 180.0f)
            angle -= 360.0f;
        else if (angle < -180.0f)
            angle += 360.0f;
    }
    return angle;
}

// The same for a scroll offset, kept within [-1, 1].
float wrapOffset(float offset)
{
    if (!std::isfinite(offset))
        return 0.0f;
    if (offset > 1.0f)
        offset -= 1.0f;
    else if (offset < -1.0f)
        offset += 1.0f;
    if (offset > 1.0f || offset < -1.0f)
        offset = std::fmod(offset, 1.0f);
    return offset;
}

// The smallest pulse denominator (in magnitude): a pulse whose min is 0
// would otherwise divide by zero at the trough. Caps the scale at 1000.
constexpr float MIN_PULSE_DENOMINATOR = 0.001f;

// Tag indexes, in the order the loader declares them.
enum ShaderTag {
    TAG_SHADER,
    TAG_BLEND,
    TAG_STATE,
    TAG_STENCIL,
    TAG_MATERIAL,
    TAG_MATERIALCOLOR,
    TAG_LIGHTING,
    TAG_MAP,
    TAG_COLORBLEND,
    TAG_ALPHABLEND,
    TAG_FILTER,
    TAG_MOD_ROTATE,
    TAG_MOD_SCROLL,
    TAG_MOD_PULSE,
};

} // namespace

// ---------------------------------------------------------------------------
// Animators. Each builds its own matrix M and multiplies it in as m * M, so
// it acts on the texture coordinates before the animators earlier in the
// stage's list. Coordinates transform as the row vector (u, v, 1) by rows 0,
// 1 and 2, so the 2D translation sits in row 2.

bool YModRotate::apply(float dt, YMatrix& m)
{
    angle = wrapDegrees(angle + speed * dt);
    float a = degToRad(angle);
    float c = std::cos(a);
    float s = std::sin(a);
    YMatrix r;
    r(0, 0) = c;
    r(0, 1) = s;
    r(1, 0) = -s;
    r(1, 1) = c;
    // Keeps the texture centre (0.5, 0.5) in place.
    r(2, 0) = (1.0f - c + s) * 0.5f;
    r(2, 1) = (1.0f - s - c) * 0.5f;
    m = m * r;
    return true;
}

bool YModScroll::apply(float dt, YMatrix& m)
{
    offsetU = wrapOffset(offsetU + speedX * dt);
    offsetV = wrapOffset(offsetV + speedY * dt);
    YMatrix t;
    t(2, 0) = offsetU;
    t(2, 1) = offsetV;
    m = m * t;
    return true;
}

bool YModPulse::apply(float dt, YMatrix& m)
{
    phase = wrapDegrees(phase + vel * dt);
    float denominator = min + (std::sin(degToRad(phase)) + 1.0f) * 0.5f * (max - min);
    if (!(std::fabs(denominator) >= MIN_PULSE_DENOMINATOR))
        denominator = denominator < 0.0f ? -MIN_PULSE_DENOMINATOR : MIN_PULSE_DENOMINATOR;
    float k = 1.0f / denominator;
    YMatrix p;
    p(0, 0) = k;
    p(1, 1) = k;
    // Scales about the texture centre.
    p(2, 0) = (1.0f - k) * 0.5f;
    p(2, 1) = (1.0f - k) * 0.5f;
    m = m * p;
    return true;
}

// ---------------------------------------------------------------------------
// Stages

YShaderStage::YShaderStage()
{
    std::copy(gDefaultStageStates, gDefaultStageStates + YSS_COUNT, states);
}

YShaderStage::~YShaderStage()
{
    for (YMatrixMod* mod : mods)
        delete mod;
}

void YShaderStage::update(float dt)
{
    if (mods.empty())
        return;
    matrix.makeIdentity();
    identity = true;
    for (YMatrixMod* mod : mods) {
        if (mod->apply(dt, matrix))
            identity = false;
    }
}

// ---------------------------------------------------------------------------
// Shaders and the registry

std::vector<YShader*>& gShaders()
{
    static std::vector<YShader*> registry;
    return registry;
}

YShader::YShader(const std::string& shaderName) : name(shaderName), renderStates(defaultRenderStates())
{
    setBlackMaterial(material);
    gShaders().push_back(this);
}

YShader::~YShader()
{
    auto& list = gShaders();
    auto it = std::find(list.begin(), list.end(), this);
    if (it != list.end()) {
        *it = list.back();
        list.pop_back();
    }
    // The renderer skips a shader that is already current by its address;
    // a later shader at the same address must not be taken for this one.
    if (gRender && gRender->currentShader() == this)
        gRender->setShader(nullptr, false);
    for (YShaderStage* stage : stages)
        delete stage;
}

YShader* YShader::clone(const std::string& newName) const
{
    YShader* copy = new YShader(newName);
    copy->renderStates = renderStates;
    copy->material = material;
    copy->lighting = lighting;
    for (const YShaderStage* stage : stages)
        copy->stages.push_back(copyStage(*stage));
    return copy;
}

void YShader::reset()
{
    for (YShaderStage* stage : stages)
        delete stage;
    stages.clear();
    lighting = false;
    setBlackMaterial(material);
    renderStates = defaultRenderStates();
}

YShader* findShader(const std::string& name)
{
    for (YShader* shader : gShaders()) {
        if (shader->name == name)
            return shader;
    }
    return nullptr;
}

YShader* getShader(const std::string& name)
{
    if (YShader* shader = findShader(name))
        return shader;
    return new YShader(name);
}

void updateShaders(float dt)
{
    for (YShader* shader : gShaders()) {
        for (YShaderStage* stage : shader->stages)
            stage->update(dt);
    }
}

void clearShaders()
{
    auto& list = gShaders();
    while (!list.empty())
        delete list.back(); // the destructor takes it off the list
}

void loadShaders(const char* fileName)
{
    if (!gRender) {
        YLog::write("Shader parser error, render must be created.");
        return;
    }
    YShaderLoader loader;
    loader.parseFile(fileName);
}

// ---------------------------------------------------------------------------
// The loader

YShaderLoader::YShaderLoader()
{
    addTag(makeTag("shader", {{"name", ""}, {"inherited", ""}}));
    addTag(makeTag("blend", {{"alpha", "true"}, {"src", "one"}, {"dest", "zero"}, {"color", "ffffff"}}));
    addTag(makeTag("state", {{"zfunc", "less"}, {"cull", "cw"}, {"zenable", "true"}, {"zwrite", "true"}}));
    addTag(makeTag("stencil", {{"enable", "false"},
                               {"fail", "keep"},
                               {"zfail", "keep"},
                               {"pass", "keep"},
                               {"func", "always"},
                               {"ref", "0"},
                               {"mask", "ffffffff"},
                               {"writemask", "ffffffff"}}));
    addTag(makeTag("material", {{"diffuse", "000000"},
                                {"ambient", "000000"},
                                {"specular", "000000"},
                                {"emissive", "000000"},
                                {"power", "0"}}));
    addTag(makeTag("materialcolor", {{"color", "ffffff"}}));
    addTag(makeTag("lighting", {{"enable", "1"}}));
    addTag(makeTag("map", {{"texture", ""}, {"wrap_x", "repeat"}, {"wrap_y", "repeat"}}));
    addTag(makeTag("colorblend", {{"op", "modulate"}, {"arg1", "texture"}, {"arg2", "current"}}));
    addTag(makeTag("alphablend", {{"op", "modulate"}, {"arg1", "texture"}, {"arg2", "current"}}));
    addTag(makeTag("filter", {{"min", "point"}, {"mag", "point"}, {"mip", "none"}}));
    addTag(makeTag("mod_rotate", {{"angle", "360.0"}}));
    addTag(makeTag("mod_scroll", {{"x", "0"}, {"y", "0"}}));
    addTag(makeTag("mod_pulse", {{"vel", "360.0"}, {"min", "0.5f"}, {"max", "1.0f"}}));
}

void YShaderLoader::parseFile(const char* fileName)
{
    mFileName = fileName ? fileName : "";
    mShader = nullptr;
    mStage = nullptr;
    YLog::writef("Parse shaders from file, %s", mFileName.c_str());
    if (sys::pathKind(mFileName) != sys::PathKind::File) {
        YLog::writef("Shader file %s cannot be read: its shaders stay empty", mFileName.c_str());
        return;
    }
    parse(mFileName.c_str());
    // A file cut short ends inside a shader: the shaders after the cut are
    // missing from it.
    if (mShader)
        onError(("the file ends inside shader " + mShader->name + ", it may be cut short").c_str());
}

bool YShaderLoader::onError(const char* message)
{
    YLog::writef("Shader parser error, %s, file: %s, line: %d", message, mFileName.c_str(), getLine());
    return true;
}

void YShaderLoader::setRenderState(int index, const std::string& word)
{
    uint32_t value;
    if (index == YRS_TEXTUREFACTOR) {
        YVec4 color;
        color.parseColor(word); // a bad colour throws to onError
        value = gRender->packColor(&color.x);
    } else if (index == YRS_STENCILREF || index == YRS_STENCILMASK || index == YRS_STENCILWRITEMASK) {
        value = static_cast<uint32_t>(std::strtoul(word.c_str(), nullptr, 16));
    } else {
        value = gRender->parseRenderStateValue(static_cast<YRenderState>(index), word.c_str());
        if (value == YSTATE_UNKNOWN) {
            YLog::writef("Shader parser, error value \"%s\", file: %s, line: %d", word.c_str(), mFileName.c_str(),
                         getLine());
            return;
        }
    }
    mShader->renderStates[index] = value;
}

void YShaderLoader::setStageState(int index, const std::string& word)
{
    uint32_t value = gRender->parseStageStateValue(static_cast<YStageState>(index), word.c_str());
    if (value == YSTATE_UNKNOWN) {
        YLog::writef("Shader parser, error value \"%s\", file: %s, line: %d", word.c_str(), mFileName.c_str(),
                     getLine());
        return;
    }
    mStage->states[index] = value;
}

void YShaderLoader::onTagOpen(int tagIndex)
{
    const XMLTag& tag = getTag(tagIndex);
    auto value = [&](const char* attribute) -> const std::string& { return tag.findAttribute(attribute)->value; };
    auto number = [&](const char* attribute) { return tag.findAttribute(attribute)->toFloat(); };
    auto color = [&](const char* attribute) {
        YVec4 c;
        c.parseColor(value(attribute));
        return c;
    };

    if (tagIndex == TAG_SHADER) {
        if (mShader)
            onError("Expected </shader>.");
        // A stage left open belongs to the previous shader; keeping it would
        // let this shader's tags edit it, or use it after a redefinition
        // freed it.
        mStage = nullptr;
        mShader = getShader(value("name"));
        if (!mShader->stages.empty())
            mShader->reset();
        const std::string& superName = value("inherited");
        YShader* super = nullptr;
        if (!superName.empty()) {
            super = findShader(superName);
            if (!super) {
                onError("Super shader don't find.");
            } else if (super == mShader) {
                // Copying its own stages while appending to them never ends.
                onError("Shader can't inherit from itself.");
                super = nullptr;
            }
        }
        if (!super) {
            mShader->renderStates = defaultRenderStates();
            return;
        }
        mShader->renderStates = super->renderStates;
        mShader->material = super->material;
        mShader->lighting = super->lighting;
        for (const YShaderStage* stage : super->stages)
            mShader->stages.push_back(copyStage(*stage));
        return;
    }

    if (tagIndex < TAG_COLORBLEND && !mShader) {
        onError(("Tag <" + tag.name + "> outside <shader>.").c_str());
        return;
    }
    if (tagIndex > TAG_MAP && !mStage) {
        onError(("Tag <" + tag.name + "> outside <map>.").c_str());
        return;
    }

    switch (tagIndex) {
    case TAG_BLEND:
        setRenderState(YRS_ALPHABLENDENABLE, value("alpha"));
        setRenderState(YRS_SRCBLEND, value("src"));
        setRenderState(YRS_DESTBLEND, value("dest"));
        setRenderState(YRS_TEXTUREFACTOR, value("color"));
        break;
    case TAG_STATE:
        setRenderState(YRS_ZFUNC, value("zfunc"));
        setRenderState(YRS_CULLMODE, value("cull"));
        setRenderState(YRS_ZENABLE, value("zenable"));
        setRenderState(YRS_ZWRITEENABLE, value("zwrite"));
        break;
    case TAG_STENCIL: {
        static const char* const NAMES[] = {"enable", "fail", "zfail", "pass", "func", "ref", "mask", "writemask"};
        for (int i = 0; i < 8; ++i)
            setRenderState(YRS_STENCILENABLE + i, value(NAMES[i]));
        break;
    }
    case TAG_MATERIAL: {
        // All colours are read before any is stored: a bad one leaves the
        // material as it was.
        YMaterial m;
        m.diffuse = color("diffuse");
        m.ambient = color("ambient");
        m.specular = color("specular");
        m.emissive = color("emissive");
        m.power = number("power");
        mShader->material = m;
        break;
    }
    case TAG_MATERIALCOLOR: {
        YVec4 c = color("color");
        mShader->material.diffuse = YVec4(0, 0, 0, c.w);
        mShader->material.ambient = gColorBlack;
        mShader->material.specular = gColorBlack;
        mShader->material.emissive = c;
        mShader->material.power = 0.0f;
        mShader->lighting = false;
        break;
    }
    case TAG_LIGHTING:
        mShader->lighting = tag.findAttribute("enable")->toInt() != 0;
        break;
    case TAG_MAP: {
        if (mStage)
            onError("Expected </map>.");
        mStage = new YShaderStage();
        std::copy(defaultStageStates(), defaultStageStates() + YSS_COUNT, mStage->states);
        mShader->stages.push_back(mStage);
        const std::string& texture = value("texture");
        mStage->texture = texture.empty() ? nullptr : getTexture(texture);
        setStageState(YSS_ADDRESSU, value("wrap_x"));
        setStageState(YSS_ADDRESSV, value("wrap_y"));
        break;
    }
    case TAG_COLORBLEND:
        setStageState(YSS_COLOROP, value("op"));
        setStageState(YSS_COLORARG1, value("arg1"));
        setStageState(YSS_COLORARG2, value("arg2"));
        break;
    case TAG_ALPHABLEND:
        setStageState(YSS_ALPHAOP, value("op"));
        setStageState(YSS_ALPHAARG1, value("arg1"));
        setStageState(YSS_ALPHAARG2, value("arg2"));
        break;
    case TAG_FILTER:
        // The data was written for these two attributes crossed over: "min"
        // sets magnification and "mag" minification.
        setStageState(YSS_MAGFILTER, value("min"));
        setStageState(YSS_MINFILTER, value("mag"));
        setStageState(YSS_MIPFILTER, value("mip"));
        break;
    case TAG_MOD_ROTATE:
        mStage->mods.push_back(new YModRotate(number("angle")));
        break;
    case TAG_MOD_SCROLL:
        mStage->mods.push_back(new YModScroll(number("x"), number("y")));
        break;
    case TAG_MOD_PULSE:
        mStage->mods.push_back(new YModPulse(number("vel"), number("min"), number("max")));
        break;
    default:
        break;
    }
}

void YShaderLoader::onTagClose(int tagIndex)
{
    if (tagIndex == TAG_SHADER) {
        if (!mShader)
            onError("Expected <shader>.");
        if (mStage)
            onError("Expected </map>.");
        mShader = nullptr;
        mStage = nullptr;
    } else if (tagIndex == TAG_MAP) {
        if (!mStage)
            onError("Expected <map>.");
        mStage = nullptr;
    }
}
