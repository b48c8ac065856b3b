// Models made by other tools, read through the Open Asset Import Library and
// turned into the vertices and faces of a Kestrune model. Run in the import child
// (kestrune-import), never in the window's process: its parent starts it
// and reads its answer (exchange/import/contained_import.h).
#pragma once

#include <string>

#include "exchange/scene/imported_scene.h"

// Reads `path` with the library and puts into `model` the vertices and faces
// of the whole scene (see importedOffText for its OFF file): every mesh with its
// node transform and the file's unit scale applied, equal positions joined
// into one vertex (in the order they first appear), vertices no face uses
// left out, faces of three and four corners kept in their corner order,
// larger polygons cut into triangles (splitPolygon), points and lines dropped
// (counted in `model.notes`). The library reads only inside the model's
// folder (ConfinedFiles). `model.texture` receives the diffuse picture of
// the first mesh's material when it is a Kestrune texture; otherwise the
// notes say why there is none.
// The commonest binary STL, binary PLY and simple OBJ files are read without
// the library (importFast), to the same model; `libraryOnly` reads them with
// the library too.
// False, with `failure` naming the file, when the file cannot be read, holds
// no face, places its meshes too many times or does not fit an OFF file.
bool importModel(const std::string& path, ImportedModel& model, std::string& failure, bool libraryOnly = false);

// The same for a model held in memory under the file name `name` (its
// extension chooses the reader); no file at all can be read.
bool importModelFromMemory(const std::string& bytes, const std::string& name, ImportedModel& model,
                           std::string& failure);
