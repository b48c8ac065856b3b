// The sight line under the cursor and the aimed point on it.
#pragma once

#include <string>

#include "mesh/vector_math.h"

struct AimPoint {
    Vec3 aimed;
    Vec3 sightOrigin;
    Vec3 sightDirection;
};

// Unprojects the cursor, fills `aim` for the current view and shows the
// aimed point on the status line after edit.modeText.
void computeAimPoint();
// Fills `aim` from an unprojected point for the current view and options,
// without touching GL or the status line.
void aimFromUnprojectedPoint(const double point[3]);
// "<mode>, dans la vue xOy on est à :  x = ...": the status line of the
// editing modes for the current view and aimed point.
std::string aimStatusText(const char* modeText);

// Distance of p from the current sight line (square root taken in double).
float distanceToSightLine(Vec3 p);
// Foot of the perpendicular from p onto the current sight line.
Vec3 closestPointOnSightLine(Vec3 p);
