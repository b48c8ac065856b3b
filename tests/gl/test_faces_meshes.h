// Small hand-made meshes for the drawing tests.
#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "mesh/vector_math.h"
#include "mesh/mesh.h"
#include "support/test_meshes.h"

// An axis-aligned square in the plane z = `z`, corners counter-clockwise as
// seen from +z (or clockwise when `reversed`).
inline void addSquare(std::vector<Vec3>& vertices, std::vector<FaceCorners>& faces, float x0, float y0,
                      float side, float z, bool reversed = false) {
    int first = static_cast<int>(vertices.size());
    vertices.push_back({x0, y0, z});
    vertices.push_back({x0 + side, y0, z});
    vertices.push_back({x0 + side, y0 + side, z});
    vertices.push_back({x0, y0 + side, z});
    if (reversed) {
        faces.push_back({first, first + 3, first + 2, first + 1});
    } else {
        faces.push_back({first, first + 1, first + 2, first + 3});
    }
}
