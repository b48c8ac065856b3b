// Button and key state as of the events already handled.
#include <QApplication>
#include <QCursor>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QMenuBar>

#include "platform/platform.h"
#include "platform/qt/qt_shell.h"

using namespace sys;

namespace {

int trackedKey(int qtKey) {
    switch (qtKey) {
        case Qt::Key_Delete: return static_cast<int>(Key::Delete);
        case Qt::Key_Return:
        case Qt::Key_Enter: return static_cast<int>(Key::Return);
        case Qt::Key_End: return static_cast<int>(Key::End);
        case Qt::Key_Space: return static_cast<int>(Key::Space);
        case Qt::Key_Escape: return static_cast<int>(Key::Escape);
        default: return -1;
    }
}

bool isOurWindow(QObject* target) {
    return target == qt.drawingWindow ||
           (qt.mainWindow != nullptr && target == qt.mainWindow->windowHandle());
}

// While the menu bar is in keyboard navigation (after Alt, or after Escape
// closed one of its popups) it holds the focus and an item, and its keys
// belong to the menu, not to the window. It may keep the focus afterwards.
bool menuBarHasKeyboard() {
    auto* bar = qobject_cast<QMenuBar*>(QApplication::focusWidget());
    return bar != nullptr && bar->activeAction() != nullptr;
}

// The drawing window has the keyboard: no menu or dialog holds it.
bool windowHasKeyboard(QObject* target) {
    return isOurWindow(target) && !menuBarHasKeyboard() && !modalOrPopupOpen();
}

bool wakesFrameLoop(QEvent::Type type) {
    switch (type) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
        case QEvent::Wheel:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::Resize:
        case QEvent::Expose:
        case QEvent::Show:
        case QEvent::WindowActivate:
        case QEvent::WindowDeactivate:
        case QEvent::ApplicationActivate:
        case QEvent::ApplicationDeactivate:
        case QEvent::WindowUnblocked:
        case QEvent::FocusIn:
        case QEvent::FocusOut:
        case QEvent::Enter:
        case QEvent::Leave: return true;
        default: return false;
    }
}

class KeyTracker : public QObject {
protected:
    bool eventFilter(QObject* target, QEvent* event) override {
        QEvent::Type type = event->type();
        if (type == QEvent::ApplicationDeactivate || (type == QEvent::WindowUnblocked && isOurWindow(target))) {
            // Leaving the application, or a dialog closing: the releases of
            // the keys used there may reach a window that no longer exists
            // (a Return that confirmed the dialog would stay held forever).
            for (bool& held : qt.keyHeld) held = false;
        } else if ((type == QEvent::KeyPress || type == QEvent::KeyRelease) && target->isWindowType()) {
            // Every key event reaches a window first: count it there, once.
            noteKey(target, static_cast<QKeyEvent*>(event), type == QEvent::KeyPress);
        } else if (type == QEvent::MouseButtonPress && target == qt.drawingWindow && !modalOrPopupOpen()) {
            // A click may be released before the next frame polls the buttons.
            Qt::MouseButton button = static_cast<QMouseEvent*>(event)->button();
            if (button == Qt::LeftButton) qt.keyPressed[static_cast<int>(Key::LeftButton)] = true;
            if (button == Qt::RightButton) qt.keyPressed[static_cast<int>(Key::RightButton)] = true;
        }
        if (wakesFrameLoop(type)) wakeFrameLoop();
        return QObject::eventFilter(target, event);
    }

private:
    static void noteKey(QObject* target, QKeyEvent* key, bool pressed) {
        if (key->isAutoRepeat()) return;
        int index = trackedKey(key->key());
        // A key pressed while a menu or a dialog has the keyboard is theirs
        // (the Return that chose a menu item must not reach the window); a
        // release anywhere means the key is up.
        bool ours = windowHasKeyboard(target);
        if (index >= 0 && !pressed) qt.keyHeld[index] = false;
        if (index >= 0 && pressed && ours) {
            qt.keyHeld[index] = true;
            qt.keyPressed[index] = true;
        }
        if (pressed && key->key() == Qt::Key_Escape && ours) {
            windowEvents().escapePressed();
        }
    }
};

}  // namespace

void installKeyTracking() {
    qt.application->installEventFilter(new KeyTracker);
}

bool sys::isKeyDown(Key key) {
    switch (key) {
        case Key::LeftButton: return (QGuiApplication::mouseButtons() & Qt::LeftButton) != 0;
        case Key::RightButton: return (QGuiApplication::mouseButtons() & Qt::RightButton) != 0;
        default: return qt.keyHeld[static_cast<int>(key)];
    }
}

bool sys::takeKeyPress(Key key) {
    bool pressed = qt.keyPressed[static_cast<int>(key)];
    qt.keyPressed[static_cast<int>(key)] = false;
    return pressed;
}

sys::ScreenPoint sys::cursorScreenPosition() {
    QPoint position = QCursor::pos();
    return ScreenPoint{position.x(), position.y()};
}

sys::ScreenPoint sys::cursorClientPosition() {
    QPoint local = qt.drawingWindow->mapFromGlobal(QCursor::pos());
    double ratio = drawingPixelRatio();
    return ScreenPoint{static_cast<int>(local.x() * ratio), static_cast<int>(local.y() * ratio)};
}
