// The Qt objects behind the window-system layer (the application, the main
// window with its menu bar and status line, the GL drawing window) and the
// layer's one record of state, shared by its three files.
#pragma once

#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QOpenGLContext>
#include <QPoint>
#include <QWindow>

class DrawingWindow : public QWindow {
public:
    DrawingWindow();

protected:
    void resizeEvent(QResizeEvent* event) override;
};

class MainWindow : public QMainWindow {
public:
    MainWindow();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;
};

class QTimer;

// Frames owed after an input: the frame that shows it, one for what that
// frame changed.
inline constexpr int framesAfterInput = 2;

// The frame loop: frames are drawn while the program asks for more or an
// input event came since.
struct QtFrameLoop {
    QTimer* timer = nullptr;
    int owed = framesAfterInput;
    QPoint cursorAtLastFrame;
    unsigned long long drawn = 0;
    // KESTRUNE_FRAME_COUNT set: each frame's time goes to the standard error.
    bool log = false;
};

// Everything the Qt layer keeps, one record: the Qt objects, the keys seen,
// the frame loop.
struct QtPlatform {
    QApplication* application = nullptr;
    MainWindow* mainWindow = nullptr;
    DrawingWindow* drawingWindow = nullptr;
    QLabel* statusLabel = nullptr;
    QOpenGLContext* glContext = nullptr;
    // QApplication keeps a reference to the argument count for its whole life.
    int argumentCount = 0;
    bool quitPosted = false;
    int exitCode = 0;
    // Keys held, and presses seen since takeKeyPress last reported them
    // (indexed by Key).
    bool keyHeld[7] = {};
    bool keyPressed[7] = {};
    // Where the drawing window took each key's last press, on the screen.
    QPoint keyPressPosition[7];
    // The mouse buttons held from a press the drawing window took (indexed
    // by Key): a press that went to a popup or a dialog is not.
    bool buttonTaken[2] = {};
    // The time stamp of the last press a popup or a dialog took: Qt may post
    // that press again to the window under the cursor once the popup has
    // closed, and the copy is still not the drawing's.
    bool popupPressSeen = false;
    unsigned long long popupPressTime = 0;
    QtFrameLoop frames;
    // The colour dialog's custom colours were set to black at its first run.
    bool customColorsCleared = false;
};

extern QtPlatform qt;

// Device pixels per logical pixel of the drawing window.
double drawingPixelRatio();
// Tracks key presses and releases for isKeyDown and takeKeyPress, and wakes
// the frame loop on every input event.
void installKeyTracking();
// An input event came: the frame loop draws again.
void wakeFrameLoop();
// A menu or a dialog is open.
bool modalOrPopupOpen();
