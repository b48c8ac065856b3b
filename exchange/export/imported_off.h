// The Kestrune OFF file of an imported model, streamed as it is written.
#pragma once

#include <string>

#include "core/section_writer.h"
#include "exchange/scene/imported_scene.h"

// The Kestrune OFF file of the imported model, with `textureName` on its
// header line ("OFF  " and the name): the counts, vertex and face lines as
// "Sauver" writes them, coordinates in the file's units. Made as it is
// written, or whole.
FileSections importedOffFile(const ImportedModel& model, const std::string& textureName);
std::string importedOffText(const ImportedModel& model, const std::string& textureName = {});
