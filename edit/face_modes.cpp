// Building faces by clicking their corners, and deleting faces.

#include "state/program_state.h"
#include "edit/aim.h"
#include "edit/edit_steps.h"
#include "edit/mesh_edits.h"
#include "edit/picking.h"
#include "mesh/mesh.h"
#include "render/overlays.h"


namespace {

// Drops the face being built when its clicks no longer name vertices of the
// mesh (the model was replaced or remodelled meanwhile).
void dropStaleClicks() {
    int& count = edit.faceClickCount;
    if (count < 0 || count > 3) {
        count = 0;
        return;
    }
    for (int j = 0; j < count; ++j) {
        if (editRecords.clickedVertices[j] < 0 || editRecords.clickedVertices[j] >= mesh.vertexCount) {
            count = 0;
            return;
        }
    }
}

// The clicked corners in red, joined by red segments.
void drawFaceBeingBuilt() {
    const int count = edit.faceClickCount;
    for (int j = 0; j < count; ++j) highlightVertex(editRecords.clickedVertices[j]);
    if (count >= 2) drawVertexPath(editRecords.clickedVertices, count);
}

// Adds a clicked corner; the fourth click completes the face, as a triangle
// when it is on the first corner again.
void addCorner(int v) {
    int& count = edit.faceClickCount;
    if (count == 0) {
        editRecords.clickedVertices[0] = v;
        count = 1;
        return;
    }
    if (count == 1 && v == editRecords.clickedVertices[0]) return;
    editRecords.clickedVertices[count] = v;
    count += 1;
    if (count < 4) return;
    if (editRecords.clickedVertices[3] == editRecords.clickedVertices[0]) editRecords.clickedVertices[3] = -1;
    appendFace(editRecords.clickedVertices[0], editRecords.clickedVertices[1], editRecords.clickedVertices[2], editRecords.clickedVertices[3]);
    forgetDeletionUndo();
    count = 0;
}

}  // namespace

void createFacesStep() {
    computeAimPoint();
    dropStaleClicks();
    for (int v = 0; v < mesh.vertexCount; ++v) {
        if (vertexUnderCursor(v)) {
            edit.selectedVertex = v;
            highlightVertex(v);
        }
    }
    if (mesh.vertexCount > 0) drawFaceBeingBuilt();
    // A click over no vertex waits for the first frame with one under the cursor.
    if (input.clickPending && edit.selectedVertex >= 0) {
        addCorner(edit.selectedVertex);
        input.clickPending = false;
    }
    if (input.deletePending && mesh.faceCount > edit.modeStartFaceCount) {
        dropLastFace();
        forgetDeletionUndo();
        input.deletePending = false;
    }
    dropSelectionsPastCounts();
}

void deleteFacesStep() {
    if (input.leftArmed) {
        hoverFace();
        if (editRecords.faceUnderCursor != edit.selectedFace) edit.selectedFace = -1;
    }
    dropSelectionsPastCounts();
    if (input.clickPending) {
        if (edit.selectedFace >= 0) {
            deleteFace(edit.selectedFace);
            edit.selectedFace = -1;
        }
        input.clickPending = false;
    }
    if (input.deletePending) {
        restoreLastDeletion();
        input.deletePending = false;
    }
    dropSelectionsPastCounts();
}
