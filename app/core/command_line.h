// The desktop program's own command-line options, answered before any window
// is made. Every other argument is left to the window system.
#pragma once

#include <ostream>

// Text of `kestrune --help`.
extern const char* const kestruneHelpText;

// Writes the help or the version to `out` when the arguments ask for it and
// returns true: the program then ends with exit code 0.
bool answerInfoOption(int argc, const char* const* argv, std::ostream& out);
