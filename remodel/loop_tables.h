// Adjacency built once per Loop step: the corners around each vertex in face
// order and the distinct edges with their first two opposite corners.
#pragma once

#include <cstdint>
#include <memory>

#include "mesh/mesh.h"

using IndexArray = std::unique_ptr<int32_t[]>;

// Corner slots: corner k of face f is entry 3f + k (0 A, 1 B, 2 C); edge slot
// j of face f is entry 3f + j (0 AB, 1 BC, 2 CA), running from corner j to
// corner j + 1 with corner j + 2 opposite.
struct LoopTables {
    int32_t vertexCount = 0;
    int32_t faceCount = 0;
    // Corners of vertex v: cornersByVertex[cornerStart[v] .. cornerStart[v + 1]),
    // in increasing slot order (face order, then A, B, C).
    IndexArray cornerStart;
    IndexArray cornersByVertex;
    int32_t edgeCount = 0;
    IndexArray edgeOfSlot;  // the edge of each edge slot
    // Third corners of the first two faces holding the edge, in face order
    // and within a face in the order AB, BC, CA; secondOpposite is -1 when
    // only one face holds the edge.
    IndexArray firstOpposite;
    IndexArray secondOpposite;
};

// Builds the tables of a mesh of triangles. Throws std::bad_alloc when memory
// runs out.
void buildLoopTables(const Mesh& triangles, LoopTables& tables);
