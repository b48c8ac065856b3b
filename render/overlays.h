// Unlit line and point drawings over the model.
#pragma once

enum GridPlane : int { PlaneXOy = 1, PlaneXOz = 2, PlaneYOz = 3 };

extern float axisLength;
extern int gridHalfCount;
extern float gridStep;

void drawAxes();
void drawGridForView();
void drawGrid(GridPlane plane);
void drawVertexPoints();
void drawEdges();
void highlightVertex(int index);
void highlightFace(int index);
