// Splitting a path at its last slash, and its extension.
#pragma once

#include <string>

// The file name without its folder: what follows the last '/', or the whole
// path when it holds none.
std::string fileNameOf(const std::string& path);
// The folder of a path: what precedes the last '/', "/" for a name right
// under the root ("/x"), or "." when it holds none.
std::string folderOf(const std::string& path);
// The extension of the file name in lower case, without its dot: "obj" for
// "a/Model.OBJ"; empty when the name has none (".hidden" has none).
std::string lowerExtensionOf(const std::string& path);

// True for a path ending in ".off" (any case): Kestrune's own model files.
inline bool isOffPath(const std::string& path) { return lowerExtensionOf(path) == "off"; }
