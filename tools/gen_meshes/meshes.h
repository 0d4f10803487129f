#pragma once
// The game's procedural meshes, each as a mesh under construction.
#include "tools/gen_meshes/mesh_builder.h"

namespace gen {

MeshBuilder makeBall2();
MeshBuilder makeBallNormal();
MeshBuilder makeBallPhantom();
MeshBuilder makeBallSatellite();
MeshBuilder makeBomb();
MeshBuilder makeGrenade();
MeshBuilder makeBoomerang();
MeshBuilder makePipe();
MeshBuilder makePyramid();

} // namespace gen
