// The commonest files of three formats read without the library, for speed
// and memory on big models: binary STL, binary little-endian PLY whose
// vertices hold float x y z and whose faces hold one list of corners, and
// OBJ of one object and one material. They give exactly the scene the
// library's reading gives (the same numbers, read by the library's own
// number parser, in the same order); any other file, or anything unusual in
// one of these, is left to the library.
#pragma once

#include <string>

#include "exchange/scene/imported_scene.h"
#include "exchange/reader/scene_merge.h"

// Why a model has no texture when its file names none: what the library's
// scenes give for a default material, said the same way by both paths.
inline constexpr const char* noMaterial = "pas de matériau";
inline constexpr const char* noDiffuseTexture = "le premier matériau n'a pas de texture diffuse";

enum class FastImport {
    Read,       // `merged` and the model's texture and flags are set
    NotHandled  // nothing was kept: read the file with the library
};

// Reads `path` (in `folder`, as confined as the library's reading) into
// `merged`; sets `model.texture` (or `textureProblem`) and
// `model.hadTextureCoordinates`.
FastImport importFast(const std::string& path, const std::string& folder, MergedScene& merged,
                      ImportedModel& model, std::string& textureProblem);
