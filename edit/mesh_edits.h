// The changes the editing modes make to the mesh counts, and the one-level
// undo record shared by the vertex and face deletion modes.
#pragma once

#include "mesh/vector_math.h"

// What the editing steps keep from frame to frame.
struct EditRecords {
    // What the next Delete press in a deletion mode brings back: the vertex
    // and the faces that the last deletion left just past the counts.
    int undoVertexCount = 0;
    int undoFaceCount = 0;
    // Position of the vertex being moved when it became selected.
    Vec3 undoVertex;
    // Vertices clicked so far for the face being built (edit.faceClickCount
    // of them); entry 3 is -1 when the face closes as a triangle.
    int clickedVertices[4] = {0, 0, 0, 0};
    // Result of the last pickFace, -1 when none.
    int faceUnderCursor = -1;
    // Corners A, B, C, D of the face under the cursor at the last hover frame
    // (D keeps its old value for a triangle), the aimed point of that frame,
    // and the corners as they were when that face became selected.
    Vec3 grabCorners[4];
    Vec3 grabAim;
    Vec3 undoCorners[4];
};

// Forgets the deletion record, so that no undo can bring back entries that a
// later change overwrote or made meaningless.
void forgetDeletionUndo();
// For the shell, after New, Open or a remodelling command: forgets the
// deletion record, takes the current counts as the floors of the creation
// modes, drops the face being built and the vertex and face selections, all
// of which referred to the mesh as it was.
void invalidateUndo();

// Clears or clamps every selection and pending event that could refer past
// the end of the mesh arrays; called whenever the mesh is replaced whole.
void forgetStaleReferences();

// Clears the vertex and face selections when they name an entry at or past
// the counts; called after every step that lowers a count.
void dropSelectionsPastCounts();

// Appends a vertex (the arrays grow to exactly the new count). Memory
// exhaustion is fatal.
void appendVertex(Vec3 position);
// Puts vertex v (a stored vertex) at the position.
void placeVertex(int v, Vec3 position);
// Appends the face (a, b, c, d); d = -1 for a triangle.
void appendFace(int a, int b, int c, int d);

// Removes vertex s: the last vertex takes its index, the faces are
// renumbered and every face that used s is moved past the face count, in
// order of removal. Records both for the undo.
void deleteVertex(int s);
// Removes face f by exchanging it with the last face. Records it for the undo.
void deleteFace(int f);
// Brings back what the last deletion removed, when it still fits the arrays
// and every face brought back refers to an existing vertex; then forgets the
// record either way.
void restoreLastDeletion();
