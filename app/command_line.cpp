#include "app/command_line.h"

RunMode parseCommandLine(const std::string& arg)
{
    if (arg.size() >= 2 && arg[0] == '-') {
        if (arg[1] == '2')
            return RunMode::SecondGame;
        if (arg[1] == 'e' || arg[1] == 'E')
            return RunMode::Editor;
    }
    return RunMode::Game;
}
