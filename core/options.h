// The six integer options and the uniform colour, carried from one run to the
// next by the options file.
#pragma once

#include <string>

struct Options {
    int vertexCreation = 0;    // 1 on the object, 2 in the sighting plane
    int textureSize = 0;       // texels spanned by one reference length
    int commonBase = 0;        // 1 at the start, 2 updated, 3 none
    int faceModification = 0;  // 1 along the normal, 2 with the mouse
    int animation = 0;         // 1 no, 2 the perspective view turns by itself
    int transparency = 0;      // 1 no, 2 faces blended half transparent
    long uniformColor = 0;     // 0x00BBGGRR
};

extern Options options;

inline constexpr int optionCount = 6;
inline constexpr const char* optionsFileName = "optionsKestrune.txt";

// Option by its index in the file and the dialogs (0 .. 5).
int& optionAt(int index);

void setDefaultOptions();
// Clamps every integer option into its range; the colour is kept as read.
void clampOptions();
// Reads the options from a file's text by position, as formatted input would.
// Returns the options read, unclamped; what the text does not hold stays 0.
Options parseOptionsText(const std::string& text);
// The seven lines of the options file, each ending in a blank and CR LF.
std::string formatOptionsText(const Options& values);

// Reads "optionsKestrune.txt" from the current directory, or when it has none
// from `fallbackFolder` (if given); defaults when neither holds one. Then clamps.
void readOptions(const std::string& fallbackFolder = {});
// Writes the options file beside the executable whose directory is given.
// Returns false, leaving any existing file as it was, when it cannot be written.
bool writeOptionsTo(const std::string& directory);
