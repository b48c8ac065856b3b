// The main window's message handling: creation, size, menu commands, menu
// help texts, keys and closing.
#pragma once

#include <string>

enum class WindowMessage { Create, Size, Command, MenuSelect, ExitMenuLoop, KeyDown, Close, Destroy };

// Size: wParam width, lParam height. Command: wParam the command id.
// MenuSelect: wParam the item (popup position when lParam is 1, meaning the
// menu bar itself; command id otherwise). KeyDown: wParam 1 for Escape.
void mainWindowProc(WindowMessage message, long wParam, long lParam);

void enterMode(int mode);
void stopMode();
void refuseModeChange();
// Saves the options beside the executable, or in the user's configuration
// folder when the executable's folder is not writable (an installed program).
void writeOptions();
std::string executableDirectory();
