// Opening and saving model files through the platform's file dialogs.
#pragma once

#include <string>

// Lets the user choose an OFF file and reads it into the mesh. Cancelled: the
// starting model. Unreadable file: an error box, then the starting model.
// Malformed file: fatal error. The caller has released the previous model.
// The dialog starts in `startFolder` when given, else in the current directory.
void openModel(const std::string& startFolder = {});
// The starting model, its plain title and the uniform texture. Memory running
// out even for it is fatal. The caller has released the previous model.
void startingModel();
// Lets the user choose a file and writes the mesh to it in one piece; the
// model in memory is left exactly as it was. Cancelled: nothing happens.
void saveModel();
