// One frame of the program, drawn whenever no message waits.
#pragma once

void renderFrame();
// renderFrame, then the frame shown on the screen.
void drawFrame();
void pollInput();
