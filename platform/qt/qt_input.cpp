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
            if (type == QEvent::ApplicationDeactivate) qt.buttonTaken[0] = qt.buttonTaken[1] = false;
        } else if ((type == QEvent::KeyPress || type == QEvent::KeyRelease) && target->isWindowType()) {
            // Every key event reaches a window first: count it there, once.
            noteKey(target, static_cast<QKeyEvent*>(event), type == QEvent::KeyPress);
        } else if (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonRelease) {
            noteButton(target, static_cast<QMouseEvent*>(event), type == QEvent::MouseButtonPress);
        }
        if (wakesFrameLoop(type)) wakeFrameLoop();
        return QObject::eventFilter(target, event);
    }

private:
    // A press belongs to the drawing only when the drawing window takes it
    // with no popup or dialog open. One that closes a popup goes to the
    // popup, wherever it is made, and Qt may post a copy of it (same time
    // stamp) to the window under the cursor once the popup has closed:
    // neither is the drawing's, which would otherwise take it for the start
    // of a drag from wherever the cursor was at the last frame.
    static void noteButton(QObject* target, QMouseEvent* mouse, bool pressed) {
        int index = mouse->button() == Qt::LeftButton    ? static_cast<int>(Key::LeftButton)
                    : mouse->button() == Qt::RightButton ? static_cast<int>(Key::RightButton)
                                                         : -1;
        if (!pressed) {
            if (index >= 0) qt.buttonTaken[index] = false;
            return;
        }
        if (modalOrPopupOpen()) {
            // Every press reaches a window first (the popup's, the
            // dialog's), then its widgets: note it once.
            if (!target->isWindowType()) return;
            qt.popupPressSeen = true;
            qt.popupPressTime = mouse->timestamp();
            return;
        }
        if (target != qt.drawingWindow || index < 0) return;
        if (qt.popupPressSeen && mouse->timestamp() == qt.popupPressTime) return;
        // A click may be released before the next frame polls the buttons.
        qt.keyPressed[index] = true;
        qt.buttonTaken[index] = true;
        qt.keyPressPosition[index] = mouse->globalPosition().toPoint();
    }

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
            qt.keyPressPosition[index] = QCursor::pos();
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

// A button is down while held from a press the drawing window took; Qt's
// own button state says whether it is still held (a release outside every
// window of the program may never be seen as an event).
bool sys::isKeyDown(Key key) {
    switch (key) {
        case Key::LeftButton:
            return qt.buttonTaken[0] && (QGuiApplication::mouseButtons() & Qt::LeftButton) != 0;
        case Key::RightButton:
            return qt.buttonTaken[1] && (QGuiApplication::mouseButtons() & Qt::RightButton) != 0;
        default: return qt.keyHeld[static_cast<int>(key)];
    }
}

sys::ScreenPoint sys::keyPressPosition(Key key) {
    QPoint position = qt.keyPressPosition[static_cast<int>(key)];
    return ScreenPoint{position.x(), position.y()};
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
