// Lit, textured drawing of every face.
#pragma once

#include <cstdint>
#include <vector>

#include "mesh/vector_math.h"

// How the faces and the edges reach GL: one glBegin/glEnd per face (per
// drawing for the edges) with a call per corner, or everything at once from
// vertex arrays, the faces as triangles split exactly as GL splits a polygon.
// Both give the same picture; the arrays take far fewer calls.
enum class DrawingPath { Immediate, VertexArrays };

// What the drawing keeps from one frame to the next.
struct DrawingCaches {
    DrawingPath path = DrawingPath::VertexArrays;
    // Longest A-B edge and direction toward the viewer of the last drawing.
    float longestBaseEdge = 0.0f;
    Vec3 viewerDirection{0.0f, 0.0f, 1.0f};
    // Storage of the vertex-array paths, kept only to avoid reallocating it:
    // every drawing fills it anew.
    std::vector<float> facePositions;
    std::vector<float> faceNormals;
    std::vector<float> faceTexturePoints;
    std::vector<uint32_t> faceIndices;
    std::vector<float> edgePositions;
    std::vector<uint32_t> edgeIndices;
};

extern DrawingCaches drawing;

void drawFaces();
