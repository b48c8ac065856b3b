// Button and key state as of the events already handled.
#include <QApplication>
#include <QCursor>
#include <QKeyEvent>
#include <QMenuBar>

#include "platform/platform.h"
#include "platform/qt/qt_shell.h"

namespace {

bool keyHeld[7] = {};

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
    return target == shell.drawingWindow ||
           (shell.mainWindow != nullptr && target == shell.mainWindow->windowHandle());
}

// While the menu bar is in keyboard navigation (after Alt, or after Escape
// closed one of its popups) it holds the focus and an item, and its keys
// belong to the menu, not to the window. It may keep the focus afterwards.
bool menuBarHasKeyboard() {
    auto* bar = qobject_cast<QMenuBar*>(QApplication::focusWidget());
    return bar != nullptr && bar->activeAction() != nullptr;
}

class KeyTracker : public QObject {
protected:
    bool eventFilter(QObject* target, QEvent* event) override {
        QEvent::Type type = event->type();
        if (type == QEvent::ApplicationDeactivate || (type == QEvent::WindowUnblocked && isOurWindow(target))) {
            // Leaving the application, or a dialog closing: the releases of
            // the keys used there may reach a window that no longer exists
            // (a Return that confirmed the dialog would stay held forever).
            for (bool& held : keyHeld) held = false;
        } else if ((type == QEvent::KeyPress || type == QEvent::KeyRelease) && target->isWindowType()) {
            // Every key event reaches a window first: count it there, once.
            noteKey(target, static_cast<QKeyEvent*>(event), type == QEvent::KeyPress);
        }
        return QObject::eventFilter(target, event);
    }

private:
    static void noteKey(QObject* target, QKeyEvent* key, bool pressed) {
        if (key->isAutoRepeat()) return;
        int index = trackedKey(key->key());
        if (index >= 0) keyHeld[index] = pressed;
        if (pressed && key->key() == Qt::Key_Escape && isOurWindow(target) && !menuBarHasKeyboard()) {
            windowEvents().escapePressed();
        }
    }
};

}  // namespace

void installKeyTracking() {
    shell.application->installEventFilter(new KeyTracker);
}

bool isKeyDown(Key key) {
    switch (key) {
        case Key::LeftButton: return (QGuiApplication::mouseButtons() & Qt::LeftButton) != 0;
        case Key::RightButton: return (QGuiApplication::mouseButtons() & Qt::RightButton) != 0;
        default: return keyHeld[static_cast<int>(key)];
    }
}

ScreenPoint cursorScreenPosition() {
    QPoint position = QCursor::pos();
    return ScreenPoint{position.x(), position.y()};
}

ScreenPoint cursorClientPosition() {
    QPoint local = shell.drawingWindow->mapFromGlobal(QCursor::pos());
    double ratio = drawingPixelRatio();
    return ScreenPoint{static_cast<int>(local.x() * ratio), static_cast<int>(local.y() * ratio)};
}
