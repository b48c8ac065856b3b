// Unlit line and point drawings over the model.
#pragma once

enum GridPlane : int { PlaneXOy = 1, PlaneXOz = 2, PlaneYOz = 3 };

inline constexpr float axisLength = 0.5f;
// The grid has 2 * gridHalfCount + 1 lines each way, gridStep apart.
inline constexpr int gridHalfCount = 10;
inline constexpr float gridStep = 0.1f;

void drawAxes();
void drawGridForView();
void drawGrid(GridPlane plane);
void drawVertexPoints();
void drawEdges();
void highlightVertex(int index);
// Red segments joining the vertices in turn (each below the vertex count).
void drawVertexPath(const int* vertices, int count);
void highlightFace(int index);
