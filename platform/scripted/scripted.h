// Control panel of the scripted window-system layer used by the tests and by
// the pictures of kestrune-batch: a test sets the buttons, keys and cursor,
// queues the answers of the dialogs, runs real frames against an offscreen GL
// context and reads back what the program showed.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace scripted {

// Geometry of the pretend desktop: the main window's outer rectangle and the
// drawing area's top-left corner on the screen. The drawing area is
// `drawingWidth` x `drawingHeight` device pixels unless setDrawingSize says
// otherwise.
inline constexpr sys::ScreenRect windowRect{100, 50, 740, 690};
inline constexpr sys::ScreenPoint drawingOrigin{104, 90};
inline constexpr int drawingWidth = 632;
inline constexpr int drawingHeight = 572;

struct ShownBox {
    std::string text;
    bool informationIcon = false;
};

// Back to a fresh desktop: every key up, cursor at the drawing area's
// top-left corner, no queued answer, nothing recorded, the drawing area of
// the default size.
void reset();

// Size of the drawing area in device pixels for the next main window and GL
// context (each side 1 .. maxDrawingSide).
inline constexpr int maxDrawingSide = 8192;
void setDrawingSize(int width, int height);

// Where the program believes its executable is (the options file and the
// help page are looked up beside it); the test binary itself after reset.
void setExecutablePath(const std::string& path);

// Sets a button or key; going down is a press (see takeKeyPress), taken by
// the drawing where the cursor is unless a popup is open.
void setKey(sys::Key key, bool down);
// A press and its release between two frames: the key stays up.
void pressAndRelease(sys::Key key);
// A menu's popup or a dialog opens or closes. While one is open no frame is
// drawn, and presses go to it, as in the window: a key pressed meanwhile (the
// click outside that closes a popup: press with the popup open, then close
// it) is held but never down for the drawing, until released.
void setPopupOpen(bool open);
void setCursorScreen(int x, int y);
// A hand moving the mouse while the program runs: at every pause the program
// makes (sys::sleepMilliseconds, which paces its frames) the cursor moves by
// (dx, dy). (0, 0) stops it.
void setCursorDrift(int dx, int dy);
// Cursor over pixel (x, y) of the drawing area, origin at its top-left.
void setCursorClient(int x, int y);

// Answers for the next dialogs, taken in order; a dialog with no queued answer
// is cancelled.
void queueOpenAnswer(std::optional<std::string> path);
void queueSaveAnswer(std::optional<std::string> path);
void queueColorAnswer(std::optional<uint32_t> color);
void queueOptionDialogAnswer(const OptionDialogAnswer& answer);
// Whether the browser takes the next local pages; taken when none is queued.
void queueBrowserAnswer(bool opened);

// What the program showed.
const std::vector<std::string>& statusTexts();
std::string lastStatusText();
const std::vector<ShownBox>& shownBoxes();
std::string windowTitle();
const std::vector<int>& sleeps();
const std::vector<std::string>& openedPages();
// The dialog titles and option dialogs that were run, in order.
const std::vector<std::string>& dialogLog();
int colorDialogInitial();
// The name the last open dialog started with in its file field.
std::string openDialogInitialName();
// The filter entries of the last open or save dialog, as "label|pattern".
const std::vector<std::string>& lastDialogFilters();
bool quitPosted();
int quitCode();
bool closeRequested();
bool busyCursorShown();

// The scripted message loop runs at most this many turns (0 at first). Like
// the real loop it draws a frame only while the last frame asked for more or
// an input was set since (a key, a press, the cursor); 2 frames follow each.
void setFrameBudget(int frames);
// Frames the message loop has drawn since reset.
int framesDrawn();
bool mainWindowShown();
bool menuIsAttached();

// Offscreen GL: pixel (x, y) of the drawing area with the origin at the
// bottom-left, as glReadPixels sees it, RGBA.
struct Pixel {
    unsigned char r, g, b, a;
};
Pixel readPixel(int x, int y);
// The whole drawing area as RGB bytes, rows from the top as the screen shows
// them; empty without a GL context.
std::vector<unsigned char> readDrawing();

// For the scripted layer itself: an input was set; the loop starts afresh.
void noteInput();
void resetFrameLoop();

}  // namespace scripted
