// Fuzz target of the markup files: a text goes to the loader whose tags it
// starts with, as each file of the game holds its own loader's tags; then
// the game does with the result what it does every frame.
#include "core/init.h"
#include "core/locale.h"
#include "render/font.h"
#include "render/render.h"
#include "render/shader.h"
#include "sound/sound_loader.h"
#include "tests/fuzz/fuzz_support.h"
#include "tests/fuzz/fuzz_target.h"
#include "world/block_material.h"
#include "world/bonus_config.h"
#include "world/table_material.h"
#include "world/world_session.h"

#include <cctype>
#include <sstream>

namespace {

struct MarkupLoader {
    const char* firstTags; // separated by blanks
    void (*load)(const char* fileName);
};

const MarkupLoader LOADERS[] = {
    {"config video window render splash interface",
     [](const char* name) {
         Init settings;
         settings.setSplashHandler([](const InitSplash&) {});
         settings.load(name);
         settings.getInterface();
     }},
    {"locale str map",
     [](const char* name) {
         YLocale locale;
         locale.load(name);
         locale.translate("Fuzz");
         locale.getString("fuzz");
     }},
    {"shader", loadShaders},
    {"font", loadFonts},
    {"sound sound_once file", loadSoundList},
    {"default material", loadBlockMaterials},
    {"pyramid environment", loadTableMaterials},
    {"timeout", [](const char* name) { loadBonusConfig(name); }},
};
constexpr size_t LOADER_COUNT = sizeof(LOADERS) / sizeof(LOADERS[0]);

// The name of the first tag ("" when there is none).
std::string firstTag(const uint8_t* data, size_t size)
{
    for (size_t i = 0; i + 1 < size; ++i) {
        if (data[i] != '<' || !std::isalpha(data[i + 1]))
            continue;
        std::string name;
        for (size_t k = i + 1; k < size && (std::isalnum(data[k]) || data[k] == '_'); ++k)
            name += static_cast<char>(data[k]);
        return name;
    }
    return std::string();
}

// The loader of the first tag; a text without a known one goes to a loader
// picked by its length.
const MarkupLoader& loaderFor(const uint8_t* data, size_t size)
{
    const std::string tag = firstTag(data, size);
    for (const MarkupLoader& loader : LOADERS) {
        std::istringstream tags(loader.firstTags);
        std::string word;
        while (tags >> word)
            if (word == tag)
                return loader;
    }
    return LOADERS[size % LOADER_COUNT];
}

} // namespace

TARVELIN_FUZZ_TARGET(markup)
{
    const std::string name = fuzz::writeInput("fuzz.yml", data, size);
    loaderFor(data, size).load(name.c_str());
    updateShaders(0.1f);
    updateShaders(1e30f);
    for (YShader* shader : gShaders())
        gRender->setShader(shader, true);
    for (YFont* font : gFonts())
        font->drawText(0, 0, 1, "Fuzz");
    releaseRunAssets();
}
