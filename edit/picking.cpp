#include "edit/picking.h"

#include <algorithm>
#include <cmath>

#include "state/program_state.h"
#include "edit/aim.h"
#include "edit/mesh_edits.h"
#include "mesh/mesh.h"
#include "render/overlays.h"
#include "edit/editing_state.h"


namespace {

constexpr float noHit = -1.0f;
constexpr float farthestPick = 1e10f;

}  // namespace

bool vertexUnderCursor(int v) {
    return distanceToSightLine(vertexPosition(v)) < pickTolerance;
}

float sightLineHitDistance(Vec3 p1, Vec3 p2, Vec3 p3) {
    const Vec3 o = editing.aim.sightOrigin;
    const Vec3 d = editing.aim.sightDirection;
    // Plane a x + b y + c z + k = 0 through the three corners.
    float a = det3(Vec3{p1.y, p1.z, 1.0f}, Vec3{p2.y, p2.z, 1.0f}, Vec3{p3.y, p3.z, 1.0f});
    float b = -det3(Vec3{p1.x, p1.z, 1.0f}, Vec3{p2.x, p2.z, 1.0f}, Vec3{p3.x, p3.z, 1.0f});
    float c = det3(Vec3{p1.x, p1.y, 1.0f}, Vec3{p2.x, p2.y, 1.0f}, Vec3{p3.x, p3.y, 1.0f});
    float k = -det3(p1, p2, p3);
    float t = -(a * o.x + b * o.y + c * o.z + k) / (a * d.x + b * d.y + c * d.z);
    Vec3 offset = t * d;
    Vec3 hit = o + offset;
    float s1 = det3(p1 - hit, p2 - hit, d);
    float s2 = det3(p2 - hit, p3 - hit, d);
    float s3 = det3(p3 - hit, p1 - hit, d);
    bool inside = (s1 > 0.0f && s2 > 0.0f && s3 > 0.0f) || (s1 < 0.0f && s2 < 0.0f && s3 < 0.0f);
    if (!inside) return noHit;
    float distance = std::sqrt(dot3(offset, offset));
    // A plane parallel to the sight line or collinear corners give an
    // infinite or undefined distance: never a hit.
    if (!std::isfinite(distance)) return noHit;
    return distance;
}

int pickFace() {
    editing.records.faceUnderCursor = -1;
    float best = farthestPick;
    for (int f = 0; f < mesh.faceCount; ++f) {
        Vec3 a = vertexPosition(mesh.faceA[f]);
        Vec3 c = vertexPosition(mesh.faceC[f]);
        float distance = sightLineHitDistance(a, vertexPosition(mesh.faceB[f]), c);
        if (distance >= 0.0f && best > distance) {
            editing.records.faceUnderCursor = f;
            best = distance;
        }
        if (mesh.faceD[f] < 0) continue;
        distance = sightLineHitDistance(a, c, vertexPosition(mesh.faceD[f]));
        if (distance >= 0.0f && best > distance) {
            editing.records.faceUnderCursor = f;
            best = distance;
        }
    }
    return editing.records.faceUnderCursor;
}

void hoverFace() {
    computeAimPoint();
    pickFace();
    dropSelectionsPastCounts();
    const int f = editing.records.faceUnderCursor;
    if (f >= 0) {
        if (program.input.validatePending) {
            flipFace(f);
            program.input.validatePending = false;
        }
        editing.records.grabCorners[0] = vertexPosition(mesh.faceA[f]);
        editing.records.grabCorners[1] = vertexPosition(mesh.faceB[f]);
        editing.records.grabCorners[2] = vertexPosition(mesh.faceC[f]);
        if (mesh.faceD[f] >= 0) editing.records.grabCorners[3] = vertexPosition(mesh.faceD[f]);
        editing.records.grabAim = editing.aim.aimed;
        if (f != program.edit.selectedFace) {
            std::copy_n(editing.records.grabCorners, 4, editing.records.undoCorners);
            program.edit.selectedFace = f;
        }
    }
    if (program.edit.selectedFace >= 0) highlightFace(program.edit.selectedFace);
}
