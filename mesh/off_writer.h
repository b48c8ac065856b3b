// The OFF text of a model, in the coordinates of the file it came from.
#pragma once

#include <string>

#include "mesh/mesh.h"

// Exactly the bytes of the C library's "%15.8g" for `value`, in the C locale,
// written to `out` (at least 16 bytes; no NUL). Returns the length.
int formatCoordinateField(double value, char* out);

// The whole file: "OFF  " and the texture name, the counts " %d  %d", one
// " %15.8g %15.8g %15.8g" line per vertex in file coordinates and one
// " 3 %d %d %d" or " 4 %d %d %d %d" line per face; LF line ends. The model is
// only read: file coordinates are worked out line by line.
std::string formatOffText(const Mesh& m);
