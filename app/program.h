#pragma once

// The program: the game folder, the single-instance rule, the version line,
// then the game or the level editor as the command line says. Returns the
// process exit code.
int runProgram(int argc, char** argv);
