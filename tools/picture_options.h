// The command line of the pictures of kestrune-batch: drawing options before
// the file names, an output ending in .png, or the thumbnailer's form
// --thumbnail INPUT OUTPUT SIZE.
#pragma once

#include <string>
#include <vector>

#include "core/view_kind.h"

// What to draw and where; the defaults are what the window shows at start.
struct PictureRequest {
    ViewKind view = Perspective;
    bool reversed = false;     // the orthographic views from the other side
    float turnY = 0.0f;        // degrees about y then x, as a left drag turns
    float turnX = 0.0f;        // the perspective view
    int width = 632;           // the window's drawing area at start
    int height = 572;
    bool faces = true;
    bool edges = false;
    bool points = false;
    bool axes = false;
    bool grid = false;
    bool uniform = false;      // the uniform colour instead of the model's image
    std::string optionsFile;   // empty: the default options
    int textureSize = 0;       // over the options when > 0
    int commonBase = 0;
    bool thumbnail = false;    // unattended: a watchdog ends a run that hangs
    std::string input;
    std::string output;
    std::vector<std::string> steps;
};

enum class PictureArguments { Run, UsageError };

extern const char* const pictureUsageText;

// Whether the arguments ask for a picture: a picture option, or an output
// file (the second name after the options) ending in .png.
bool asksForPicture(const std::vector<std::string>& args);
// Fills `into` from the arguments (without the program name); a usage error
// sets `problem`. Steps are checked by name later.
PictureArguments parsePictureArguments(const std::vector<std::string>& args, PictureRequest& into,
                                       std::string& problem);
