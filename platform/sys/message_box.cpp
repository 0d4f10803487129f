#include "platform/sys/message_box.h"

#include <SDL.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace sys {

bool messageBoxesSuppressed()
{
    const char* value = std::getenv(MESSAGE_BOX_SWITCH);
    return value && *value && std::strcmp(value, "0") != 0;
}

void messageBox(const char* text, const char* caption, MessageIcon icon)
{
    std::fprintf(stderr, "%s: %s\n", caption ? caption : "", text ? text : "");
    std::fflush(stderr);
    if (messageBoxesSuppressed())
        return;
    Uint32 flags = icon == MessageIcon::Information ? SDL_MESSAGEBOX_INFORMATION
                   : icon == MessageIcon::Warning   ? SDL_MESSAGEBOX_WARNING
                                                    : SDL_MESSAGEBOX_ERROR;
    SDL_ShowSimpleMessageBox(flags, caption ? caption : "", text ? text : "", nullptr);
}

} // namespace sys
