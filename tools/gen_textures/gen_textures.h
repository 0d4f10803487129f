#pragma once
// The picture groups of the texture generator.
#include "tools/gen_textures/paint.h"

namespace gen {

// Particles, light spots, block, crack, table and ball surfaces.
void writeSurfaces(paint::Output& out);
// Cursor, logo, heart, throw-angle arrow and the bonus icons.
void writeIcons(paint::Output& out);
// The interface widgets: option-list buttons, slider, text entry, window.
void writeInterface(paint::Output& out);
// The splash sequence's backdrop, emblem and title card under "splash\".
void writeSplash(paint::Output& out);
// The backdrop environments under "env\".
void writeEnvironments(paint::Output& out);

} // namespace gen
