// A large closed test model for the benchmarks that remodel and write: a sphere.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "mesh/mesh.h"

// A closed latitude-longitude sphere of 2 x segments x (rings - 1) triangles,
// outward winding, with fans at the poles.
inline void buildSphere(int32_t segments, int32_t rings) {
    freeModel();
    newModel();
    int32_t vertexCount = segments * (rings - 1) + 2, faceCount = 2 * segments * (rings - 1);
    if (!resizeVertexArrays(vertexCount) || !resizeFaceArrays(faceCount)) std::abort();
    mesh.vertexCount = vertexCount;
    mesh.faceCount = faceCount;
    int32_t south = mesh.vertexCount - 2, north = mesh.vertexCount - 1;
    for (int32_t i = 1; i < rings; ++i) {
        double latitude = M_PI * i / rings - M_PI / 2;
        for (int32_t j = 0; j < segments; ++j) {
            double longitude = 2 * M_PI * j / segments;
            int32_t v = (i - 1) * segments + j;
            mesh.vertexX[v] = static_cast<float>(0.6 * std::cos(latitude) * std::cos(longitude));
            mesh.vertexY[v] = static_cast<float>(0.6 * std::cos(latitude) * std::sin(longitude));
            mesh.vertexZ[v] = static_cast<float>(0.6 * std::sin(latitude));
        }
    }
    mesh.vertexX[south] = mesh.vertexY[south] = mesh.vertexX[north] = mesh.vertexY[north] = 0;
    mesh.vertexZ[south] = -0.6f, mesh.vertexZ[north] = 0.6f;
    auto at = [&](int32_t ring, int32_t j) { return (ring - 1) * segments + j % segments; };
    int32_t f = 0;
    auto setFace = [](int32_t at, int32_t a, int32_t b, int32_t c, int32_t d) {
        mesh.faceA[at] = a, mesh.faceB[at] = b, mesh.faceC[at] = c, mesh.faceD[at] = d;
    };
    for (int32_t j = 0; j < segments; ++j) {
        setFace(f++, south, at(1, j + 1), at(1, j), -1);
        setFace(f++, north, at(rings - 1, j), at(rings - 1, j + 1), -1);
        for (int32_t i = 1; i + 1 < rings; ++i) {
            setFace(f++, at(i, j), at(i, j + 1), at(i + 1, j + 1), -1);
            setFace(f++, at(i, j), at(i + 1, j + 1), at(i + 1, j), -1);
        }
    }
}

