// Cameras of the four views, mouse navigation and the cursor samples.
#pragma once

#include "state/view_state.h"

// Runs the navigation in the base mode, binds the current texture, clears the
// buffers and sets the matrices of the current view.
void applyCamera();
void navigate();
// Pauses to pace the frame loop, then samples the cursor clamped to the window.
void sampleCursor();
void rememberCursor();
// Recomputes the sign, aspect and zoom elements of the orthographic matrices.
void updateOrthoMatrices();
