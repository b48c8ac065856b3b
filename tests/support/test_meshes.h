// Small hand-made meshes for the tests.
#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "mesh/mesh.h"
#include "mesh/vector_math.h"

struct FaceCorners {
    int a, b, c, d;  // d = -1 for a triangle
};

// Replaces the global mesh by the given vertices and faces, arrays sized exactly.
inline void setMesh(const std::vector<Vec3>& vertices, const std::vector<FaceCorners>& faces) {
    emptyMesh(mesh);
    ASSERT_TRUE(resizeVertexArrays(static_cast<int>(vertices.size())));
    ASSERT_TRUE(resizeFaceArrays(static_cast<int>(faces.size())));
    setMeshCounts(static_cast<int>(vertices.size()), static_cast<int>(faces.size()));
    for (size_t v = 0; v < vertices.size(); ++v) {
        setVertexPosition(static_cast<int>(v), vertices[v].x, vertices[v].y, vertices[v].z);
    }
    for (size_t f = 0; f < faces.size(); ++f) {
        setFaceCorners(static_cast<int>(f), faces[f].a, faces[f].b, faces[f].c, faces[f].d);
    }
}
