// The main window's events as the program handles them: creation, size,
// menu commands, menu help texts, Escape and closing.
#pragma once

void onCreate();
// Drawing area size in device pixels.
void onResize(int width, int height);
// Runs a menu command (see CommandId).
void onCommand(int id);
// Help text of the highlighted item of an open popup (nothing for a separator).
void onMenuItemHighlight(int id);
// Help text of the highlighted popup title of the menu bar.
void onMenuTitleHighlight(int position);
void onMenuExit();
// Escape in the drawing window: stops an import under way; otherwise keeps
// the options and quits.
void onEscape();
// The close box: keeps the options and quits.
void onClose();
// Hands the handlers above and the frame to the window-system layer.
void registerProgramEvents();
