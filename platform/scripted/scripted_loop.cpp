// Main window and message loop of the scripted layer: creating the window
// delivers its creation and size messages; the loop draws frames until the
// program posts its quit message or the test's frame budget runs out.
#include "platform/scripted/scripted.h"

namespace {
int frameBudget = 0;
bool windowShown = false;
bool menuAttached = false;
}  // namespace

namespace scripted {
void setFrameBudget(int frames) { frameBudget = frames; }
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
        windowEvents().frameDue();
    }
}
