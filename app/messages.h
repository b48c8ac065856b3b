// Status line and message boxes.
#pragma once

#include <string>

void setStatusText(const std::string& text);
// Counts and current view, shown at every frame of the base mode.
void showBaseStatus();
// Plain box, no icon.
void showMessage(const std::string& text);
// "ERREUR  !!!" box; the program goes on.
void reportError(const std::string& text);
// "Erreur irrémédiable" box, then releases what is held and ends the process
// with exit code 1, without writing the options.
[[noreturn]] void fatalError(const std::string& text);
