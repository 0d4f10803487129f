#include "core/log.h"
#include "core/version.h"
#include "platform/sys/message_box.h"
#include "platform/sys/paths.h"

#include <cstdio>

int main(int, char**)
{
    // The game folder is the folder of the executable: data, content and the
    // log live there whatever the caller's working folder is.
    std::string gameDir = sys::executableDir();
    if (!sys::changeDirectory(gameDir)) {
        std::string text = "Cannot enter the game folder " + gameDir;
        sys::messageBox(text.c_str(), "Tarvelin");
        return 1;
    }
    YLog::writef("%s %s", PRODUCT_NAME, PRODUCT_VERSION);
    return 0;
}
