// Moving a face with the mouse: its corners follow the aimed point, along the
// face's normal or freely, and the faces sharing them are deformed with it.
#include "core/options.h"
#include "state/program_state.h"
#include "edit/aim.h"
#include "edit/edit_steps.h"
#include "edit/mesh_edits.h"
#include "edit/picking.h"
#include "mesh/mesh.h"
#include "render/overlays.h"
#include "edit/editing_state.h"

namespace {

// Puts the corners of face f at corners[0..3] + shift (three for a triangle).
void placeFaceCorners(int f, const Vec3 corners[4], Vec3 shift) {
    placeVertex(mesh.faceA[f], corners[0] + shift);
    placeVertex(mesh.faceB[f], corners[1] + shift);
    placeVertex(mesh.faceC[f], corners[2] + shift);
    if (mesh.faceD[f] >= 0) placeVertex(mesh.faceD[f], corners[3] + shift);
}

// Puts the corners of face f back exactly where the record holds them (no
// arithmetic: adding a zero shift would turn a -0 coordinate into +0).
void restoreFaceCorners(int f, const Vec3 corners[4]) {
    placeVertex(mesh.faceA[f], corners[0]);
    placeVertex(mesh.faceB[f], corners[1]);
    placeVertex(mesh.faceC[f], corners[2]);
    if (mesh.faceD[f] >= 0) placeVertex(mesh.faceD[f], corners[3]);
}

// Travel of the aimed point since the grab, or only its part along the
// grabbed face's normal.
Vec3 faceShift() {
    Vec3 shift = editing.aim.aimed - editing.records.grabAim;
    if (options.faceModification == 1) {
        const Vec3* grabbed = editing.records.grabCorners;
        Vec3 normal = unitNormal(grabbed[0], grabbed[1], grabbed[2]);
        shift = dot3(normal, shift) * normal;
    }
    return shift;
}

}  // namespace

void modifyFacesStep() {
    if (program.input.leftArmed) hoverFace();
    dropSelectionsPastCounts();
    const int f = program.edit.selectedFace;
    if (!program.input.leftArmed && f >= 0) {
        computeAimPoint();
        placeFaceCorners(f, editing.records.grabCorners, faceShift());
        highlightFace(f);
    }
    if (program.input.deletePending && f >= 0) {
        restoreFaceCorners(f, editing.records.undoCorners);
        program.edit.selectedFace = -1;
        program.input.deletePending = false;
    }
}
