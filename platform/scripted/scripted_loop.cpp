// Main window and message loop of the scripted layer: creating the window
// delivers its creation and size messages; the loop draws frames until the
// program posts its quit message or the test's frame budget runs out.
#include "platform/scripted/scripted.h"

namespace {
int frameBudget = 0;
bool windowShown = false;
bool menuAttached = false;
int framesDrawnSoFar = 0;
// Frames owed since the last input: the frame that shows it and one more,
// for what that frame itself changed.
constexpr int framesAfterInput = 2;
int owed = framesAfterInput;
}  // namespace

namespace scripted {
void setFrameBudget(int frames) { frameBudget = frames; }
int framesDrawn() { return framesDrawnSoFar; }
void noteInput() { owed = framesAfterInput; }
void resetFrameLoop() {
    framesDrawnSoFar = 0;
    owed = framesAfterInput;
}
bool mainWindowShown() { return windowShown; }
bool menuIsAttached() { return menuAttached; }
}  // namespace scripted

bool createMainWindow(int, char**) {
    windowEvents().created();
    windowEvents().resized(surfaceWidth(), surfaceHeight());
    return true;
}

void showMainWindow() { windowShown = true; }
void attachMenu() { menuAttached = true; }

void runMessageLoop() {
    for (int frame = 0; frame < frameBudget && !scripted::quitPosted(); ++frame) {
        if (scripted::closeRequested()) {
            windowEvents().closeRequested();
            continue;
        }
        // Nothing can change the picture: the real loop would wait for an
        // event, and none will come.
        if (owed == 0) break;
        bool more = windowEvents().frameDue();
        ++framesDrawnSoFar;
        owed = more ? framesAfterInput : owed - 1;
    }
}
