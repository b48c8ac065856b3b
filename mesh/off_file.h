// Saving a model as an OFF file, streamed into the safe replacement.
#pragma once

#include <string>
#include <vector>

#include "core/safe_file.h"
#include "mesh/mesh.h"

enum class OffSaveResult { Saved, WriteFailed, MemoryExhausted };

// Writes the OFF text of `m` (formatOffText's bytes) to a temporary file beside
// `path`, piece by piece as it is made, then puts it in place of `path`. On
// failure `path` is left as it was and errno tells why when the system did.
OffSaveResult saveOffFile(const std::string& path, const Mesh& m);

// The same with `textureName` on the header instead of the model's own, and
// `companions` (the picture it names) replaced together with it as one set:
// on failure none of them has changed either. The model is only read.
OffSaveResult saveOffFileNaming(const std::string& path, const Mesh& m, const std::string& textureName,
                                const std::vector<FileReplacement>& companions);
