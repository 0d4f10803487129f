#pragma once
#include <cstdint>

// The program's window icon, shared by the game and the level editor: a
// shaded ball on a transparent ground, 32 x 32 ARGB pixels made on first
// use and kept for the run.
const uint32_t* programIcon(int& width, int& height);
