#include "render/camera.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include "core/options.h"
#include "state/program_state.h"
#include "platform/platform.h"
#include "render/gl_context.h"
#include "render/textures.h"
#include "render/render_state.h"


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
    gluLookAt(0.0, 0.0, program.view.cameraDistance, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0);
    if (options.animation == 2) {
        addStored(program.view.angleY, 0.13);
        addStored(program.view.angleX, 0.21);
        addStored(program.view.angleZ, 0.3);
    }
    glRotatef(program.view.angleY, 0.0f, 1.0f, 0.0f);
    glRotatef(program.view.angleX, 1.0f, 0.0f, 0.0f);
    glRotatef(program.view.angleZ, 0.0f, 0.0f, 1.0f);
}

void applyOrthographicCamera() {
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    updateOrthoMatrices();
    glMatrixMode(GL_PROJECTION);
    glLoadMatrixf(program.view.orthoMatrices[program.view.viewKind - 1]);
}

// A point of the screen clamped to the main window.
void clampToWindow(sys::ScreenPoint point, float& x, float& y) {
    sys::ScreenRect rect = sys::mainWindowRect();
    x = static_cast<float>(point.x);
    y = static_cast<float>(point.y);
    clampBelow(x, static_cast<float>(rect.left));
    clampAbove(x, static_cast<float>(rect.right));
    clampBelow(y, static_cast<float>(rect.top));
    clampAbove(y, static_cast<float>(rect.bottom));
}

// Where a drag's motion in this frame starts: the cursor of the last frame,
// or, for a key pressed since that frame, the point where the drawing took
// the press. The cursor's path before the press (over a menu's popup, or
// outside the window while no frame was drawn) is no drag.
void dragStart(sys::Key key, bool pressedSinceLastFrame, float& x, float& y) {
    x = program.view.previousCursorX;
    y = program.view.previousCursorY;
    if (pressedSinceLastFrame) clampToWindow(sys::keyPressPosition(key), x, y);
}

}  // namespace

void updateOrthoMatrices() {
    float s = program.view.viewSign;
    int height = program.view.clientHeight > 0 ? program.view.clientHeight : 1;
    float a = static_cast<float>(static_cast<double>(program.view.clientWidth) * s / height);
    float m = program.view.orthoZoom;
    float* xOy = program.view.orthoMatrices[0];
    xOy[5] = a;
    xOy[10] = -s;
    xOy[15] = m;
    float* xOz = program.view.orthoMatrices[1];
    xOz[6] = s;
    xOz[9] = a;
    xOz[15] = m;
    float* yOz = program.view.orthoMatrices[2];
    yOz[2] = -s;
    yOz[9] = a;
    yOz[15] = m;
}

void applyCamera() {
    if (program.edit.editMode == Base) navigate();
    glBindTexture(GL_TEXTURE_2D, render.textures.names[program.display.textureSlot]);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    if (program.view.viewKind == Perspective) {
        applyPerspectiveCamera();
    } else {
        applyOrthographicCamera();
    }
}

void navigate() {
    sampleCursor();
    const InputState& input = program.input;
    float startX, startY;
    if (sys::isKeyDown(sys::Key::LeftButton)) {
        dragStart(sys::Key::LeftButton, input.leftPressed, startX, startY);
        program.view.angleY += program.view.cursorX - startX;
        program.view.angleX += program.view.cursorY - startY;
    }
    if (sys::isKeyDown(sys::Key::Space)) {
        dragStart(sys::Key::Space, input.spacePressed, startX, startY);
        program.view.angleZ += program.view.cursorX - startX;
    }
    if (sys::isKeyDown(sys::Key::RightButton)) {
        dragStart(sys::Key::RightButton, input.rightPressed, startX, startY);
        addStored(program.view.cameraDistance, (startX - program.view.cursorX) * 0.08);
        clampBelow(program.view.cameraDistance, 1.7);
        clampAbove(program.view.cameraDistance, 15.0);
        addStored(program.view.orthoZoom, (startX - program.view.cursorX) * 0.02);
        clampAbove(program.view.orthoZoom, 6.0);
        clampBelow(program.view.orthoZoom, 0.6);
    }
    if (sys::isKeyDown(sys::Key::End) || program.input.endPressed) {
        options.animation = 1;
        options.transparency = 1;
    }
    bool returnDown = sys::isKeyDown(sys::Key::Return);
    ViewState& view = program.view;
    if (program.input.returnPressed || (view.signFlipArmed && returnDown)) view.viewSign = -view.viewSign;
    view.signFlipArmed = !returnDown;
    rememberCursor();
}

void sampleCursor() {
    if (options.animation == 1) sys::sleepMilliseconds(25);
    if (options.animation == 2) sys::sleepMilliseconds(5);
    clampToWindow(sys::cursorScreenPosition(), program.view.cursorX, program.view.cursorY);
}

void rememberCursor() {
    program.view.previousCursorX = program.view.cursorX;
    program.view.previousCursorY = program.view.cursorY;
}
