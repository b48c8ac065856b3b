// The batch command: reads a model (Kestrune OFF, or any format through the
// Open Asset Import Library), applies remodelling steps in order and writes
// the result in the format the output's extension names.
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "tools/tool_inputs.h"

// `args` are the command's arguments without the program name:
// [OPTIONS] INPUT OUTPUT [STEP ...], STEP one of bases, triangles, loop.
// Returns the exit code: 0 done, 1 unreadable or malformed input, failed
// step, output format not written or unwritable output (OUTPUT is then left
// as it was), 2 usage error.
// Works on the global mesh and releases it before returning.
int runBatch(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
