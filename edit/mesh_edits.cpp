#include "edit/mesh_edits.h"

#include <cassert>

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
    assert(v >= 0 && v < mesh.vertexCapacity);
    mesh.vertexX[v] = position.x;
    mesh.vertexY[v] = position.y;
    mesh.vertexZ[v] = position.z;
}

void appendVertex(Vec3 position) {
    const int32_t count = mesh.vertexCount + 1;
    if (!resizeVertexArrays(count)) fatalError("mémoire insuffisante");
    mesh.vertexCount = count;
    mesh.vertexX[count - 1] = position.x;
    mesh.vertexY[count - 1] = position.y;
    mesh.vertexZ[count - 1] = position.z;
}

void appendFace(int a, int b, int c, int d) {
    const int32_t count = mesh.faceCount + 1;
    if (!resizeFaceArrays(count)) fatalError("mémoire insuffisante");
    mesh.faceCount = count;
    mesh.faceA[count - 1] = a;
    mesh.faceB[count - 1] = b;
    mesh.faceC[count - 1] = c;
    mesh.faceD[count - 1] = d;
}

namespace {

void swapFaces(int f, int g) {
    swapInts(&mesh.faceA[f], &mesh.faceA[g]);
    swapInts(&mesh.faceB[f], &mesh.faceB[g]);
    swapInts(&mesh.faceC[f], &mesh.faceC[g]);
    swapInts(&mesh.faceD[f], &mesh.faceD[g]);
}

// Exchanges the references to vertices s and n in face f.
void exchangeReferences(int f, int32_t s, int32_t n) {
    int32_t* corners[] = {&mesh.faceA[f], &mesh.faceB[f], &mesh.faceC[f], &mesh.faceD[f]};
    for (int32_t* corner : corners) {
        if (*corner == s) {
            *corner = n;
        } else if (*corner == n) {
            *corner = s;
        }
    }
}

bool usesVertex(int f, int32_t v) {
    return mesh.faceA[f] == v || mesh.faceB[f] == v || mesh.faceC[f] == v || mesh.faceD[f] == v;
}

bool refersToVerticesBelow(int f, int32_t count) {
    auto isVertex = [count](int32_t v) { return v >= 0 && v < count; };
    return isVertex(mesh.faceA[f]) && isVertex(mesh.faceB[f]) && isVertex(mesh.faceC[f]) &&
           (mesh.faceD[f] == -1 || isVertex(mesh.faceD[f]));
}

}  // namespace

void deleteVertex(int s) {
    mesh.vertexCount -= 1;
    const int32_t n = mesh.vertexCount;
    editRecords.undoVertexCount = 1;
    swapFloats(&mesh.vertexX[n], &mesh.vertexX[s]);
    swapFloats(&mesh.vertexY[n], &mesh.vertexY[s]);
    swapFloats(&mesh.vertexZ[n], &mesh.vertexZ[s]);
    // One pass does both the renumbering and the removal: the faces from
    // index i on have not been renumbered yet, and a face moved in from the
    // end is examined again at i.
    editRecords.undoFaceCount = 0;
    int i = 0;
    while (i < mesh.faceCount) {
        exchangeReferences(i, s, n);
        if (usesVertex(i, n)) {
            mesh.faceCount -= 1;
            editRecords.undoFaceCount += 1;
            swapFaces(i, mesh.faceCount);
            continue;
        }
        ++i;
    }
}

void deleteFace(int f) {
    editRecords.undoVertexCount = 0;
    editRecords.undoFaceCount = 1;
    mesh.faceCount -= 1;
    swapFaces(f, mesh.faceCount);
}

void restoreLastDeletion() {
    const int32_t vertexCount = mesh.vertexCount + editRecords.undoVertexCount;
    const int32_t faceCount = mesh.faceCount + editRecords.undoFaceCount;
    bool fits = vertexCount <= mesh.vertexCapacity && faceCount <= mesh.faceCapacity;
    for (int f = mesh.faceCount; fits && f < faceCount; ++f) {
        fits = refersToVerticesBelow(f, vertexCount);
    }
    if (fits) {
        mesh.vertexCount = vertexCount;
        mesh.faceCount = faceCount;
    }
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
