// The model written in the formats of other tools (OBJ with its MTL, PLY,
// STL, glTF, GLB) and as standard OFF, straight from the global mesh.
#pragma once

#include <string>
#include <vector>

#include "mesh/mesh.h"
#include "mesh/face_mapping.h"
#include "mesh/off_writer.h"
#include "core/section_writer.h"
#include "exchange/scene/texture_file.h"

enum class ExportKind { Obj, Ply, Stl, Gltf, Glb };

// How one output format is written.
struct ExportFormat {
    ExportKind kind = ExportKind::Obj;
    bool ascii = false;           // text PLY and STL
    bool triangles = false;       // quads split as (A, B, C) + (A, C, D)
    bool cornerTextures = false;  // per-corner texture coordinates
    bool embedsTexture = false;   // the picture goes inside the file
};

// The formats written, as the usage errors list them.
inline constexpr const char* writtenFormats = ".off, .obj, .ply, .stl, .gltf, .glb";

// The format chosen by the extension of `path` (any case): .obj, .ply and
// .stl (binary unless `ascii`), .gltf, .glb. False, with `problem` set (in
// French, listing the formats written), for any other extension or none.
bool exportFormatFor(const std::string& path, bool ascii, ExportFormat& format, std::string& problem);

// A file the export produces: where it goes and how its bytes are made.
struct ExportedFile {
    std::string path;
    FileSections sections;
};

// The files that write the global mesh to `path` in `format`: `path` comes
// last in `files`, after its companion (.mtl, .bin). Coordinates are in file
// units; the texture, when given, is named (or embedded) in the material,
// otherwise the uniform colour is the diffuse one. Nothing is written yet:
// the sections make the bytes when streamed, reading the mesh, which must
// stay unchanged until then. False with `problem` set when the model cannot
// be written in that format.
bool exportFiles(const std::string& path, const ExportFormat& format, const MappingSettings& mapping,
                 long uniformColor, const TextureFile* texture, std::vector<ExportedFile>& files,
                 std::string& problem);

// Standard OFF: "OFF", the counts "V F 0", one "x y z" line per vertex in file
// units (shortest text that reads back to the same float) and one
// "n a b c [d]" line per face.
FileSections standardOffFile();
