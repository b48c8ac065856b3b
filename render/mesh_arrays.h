// The vertex arrays of the faces and of the edges, kept between frames and
// rebuilt only when what they are made of changes.
#pragma once

#include "mesh/face_mapping.h"

// Measures the longest A-B edge (drawing.longestBaseEdge) again when the mesh
// changed since it was last measured.
void noteMeshChanges();
// Brings the face arrays up to date with the mesh seen and `settings`, then
// turns every face normal toward drawing.viewerDirection. False when memory
// for them cannot be had.
bool refreshFaceArrays(const MappingSettings& settings);
// Brings the edge list and the packed coordinates up to date with the mesh
// seen. False when memory for them cannot be had.
bool refreshEdgeArrays();
