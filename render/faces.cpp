#include "render/faces.h"

#include <GL/gl.h>

#include <cstddef>

#include "core/options.h"
#include "state/view_state.h"
#include "mesh/face_mapping.h"
#include "mesh/mesh.h"
#include "mesh/mesh_geometry.h"
#include "render/mesh_arrays.h"
#include "state/program_state.h"
#include "render/render_state.h"

namespace {

// Direction toward the viewer in model space: the third row of the modelview
// rotation in the perspective view, the fixed view axis otherwise.
Vec3 currentViewerDirection() {
    switch (program.view.viewKind) {
        case ViewXOy: return Vec3{0.0f, 0.0f, 1.0f};
        case ViewXOz: return Vec3{0.0f, 1.0f, 0.0f};
        case ViewYOz: return Vec3{1.0f, 0.0f, 0.0f};
        default: break;
    }
    // Only the matrix is needed: reading the depth under the cursor here
    // would make GL finish the frame's clear before the faces are sent.
    double modelview[16];
    glGetDoublev(GL_MODELVIEW_MATRIX, modelview);
    float m[16];
    toFloatMatrix(modelview, m);
    const float towardEye[4] = {0.0f, 0.0f, 1.0f, 1.0f};
    float direction[4];
    transposedTimes(m, towardEye, direction);
    return Vec3{direction[0], direction[1], direction[2]};
}

// Unit normal of the face, turned toward the viewer so that one-sided
// lighting lights the side that is seen.
Vec3 orientedNormal(int f) {
    Vec3 n = unitNormal(vertexPosition(mesh.faceA[f]), vertexPosition(mesh.faceB[f]),
                        vertexPosition(mesh.faceC[f]));
    if (dot3(n, render.drawing.viewerDirection) < 0.0f) n = Vec3{-n.x, -n.y, -n.z};
    return n;
}

void drawFacesImmediate(const MappingSettings& settings) {
    for (int f = 0; f < mesh.faceCount; ++f) {
        if (!faceCornersStored(mesh, f)) continue;
        int32_t corners[4];
        int count = faceCorners(f, corners);
        TexturePoint points[4];
        faceTextureCoordinates(f, settings, points);
        glBegin(GL_POLYGON);
        Vec3 n = orientedNormal(f);
        glNormal3d(n.x, n.y, n.z);
        for (int k = 0; k < count; ++k) {
            glTexCoord2f(points[k].s, points[k].t);
            glVertex3f(mesh.vertexX[corners[k]], mesh.vertexY[corners[k]], mesh.vertexZ[corners[k]]);
        }
        glEnd();
    }
}


bool drawFacesWithArrays(const MappingSettings& settings) {
    if (!refreshFaceArrays(settings)) return false;
    size_t indexCount = render.drawing.faceIndices.size();
    if (indexCount == 0) return true;
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_NORMAL_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, render.drawing.facePositions.data());
    glNormalPointer(GL_FLOAT, 0, render.drawing.faceNormals.data());
    glTexCoordPointer(2, GL_FLOAT, 0, render.drawing.faceTexturePoints.data());
    glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(indexCount), GL_UNSIGNED_INT,
                   render.drawing.faceIndices.data());
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
    return true;
}

MappingSettings mappingSettings() {
    return MappingSettings{options.commonBase, mesh.commonBaseLength, render.drawing.longestBaseEdge,
                           textureRepeatScale(options.textureSize)};
}

}  // namespace

void drawFaces() {
    render.drawing.viewerDirection = currentViewerDirection();
    glEnable(GL_LIGHTING);
    // The faces toggle works through the alpha test: while it is enabled no
    // face fragment passes.
    glAlphaFunc(GL_NEVER, 0.0f);
    glEnable(GL_TEXTURE_2D);
    bool transparent = options.transparency == 2;
    if (transparent) {
        glDepthMask(GL_FALSE);
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE);
        glColor4f(0.5f, 0.5f, 0.5f, 0.5f);
    }
    bool drawn = false;
    if (render.drawing.path == DrawingPath::VertexArrays) {
        // The longest A-B edge is measured again only when the mesh changed.
        noteMeshChanges();
        drawn = drawFacesWithArrays(mappingSettings());
    }
    if (!drawn) {
        render.drawing.longestBaseEdge = measureLongestBaseEdge(mesh);
        drawFacesImmediate(mappingSettings());
    }
    if (transparent) {
        glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
        glDisable(GL_BLEND);
        glDepthMask(GL_TRUE);
    }
    glDisable(GL_TEXTURE_2D);
    glAlphaFunc(GL_ALWAYS, 0.0f);
    glDisable(GL_LIGHTING);
}
