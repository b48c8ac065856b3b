// What the import child found in a model file, as it hands it to its parent
// (import_wire.h): the scene flattened into vertices and faces, its picture
// and what to tell.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "exchange/scene/texture_file.h"

struct ImportedModel {
    std::vector<float> positions;        // x y z per vertex, in the file's units (metres for FBX)
    std::vector<int32_t> corners;        // a b c d per face, d = -1 for a triangle
    std::optional<TextureFile> texture;  // the scene's usable texture, if any
    bool hadTextureCoordinates = false;  // the file carried its own texture coordinates
    std::string notes;                   // what was left out or changed, French lines, each ending in '\n'
    std::string quietNotes;              // lines for a log only (why a file that names no texture has none)
};
