#pragma once
#include <string>

enum class RunMode {
    Game,       // the game, unless another copy runs
    SecondGame, // "-2": the game even when another copy runs
    Editor,     // "-e" or "-E": the level editor, whatever else runs
};

// Only the first two characters of the first argument count: "-2abc" is "-2".
RunMode parseCommandLine(const std::string& firstArgument);
