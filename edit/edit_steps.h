// One step per editing mode, run once per frame.
#pragma once

#include "mesh/vector_math.h"

void createVerticesStep();
void deleteVerticesStep();
void moveVerticesStep();
void createFacesStep();
void deleteFacesStep();
void modifyFacesStep();

// State the steps keep from frame to frame.
// Position of the vertex being moved when it became selected.
extern Vec3 undoVertex;
// Vertices clicked so far for the face being built (edit.faceClickCount of
// them); entry 3 is -1 when the face closes as a triangle.
extern int clickedVertices[4];
