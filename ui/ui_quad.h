#pragma once
// A textured rectangle of a control, in the control's coordinates: four
// vertices of position and two texture-coordinate pairs, as the renderer's
// quad draw takes them.

struct UIQuad {
    float vertices[4 * 7] = {};

    // Corners (x0, y0) to (x1, y1), texture coordinates (u0, v0) to (u1, v1).
    void set(float x0, float y0, float x1, float y1, float u0 = 0, float v0 = 0, float u1 = 1, float v1 = 1);
    // Draws it with the current shader (nothing without a renderer).
    void draw() const;
};
