#include "render/unproject.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include "platform/platform.h"
#include "render/render_state.h"

namespace {

// Depth at window pixel (x, y); the background depth where the pixel lies
// outside the framebuffer, so nothing is ever read outside it.
float depthAt(int x, int y, const GLint viewport[4]) {
    if (x < 0 || y < 0 || x >= viewport[2] || y >= viewport[3]) return 1.0f;
    float depth = 1.0f;
    glReadPixels(x, y, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
    return depth;
}

}  // namespace

void unprojectCursor() {
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    sys::ScreenPoint client = sys::cursorClientPosition();
    double projection[16];
    glGetDoublev(GL_MODELVIEW_MATRIX, render.unprojection.modelview);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    float winX = static_cast<float>(client.x);
    float winY = static_cast<float>(viewport[3]) - static_cast<float>(client.y);
    float depth = depthAt(static_cast<int>(winX), static_cast<int>(winY), viewport);
    gluUnProject(winX, winY, depth, render.unprojection.modelview, projection, viewport, &render.unprojection.point[0],
                 &render.unprojection.point[1], &render.unprojection.point[2]);
}
