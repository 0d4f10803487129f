#include "app/program.h"

#include "app/command_line.h"
#include "core/log.h"
#include "core/version.h"
#include "editor/editor_framework.h"
#include "game/game_framework.h"
#include "platform/sys/instance_lock.h"
#include "platform/sys/message_box.h"
#include "platform/sys/paths.h"
#include "platform/wnd/window.h"

#include <memory>

namespace {

// The game: its loop runs only when its start-up went through, and the exit
// code says whether it ended on a failure.
int runGame(const std::string& modulePath)
{
    auto game = std::make_unique<GameFramework>(modulePath);
    gFramework = game.get();
    // A game that stopped its start-up neither runs nor saves its settings.
    const bool started = game->startedUp();
    if (started)
        game->run();
    const int code = started ? game->exitCode() : 1;
    game.reset();
    wnd::shutdownVideo();
    return code;
}

int runEditor(const std::string& modulePath)
{
    auto editor = std::make_unique<EditorFramework>(modulePath);
    gFramework = editor.get();
    editor->run();
    editor.reset();
    wnd::shutdownVideo();
    return 0;
}

} // namespace

int runProgram(int argc, char** argv)
{
    // The game folder is the folder of the executable: data, content and the
    // log live there whatever the caller's working folder is.
    std::string modulePath = sys::executablePath();
    std::string gameDir = sys::executableDir();
    if (!sys::changeDirectory(gameDir)) {
        std::string text = "Cannot enter the game folder " + gameDir;
        sys::messageBox(text.c_str(), PRODUCT_NAME);
        return 1;
    }

    sys::InstanceLock instance;
    bool anotherRuns = !instance.acquire("TarvelinMutex");
    YLog::writef("%s %s", PRODUCT_NAME, PRODUCT_VERSION);

    switch (parseCommandLine(argc > 1 ? argv[1] : "")) {
    case RunMode::Editor:
        // The editor runs beside a running game.
        return runEditor(modulePath);
    case RunMode::Game:
        if (anotherRuns)
            return 0;
        break;
    case RunMode::SecondGame:
        break;
    }
    return runGame(modulePath);
}
