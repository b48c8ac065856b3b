// Triangulation of the four-corner faces, shared by "Tout en triangles" and
// the first step of the Loop subdivision.
#pragma once

#include "mesh/mesh.h"
#include "remodel/remodel.h"

// Number of four-corner faces (faceD not negative) among the source's faces.
int32_t countFourCornerFaces(const Mesh& source);
// Builds into `result` (allocated here) the source with every four-corner face
// split around its centre, numbered as the triangulation numbers them. The
// source must have at least one four-corner face. Nothing is left allocated
// on failure.
RemodelStatus triangulateInto(const Mesh& source, int32_t fourCornerFaces,
                              Mesh& result);
