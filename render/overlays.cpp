#include "render/overlays.h"

#include <GL/gl.h>

#include <cassert>


#include "state/view_state.h"
#include "mesh/mesh.h"
#include "render/faces.h"
#include "render/mesh_arrays.h"
#include "state/program_state.h"
#include "render/render_state.h"


namespace {

void vertexAt(int v) {
    glVertex3f(mesh.vertexX[v], mesh.vertexY[v], mesh.vertexZ[v]);
}

void segment(int from, int to) {
    vertexAt(from);
    vertexAt(to);
}

// Closed outline of face f: A-B, B-C, then C-D, D-A or C-A for a triangle.
void faceOutline(int f) {
    int a = mesh.faceA[f];
    int b = mesh.faceB[f];
    int c = mesh.faceC[f];
    int d = mesh.faceD[f];
    segment(a, b);
    segment(b, c);
    if (d >= 0) {
        segment(c, d);
        segment(d, a);
    } else {
        segment(c, a);
    }
}

// The plane point (u, v) as a model point of the grid plane.
void planeVertex(GridPlane plane, float u, float v) {
    switch (plane) {
        case PlaneXOz: glVertex3f(u, 0.0f, v); break;
        case PlaneYOz: glVertex3f(0.0f, u, v); break;
        default: glVertex3f(u, v, 0.0f); break;
    }
}

void planeSegment(GridPlane plane, float u1, float v1, float u2, float v2) {
    planeVertex(plane, u1, v1);
    planeVertex(plane, u2, v2);
}

}  // namespace

void drawAxes() {
    glLineWidth(2.0f);
    glBegin(GL_LINES);
    glColor3f(1.0f, 0.0f, 0.0f);
    glVertex3f(0.0f, 0.0f, 0.0f);
    glVertex3f(axisLength, 0.0f, 0.0f);
    glColor3f(0.0f, 1.0f, 0.0f);
    glVertex3f(0.0f, 0.0f, 0.0f);
    glVertex3f(0.0f, axisLength, 0.0f);
    glColor3f(0.0f, 0.0f, 1.0f);
    glVertex3f(0.0f, 0.0f, 0.0f);
    glVertex3f(0.0f, 0.0f, axisLength);
    glEnd();
    glColor3f(1.0f, 1.0f, 1.0f);
}

void drawGridForView() {
    switch (program.view.viewKind) {
        case ViewXOz: drawGrid(PlaneXOz); break;
        case ViewYOz: drawGrid(PlaneYOz); break;
        default: drawGrid(PlaneXOy); break;
    }
}

// Every cell is outlined on its own, so inner sides are drawn twice.
void drawGrid(GridPlane plane) {
    glColor3f(0.6f, 0.6f, 0.6f);
    glLineWidth(0.3f);
    glBegin(GL_LINES);
    float d = gridStep;
    for (int i = -gridHalfCount; i < gridHalfCount; ++i) {
        for (int j = -gridHalfCount; j < gridHalfCount; ++j) {
            float e = static_cast<float>(i) * gridStep;
            float f = static_cast<float>(j) * gridStep;
            planeSegment(plane, e, f, e, f + d);
            planeSegment(plane, e, f + d, e + d, f + d);
            planeSegment(plane, e + d, f + d, e + d, f);
            planeSegment(plane, e + d, f, e, f);
        }
    }
    glEnd();
    glColor3f(1.0f, 1.0f, 1.0f);
}

void drawVertexPoints() {
    glColor3f(1.0f, 1.0f, 1.0f);
    glPointSize(4.0f);
    glBegin(GL_POINTS);
    for (int v = 0; v < mesh.vertexCount; ++v) vertexAt(v);
    glEnd();
    glColor3f(1.0f, 1.0f, 1.0f);
}

namespace {

// A highlight may name an entry kept behind the count for the undo; only an
// index outside the arrays is ignored.
bool storedVertex(int v) {
    return v >= 0 && v < mesh.vertexCapacity;
}

// Draws each edge once from the arrays kept between frames. Returns false
// when memory for them cannot be had.
bool drawEdgesWithArrays() {
    if (!refreshEdgeArrays()) return false;
    if (render.drawing.edgeIndices.empty()) return true;
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, render.drawing.edgePositions.data());
    glDrawElements(GL_LINES, static_cast<GLsizei>(render.drawing.edgeIndices.size()), GL_UNSIGNED_INT,
                   render.drawing.edgeIndices.data());
    glDisableClientState(GL_VERTEX_ARRAY);
    return true;
}

}  // namespace

void drawEdges() {
    glColor3f(0.8f, 0.8f, 0.8f);
    glLineWidth(0.6f);
    if (render.drawing.path != DrawingPath::VertexArrays || !drawEdgesWithArrays()) {
        glBegin(GL_LINES);
        for (int f = 0; f < mesh.faceCount; ++f) {
            if (faceCornersStored(mesh, f)) faceOutline(f);
        }
        glEnd();
    }
    glColor3f(1.0f, 1.0f, 1.0f);
}


void highlightVertex(int index) {
    if (!storedVertex(index)) return;
    glColor3f(1.0f, 0.0f, 0.0f);
    glPointSize(6.0f);
    glBegin(GL_POINTS);
    vertexAt(index);
    glEnd();
    glColor3f(1.0f, 1.0f, 1.0f);
}

void drawVertexPath(const int* vertices, int count) {
    glColor3f(1.0f, 0.0f, 0.0f);
    glLineWidth(0.6f);
    glBegin(GL_LINES);
    for (int j = 1; j < count; ++j) {
        assert(vertices[j - 1] >= 0 && vertices[j - 1] < mesh.vertexCount);
        assert(vertices[j] >= 0 && vertices[j] < mesh.vertexCount);
        segment(vertices[j - 1], vertices[j]);
    }
    glEnd();
    glColor3f(1.0f, 1.0f, 1.0f);
}

void highlightFace(int index) {
    if (!faceCornersStored(mesh, index)) return;
    glColor3f(1.0f, 0.0f, 0.0f);
    glLineWidth(0.6f);
    glBegin(GL_LINES);
    faceOutline(index);
    glEnd();
    glColor3f(1.0f, 1.0f, 1.0f);
}
