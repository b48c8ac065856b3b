// The model written in the formats of other tools through the Open Asset
// Import Library, and as standard OFF.
#pragma once

#include <string>
#include <vector>

#include "mesh/mesh.h"
#include "mesh/face_mapping.h"
#include "exchange/texture_file.h"

// How one output format is written by the library.
struct ExportFormat {
    std::string libraryId;        // the library's exporter
    bool triangles = false;       // quads split as (A, B, C) + (A, C, D)
    bool cornerTextures = false;  // per-corner texture coordinates
    bool embedsTexture = false;   // the picture goes inside the file
};

// The format chosen by the extension of `path` (any case): .obj, .ply and
// .stl (binary unless `ascii`), .gltf, .glb, or any other extension the
// library writes. False, with `problem` set, when it writes none.
bool exportFormatFor(const std::string& path, bool ascii, ExportFormat& format, std::string& problem);

// A vertex coordinate in the units of the model's file, as "Sauver" writes it.
inline float fileCoordinate(float view, float scale, float center) {
    double factor = static_cast<double>(scale) / 0.6;
    return static_cast<float>(factor * static_cast<double>(view) + static_cast<double>(center));
}

// A file the export produces: where it goes and its bytes.
struct ExportedFile {
    std::string path;
    std::string bytes;
};

// Writes the global mesh in `format` into memory: the file at `path` comes
// last in `files`, after its companions (.mtl, .bin). Coordinates are in file
// units; the texture, when given, is named (or embedded) in the material.
// False with `problem` set when the library fails.
bool exportToMemory(const std::string& path, const ExportFormat& format, const MappingSettings& mapping,
                    long uniformColor, const TextureFile* texture, std::vector<ExportedFile>& files,
                    std::string& problem);

// Standard OFF: "OFF", the counts "V F 0", one "x y z" line per vertex in file
// units (shortest text that reads back to the same float) and one
// "n a b c [d]" line per face.
std::string formatStandardOff(const Mesh& m);
