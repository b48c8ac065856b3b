// Small hand-made meshes for the drawing tests.
#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "edit/vector_math.h"
#include "mesh/mesh.h"

struct FaceCorners {
    int a, b, c, d;  // d = -1 for a triangle
};

// Replaces the global mesh by the given vertices and faces.
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
