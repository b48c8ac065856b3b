// The Qt objects behind the window-system layer: the application, the main
// window with its menu bar and status line, and the GL drawing window.
#pragma once

#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QOpenGLContext>
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

struct QtShell {
    QApplication* application = nullptr;
    MainWindow* mainWindow = nullptr;
    DrawingWindow* drawingWindow = nullptr;
    QLabel* statusLabel = nullptr;
    QOpenGLContext* glContext = nullptr;
    bool quitPosted = false;
    int exitCode = 0;
};

extern QtShell shell;

// Device pixels per logical pixel of the drawing window.
double drawingPixelRatio();
// Tracks key presses and releases for isKeyDown and takeKeyPress, and wakes
// the frame loop on every input event.
void installKeyTracking();
// An input event came: the frame loop draws again.
void wakeFrameLoop();
// A menu or a dialog is open.
bool modalOrPopupOpen();
