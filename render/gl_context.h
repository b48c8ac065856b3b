// The GL context of the drawing area and the fixed scene state.
#pragma once

#include <GL/gl.h>

// Creates a fresh context on the drawing area and sets up the scene.
void createGlContext();
// Releases the context if one exists; safe to call when none does.
void releaseGlContext();
// Fixed scene state: clear colour, depth test, alpha function, projection,
// material, light, both textures.
void setupScene();
// Stores the drawing area size and sets the viewport and perspective projection.
void resizeView(int width, int height);
void presentFrame();
// Loads the perspective projection for the current drawing area size into the
// current matrix (a zero height is taken as one pixel).
void loadPerspectiveProjection();
// Loads it into the current matrix, then makes the model-view matrix current.
void usePerspectiveProjection();
// The faces toggle works through the alpha test: while it is enabled no face
// fragment passes (drawFaces sets the alpha function to never).
void applyFacesShown(bool shown);
// Hidden parts are shown by turning the depth test off.
void applyHiddenPartsShown(bool shown);
// Sends the frame's commands on and returns GL's pending error, 0 when none.
int flushAndTakeGlError();
