// Creating, deleting and moving vertices with the mouse.
#include "state/program_state.h"
#include "edit/aim.h"
#include "edit/edit_steps.h"
#include "edit/mesh_edits.h"
#include "edit/picking.h"
#include "mesh/mesh.h"
#include "render/overlays.h"


namespace {

bool anyFaceUses(int v) {
    for (int f = 0; f < mesh.faceCount; ++f) {
        if (mesh.faceA[f] == v || mesh.faceB[f] == v || mesh.faceC[f] == v || mesh.faceD[f] == v) {
            return true;
        }
    }
    return false;
}

}  // namespace

void createVerticesStep() {
    computeAimPoint();
    if (input.clickPending) {
        appendVertex(aim.aimed);
        forgetDeletionUndo();
        input.clickPending = false;
    }
    // Delete takes back the vertices made in this mode, last first. A vertex
    // that a face uses (the mesh was remodelled meanwhile) is never taken back.
    const int last = mesh.vertexCount - 1;
    if (input.deletePending && mesh.vertexCount > edit.modeStartVertexCount && !anyFaceUses(last)) {
        dropLastVertex();
        forgetDeletionUndo();
        input.deletePending = false;
    }
    dropSelectionsPastCounts();
}

void deleteVerticesStep() {
    computeAimPoint();
    for (int v = 0; v < mesh.vertexCount; ++v) {
        if (vertexUnderCursor(v)) {
            edit.selectedVertex = v;
            highlightVertex(v);
        }
    }
    if (input.clickPending) {
        if (edit.selectedVertex >= 0) deleteVertex(edit.selectedVertex);
        input.clickPending = false;
    }
    if (input.deletePending) {
        restoreLastDeletion();
        input.deletePending = false;
    }
    dropSelectionsPastCounts();
}

void moveVerticesStep() {
    computeAimPoint();
    dropSelectionsPastCounts();
    if (input.leftArmed) {
        for (int v = 0; v < mesh.vertexCount; ++v) {
            if (v != edit.selectedVertex && vertexUnderCursor(v)) {
                edit.selectedVertex = v;
                editRecords.undoVertex = vertexPosition(v);
            }
        }
        if (edit.selectedVertex >= 0) highlightVertex(edit.selectedVertex);
    }
    const int v = edit.selectedVertex;
    if (!input.leftArmed && v >= 0) {
        placeVertex(v, closestPointOnSightLine(editRecords.undoVertex));
        highlightVertex(v);
    }
    if (!input.deleteArmed && v >= 0) {
        placeVertex(v, editRecords.undoVertex);
        highlightVertex(v);
    }
}
