// The session bus counts as unreachable only when no address, no per-user
// bus socket and no dbus-launch on the search path could lead to one.
#include "platform/wnd/session_bus.h"
#include "tests/common/test_util.h"

#include <gtest/gtest.h>

#include <string>
#include <sys/stat.h>
#include <unistd.h>

TEST(SessionBus, UnreachableOnlyWithoutAddressSocketOrLauncher)
{
    // run/bus stands for the socket; bin/dbus-launch is executable and
    // plain/dbus-launch is not.
    testutil::writeText("run/bus", "");
    testutil::writeText("empty/none", "");
    testutil::writeText("bin/dbus-launch", "#!/bin/sh\n");
    ::chmod("bin/dbus-launch", 0755);
    testutil::writeText("plain/dbus-launch", "");
    ::chmod("plain/dbus-launch", 0644);

    struct Case {
        const char* address;
        const char* runtimeDir;
        const char* searchPath;
        bool unreachable;
    };
    const Case cases[] = {
        {"unix:path=/run/user/1000/bus", nullptr, nullptr, false}, // an address is given
        {"", "run", nullptr, false},                               // the per-user socket
        {nullptr, "empty", "/nonexistent:bin", false},             // a launcher on the path
        {nullptr, "empty", "plain::/nonexistent", false},          // "" is the working folder...
        {nullptr, nullptr, nullptr, true},
        {"", "", "", true},
        {nullptr, "empty", "plain:/nonexistent", true}, // not executable
        {nullptr, "/nonexistent", "empty", true},
    };
    ::symlink("bin/dbus-launch", "dbus-launch"); // ...where one is found too
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.address ? c.address : "(unset)") + " | " + (c.runtimeDir ? c.runtimeDir : "(unset)") +
                     " | " + (c.searchPath ? c.searchPath : "(unset)"));
        EXPECT_EQ(c.unreachable, wnd::sessionBusUnreachable(c.address, c.runtimeDir, c.searchPath));
    }
}
