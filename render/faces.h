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

// Revision of a cache not made yet, or being remade: no mesh ever has it.
inline constexpr uint64_t notMade = UINT64_MAX;

// What the drawing keeps from one frame to the next.
struct DrawingCaches {
    DrawingPath path = DrawingPath::VertexArrays;
    // Longest A-B edge and direction toward the viewer of the last drawing.
    float longestBaseEdge = 0.0f;
    Vec3 viewerDirection{0.0f, 0.0f, 1.0f};

    // Every cache below keeps the mesh revisions (Mesh::faceRevision and
    // Mesh::vertexRevision) it was made from: every change of the mesh goes
    // through the mesh functions that number it, so equal numbers mean an
    // unchanged mesh. First the longest A-B edge.
    uint64_t measuredFaceRevision = notMade;
    uint64_t measuredVertexRevision = notMade;

    // Face arrays, one entry per corner of every drawable face, and what
    // they were built from.
    uint64_t facesFaceRevision = notMade;
    uint64_t facesVertexRevision = notMade;
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
    uint64_t edgesFaceRevision = notMade;
    uint64_t edgesVertexRevision = notMade;
    std::vector<float> edgePositions;
    std::vector<uint32_t> edgeIndices;
};

void drawFaces();
