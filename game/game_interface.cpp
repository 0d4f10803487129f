// The interface folder chosen in the settings ("ui\" + language): its string
// table, fonts and shaders (the HUD's pictures, the pointer, the logo).
#include "core/init.h"
#include "core/locale.h"
#include "game/game_framework.h"
#include "render/font.h"
#include "render/shader.h"
#include "world/bonus_registry.h"

void GameFramework::loadInterface()
{
    const std::string folder = gInit().getInterface();
    gLocale().load((folder + "\\locale.yml").c_str());
    loadFonts((folder + "\\fonts.yml").c_str());
    loadShaders((folder + "\\shaders.yml").c_str());
    localizeBonusKinds();
}
