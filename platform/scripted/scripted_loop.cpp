// Main window and message loop of the scripted layer: creating the window
// delivers its creation and size messages; the loop draws frames until the
// program posts its quit message or the test's frame budget runs out.
#include "platform/scripted/scripted.h"
#include "platform/scripted/scripted_state.h"

using namespace sys;

namespace scripted {
void setFrameBudget(int frames) { twin.loop.frameBudget = frames; }
int framesDrawn() { return twin.loop.framesDrawn; }
void noteInput() { twin.loop.owed = scriptedFramesAfterInput; }
void resetFrameLoop() {
    twin.loop.framesDrawn = 0;
    twin.loop.owed = scriptedFramesAfterInput;
}
bool mainWindowShown() { return twin.loop.windowShown; }
bool menuIsAttached() { return twin.loop.menuAttached; }
}  // namespace scripted

bool sys::createMainWindow(int, char**) {
    windowEvents().created();
    windowEvents().resized(surfaceWidth(), surfaceHeight());
    return true;
}

void sys::showMainWindow() { twin.loop.windowShown = true; }
void sys::attachMenu() { twin.loop.menuAttached = true; }

void sys::runMessageLoop() {
    for (int frame = 0; frame < twin.loop.frameBudget && !scripted::quitPosted(); ++frame) {
        if (scripted::closeRequested()) {
            windowEvents().closeRequested();
            continue;
        }
        // Nothing can change the picture, or a popup or a dialog holds the
        // loop: the real loop would wait for an event, and none will come.
        if (twin.loop.owed == 0 || twin.desktop.popupOpen) break;
        bool more = windowEvents().frameDue();
        ++twin.loop.framesDrawn;
        twin.loop.owed = more ? scriptedFramesAfterInput : twin.loop.owed - 1;
    }
}
