// The mesh's vertices as vectors.
#pragma once

#include <cassert>

#include "mesh/mesh.h"
#include "mesh/vector_math.h"

// Position of vertex v of the mesh; v is a stored vertex (entries kept past
// the count for the undo included).
inline Vec3 vertexPosition(int v) {
    assert(v >= 0 && v < mesh.vertexCapacity);
    return Vec3{mesh.vertexX[v], mesh.vertexY[v], mesh.vertexZ[v]};
}
