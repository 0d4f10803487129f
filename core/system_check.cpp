#include "core/log.h"
#include "platform/sys/system_info.h"

// Logs the operating system as the first line of the log. The graphics
// library is checked when the render device is created, where a missing GL
// context can be reported with the device's own messages.
void checkSystem()
{
    YLog::writef("Operating system: %s", sys::operatingSystem().c_str());
}
