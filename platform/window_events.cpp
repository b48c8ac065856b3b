// The program's handlers of the window's events, shared by both
// implementations of the window-system layer.
#include "platform/platform.h"

using namespace sys;

namespace {

WindowEvents withDefaults(WindowEvents events) {
    if (events.created == nullptr) events.created = [] {};
    if (events.resized == nullptr) events.resized = [](int, int) {};
    if (events.command == nullptr) events.command = [](int) {};
    if (events.menuItemHighlighted == nullptr) events.menuItemHighlighted = [](int) {};
    if (events.menuTitleHighlighted == nullptr) events.menuTitleHighlighted = [](int) {};
    if (events.menuClosed == nullptr) events.menuClosed = [] {};
    if (events.escapePressed == nullptr) events.escapePressed = [] {};
    if (events.closeRequested == nullptr) events.closeRequested = [] {};
    if (events.frameDue == nullptr) events.frameDue = [] { return false; };
    return events;
}

WindowEvents registered = withDefaults(WindowEvents{});

}  // namespace

void sys::registerWindowEvents(const WindowEvents& events) {
    registered = withDefaults(events);
}

const sys::WindowEvents& sys::windowEvents() {
    return registered;
}
