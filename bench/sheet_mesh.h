// A large test model for the benchmarks that draw and edit: a wavy sheet.
#pragma once

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "mesh/mesh.h"

// A wavy sheet of side x side cells over [-extent, extent] in x and y, in
// view coordinates; every other cell a quad and the others split into two
// triangles: about 1.5 x side^2 faces. Replaces the global mesh.
inline void buildSheet(int side, float extent) {
    emptyMesh(mesh);
    int vertices = (side + 1) * (side + 1);
    int faces = side * side + side * side / 2 + 1;
    if (!resizeVertexArrays(vertices) || !resizeFaceArrays(faces)) {
        std::fprintf(stderr, "out of memory\n");
        std::exit(1);
    }
    for (int i = 0; i <= side; ++i) {
        for (int j = 0; j <= side; ++j) {
            int v = i * (side + 1) + j;
            float u = -extent + 2.0f * extent * static_cast<float>(i) / side;
            float w = -extent + 2.0f * extent * static_cast<float>(j) / side;
            setVertexPosition(v, u, w, 0.2f * std::sin(9.0f * u) * std::cos(7.0f * w));
        }
    }
    int f = 0;
    auto addFace = [&](int a, int b, int c, int d) { setFaceCorners(f++, a, b, c, d); };
    for (int i = 0; i < side; ++i) {
        for (int j = 0; j < side; ++j) {
            int a = i * (side + 1) + j;
            int b = a + side + 1;
            if ((i + j) % 2 != 0) {
                addFace(a, b, b + 1, a + 1);
            } else {
                addFace(a, b, b + 1, -1);
                addFace(b + 1, a + 1, a, -1);
            }
        }
    }
    setMeshCounts(vertices, f);
}
