#pragma once

// Textured quads of the 2D overlays (HUD, pointer, logo, fade, splash), in
// the current projection (the 800 x 600 screen with y growing downwards for
// most), drawn with the current shader. Texture coordinates run 0..1 from
// the top-left corner; inset pulls them in from every edge (inset ..
// 1 - inset), so a filtered picture picks up no texels across its border.

// The rectangle from (x0, y0) to (x1, y1).
void drawScreenQuad(float x0, float y0, float x1, float y1, float inset = 0.0f);
// The same rectangle turned about its centre; positive degrees turn it
// clockwise on the screen.
void drawScreenQuadTurned(float x0, float y0, float x1, float y1, float degrees);
