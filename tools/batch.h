// The batch command: reads an OFF model, applies remodelling steps in order
// and writes the result as "Sauver" writes it.
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "remodel/remodel.h"

// Text of `kestrune-batch --help` for remodelling.
extern const char* const batchUsageText;

// A remodelling step of the command line: bases, triangles or loop.
using RemodelStep = RemodelStatus (*)();
std::optional<RemodelStep> remodelStepNamed(const std::string& name);

// `args` are the command's arguments without the program name:
// INPUT.off OUTPUT.off [STEP ...], STEP one of bases, triangles, loop.
// Returns the exit code: 0 done, 1 unreadable or malformed input, failed
// step or unwritable output (OUTPUT is then left as it was), 2 usage error.
// Works on the global mesh and releases it before returning.
int runBatch(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
