// Opening and saving model files through the platform's file dialogs.
#pragma once

#include <string>

// Lets the user choose a model file and reads it into the mesh. Cancelled:
// the starting model. A Kestrune OFF file (named .off, or whose text starts
// with the keyword OFF) is read here: unreadable, an error box, then the
// starting model; malformed, a fatal error. Any other file goes through the contained import (exchange/contained_import.h): a
// failure is told in a box and gives the starting model. The caller has
// released the previous model. The dialog starts on `modelFile` (selected)
// when it names an existing file, else in `startFolder` when given, else in
// the current directory.
void openModel(const std::string& startFolder = {}, const std::string& modelFile = {});
// The starting model, its plain title and the uniform texture. Memory running
// out even for it is fatal. The caller has released the previous model.
void startingModel();
// Lets the user choose a file and writes the mesh to it in one piece, as
// Kestrune OFF or, by the typed extension, in an export format with the
// current texture options and the shown picture; the model in memory is left
// exactly as it was. Cancelled: nothing happens.
void saveModel();
// True when `path` is read as Kestrune OFF: a name ending in .off, or a file
// whose text starts with the keyword OFF (as its MIME type says: a model
// named without the extension), or one that cannot be read, which the OFF
// path reports. Anything else goes to the import.
bool readAsKestruneOff(const std::string& path);
// Shows, once, what the last import left out or changed: called after a
// frame, so that the model is on screen behind the message.
void showImportNotes();
