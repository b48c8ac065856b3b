// Cameras of the four views, mouse navigation and the cursor samples.
#pragma once

#include "state/view_state.h"

// Runs the navigation in the base mode, binds the current texture, clears the
// buffers and sets the matrices of the current view.
void applyCamera();
// The base mode's mouse navigation: a left drag turns, Space and a drag turn
// about z, a right drag zooms, each by the cursor's motion since the last
// frame or, for a press taken since, since the press.
void navigate();
// Pauses to pace the frame loop, then samples the cursor clamped to the window.
void sampleCursor();
void rememberCursor();
// Recomputes the sign, aspect and zoom elements of the orthographic matrices.
void updateOrthoMatrices();
