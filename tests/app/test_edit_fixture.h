// The running program in an editing mode: meshes put in place directly, the
// cursor placed over model points through the matrices of the current view,
// and presses made across real frames.
#pragma once

#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>
#include <vector>

#include "core/options.h"
#include "state/program_state.h"
#include "state/view_state.h"
#include "edit/aim.h"
#include "edit/edit_steps.h"
#include "edit/mesh_edits.h"
#include "edit/picking.h"
#include "mesh/mesh.h"
#include "render/camera.h"
#include "support/program_fixture.h"
#include "support/test_meshes.h"
#include "edit/editing_state.h"

using Corners = FaceCorners;

class EditTest : public ProgramTest {
protected:
    void SetUp() override {
        ProgramTest::SetUp();
        startProgram();
        forgetDeletionUndo();
        editing.records.faceUnderCursor = -1;
        options.vertexCreation = 2;
        options.faceModification = 2;
    }

    // Replaces the model by these vertices and faces, arrays sized exactly.
    void setMesh(const std::vector<Vec3>& vertices, const std::vector<Corners>& faces) {
        ::setMesh(vertices, faces);
        invalidateUndo();
    }

    // Window coordinates (origin bottom-left, in pixels) of model point p in
    // the current view.
    Vec3 windowOf(Vec3 p) {
        applyCamera();
        GLint viewport[4];
        GLdouble modelview[16];
        GLdouble projection[16];
        glGetIntegerv(GL_VIEWPORT, viewport);
        glGetDoublev(GL_MODELVIEW_MATRIX, modelview);
        glGetDoublev(GL_PROJECTION_MATRIX, projection);
        GLdouble x = 0, y = 0, z = 0;
        gluProject(p.x, p.y, p.z, modelview, projection, viewport, &x, &y, &z);
        return Vec3{static_cast<float>(x), static_cast<float>(y), static_cast<float>(z)};
    }

    // Pixel of the drawing area (origin top-left) showing model point p.
    // Both set the camera of the current view, which clears the buffers.
    sys::ScreenPoint pixelOf(Vec3 p) {
        Vec3 window = windowOf(p);
        return sys::ScreenPoint{static_cast<int>(std::lround(window.x)),
                           static_cast<int>(std::lround(scripted::drawingHeight - window.y))};
    }

    void cursorOver(Vec3 p) {
        sys::ScreenPoint pixel = pixelOf(p);
        scripted::setCursorClient(pixel.x, pixel.y);
    }

    // Left button pressed over p in one frame and released in the next.
    void clickAt(Vec3 p) {
        cursorOver(p);
        tap(sys::Key::LeftButton);
    }

    Vec3 position(int v) const { return vertexPosition(v); }
    Corners face(int f) const { return Corners{mesh.faceA[f], mesh.faceB[f], mesh.faceC[f], mesh.faceD[f]}; }
};

inline bool operator==(Corners p, Corners q) {
    return p.a == q.a && p.b == q.b && p.c == q.c && p.d == q.d;
}

inline std::ostream& operator<<(std::ostream& out, Corners c) {
    return out << "(" << c.a << ", " << c.b << ", " << c.c << ", " << c.d << ")";
}

inline std::ostream& operator<<(std::ostream& out, Vec3 v) {
    return out << "(" << v.x << ", " << v.y << ", " << v.z << ")";
}

