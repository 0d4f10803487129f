#include "world/bonus_config.h"

#include "core/log.h"

#include <cmath>
#include <cstdlib>

float gBonusTimeouts[BONUS_TIMEOUT_COUNT] = {600.0f, 600.0f, 600.0f, 600.0f, 600.0f, 600.0f, 30.0f};

YBonusConfigLoader::YBonusConfigLoader()
{
    addTag(makeTag("timeout", {{"take", "60"},
                               {"ballheavy", "45"},
                               {"ballphantom", "20"},
                               {"ballfire", "30"},
                               {"ballelectro", "20"},
                               {"ballgenerative", "30"},
                               {"frost", "20"}}));
}

bool YBonusConfigLoader::onError(const char* message)
{
    YLog::writef("Bonus Config Loader error, %s, line: %d", message, getLine());
    return true;
}

void loadBonusConfig(const std::string& fileName)
{
    YBonusConfigLoader loader;
    loader.parse(fileName.c_str());
    // The tag holds the last element's values, or its defaults.
    const XMLTag& tag = loader.getTag(0);
    for (int i = 0; i < BONUS_TIMEOUT_COUNT; ++i) {
        const XMLAttribute& a = tag.attributes[static_cast<size_t>(i)];
        float seconds = a.toFloat();
        if (!std::isfinite(seconds) || seconds < 0.0f) {
            // A timer that never runs out (or runs backwards) would keep a
            // bonus for the rest of the game.
            YLog::writef("Bonus Config Loader error, timeout %s=\"%s\" is not a duration, %s used",
                         a.name.c_str(), a.value.c_str(), a.defaultValue.c_str());
            seconds = static_cast<float>(std::atof(a.defaultValue.c_str()));
        }
        gBonusTimeouts[i] = seconds;
    }
}
