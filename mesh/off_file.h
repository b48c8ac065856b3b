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
// `companions` (a picture the file names) are replaced together with it, as
// one set: on failure none of them has changed either.
OffSaveResult saveOffFile(const std::string& path, const Mesh& m,
                          const std::vector<FileReplacement>& companions = {});
