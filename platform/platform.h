// Window-system services, as a small set of free functions. The desktop
// program implements them with Qt (platform/qt); the tests with a scripted
// twin (platform/scripted) that records what is shown and answers dialogs
// from a queue, over a real offscreen GL context.
//
// Calls go both ways through this header only: the program calls the
// services below, and the window reaches the program through the
// WindowEvents the program registers. The layer never includes the
// program's own headers.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "kestrune_version.h"
#include "resources/dialogs.h"

namespace sys {

// Caption of every message box; the window title starts with it too.
inline constexpr const char* programTitle = "Kestrune v " KESTRUNE_VERSION;

enum class Key { LeftButton, RightButton, Delete, Return, End, Space, Escape };

struct ScreenPoint {
    int x = 0;
    int y = 0;
};

struct ScreenRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

struct FileFilter {
    std::string label;    // "Fichier off (*.off)"
    std::string pattern;  // "*.off"
};

// --- What the window tells the program -----------------------------------------
// Every entry is a plain function; an unregistered one does nothing.
struct WindowEvents {
    void (*created)();                        // the main window exists, not yet shown
    void (*resized)(int width, int height);   // drawing area, device pixels
    void (*command)(int id);                  // a menu command, once its menu has closed
    void (*menuItemHighlighted)(int id);      // an item of an open popup
    void (*menuTitleHighlighted)(int position);  // a popup's title in the menu bar
    void (*menuClosed)();                     // the last open popup has closed
    void (*escapePressed)();                  // Escape in the drawing window
    void (*closeRequested)();                 // the close box or closeMainWindow
    // Nothing waits: draw and present a frame. Returns true when the picture
    // or the state may change again without any new event (an animation, a
    // held button); otherwise the window draws no more frames until one comes.
    bool (*frameDue)();
};
// Installs the program's handlers; call before createMainWindow.
void registerWindowEvents(const WindowEvents& events);
// The registered handlers, each non-null.
const WindowEvents& windowEvents();

// --- Input state, as of the events already handled ---------------------------
// Whether `key` is held from a press the drawing window took. A press that
// went to a menu's popup or a dialog (the click outside that closed the
// popup among them), or to another window, is not the drawing's: the key is
// not down for it, even once the popup has closed, until it is released and
// pressed again.
bool isKeyDown(Key key);
// Whether `key` was pressed in the drawing window since the last call for it,
// even if it was released again since. Presses made while a menu or a dialog
// had the keyboard are not the window's.
bool takeKeyPress(Key key);
// Where the cursor was on the screen when the drawing window took the last
// press of `key` (the press takeKeyPress reports).
ScreenPoint keyPressPosition(Key key);
// Cursor position on the screen, in pixels.
ScreenPoint cursorScreenPosition();
// Outer rectangle of the main window on the screen, frame included.
ScreenRect mainWindowRect();
// Cursor position in the drawing area, in device pixels, origin at the top left.
ScreenPoint cursorClientPosition();

// --- Window -------------------------------------------------------------------
void setWindowTitle(const std::string& title);
void setStatusBarText(const std::string& text);
// Modal box with the program title as caption and one OK button.
void showMessageBox(const std::string& text, bool informationIcon);
void setBusyCursor(bool busy);
void sleepMilliseconds(int milliseconds);
// Ends the message loop once control returns to it.
void postQuit(int exitCode);
// Asks the main window to close (as its close box does).
void closeMainWindow();

// --- Common dialogs -------------------------------------------------------------
// Open dialog, its file field starting with `initialName`; the chosen file's
// folder becomes the current directory.
std::optional<std::string> chooseFileToOpen(const std::string& title,
                                            const std::vector<FileFilter>& filters,
                                            const std::string& initialName = {});
// Save dialog with overwrite prompt; a name typed without extension gets
// `defaultExtension`; the chosen file's folder becomes the current directory.
std::optional<std::string> chooseFileToSave(const std::vector<FileFilter>& filters,
                                            const std::string& defaultExtension);
// Colour dialog opened in full, starting on `initial` (0x00BBGGRR). Sixteen
// custom colours, all black at first, are kept for the whole run.
std::optional<uint32_t> chooseColor(uint32_t initial);
// One of the option dialogs (resources/dialogs.h) opened on the option's
// current value.
OptionDialogAnswer runOptionDialog(const OptionDialog& dialog, int currentValue);

// Opens a local HTML page with the desktop's browser. Returns false when no
// browser took it.
bool openLocalPage(const std::string& path);
// Full path of the running executable.
std::string executablePath();

// --- GL surface -----------------------------------------------------------------
// Creates a fresh GL context (compatibility profile, double-buffered, 24-bit
// depth) on the drawing area and makes it current. Returns false on failure.
bool createSurfaceContext();
void releaseSurfaceContext();
bool surfaceContextExists();
void swapSurfaceBuffers();
// Drawing area size in device pixels.
int surfaceWidth();
int surfaceHeight();

// --- Main window and message loop -----------------------------------------------
// Creates the application object and the main window (outer size 640 x 640,
// status bar); the window's creation and size reach the registered events.
// Returns false when the window cannot be created.
bool createMainWindow(int argc, char** argv);
void showMainWindow();
// Builds the menu bar from the menu table and attaches it.
void attachMenu();
// Handles waiting messages one at a time; whenever none waits and no menu or
// dialog is open, sends frameDue, as long as the last frameDue asked for more
// or an input event came since (a press, a release, a cursor move, a resize,
// a command, a dialog closing). Returns once postQuit has been called.
void runMessageLoop();

}  // namespace sys
