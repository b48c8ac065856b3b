#include "render/camera.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include "core/options.h"
#include "state/program_state.h"
#include "platform/platform.h"
#include "render/gl_context.h"
#include "render/textures.h"


namespace {

// The steps and bounds are double constants: each sum or comparison is made in
// double and the result stored as a float, as `float += double` does.
void addStored(float& value, double step) {
    value = static_cast<float>(value + step);
}

void clampBelow(float& value, double lowest) {
    if (value < lowest) value = static_cast<float>(lowest);
}

void clampAbove(float& value, double highest) {
    if (value > highest) value = static_cast<float>(highest);
}

void applyPerspectiveCamera() {
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gluLookAt(0.0, 0.0, view.cameraDistance, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0);
    if (options.animation == 2) {
        addStored(view.angleY, 0.13);
        addStored(view.angleX, 0.21);
        addStored(view.angleZ, 0.3);
    }
    glRotatef(view.angleY, 0.0f, 1.0f, 0.0f);
    glRotatef(view.angleX, 1.0f, 0.0f, 0.0f);
    glRotatef(view.angleZ, 0.0f, 0.0f, 1.0f);
}

void applyOrthographicCamera() {
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    updateOrthoMatrices();
    glMatrixMode(GL_PROJECTION);
    glLoadMatrixf(view.orthoMatrices[view.viewKind - 1]);
}

}  // namespace

void updateOrthoMatrices() {
    float s = view.viewSign;
    int height = view.clientHeight > 0 ? view.clientHeight : 1;
    float a = static_cast<float>(static_cast<double>(view.clientWidth) * s / height);
    float m = view.orthoZoom;
    float* xOy = view.orthoMatrices[0];
    xOy[5] = a;
    xOy[10] = -s;
    xOy[15] = m;
    float* xOz = view.orthoMatrices[1];
    xOz[6] = s;
    xOz[9] = a;
    xOz[15] = m;
    float* yOz = view.orthoMatrices[2];
    yOz[2] = -s;
    yOz[9] = a;
    yOz[15] = m;
}

void applyCamera() {
    if (edit.editMode == Base) navigate();
    glBindTexture(GL_TEXTURE_2D, textures.names[display.textureSlot]);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    if (view.viewKind == Perspective) {
        applyPerspectiveCamera();
    } else {
        applyOrthographicCamera();
    }
}

void navigate() {
    sampleCursor();
    float dx = view.cursorX - view.previousCursorX;
    float dy = view.cursorY - view.previousCursorY;
    if (isKeyDown(Key::LeftButton)) {
        view.angleY += dx;
        view.angleX += dy;
    }
    if (isKeyDown(Key::Space)) view.angleZ += dx;
    if (isKeyDown(Key::RightButton)) {
        addStored(view.cameraDistance, (view.previousCursorX - view.cursorX) * 0.08);
        clampBelow(view.cameraDistance, 1.7);
        clampAbove(view.cameraDistance, 15.0);
    }
    if (isKeyDown(Key::RightButton)) {
        addStored(view.orthoZoom, (view.previousCursorX - view.cursorX) * 0.02);
        clampAbove(view.orthoZoom, 6.0);
        clampBelow(view.orthoZoom, 0.6);
    }
    if (isKeyDown(Key::End) || input.endPressed) {
        options.animation = 1;
        options.transparency = 1;
    }
    bool returnDown = isKeyDown(Key::Return);
    if (input.returnPressed || (view.signFlipArmed && returnDown)) view.viewSign = -view.viewSign;
    view.signFlipArmed = !returnDown;
    rememberCursor();
}

void sampleCursor() {
    if (options.animation == 1) sleepMilliseconds(25);
    if (options.animation == 2) sleepMilliseconds(5);
    ScreenRect rect = mainWindowRect();
    ScreenPoint cursor = cursorScreenPosition();
    view.cursorX = static_cast<float>(cursor.x);
    view.cursorY = static_cast<float>(cursor.y);
    clampBelow(view.cursorX, static_cast<float>(rect.left));
    clampAbove(view.cursorX, static_cast<float>(rect.right));
    clampBelow(view.cursorY, static_cast<float>(rect.top));
    clampAbove(view.cursorY, static_cast<float>(rect.bottom));
}

void rememberCursor() {
    view.previousCursorX = view.cursorX;
    view.previousCursorY = view.cursorY;
}
