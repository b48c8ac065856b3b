// Where the program's own files are: its folder and its options file.
#pragma once

#include <string>

// The folder of the running executable.
std::string executableDirectory();
// Saves the options beside the executable, or in the user's configuration
// folder when the executable's folder is not writable (an installed program).
void writeOptions();
