// Start-up, frame loop and shut-down of the whole program.
#pragma once

// Returns the process exit code: 0 after a normal end.
int kestruneMain(int argc, char** argv);
