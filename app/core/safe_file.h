// Replacing a file's contents without ever leaving a damaged file behind.
#pragma once

#include <functional>
#include <string>

// Writes `contents` to a temporary file in the target's folder, flushes it and
// renames it over `path`. On any failure the temporary file is removed, any
// existing file at `path` is left as it was, and false is returned.
bool replaceFileContents(const std::string& path, const std::string& contents);
// The same replacement, the contents written by `writeContents` to the open
// temporary file (it returns false when it could not write them all).
bool replaceFileWith(const std::string& path, const std::function<bool(int fd)>& writeContents);
