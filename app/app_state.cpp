#include "app/app_state.h"

#include "edit/mesh_edits.h"
#include "mesh/mesh.h"

InputState input;
EditState edit;
DisplayState display;

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
