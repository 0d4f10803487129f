#include "platform/wnd/session_bus.h"

#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace wnd {

namespace {

bool isSet(const char* value) { return value && *value; }

bool onSearchPath(const std::string& program, const std::string& searchPath)
{
    size_t start = 0;
    for (;;) {
        const size_t end = searchPath.find(':', start);
        std::string dir = searchPath.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (dir.empty())
            dir = ".";
        if (::access((dir + "/" + program).c_str(), X_OK) == 0)
            return true;
        if (end == std::string::npos)
            return false;
        start = end + 1;
    }
}

} // namespace

bool sessionBusUnreachable(const char* address, const char* runtimeDir, const char* searchPath)
{
    if (isSet(address))
        return false;
    struct stat st;
    if (isSet(runtimeDir) && ::stat((std::string(runtimeDir) + "/bus").c_str(), &st) == 0)
        return false;
    return !(isSet(searchPath) && onSearchPath("dbus-launch", searchPath));
}

void skipUnreachableSessionBus()
{
    if (!sessionBusUnreachable(std::getenv("DBUS_SESSION_BUS_ADDRESS"), std::getenv("XDG_RUNTIME_DIR"),
                               std::getenv("PATH")))
        return;
    // An address of no transport libdbus knows: its look-up fails at once,
    // as the failed start of a bus would have, without a new process.
    ::setenv("DBUS_SESSION_BUS_ADDRESS", "disabled:", 1);
}

} // namespace wnd
