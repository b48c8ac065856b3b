// Lit, textured drawing of every face.
#pragma once

#include <cstdint>
#include <vector>

#include "mesh/face_mapping.h"
#include "mesh/vector_math.h"

// How the faces and the edges reach GL: one glBegin/glEnd per face (per
// drawing for the edges) with a call per corner, every face outline drawn
// whole; or from vertex arrays kept between frames, the faces as triangles
// split exactly as GL splits a polygon and each edge drawn once. Both give
// the same picture; the arrays take far fewer calls and far less work.
enum class DrawingPath { Immediate, VertexArrays };

// The mesh as the drawing last saw it: the face corners below the face count
// and the coordinates of every stored vertex. Any difference with the mesh
// counts as a change, so no edit can leave the arrays below stale.
struct SeenMesh {
    int32_t faceCount = -1;
    int32_t vertexCapacity = -1;
    std::vector<int32_t> corners[4];
    std::vector<float> coordinates[3];
};

// What the drawing keeps from one frame to the next.
struct DrawingCaches {
    DrawingPath path = DrawingPath::VertexArrays;
    // Longest A-B edge and direction toward the viewer of the last drawing.
    float longestBaseEdge = 0.0f;
    Vec3 viewerDirection{0.0f, 0.0f, 1.0f};

    SeenMesh seen;
    // Counts of the changes seen in the corners and in the coordinates.
    uint64_t cornersRevision = 0;
    uint64_t coordinatesRevision = 0;

    // Face arrays, one entry per corner of every drawable face, and what
    // they were built from (revisions 0: never built).
    uint64_t facesCornersRevision = 0;
    uint64_t facesCoordinatesRevision = 0;
    MappingSettings facesSettings;
    std::vector<float> facePositions;
    std::vector<float> faceNormals;  // turned toward the viewer of the last drawing
    std::vector<float> faceTexturePoints;
    std::vector<uint32_t> faceIndices;
    // Per drawable face: unit normal, corner count, and whether its corners'
    // normals are now the reversed one (2: not yet written).
    std::vector<Vec3> faceUnitNormals;
    std::vector<uint8_t> faceCornerCounts;
    std::vector<uint8_t> faceNormalReversed;

    // Each edge once, in the direction of the first face outline that holds
    // it, as index pairs into the packed coordinates of the stored vertices.
    uint64_t edgesCornersRevision = 0;
    uint64_t edgesCoordinatesRevision = 0;
    std::vector<float> edgePositions;
    std::vector<uint32_t> edgeIndices;
};

extern DrawingCaches drawing;

void drawFaces();
