#pragma once
// Marks several pictures share: stroke lettering for names and numbers,
// outlined shapes and lit spheres.
#include "tools/gen_textures/paint.h"

#include <functional>

namespace gen {

using Shape = std::function<float(paint::P2)>;

// A filled shape with a dark outline of the given width.
void outlined(float rgba[4], const paint::Texel& t, const Shape& shape, const paint::Color& fill, float outline);

// A lit sphere: a disc whose colour brightens towards the upper left.
void sphere(float rgba[4], const paint::Texel& t, paint::P2 centre, float r, const paint::Color& base);

// Stroke lettering: the capitals of the game's name, a small v, the digits
// 1 and 2 and the point. Letters are w wide (narrow ones less) and h high,
// gap apart.
float wordWidth(const char* word, float w, float gap);
// Distance to the word's strokes, its top-left corner at (x0, y0).
float sdWord(paint::P2 p, const char* word, float x0, float y0, float w, float h, float gap, float halfWidth);

} // namespace gen
