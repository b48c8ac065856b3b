// Writing the model in the format its file's extension names, all or
// nothing, with the texture placed beside it when the format refers to one:
// the export's one public header, for the window's "Sauver" and
// kestrune-batch alike.
#pragma once

#include <functional>
#include <optional>
#include <ostream>
#include <string>

#include "core/paths.h"
#include "mesh/face_mapping.h"
#include "exchange/scene/imported_scene.h"
#include "exchange/export/export_set.h"
#include "exchange/scene/texture_file.h"

enum class OutputKind { KestruneOff, StandardOff, Export };

struct OutputPlan {
    std::string path;
    OutputKind kind = OutputKind::KestruneOff;
    ExportFormat format;  // for OutputKind::Export
};

// The texture mapping an export gives each face: the one the window draws
// with the current options (their common base and texture size, the global
// mesh's lengths as it is now).
MappingSettings exportMappingSettings();

// The way `path` is written. False with `problem` set (a usage error: the
// formats written listed) when its extension names none of them.
bool planOutput(const std::string& path, bool standardOff, bool ascii, OutputPlan& plan, std::string& problem);

// The texture named on the header of the OFF model read from `inputPath`,
// looked up beside it as the window does. None when the model names none; a
// missing or unusable picture is reported on `err`.
std::optional<TextureFile> textureBesideModel(const std::string& inputPath, const char* name, std::ostream& err);

// Writes the global mesh as `plan` says. `texture` is the model's picture
// (an imported one, or the one of an OFF input); with `keepHeaderName` a
// Kestrune OFF output keeps the texture name the model was read with. A
// picture that cannot be placed beside the output is reported and left out.
// Every file (the model, its .mtl or .bin, the picture copied beside it) is
// made complete in a temporary file, streamed from the mesh, before any of
// them replaces its target. False, with a message naming the file, when the
// output cannot be written; every file is then left as it was.
bool writeModel(const OutputPlan& plan, const MappingSettings& mapping, long uniformColor,
                std::optional<TextureFile> texture, bool keepHeaderName, std::ostream& err);

// Writes the Kestrune OFF file of an imported model, with the texture's name
// on its header line once the picture is beside it (the two as one set): an
// imported model left unchanged keeps its exact coordinates. With
// `modelReads`, the files replace their targets only if it says yes once
// they are made (false then, without a message).
bool writeImportedOff(const std::string& path, const ImportedModel& model, std::optional<TextureFile> texture,
                      std::ostream& err, const std::function<bool()>& modelReads = {});
