// Creating, deleting and moving vertices with the mouse.
#include "state/program_state.h"
#include "edit/aim.h"
#include "edit/edit_steps.h"
#include "edit/mesh_edits.h"
#include "edit/picking.h"
#include "mesh/mesh.h"
#include "render/overlays.h"
#include "edit/editing_state.h"


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
    if (program.input.clickPending) {
        appendVertex(editing.aim.aimed);
        forgetDeletionUndo();
        program.input.clickPending = false;
    }
    // Delete takes back the vertices made in this mode, last first. A vertex
    // that a face uses (the mesh was remodelled meanwhile) is never taken back.
    const int last = mesh.vertexCount - 1;
    if (program.input.deletePending && mesh.vertexCount > program.edit.modeStartVertexCount && !anyFaceUses(last)) {
        dropLastVertex();
        forgetDeletionUndo();
        program.input.deletePending = false;
    }
    dropSelectionsPastCounts();
}

void deleteVerticesStep() {
    computeAimPoint();
    for (int v = 0; v < mesh.vertexCount; ++v) {
        if (vertexUnderCursor(v)) {
            program.edit.selectedVertex = v;
            highlightVertex(v);
        }
    }
    if (program.input.clickPending) {
        if (program.edit.selectedVertex >= 0) deleteVertex(program.edit.selectedVertex);
        program.input.clickPending = false;
    }
    if (program.input.deletePending) {
        restoreLastDeletion();
        program.input.deletePending = false;
    }
    dropSelectionsPastCounts();
}

void moveVerticesStep() {
    computeAimPoint();
    dropSelectionsPastCounts();
    if (program.input.leftArmed) {
        for (int v = 0; v < mesh.vertexCount; ++v) {
            if (v != program.edit.selectedVertex && vertexUnderCursor(v)) {
                program.edit.selectedVertex = v;
                editing.records.undoVertex = vertexPosition(v);
            }
        }
        if (program.edit.selectedVertex >= 0) highlightVertex(program.edit.selectedVertex);
    }
    const int v = program.edit.selectedVertex;
    if (!program.input.leftArmed && v >= 0) {
        placeVertex(v, closestPointOnSightLine(editing.records.undoVertex));
        highlightVertex(v);
    }
    if (!program.input.deleteArmed && v >= 0) {
        placeVertex(v, editing.records.undoVertex);
        highlightVertex(v);
    }
}
