// One frame of the program, drawn whenever no message waits.
#pragma once

void renderFrame();
void pollInput();
