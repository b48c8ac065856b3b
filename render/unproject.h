// The scene point under the cursor, read back from GL.
#pragma once

struct CursorUnprojection {
    // Modelview matrix captured by the last unprojectCursor, column-major.
    double modelview[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    // Scene point under the cursor at the depth found there.
    double point[3] = {0, 0, 0};
};

// Reads the viewport, the live cursor, both matrices and the depth under the
// cursor, and unprojects the cursor into render.unprojection.point. A cursor outside
// the drawing area reads the background depth 1.0.
void unprojectCursor();
