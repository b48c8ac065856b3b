// Entering and leaving the editing modes, shared by the menu commands and
// the frame.
#pragma once

void enterMode(int mode);
void stopMode();
// Told when a mode command comes outside the base mode.
void refuseModeChange();
