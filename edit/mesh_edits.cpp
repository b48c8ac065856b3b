#include "edit/mesh_edits.h"

#include "state/messages.h"
#include "state/program_state.h"
#include "mesh/mesh.h"

EditRecords editRecords;

void forgetDeletionUndo() {
    editRecords.undoVertexCount = 0;
    editRecords.undoFaceCount = 0;
}

void invalidateUndo() {
    forgetDeletionUndo();
    edit.modeStartVertexCount = mesh.vertexCount;
    edit.modeStartFaceCount = mesh.faceCount;
    edit.faceClickCount = 0;
    edit.selectedVertex = -1;
    edit.selectedFace = -1;
}

void dropSelectionsPastCounts() {
    if (edit.selectedVertex >= mesh.vertexCount) edit.selectedVertex = -1;
    if (edit.selectedFace >= mesh.faceCount) edit.selectedFace = -1;
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
    editRecords.undoVertexCount = 1;
    editRecords.undoFaceCount = removeVertex(s);
}

void deleteFace(int f) {
    editRecords.undoVertexCount = 0;
    editRecords.undoFaceCount = 1;
    removeFace(f);
}

void restoreLastDeletion() {
    restoreEntriesPastCounts(editRecords.undoVertexCount, editRecords.undoFaceCount);
    forgetDeletionUndo();
}

void forgetStaleReferences() {
    edit.selectedVertex = -1;
    edit.selectedFace = -1;
    edit.faceClickCount = 0;
    input.validatePending = false;
    if (edit.modeStartVertexCount > mesh.vertexCount) edit.modeStartVertexCount = mesh.vertexCount;
    if (edit.modeStartFaceCount > mesh.faceCount) edit.modeStartFaceCount = mesh.faceCount;
    // The editing records (deletion undo, creation floors) belong to the old mesh.
    invalidateUndo();
}
