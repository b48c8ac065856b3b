// What the scripted layer keeps, one record: the pretend desktop the tests
// set and read, the message loop's counts and the offscreen GL surface.
// Private to platform/scripted/.
#pragma once

#include <EGL/egl.h>

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "platform/scripted/scripted.h"

// Keys, cursor, the dialogs' queued answers and everything shown: put back
// by scripted::reset.
struct ScriptedDesktop {
    bool keys[7] = {};
    bool pressed[7] = {};
    // A menu's popup or a dialog is open: presses go to it. A key whose
    // press went to it is held but not the drawing's until released.
    bool popupOpen = false;
    bool pressTaken[7] = {};
    sys::ScreenPoint pressPosition[7];
    sys::ScreenPoint cursor{scripted::drawingOrigin.x, scripted::drawingOrigin.y};
    sys::ScreenPoint cursorDrift{0, 0};  // moved at each pause of the program
    std::deque<std::optional<std::string>> openAnswers;
    std::deque<std::optional<std::string>> saveAnswers;
    std::deque<std::optional<uint32_t>> colorAnswers;
    std::deque<OptionDialogAnswer> optionAnswers;
    std::vector<std::string> statusTexts;
    std::vector<scripted::ShownBox> boxes;
    std::string title;
    std::vector<int> sleeps;
    std::vector<std::string> pages;
    std::deque<bool> browserAnswers;
    std::vector<std::string> dialogs;
    int colorInitial = -1;
    std::string openInitial;
    std::vector<std::string> filters;
    bool quitPosted = false;
    int quitCode = 0;
    bool closeRequested = false;
    bool busy = false;
    std::string executable;  // empty: the test binary itself
};

// Frames owed since the last input: the frame that shows it and one more,
// for what that frame itself changed.
inline constexpr int scriptedFramesAfterInput = 2;

struct ScriptedLoop {
    int frameBudget = 0;
    bool windowShown = false;
    bool menuAttached = false;
    int framesDrawn = 0;
    int owed = scriptedFramesAfterInput;
};

// EGL on Mesa's surfaceless platform, drawing into a pbuffer of the drawing
// area's size; the display is opened once and kept.
struct OffscreenSurface {
    EGLDisplay display = EGL_NO_DISPLAY;
    EGLSurface surface = EGL_NO_SURFACE;
    EGLContext context = EGL_NO_CONTEXT;
    EGLConfig config = nullptr;
    int width = scripted::drawingWidth;
    int height = scripted::drawingHeight;
};

struct ScriptedPlatform {
    ScriptedDesktop desktop;
    ScriptedLoop loop;
    OffscreenSurface egl;
};

extern ScriptedPlatform twin;
