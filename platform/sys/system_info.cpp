#include "platform/sys/system_info.h"

#include <sys/utsname.h>

namespace sys {

std::string operatingSystem()
{
    struct utsname u;
    if (::uname(&u) != 0)
        return "unknown";
    return std::string(u.sysname) + " " + u.release + " " + u.version + " " + u.machine;
}

} // namespace sys
