#pragma once

// How the game and the level editor start drawing: the video system, the
// renderer (gRender) with the display modes, the fonts of "data\fonts.yml"
// and the shader files. Without a video system the program ends after
// "Window Creation Error." with exit code 1.
void startRendering();

// "data\shaders.yml", "data\shaders_env.yml" and "data\shaders_blocks.yml",
// read again over the shaders they define.
void loadShaderFiles();
