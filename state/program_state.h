// The program's shared state: editing mode, input latches and pending
// events, mode set-up and selections, display toggles, the view.
#pragma once

#include <string>

#include "state/view_state.h"

enum EditMode : int {
    Base = 0,
    CreateVertices = 1,
    DeleteVertices = 2,
    MoveVertices = 3,
    CreateFaces = 4,
    DeleteFaces = 5,
    ModifyFaces = 6,
};

struct InputState {
    // 1 when the button or key was up at the last poll.
    bool leftArmed = true;
    bool deleteArmed = true;
    bool returnArmed = true;
    // One-shot events, cleared only by the editing step that consumes them.
    bool clickPending = false;
    bool deletePending = false;
    bool validatePending = false;
    // Presses the window saw since the previous frame, even those released
    // again before it: taken once at the start of each frame.
    bool leftPressed = false;
    bool deletePressed = false;
    bool returnPressed = false;
    bool rightPressed = false;
    bool endPressed = false;
    bool spacePressed = false;
};

struct EditState {
    EditMode editMode = Base;
    const char* modeText = "";
    int modeStartVertexCount = 0;
    int modeStartFaceCount = 0;
    int faceClickCount = 0;
    int selectedVertex = -1;
    int selectedFace = -1;
};

struct DisplayState {
    bool showAxes = false;
    bool showGrid = false;
    bool showVertices = false;
    bool showEdges = false;
    bool showFaces = true;
    int textureSlot = 1;  // 0 uniform texture, 1 loaded image
    int showHiddenParts = 0;
};

// What opening an imported model leaves for later.
struct OpenedModelState {
    // What the last import left out or changed, shown once the model is drawn.
    std::string pendingNotes;
};

// The program's state between frames, one record: reset whole by
// resetProgramState.
struct ProgramState {
    InputState input;
    EditState edit;
    DisplayState display;
    ViewState view;
    OpenedModelState opened;
};

extern ProgramState program;
