#include "render/gl_context.h"

#include <GL/glu.h>

#include "state/view_state.h"
#include "platform/platform.h"
#include "render/textures.h"
#include "state/program_state.h"
#include "render/render_state.h"


namespace {

void setMaterialAndLight() {
    const GLfloat ambient[] = {0.2f, 0.2f, 0.2f, 1.0f};
    const GLfloat diffuse[] = {0.5f, 0.5f, 0.5f, 1.0f};
    const GLfloat specular[] = {0.9f, 0.9f, 0.9f, 1.0f};
    const GLfloat lightPosition[] = {10.0f, 10.0f, 10.0f, 1.0f};
    glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE);
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, ambient);
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, diffuse);
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, specular);
    glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, 128.0f);
    glEnable(GL_COLOR_MATERIAL);
    // From here on ambient and diffuse follow the current colour. Mesa copies
    // the colour into the material only when a changed colour reaches a draw,
    // so pass black then white through two empty draws: the material is white
    // from the first frame instead of after the first coloured overlay.
    glColor4f(0.0f, 0.0f, 0.0f, 0.0f);
    glBegin(GL_POINTS);
    glEnd();
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glBegin(GL_POINTS);
    glEnd();
    // Given while the model-view matrix is the identity: the light stays at
    // (10, 10, 10) in eye coordinates whatever the camera does.
    glLightfv(GL_LIGHT0, GL_POSITION, lightPosition);
    glLightfv(GL_LIGHT0, GL_AMBIENT, ambient);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, diffuse);
    glLightfv(GL_LIGHT0, GL_SPECULAR, specular);
    glEnable(GL_LIGHT0);
}

}  // namespace

void loadPerspectiveProjection() {
    // A minimised window has no height; any finite projection will do until
    // the next resize brings the real one.
    int height = program.view.clientHeight > 0 ? program.view.clientHeight : 1;
    glLoadIdentity();
    gluPerspective(45.0, static_cast<double>(program.view.clientWidth) / height, 0.6, 20.0);
}

void usePerspectiveProjection() {
    loadPerspectiveProjection();
    glMatrixMode(GL_MODELVIEW);
}

void applyFacesShown(bool shown) {
    if (shown) {
        glDisable(GL_ALPHA_TEST);
    } else {
        glEnable(GL_ALPHA_TEST);
    }
}

void applyHiddenPartsShown(bool shown) {
    if (shown) {
        glDisable(GL_DEPTH_TEST);
    } else {
        glEnable(GL_DEPTH_TEST);
    }
}

int flushAndTakeGlError() {
    glFlush();
    GLenum error = glGetError();
    return error == GL_NO_ERROR ? 0 : static_cast<int>(error);
}

void setupScene() {
    glClearColor(0.4f, 0.4f, 0.4f, 0.0f);
    glEnable(GL_DEPTH_TEST);
    glAlphaFunc(GL_ALWAYS, 0.0f);
    glViewport(0, 0, program.view.clientWidth, program.view.clientHeight);
    glMatrixMode(GL_PROJECTION);
    loadPerspectiveProjection();
    glMatrixMode(GL_MODELVIEW);
    setMaterialAndLight();
    glEnable(GL_NORMALIZE);
    glGenTextures(2, render.textures.names);
    buildUniformTexture();
    buildLoadedTexture();
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_LINE_SMOOTH);
}

void createGlContext() {
    if (!sys::createSurfaceContext()) return;
    setupScene();
}

void releaseGlContext() {
    if (sys::surfaceContextExists()) sys::releaseSurfaceContext();
}

void resizeView(int width, int height) {
    program.view.clientWidth = width;
    program.view.clientHeight = height;
    if (!sys::surfaceContextExists()) return;
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    loadPerspectiveProjection();
    glMatrixMode(GL_MODELVIEW);
}

void presentFrame() {
    sys::swapSurfaceBuffers();
}
