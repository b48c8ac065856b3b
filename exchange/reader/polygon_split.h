// Triangles of a polygon of five corners or more, for formats that keep
// polygons (OBJ, PLY, OFF) while a Kestrune face has three or four corners.
#pragma once

#include <array>
#include <vector>

#include "mesh/vector_math.h"

// Corner numbers (into `corners`) of the triangles covering the polygon, each
// turning the polygon's way. A convex polygon is fanned from its first
// corner, as GL draws a polygon; a concave one is cut ear by ear so that no
// triangle leaves it. A degenerate polygon (no area) is fanned.
std::vector<std::array<unsigned, 3>> splitPolygon(const std::vector<Vec3>& corners);
