// The menu commands, run between two frames.
#pragma once

// Runs the command with this menu id; unknown ids do nothing.
void runCommand(int id);
