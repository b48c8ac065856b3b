// One frame of the program, drawn whenever no message waits.
#pragma once

void renderFrame();
// renderFrame, then the frame shown on the screen. Returns whether another
// frame is wanted even if no event comes (see WindowEvents::frameDue).
bool drawFrame();
void pollInput();
