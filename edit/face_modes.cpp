// Building faces by clicking their corners, and deleting faces.

#include "state/program_state.h"
#include "edit/aim.h"
#include "edit/edit_steps.h"
#include "edit/mesh_edits.h"
#include "edit/picking.h"
#include "mesh/mesh.h"
#include "render/overlays.h"
#include "edit/editing_state.h"


namespace {

// Drops the face being built when its clicks no longer name vertices of the
// mesh (the model was replaced or remodelled meanwhile).
void dropStaleClicks() {
    int& count = program.edit.faceClickCount;
    if (count < 0 || count > 3) {
        count = 0;
        return;
    }
    for (int j = 0; j < count; ++j) {
        if (editing.records.clickedVertices[j] < 0 || editing.records.clickedVertices[j] >= mesh.vertexCount) {
            count = 0;
            return;
        }
    }
}

// The clicked corners in red, joined by red segments.
void drawFaceBeingBuilt() {
    const int count = program.edit.faceClickCount;
    for (int j = 0; j < count; ++j) highlightVertex(editing.records.clickedVertices[j]);
    if (count >= 2) drawVertexPath(editing.records.clickedVertices, count);
}

// Adds a clicked corner; the fourth click completes the face, as a triangle
// when it is on the first corner again.
void addCorner(int v) {
    int& count = program.edit.faceClickCount;
    if (count == 0) {
        editing.records.clickedVertices[0] = v;
        count = 1;
        return;
    }
    if (count == 1 && v == editing.records.clickedVertices[0]) return;
    editing.records.clickedVertices[count] = v;
    count += 1;
    if (count < 4) return;
    int* clicked = editing.records.clickedVertices;
    if (clicked[3] == clicked[0]) clicked[3] = -1;
    appendFace(clicked[0], clicked[1], clicked[2], clicked[3]);
    forgetDeletionUndo();
    count = 0;
}

}  // namespace

void createFacesStep() {
    computeAimPoint();
    dropStaleClicks();
    for (int v = 0; v < mesh.vertexCount; ++v) {
        if (vertexUnderCursor(v)) {
            program.edit.selectedVertex = v;
            highlightVertex(v);
        }
    }
    if (mesh.vertexCount > 0) drawFaceBeingBuilt();
    // A click over no vertex waits for the first frame with one under the cursor.
    if (program.input.clickPending && program.edit.selectedVertex >= 0) {
        addCorner(program.edit.selectedVertex);
        program.input.clickPending = false;
    }
    if (program.input.deletePending && mesh.faceCount > program.edit.modeStartFaceCount) {
        dropLastFace();
        forgetDeletionUndo();
        program.input.deletePending = false;
    }
    dropSelectionsPastCounts();
}

void deleteFacesStep() {
    if (program.input.leftArmed) {
        hoverFace();
        if (editing.records.faceUnderCursor != program.edit.selectedFace) program.edit.selectedFace = -1;
    }
    dropSelectionsPastCounts();
    if (program.input.clickPending) {
        if (program.edit.selectedFace >= 0) {
            deleteFace(program.edit.selectedFace);
            program.edit.selectedFace = -1;
        }
        program.input.clickPending = false;
    }
    if (program.input.deletePending) {
        restoreLastDeletion();
        program.input.deletePending = false;
    }
    dropSelectionsPastCounts();
}
