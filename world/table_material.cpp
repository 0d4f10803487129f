#include "world/table_material.h"

#include "core/log.h"
#include "render/shader.h"

std::vector<YTableMaterial> gTableMaterials;

namespace {

// The pyramid's subsets and the shader each gets when the file names none:
// the wall tops and the floor share the terrace tops' shader.
const char* const SHADER_ATTRIBUTES[9][2] = {
    {"shader1", "pyr1"}, {"shader2", "pyr2"}, {"shader3", "pyr2"}, {"shader4", "pyr4"}, {"shader5", "pyr5"},
    {"shader6", "pyr6"}, {"shader7", "pyr7"}, {"shader8", "pyr2"}, {"shader9", "pyr9"},
};

YTableMaterial* materialNamed(const std::string& name)
{
    for (YTableMaterial& m : gTableMaterials) {
        if (m.name == name)
            return &m;
    }
    return nullptr;
}

} // namespace

const YTableMaterial* findTableMaterial(const std::string& name)
{
    return materialNamed(name);
}

YTableMaterialLoader::YTableMaterialLoader()
{
    addTag(makeTag("pyramid", {{"name", ""},
                               {SHADER_ATTRIBUTES[0][0], SHADER_ATTRIBUTES[0][1]},
                               {SHADER_ATTRIBUTES[1][0], SHADER_ATTRIBUTES[1][1]},
                               {SHADER_ATTRIBUTES[2][0], SHADER_ATTRIBUTES[2][1]},
                               {SHADER_ATTRIBUTES[3][0], SHADER_ATTRIBUTES[3][1]},
                               {SHADER_ATTRIBUTES[4][0], SHADER_ATTRIBUTES[4][1]},
                               {SHADER_ATTRIBUTES[5][0], SHADER_ATTRIBUTES[5][1]},
                               {SHADER_ATTRIBUTES[6][0], SHADER_ATTRIBUTES[6][1]},
                               {SHADER_ATTRIBUTES[7][0], SHADER_ATTRIBUTES[7][1]},
                               {SHADER_ATTRIBUTES[8][0], SHADER_ATTRIBUTES[8][1]}}));
    // Backdrops are chosen by name elsewhere; the tag is known so that
    // files naming them read without error.
    addTag(makeTag("environment", {{"name", ""}, {"shader", ""}}));
}

void YTableMaterialLoader::onTagOpen(int tagIndex)
{
    if (tagIndex != TAG_PYRAMID)
        return;
    const XMLTag& tag = getTag(tagIndex);
    const std::string& name = tag.findAttribute("name")->value;
    YTableMaterial* material = materialNamed(name);
    if (!material) {
        gTableMaterials.push_back(YTableMaterial{name, {}});
        material = &gTableMaterials.back();
    }
    // A shader not defined yet is made empty; a shader file read later
    // fills the same object.
    for (const auto& attribute : SHADER_ATTRIBUTES)
        material->shaders.push_back(getShader(tag.findAttribute(attribute[0])->value));
}

bool YTableMaterialLoader::onError(const char* message)
{
    YLog::writef("Table Marterial Loader error, %s, line: %d", message, getLine());
    return true;
}

void loadTableMaterials(const char* fileName)
{
    YTableMaterialLoader loader;
    loader.parse(fileName);
}

void clearTableMaterials()
{
    gTableMaterials.clear();
}
