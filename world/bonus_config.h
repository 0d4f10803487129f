#pragma once
#include "core/xml_parser.h"

#include <string>

// How long the timed bonuses last, in seconds. The bonus effects copy these
// into the racket's timers when a bonus is caught.
enum BonusTimeout : int {
    BONUS_TIMEOUT_TAKE = 0,        // gloves: the take timer
    BONUS_TIMEOUT_BALL_HEAVY,      // ball mode 1
    BONUS_TIMEOUT_BALL_PHANTOM,    // ball mode 2
    BONUS_TIMEOUT_BALL_FIRE,       // ball mode 3
    BONUS_TIMEOUT_BALL_ELECTRO,    // ball mode 4
    BONUS_TIMEOUT_BALL_GENERATIVE, // ball mode 5
    BONUS_TIMEOUT_FROST,           // frost timer
    BONUS_TIMEOUT_COUNT
};

// 600 s for the first six and 30 s for frost until loadBonusConfig runs.
extern float gBonusTimeouts[BONUS_TIMEOUT_COUNT];

// Reads "data\bonuses.yml": one tag, "timeout", with one attribute per
// timeout in the order above. Each element starts from the defaults, so the
// last element of the file decides every value.
class YBonusConfigLoader : public XMLParser {
public:
    YBonusConfigLoader();

protected:
    // Logs the message with its line; parsing goes on.
    bool onError(const char* message) override;
};

// Sets every timeout from the file's last "timeout" element; a missing file
// or one without the element gives the defaults (60, 45, 20, 30, 20, 30, 20),
// never the values held before. A value that is negative or not finite is
// logged and the attribute's default used instead.
void loadBonusConfig(const std::string& fileName);
