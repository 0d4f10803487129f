#pragma once

namespace wnd {

// True when no D-Bus session bus can be reached: no bus address is given,
// the runtime folder holds no per-user bus socket, and no dbus-launch that
// could start one is on the search path (colon-separated, an empty entry is
// the working folder). Null strings count as unset.
bool sessionBusUnreachable(const char* address, const char* runtimeDir, const char* searchPath);

// The video system looks for the session bus as it starts (screen saver,
// input methods). Where none can be reached, libdbus forks the whole process
// to run a dbus-launch that is not there, only to learn that there is no bus;
// this tells it so at once. Where a bus can be reached, nothing changes.
void skipUnreachableSessionBus();

} // namespace wnd
