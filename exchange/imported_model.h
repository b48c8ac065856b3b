// The Kestrune OFF file of an imported model, streamed as it is written.
#pragma once

#include <string>

#include "exchange/contained_import.h"
#include "core/section_writer.h"

// The sections of importedOffText, made as they are written.
FileSections importedOffFile(const ImportedModel& model, const std::string& textureName);
