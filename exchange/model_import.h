// Models made by other tools, read through the Open Asset Import Library and
// turned into the text of a Kestrune OFF file.
#pragma once

#include <optional>
#include <ostream>
#include <string>

#include "exchange/texture_file.h"

// Reads `path` with the library and writes into `offText` the Kestrune OFF
// file of the whole scene, without a texture name: every mesh with its node
// transform applied, equal positions joined into one vertex (in the order
// they first appear), vertices no face uses left out, faces of three and four
// corners kept in their corner order, larger polygons cut into triangles
// (splitPolygon), points and lines dropped (counted on `err`).
// `texture` receives the diffuse picture of the first mesh's material when it
// is a Kestrune texture; otherwise `err` says why there is none.
// False, with a message naming the file on `err`, when the file cannot be
// read, holds no face or does not fit an OFF file.
bool importModel(const std::string& path, std::string& offText, std::optional<TextureFile>& texture,
                 std::ostream& err);
