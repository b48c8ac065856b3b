// The message sink: how the status line and the message boxes reach the
// window, for every layer above the core.
#pragma once

#include <string>

void setStatusText(const std::string& text);
// Counts and current view, shown at every frame of the base mode.
void showBaseStatus();
// Plain box, no icon.
void showMessage(const std::string& text);
// "ERREUR  !!!" box; the program goes on.
void reportError(const std::string& text);
// Releases what the layers above hold (the GL context) before a fatal end;
// registered once at start-up.
void registerFatalCleanup(void (*cleanup)());
// "Erreur irrémédiable" box, then the registered clean-up, the model
// released and the process ended with exit code 1, without writing the options.
[[noreturn]] void fatalError(const std::string& text);
