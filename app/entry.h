// Start-up, frame loop and shut-down of the whole program.
#pragma once

// Everything up to the frame loop: main window, menu, the first model, the GL
// context. Returns false when the main window cannot be created.
bool startUp(int argc, char** argv);
// Puts every record of the program's state back as at process start: the
// model, the options, input, editing, display, view, aimed point, drawing
// caches and textures; the GL context is released.
void resetProgramState();
// Returns the process exit code: 0 after a normal end.
int kestruneMain(int argc, char** argv);
