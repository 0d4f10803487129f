#pragma once
#include "core/math.h"

struct YEdgeLink;

// The silhouettes of blocks against the scene light, handed to the shadow
// volume (gShadows) in world coordinates. Block faces lie along the axes of
// the block's own frame, so a silhouette edge is a lattice edge where a face
// that faces along the light meets one that does not.

// The silhouette edges of one edge link of a block set: light is the
// scene light in the set's frame, frame takes the set's frame to the
// world. The link's mask tells which of the four cells around it the set
// fills: one cell (or two diagonal ones) make an outer corner, three an
// inner one, where the two faces of the corner are compared; a flat stretch
// or the inside casts nothing.
void addEdgeLinkSilhouette(const YMatrix& frame, const YVec3& light, const YEdgeLink& link);

// The silhouette edges of a box of the given half extents centred on the
// origin of its frame (a single block).
void addBoxSilhouette(const YMatrix& frame, const YVec3& half);
