// The sight line under the cursor and the aimed point on it.
#pragma once

#include "edit/vector_math.h"

struct AimPoint {
    Vec3 aimed;
    Vec3 sightOrigin;
    Vec3 sightDirection;
};

extern AimPoint aim;
// Modelview matrix captured by the last unprojectCursor, column-major.
extern double modelviewMatrix[16];
// Scene point under the cursor at the depth found there.
extern double unprojectedPoint[3];

// Reads the viewport, the live cursor, both matrices and the depth under the
// cursor, and unprojects the cursor into unprojectedPoint. A cursor outside
// the drawing area reads the background depth 1.0.
void unprojectCursor();
