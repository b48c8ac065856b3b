// Pictures of models without the window: kestrune-batch draws the model with
// the window's own frame code into an offscreen GL surface (the scripted
// window-system layer) and writes it as a PNG file.
#pragma once

#include <ostream>
#include <string>
#include <vector>

// `args` are the command's arguments without the program name (see
// pictureUsageText). Returns the exit code: 0 written, 1 the picture could not
// be made (unreadable or malformed model, failed step, missing or unusable
// texture, no offscreen GL, unwritable output: no file is then written),
// 2 usage error. Works on the program's global records and resets them
// before returning.
int runPicture(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
