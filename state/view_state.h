// View state: which view is shown, the perspective camera, the orthographic
// zoom and sign, the drawing area size and the cursor samples.
#pragma once

#include "core/view_kind.h"

struct ViewState {
    ViewKind viewKind = Perspective;
    float viewSign = 1.0f;       // > 0 "directe", < 0 "retournée"
    float orthoZoom = 1.0f;      // 0.6 .. 6
    float cameraDistance = 2.5f; // 1.7 .. 15
    float angleY = 0.0f;
    float angleX = 0.0f;
    float angleZ = 0.0f;
    float cursorX = 0.0f;
    float cursorY = 0.0f;
    float previousCursorX = 0.0f;
    float previousCursorY = 0.0f;
    bool signFlipArmed = true;
    // Projection matrices of the xOy, xOz and yOz views, column-major.
    float orthoMatrices[3][16] = {
        {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, -1, 0, 0, 0, 0, 1},
        {1, 0, 0, 0, 0, 0, 1, 0, 0, 1, 0, 0, 0, 0, 0, 1},
        {0, 0, -1, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 1},
    };
    // Drawing area in device pixels.
    int clientWidth = 640;
    int clientHeight = 640;
};
