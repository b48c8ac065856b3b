// Where the program finds its data and keeps its options. In the build folder
// the help page and the examples lie beside the executable; once installed
// they lie under ../share/kestrune/ from the executable's folder, so a moved
// prefix still works.
#pragma once

#include <string>

// Full path of the French help page: beside the executable when there, else
// in the installed data folder (that path also when neither exists).
std::string helpPagePath(const std::string& executableDir);
// Folder of the example models, beside the executable or installed; empty
// when there is none.
std::string examplesDir(const std::string& executableDir);

// True when a file can be created in `folder`: tried for real, since access()
// says yes to root even in a read-only folder.
bool folderIsWritable(const std::string& folder);
// $XDG_CONFIG_HOME/kestrune, or ~/.config/kestrune when that is unset or not
// absolute; empty when neither variable gives a folder.
std::string userOptionsFolder();
// True when the program runs from an installed layout: its data lies under
// ../share/kestrune, not beside the executable. An installed program never
// writes into its prefix, even when it could (root).
bool runsInstalled(const std::string& executableDir);
// Where the options file is written: the executable's folder when it is
// writable and not installed, otherwise the user's folder (created when
// missing). Empty when the user's folder cannot be made.
std::string optionsWriteFolder(const std::string& executableDir);
// Where the options file is looked for after the current directory: the
// user's folder when the program is installed or its folder is not writable,
// else empty.
std::string optionsReadFallbackFolder(const std::string& executableDir);
