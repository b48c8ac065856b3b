// Importing a model of another format without letting the file harm the
// program: the library reads it in a child process (kestrune-import) under a
// memory and a time limit, confined to the model's folder, and hands back the
// scene's vertices and faces, which the caller validates as it builds the
// model from them (installImportedModel).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "mesh/mesh.h"

#include "exchange/texture_file.h"

// How much the child may use. Sized from the file: see importLimitsFor.
struct ImportLimits {
    uint64_t memoryBytes = 0;  // address space of the child
    unsigned seconds = 0;      // wall-clock time of the child
};

// The limits for a file of `fileSize` bytes; `thumbnail` gives the tighter
// limits of an unattended thumbnail.
ImportLimits importLimitsFor(uint64_t fileSize, bool thumbnail);

// What the child found.
struct ImportedModel {
    std::vector<float> positions;        // x y z per vertex, in the file's units (metres for FBX)
    std::vector<int32_t> corners;        // a b c d per face, d = -1 for a triangle
    std::optional<TextureFile> texture;  // the scene's usable texture, if any
    bool hadTextureCoordinates = false;  // the file carried its own texture coordinates
    std::string notes;                   // what was left out or changed, French lines, each ending in '\n'
    std::string quietNotes;              // lines for a log only (why a file that names no texture has none)
};

// Reads `path` through the library in a child process. False with `failure`
// set to a French sentence naming the file and the reason when the file
// cannot be read, the child fails, dies, runs out of memory or time.
bool importContained(const std::string& path, const ImportLimits& limits, ImportedModel& into,
                     std::string& failure);

// Builds `into` as opening the Kestrune OFF file of the imported model would
// (readOffNumbers), checking every count and corner. False when the model
// does not fit (*memoryExhausted set when memory ran short); `into` is then
// as it was.
bool installImportedModel(const ImportedModel& model, Mesh& into, bool* memoryExhausted = nullptr);

// The Kestrune OFF text of the imported model, with `textureName` on its
// header line ("OFF  " and the name): the counts, vertex and face lines as
// "Sauver" writes them, coordinates in the file's units.
std::string importedOffText(const ImportedModel& model, const std::string& textureName = {});
