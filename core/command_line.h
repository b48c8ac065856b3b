// The desktop program's own command-line options, answered before any window
// is made, and the model file named on it. The window system's own options
// are left to it.
#pragma once

#include <ostream>
#include <string>

// Text of `kestrune --help`.
extern const char* const kestruneHelpText;

// Writes the help or the version to `out` when the arguments ask for it and
// returns true: the program then ends with exit code 0.
bool answerInfoOption(int argc, const char* const* argv, std::ostream& out);

// The model file named on the command line (`kestrune FICHIER`): the first
// argument that is neither an option nor an option's value ("--" ends the
// options). Empty when there is none.
std::string modelArgument(int argc, const char* const* argv);
