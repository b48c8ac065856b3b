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
    freeModel();
    mesh = Mesh{};
    ASSERT_TRUE(resizeVertexArrays(static_cast<int>(vertices.size())));
    ASSERT_TRUE(resizeFaceArrays(static_cast<int>(faces.size())));
    for (size_t v = 0; v < vertices.size(); ++v) {
        mesh.vertexX[v] = vertices[v].x;
        mesh.vertexY[v] = vertices[v].y;
        mesh.vertexZ[v] = vertices[v].z;
    }
    for (size_t f = 0; f < faces.size(); ++f) {
        mesh.faceA[f] = faces[f].a;
        mesh.faceB[f] = faces[f].b;
        mesh.faceC[f] = faces[f].c;
        mesh.faceD[f] = faces[f].d;
    }
    mesh.vertexCount = static_cast<int>(vertices.size());
    mesh.faceCount = static_cast<int>(faces.size());
}
