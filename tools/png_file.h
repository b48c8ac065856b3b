// Writing an RGB picture as a PNG file with libpng.
#pragma once

#include <string>
#include <vector>

// Encodes `width` x `height` RGB bytes, rows from the top, and replaces the
// file at `path` with it whole, or not at all. On failure returns false with
// `problem` set and leaves any file at `path` as it was.
bool writePngFile(const std::string& path, int width, int height, const std::vector<unsigned char>& rgb,
                  std::string& problem);
