#include "game/game_framework.h"

int main(int argc, char** argv)
{
    return runProgram(argc, argv);
}
