#include "edit/mesh_edits.h"

#include "state/messages.h"
#include "state/program_state.h"
#include "mesh/mesh.h"
#include "edit/editing_state.h"

void forgetDeletionUndo() {
    editing.records.undoVertexCount = 0;
    editing.records.undoFaceCount = 0;
}

void invalidateUndo() {
    forgetDeletionUndo();
    program.edit.modeStartVertexCount = mesh.vertexCount;
    program.edit.modeStartFaceCount = mesh.faceCount;
    program.edit.faceClickCount = 0;
    program.edit.selectedVertex = -1;
    program.edit.selectedFace = -1;
}

void dropSelectionsPastCounts() {
    if (program.edit.selectedVertex >= mesh.vertexCount) program.edit.selectedVertex = -1;
    if (program.edit.selectedFace >= mesh.faceCount) program.edit.selectedFace = -1;
}

void placeVertex(int v, Vec3 position) {
    setVertexPosition(v, position.x, position.y, position.z);
}

void appendVertex(Vec3 position) {
    if (!addVertex(position.x, position.y, position.z)) fatalError("mémoire insuffisante");
}

void appendFace(int a, int b, int c, int d) {
    if (!addFace(a, b, c, d)) fatalError("mémoire insuffisante");
}

void deleteVertex(int s) {
    editing.records.undoVertexCount = 1;
    editing.records.undoFaceCount = removeVertex(s);
}

void deleteFace(int f) {
    editing.records.undoVertexCount = 0;
    editing.records.undoFaceCount = 1;
    removeFace(f);
}

void restoreLastDeletion() {
    restoreEntriesPastCounts(editing.records.undoVertexCount, editing.records.undoFaceCount);
    forgetDeletionUndo();
}

void forgetStaleReferences() {
    program.edit.selectedVertex = -1;
    program.edit.selectedFace = -1;
    program.edit.faceClickCount = 0;
    program.input.validatePending = false;
    if (program.edit.modeStartVertexCount > mesh.vertexCount) program.edit.modeStartVertexCount = mesh.vertexCount;
    if (program.edit.modeStartFaceCount > mesh.faceCount) program.edit.modeStartFaceCount = mesh.faceCount;
    // The editing records (deletion undo, creation floors) belong to the old mesh.
    invalidateUndo();
}
