// Saving a model as an OFF file, streamed into the safe replacement.
#pragma once

#include <string>

#include "mesh/mesh.h"

enum class OffSaveResult { Saved, WriteFailed, MemoryExhausted };

// Writes the OFF text of `m` (formatOffText's bytes) to a temporary file beside
// `path`, piece by piece as it is made, then puts it in place of `path`. On
// failure `path` is left as it was and errno tells why when the system did.
OffSaveResult saveOffFile(const std::string& path, const Mesh& m);
