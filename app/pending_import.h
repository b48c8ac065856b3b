// A model of another format being imported while the window goes on: the
// child reads it (exchange/contained_import.h) and every frame takes what it
// sent, until the model lands or the user stops it with Escape.
#pragma once

#include <string>

#include "exchange/import/incoming_model.h"

struct PendingImport {
    ImportJob job;
    IncomingModel incoming;
};

extern PendingImport pendingImport;

// Whether an import is under way.
bool importRunning();
// Starts importing `path`; the current model stays drawn until it lands. A
// child that cannot start is told in a box and gives the starting model.
void beginImport(const std::string& path);
// Takes what the child sent, waiting at most `waitMilliseconds`; once it is
// done the imported model replaces the current one (or, on failure, a box
// and the starting model).
void advancePendingImport(int waitMilliseconds);
// Waits for the import to end and lands its model.
void finishPendingImport();
// Stops the child at once: the program goes on with the model it had.
void cancelPendingImport();
// "Importation de suzanne.obj… 3 s" on the status line.
void showImportStatus();
