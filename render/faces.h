// Lit, textured drawing of every face.
#pragma once

#include "mesh/vector_math.h"

// How the faces and the edges reach GL: one glBegin/glEnd per face (per
// drawing for the edges) with a call per corner, or everything at once from
// vertex arrays, the faces as triangles split exactly as GL splits a polygon.
// Both give the same picture; the arrays take far fewer calls.
enum class DrawingPath { Immediate, VertexArrays };
extern DrawingPath drawingPath;

// Longest A-B edge and direction toward the viewer of the last drawing.
extern float longestBaseEdge;
extern Vec3 viewerDirection;

void drawFaces();
