#include "app/frame.h"

#include <cstdio>

#include "core/options.h"
#include "app/model_files.h"
#include "app/pending_import.h"
#include "state/messages.h"
#include "state/program_state.h"
#include "app/modes.h"
#include "edit/edit_steps.h"
#include "platform/platform.h"
#include "render/camera.h"
#include "render/faces.h"
#include "render/gl_context.h"
#include "render/overlays.h"

namespace {

// A press counts once: `armed` is true while the button or key was up at the
// last poll. A press made and released again between two polls counts at the
// next one.
void latchPress(bool down, bool pressed, bool& armed, bool& pending) {
    if (pressed || (armed && down)) pending = true;
    armed = !down;
}

void takeFramePresses() {
    program.input.leftPressed = sys::takeKeyPress(sys::Key::LeftButton);
    program.input.deletePressed = sys::takeKeyPress(sys::Key::Delete);
    program.input.returnPressed = sys::takeKeyPress(sys::Key::Return);
    program.input.rightPressed = sys::takeKeyPress(sys::Key::RightButton);
    program.input.endPressed = sys::takeKeyPress(sys::Key::End);
    program.input.spacePressed = sys::takeKeyPress(sys::Key::Space);
}

// Whether the picture or the state may change again with no new event: the
// model turning by itself, a press not yet used by an editing step, or a
// button or key held (a drag).
bool anotherFrameWanted() {
    if (options.animation == 2 || importRunning()) return true;
    if (program.input.clickPending || program.input.deletePending || program.input.validatePending) return true;
    using sys::Key;
    for (Key key : {Key::LeftButton, Key::RightButton, Key::Delete, Key::Return, Key::End, Key::Space}) {
        if (sys::isKeyDown(key)) return true;
    }
    return false;
}

const char* modeTextOf(EditMode mode) {
    switch (mode) {
        case CreateVertices: return "En création de sommets";
        case DeleteVertices: return "En effacement de sommets";
        case MoveVertices: return "En modification de sommets";
        case CreateFaces: return "En création de faces";
        case DeleteFaces: return "En effacement de faces";
        case ModifyFaces: return "En modification de faces";
        default: return program.edit.modeText;
    }
}

void runModeStep() {
    switch (program.edit.editMode) {
        case CreateVertices:
            program.edit.selectedVertex = -1;
            createVerticesStep();
            drawVertexPoints();
            break;
        case DeleteVertices:
            program.edit.selectedVertex = -1;
            drawVertexPoints();
            deleteVerticesStep();
            break;
        case MoveVertices:
            drawVertexPoints();
            moveVerticesStep();
            break;
        case CreateFaces:
            program.edit.selectedVertex = -1;
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
    if (program.display.showAxes) drawAxes();
    if (program.display.showGrid) drawGridForView();
    if (program.display.showVertices) drawVertexPoints();
    if (program.display.showEdges) drawEdges();
}

void checkGlError() {
    int error = flushAndTakeGlError();
    if (error == 0) return;
    char text[64];
    std::snprintf(text, sizeof text, "Attention erreur OpenGL : %d ", error);
    reportError(text);
}

}  // namespace

void pollInput() {
    // In the base mode the navigation measured the cursor earlier in this
    // frame and measures its next motion from there: remembering this later
    // sample would drop the motion made meanwhile (half a drag, at the usual
    // pace), so only the editing modes keep it.
    bool navigated = program.edit.editMode == Base;
    sampleCursor();
    InputState& input = program.input;
    latchPress(sys::isKeyDown(sys::Key::LeftButton), input.leftPressed, input.leftArmed, input.clickPending);
    latchPress(sys::isKeyDown(sys::Key::Delete), input.deletePressed, input.deleteArmed, input.deletePending);
    // Return sets the validate event only while a face is selected, but a
    // press is used up either way.
    bool returnDown = sys::isKeyDown(sys::Key::Return);
    if (input.returnPressed || (input.returnArmed && returnDown)) {
        if (program.edit.selectedFace >= 0) input.validatePending = true;
    }
    input.returnArmed = !returnDown;
    if (sys::isKeyDown(sys::Key::RightButton) || input.rightPressed) stopMode();
    if (sys::isKeyDown(sys::Key::End) || input.endPressed) stopMode();
    if (!navigated) rememberCursor();
}

void renderFrame() {
    takeFramePresses();
    applyCamera();
    pollInput();
    drawFaces();
    if (importRunning()) {
        showImportStatus();
    } else if (program.edit.editMode == Base) {
        showBaseStatus();
    } else {
        options.animation = 1;
        options.transparency = 1;
        program.edit.modeText = modeTextOf(program.edit.editMode);
    }
    runModeStep();
    drawToggledOverlays();
    checkGlError();
}

// While a model is imported each frame waits this long at most for the
// child: the window follows its events and the child keeps a core.
constexpr int importWaitMilliseconds = 40;

bool drawFrame() {
    if (importRunning()) advancePendingImport(importWaitMilliseconds);
    renderFrame();
    presentFrame();
    showImportNotes();
    return anotherFrameWanted();
}
