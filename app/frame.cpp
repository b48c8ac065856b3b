#include "app/frame.h"

#include <GL/gl.h>

#include <cstdio>

#include "app/core/options.h"
#include "app/state/messages.h"
#include "app/state/program_state.h"
#include "app/window_proc.h"
#include "edit/edit_steps.h"
#include "platform/platform.h"
#include "render/camera.h"
#include "render/faces.h"
#include "render/gl_context.h"
#include "render/overlays.h"

namespace {

// A press counts once: `armed` is true while the button or key was up at the
// last poll.
void latchPress(bool down, bool& armed, bool& pending) {
    if (armed && down) {
        pending = true;
        armed = false;
    }
    if (!down) armed = true;
}

const char* modeTextOf(EditMode mode) {
    switch (mode) {
        case CreateVertices: return "En création de sommets";
        case DeleteVertices: return "En effacement de sommets";
        case MoveVertices: return "En modification de sommets";
        case CreateFaces: return "En création de faces";
        case DeleteFaces: return "En effacement de faces";
        case ModifyFaces: return "En modification de faces";
        default: return edit.modeText;
    }
}

void runModeStep() {
    switch (edit.editMode) {
        case CreateVertices:
            edit.selectedVertex = -1;
            createVerticesStep();
            drawVertexPoints();
            break;
        case DeleteVertices:
            edit.selectedVertex = -1;
            drawVertexPoints();
            deleteVerticesStep();
            break;
        case MoveVertices:
            drawVertexPoints();
            moveVerticesStep();
            break;
        case CreateFaces:
            edit.selectedVertex = -1;
            drawVertexPoints();
            createFacesStep();
            break;
        case DeleteFaces:
            deleteFacesStep();
            break;
        case ModifyFaces:
            modifyFacesStep();
            break;
        default:
            break;
    }
}

void drawToggledOverlays() {
    if (display.showAxes) drawAxes();
    if (display.showGrid) drawGridForView();
    if (display.showVertices) drawVertexPoints();
    if (display.showEdges) drawEdges();
}

void checkGlError() {
    glFlush();
    GLenum error = glGetError();
    if (error == GL_NO_ERROR) return;
    char text[64];
    std::snprintf(text, sizeof text, "Attention erreur OpenGL : %d ", static_cast<int>(error));
    reportError(text);
}

}  // namespace

void pollInput() {
    sampleCursor();
    latchPress(isKeyDown(Key::LeftButton), input.leftArmed, input.clickPending);
    latchPress(isKeyDown(Key::Delete), input.deleteArmed, input.deletePending);
    // Return sets the validate event only while a face is selected, but a
    // press is used up either way.
    bool returnDown = isKeyDown(Key::Return);
    if (input.returnArmed && returnDown) {
        if (edit.selectedFace >= 0) input.validatePending = true;
        input.returnArmed = false;
    }
    if (!returnDown) input.returnArmed = true;
    if (isKeyDown(Key::RightButton)) stopMode();
    if (isKeyDown(Key::End)) stopMode();
    rememberCursor();
}

void renderFrame() {
    applyCamera();
    pollInput();
    drawFaces();
    if (edit.editMode == Base) {
        showBaseStatus();
    } else {
        options.animation = 1;
        options.transparency = 1;
        edit.modeText = modeTextOf(edit.editMode);
    }
    runModeStep();
    drawToggledOverlays();
    checkGlError();
}

void drawFrame() {
    renderFrame();
    presentFrame();
}
