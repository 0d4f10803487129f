#include "core/log.h"
#include "platform/sys/system_info.h"

// The first lines of the log: the operating system, then the graphics and
// the sound interface the machine offers. The graphics library is checked
// against what the game needs when the render device is created, where a
// missing GL context can be reported with the device's own messages.
void checkSystem()
{
    YLog::writef("Operating system: %s", sys::operatingSystem().c_str());
    YLog::writef("Graphics interface: %s", sys::graphicsInterface().c_str());
    YLog::writef("Sound interface: %s", sys::soundInterface().c_str());
}
