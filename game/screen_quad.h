#pragma once

// Textured quads of the 2D overlays (HUD, pointer, logo, fade), in the
// 800 x 600 screen with y growing downwards, drawn with the current shader.
// Texture coordinates run 0..1 from the top-left corner.

// The rectangle from (x0, y0) to (x1, y1).
void drawScreenQuad(float x0, float y0, float x1, float y1);
// The same rectangle turned about its centre; positive degrees turn it
// clockwise on the screen.
void drawScreenQuadTurned(float x0, float y0, float x1, float y1, float degrees);
