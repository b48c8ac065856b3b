// Small meshes and whole-mesh snapshots for the remodelling tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct MeshSnapshot {
    std::vector<float> x, y, z;
    std::vector<int32_t> a, b, c, d;  // d = -1 for a triangle

    int32_t vertexCount() const { return static_cast<int32_t>(x.size()); }
    int32_t faceCount() const { return static_cast<int32_t>(a.size()); }
    void addVertex(float vx, float vy, float vz);
    void addTriangle(int32_t fa, int32_t fb, int32_t fc);
    void addQuad(int32_t fa, int32_t fb, int32_t fc, int32_t fd);
    std::vector<int32_t> face(int32_t f) const;  // 3 or 4 corners
};

// Replaces the global mesh by the snapshot, arrays sized exactly.
void loadMesh(const MeshSnapshot& snapshot);
// The global mesh's vertices and faces up to their counts.
MeshSnapshot takeSnapshot();
// Same counts and the same bits in every coordinate and corner.
bool sameBits(const MeshSnapshot& left, const MeshSnapshot& right);
// The first difference, for failure messages.
std::string firstDifference(const MeshSnapshot& left, const MeshSnapshot& right);

// The unit cube around the origin: 8 vertices, 6 four-corner faces.
MeshSnapshot cubeMesh();
// A closed tetrahedron with consistent winding.
MeshSnapshot tetrahedronMesh();
// A flat n x n grid of unit squares in the plane z = 0, each cut into two
// triangles: interior vertices have valence 6.
MeshSnapshot flatTriangleGrid(int n);
