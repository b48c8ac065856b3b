// What both commands of kestrune-batch read before their work: the remodelling
// steps named and the options (the model comes in through
// exchange/incoming_model.h); their messages go to the error stream as
// "kestrune-batch : ...".
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "remodel/remodel.h"

// A remodelling step of the command line: bases, triangles or loop.
using RemodelStep = RemodelStatus (*)();
std::optional<RemodelStep> remodelStepNamed(const std::string& name);
// The steps named, in order; false with `unknown` set to the first name that
// is none.
bool remodelStepsNamed(const std::vector<std::string>& names, std::vector<RemodelStep>& steps,
                       std::string& unknown);
// Applies the steps in order; false, said on `err`, at the first that fails.
bool applySteps(const std::vector<RemodelStep>& steps, std::ostream& err);

// Each line of `lines` (French, each ending in '\n') on `err` behind
// "kestrune-batch : ": how the messages of the exchange layer, which name no
// program, reach the batch's error stream.
void tellTagged(const std::string& lines, std::ostream& err);

// The whole file as text; false, said on `err` with the system's reason,
// when it cannot be read.
bool readToolFile(const std::string& path, std::string& text, std::ostream& err);

// The options of `file` (it must be readable) clamped as the window clamps
// them; without a file, the window's options file of the current directory
// when `windowFileWithout`, otherwise the defaults. Then `textureSize` and
// `commonBase` over them when positive.
bool loadToolOptions(const std::string& file, bool windowFileWithout, int textureSize, int commonBase,
                     std::ostream& err);
