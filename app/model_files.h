// Opening and saving model files through the platform's file dialogs.
#pragma once

#include <optional>
#include <string>

#include "exchange/import/incoming_model.h"

// Lets the user choose a model file and reads it into the mesh. Cancelled:
// the starting model. A Kestrune OFF file (named .off, or whose text starts
// with the keyword OFF) is read here: unreadable, an error box, then the
// starting model; malformed, a fatal error. Any other file goes through the contained import
// (exchange/incoming_model.h): a failure is told in a box and gives the starting model. The caller has
// released the previous model. The dialog starts on `modelFile` (selected)
// when it names an existing file, else in `startFolder` when given, else in
// the current directory.
// An import runs while the frames go on (app/pending_import.h): the
// starting model is drawn until it lands.
void openModel(const std::string& startFolder = {}, const std::string& modelFile = {});
// The open dialog alone, as openModel shows it.
std::optional<std::string> chooseModelFile(const std::string& startFolder = {}, const std::string& modelFile = {});
// What openModel does once the dialog has answered.
void readChosenModel(const std::optional<std::string>& chosen);
// Forgets the model's picture and what its import left to tell.
void forgetModelTexture();
// Shows the picture an import brought, from its bytes: nothing is written
// beside the user's file.
void useImportedPicture(const IncomingModel& incoming);
// The starting model, its plain title and the uniform texture. Memory running
// out even for it is fatal. The caller has released the previous model.
void startingModel();
// Lets the user choose a file and writes the mesh to it in one piece, as
// Kestrune OFF or, by the typed extension, in an export format with the
// current texture options and the shown picture; the model in memory is left
// exactly as it was. Cancelled: nothing happens.
void saveModel();
// Shows, once, what the last import left out or changed: called after a
// frame, so that the model is on screen behind the message.
void showImportNotes();
