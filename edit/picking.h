// Picking vertices and faces under the cursor, and the face hover step shared
// by the face deletion and face modification modes.
#pragma once

#include "mesh/mesh.h"
#include "mesh/mesh_geometry.h"
#include "mesh/vector_math.h"

// Largest distance from the sight line (exclusive) at which a vertex counts
// as under the cursor.
inline constexpr float pickTolerance = 0.01f;

// True when vertex v lies closer than pickTolerance to the sight line.
bool vertexUnderCursor(int v);
// Distance along the sight line from its origin to where it crosses the
// triangle (p1, p2, p3), or a negative value when it misses it. A corner
// exactly on the line, a plane parallel to the line or collinear corners
// miss.
float sightLineHitDistance(Vec3 p1, Vec3 p2, Vec3 p3);
// Nearest face crossed by the sight line, -1 when none; also stored in
// faceUnderCursor. On equal distances the lower face (and for a quad its
// ABC half) wins.
int pickFace();
// One frame of face hover: aimed point, face pick, validate event (flips the
// face under the cursor), grab record, selection and its highlight.
void hoverFace();
