#include "world/block_material.h"

#include "core/log.h"
#include "render/shader.h"
#include "sound/named_sound.h"
#include "world/block.h"

#include <algorithm>
#include <cerrno>
#include <cctype>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdlib>

std::vector<YBlockMaterial*> gBlockMaterials;

namespace {

// Shapes cleared while blocks still held them.
std::vector<YBlockShape*> gRetiredShapes;

// The seven attributes that "default" and "material" share, in the order
// both declare them (after "material"'s name).
const char* const SHARED[] = {"mass",   "health",       "shader",       "in_shader",
                              "scores", "sound_stroke", "sound_destroy"};
const char* const REGISTERED[] = {"1",  "200",        "block",      "in_block",
                                  "25", "def_stroke", "def_destroy"};
constexpr int SHARED_COUNT = 7;

XMLTag sharedTag(const char* name, bool withName)
{
    XMLTag tag = XMLParser::makeTag(name);
    if (withName)
        tag.attributes.push_back(XMLAttribute{"name", "", ""});
    for (int i = 0; i < SHARED_COUNT; ++i)
        tag.attributes.push_back(XMLAttribute{SHARED[i], REGISTERED[i], REGISTERED[i]});
    return tag;
}

// Whether the text is one number and nothing more, with white space around it
// allowed, and in the range of its type (a finite float, an int). atof and
// atoi read anything else only up to where its number ends, and 0 where it
// begins with none.
bool isWholeNumber(const std::string& text, bool integer)
{
    const char* begin = text.c_str();
    char* end = nullptr;
    errno = 0;
    if (integer) {
        long v = std::strtol(begin, &end, 10);
        if (errno == ERANGE || v < INT_MIN || v > INT_MAX)
            return false;
    } else {
        double v = std::strtod(begin, &end);
        if (!std::isfinite(v) || std::fabs(v) > FLT_MAX)
            return false;
    }
    while (std::isspace(static_cast<unsigned char>(*end)))
        ++end;
    return end != begin && *end == '\0';
}

} // namespace

void holdBlockShape(YBlockShape* shape)
{
    if (shape)
        ++shape->holders;
}

void releaseBlockShape(YBlockShape* shape)
{
    if (!shape || --shape->holders > 0)
        return;
    auto it = std::find(gRetiredShapes.begin(), gRetiredShapes.end(), shape);
    if (it != gRetiredShapes.end()) {
        *it = gRetiredShapes.back();
        gRetiredShapes.pop_back();
        delete shape;
    }
}

YBlockMaterial::~YBlockMaterial()
{
    for (YBlockShape* s : shapes)
        delete s;
}

YBlockMaterialLoader::YBlockMaterialLoader()
{
    addTag(sharedTag("default", false));
    addTag(sharedTag("material", true));
}

void YBlockMaterialLoader::onTagOpen(int tagIndex)
{
    XMLTag& tag = getTag(tagIndex);
    XMLTag& material = getTag(TAG_MATERIAL);
    if (tagIndex == TAG_DEFAULT) {
        // The values of this element (its own defaults where it leaves an
        // attribute out) become the defaults of every later material.
        for (int i = 0; i < SHARED_COUNT; ++i)
            material.findAttribute(SHARED[i])->defaultValue = tag.findAttribute(SHARED[i])->value;
        return;
    }
    if (tagIndex != TAG_MATERIAL)
        return;

    // Numbers are read as everywhere else in the markup files: a value that
    // is not a plain number costs no material and no blocks, it is read up to
    // where its number ends and logged with what became of it.
    const std::string& name = tag.findAttribute("name")->value;
    auto warn = [&](const XMLAttribute& attribute, const char* outcome, double value) {
        YLog::writef("Block Marterial Loader warning, material \"%s\": %s \"%s\" %s %g, line: %d",
                     name.c_str(), attribute.name.c_str(), attribute.value.c_str(), outcome, value,
                     getLine());
    };
    const XMLAttribute& massValue = *tag.findAttribute("mass");
    const XMLAttribute& healthValue = *tag.findAttribute("health");
    const XMLAttribute& scoresValue = *tag.findAttribute("scores");
    float mass = massValue.toFloat();
    float health = healthValue.toFloat();
    int score = scoresValue.toInt();
    if (!(mass > 0.0f) || !std::isfinite(mass)) {
        // The physics cannot take a body without mass or of endless mass.
        mass = 1.0f;
        warn(massValue, "is no positive mass, taken as", mass);
    } else if (!isWholeNumber(massValue.value, false)) {
        warn(massValue, "is read as", mass);
    }
    // A health of nan or inf stays as read: such a block never breaks from
    // blows and shows no cracks, which harms nothing else.
    if (!isWholeNumber(healthValue.value, false))
        warn(healthValue, "is read as", health);
    if (!isWholeNumber(scoresValue.value, true))
        warn(scoresValue, "is read as", score);

    YBlockMaterial* m = findBlockMaterial(name);
    bool known = m != nullptr;
    if (!known) {
        m = new YBlockMaterial();
        m->name = name;
        m->score = score;
        gBlockMaterials.push_back(m);
    }
    // A known material keeps its score and its shapes (blocks hold them).
    m->mass = mass;
    m->health = health;
    m->shader = getShader(tag.findAttribute("shader")->value);
    m->inShader = getShader(tag.findAttribute("in_shader")->value);
    m->soundStroke = getNamedSound(tag.findAttribute("sound_stroke")->value);
    m->soundDestroy = getNamedSound(tag.findAttribute("sound_destroy")->value);
}

bool YBlockMaterialLoader::onError(const char* message)
{
    YLog::writef("Block Marterial Loader error, %s, line: %d", message, getLine());
    return true;
}

void loadBlockMaterials(const char* path)
{
    YBlockMaterialLoader loader;
    loader.parse(path);
}

YBlockMaterial* findBlockMaterial(const std::string& name)
{
    for (YBlockMaterial* m : gBlockMaterials) {
        if (m->name == name)
            return m;
    }
    return nullptr;
}

YBlockShape* getBlockShape(const std::string& material, int w, int h, int d)
{
    YBlockMaterial* m = findBlockMaterial(material);
    if (!m)
        return nullptr;
    if (w < 1 || h < 1 || d < 1) {
        YLog::writef("Block size %d x %d x %d of material %s is not a block", w, h, d,
                     material.c_str());
        return nullptr;
    }
    for (YBlockShape* s : m->shapes) {
        if (s->w == w && s->h == h && s->d == d)
            return s;
    }
    auto* s = new YBlockShape();
    s->w = w;
    s->h = h;
    s->d = d;
    s->material = m;
    s->mass = static_cast<float>(w) * static_cast<float>(h) * static_cast<float>(d) * m->mass;
    s->health = m->health;
    s->faceArea[FACE_NEG_X] = s->faceArea[FACE_POS_X] = h * d;
    s->faceArea[FACE_NEG_Y] = s->faceArea[FACE_POS_Y] = w * d;
    s->faceArea[FACE_NEG_Z] = s->faceArea[FACE_POS_Z] = w * h;
    YVec3 size(w * gCellSize.x, h * gCellSize.y, d * gCellSize.z);
    s->halfExtents = size * 0.5f;
    s->inertia = YVec3((size.y * size.y + size.z * size.z) * s->mass / 12.0f,
                       (size.x * size.x + size.z * size.z) * s->mass / 12.0f,
                       (size.x * size.x + size.y * size.y) * s->mass / 12.0f);
    m->shapes.push_back(s);
    return s;
}

void clearBlockShapes()
{
    for (YBlockMaterial* m : gBlockMaterials) {
        for (YBlockShape* s : m->shapes) {
            if (s->holders > 0)
                gRetiredShapes.push_back(s);
            else
                delete s;
        }
        m->shapes.clear();
    }
}

void clearBlockMaterials()
{
    clearBlockShapes();
    for (YBlockMaterial* m : gBlockMaterials)
        delete m;
    gBlockMaterials.clear();
}
