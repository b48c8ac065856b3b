#include <QCloseEvent>
#include <QCursor>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QMenuBar>
#include <QStatusBar>
#include <QSurfaceFormat>
#include <QTimer>
#include <QTranslator>
#include <QVBoxLayout>
#include <thread>

#include "platform/platform.h"
#include "platform/qt/qt_shell.h"
#include "resources/menu.h"

using namespace sys;

QtPlatform qt;

namespace {

QSurfaceFormat drawingFormat() {
    QSurfaceFormat format;
    format.setRenderableType(QSurfaceFormat::OpenGL);
    format.setProfile(QSurfaceFormat::CompatibilityProfile);
    format.setVersion(2, 1);
    format.setDepthBufferSize(24);
    format.setRedBufferSize(8);
    format.setGreenBufferSize(8);
    format.setBlueBufferSize(8);
    format.setSwapBehavior(QSurfaceFormat::DoubleBuffer);
    format.setSwapInterval(0);
    return format;
}

void loadFrenchTranslations(QApplication& application) {
    QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
    auto* translator = new QTranslator(&application);
    if (translator->load(QLocale(QLocale::French), "qtbase", "_",
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        application.installTranslator(translator);
    }
}

// Exit of the whole menu: only once no popup remains open.
void reportMenuExitWhenClosed() {
    QTimer::singleShot(0, [] {
        if (QApplication::activePopupWidget() == nullptr) {
            windowEvents().menuClosed();
            wakeFrameLoop();
        }
    });
}

void addPopup(QMenuBar* bar, int position) {
    const MenuPopup& popup = menuBar[position];
    QMenu* menu = bar->addMenu(QString::fromUtf8(popup.label));
    for (int i = 0; i < popup.itemCount; ++i) {
        const MenuItem& item = popup.items[i];
        if (item.id == Separator) {
            menu->addSeparator();
            continue;
        }
        QAction* action = menu->addAction(QString::fromUtf8(item.label));
        int id = item.id;
        // The command runs once the menu has closed, after the end-of-menu text.
        QObject::connect(action, &QAction::triggered, [id] {
            QTimer::singleShot(0, [id] {
                windowEvents().command(id);
                wakeFrameLoop();
            });
        });
        QObject::connect(action, &QAction::hovered, [id] { windowEvents().menuItemHighlighted(id); });
    }
    QObject::connect(menu, &QMenu::aboutToShow,
                     [position] { windowEvents().menuTitleHighlighted(position); });
    QObject::connect(menu, &QMenu::aboutToHide, [] { reportMenuExitWhenClosed(); });
}

// Once no frame is owed, the loop only looks every idleCheckInterval ms
// whether the cursor moved where no event tells (outside the window).
constexpr int idleCheckInterval = 50;

void frameTimerTick() {
    if (qt.quitPosted) return;
    // No frame while a menu or a dialog runs; wait without spinning.
    if (modalOrPopupOpen()) {
        qt.frames.timer->setInterval(30);
        return;
    }
    if (QCursor::pos() != qt.frames.cursorAtLastFrame) qt.frames.owed = framesAfterInput;
    if (qt.frames.owed == 0) {
        qt.frames.timer->setInterval(idleCheckInterval);
        return;
    }
    qt.frames.timer->setInterval(0);
    if (qt.glContext == nullptr || !qt.glContext->makeCurrent(qt.drawingWindow)) return;
    qt.frames.cursorAtLastFrame = QCursor::pos();
    bool more = windowEvents().frameDue();
    ++qt.frames.drawn;
    if (qt.frames.log) {
        auto now = std::chrono::system_clock::now().time_since_epoch();
        long long ms = std::chrono::duration_cast<std::chrono::milliseconds>(now).count();
        std::fprintf(stderr, "frame %llu at %lld\n", qt.frames.drawn, ms);
    }
    qt.frames.owed = more ? framesAfterInput : qt.frames.owed - 1;
}

}  // namespace

bool modalOrPopupOpen() {
    return QApplication::activeModalWidget() != nullptr || QApplication::activePopupWidget() != nullptr;
}

void wakeFrameLoop() {
    qt.frames.owed = framesAfterInput;
    if (qt.frames.timer != nullptr && qt.frames.timer->interval() != 0) qt.frames.timer->start(0);
}

DrawingWindow::DrawingWindow() {
    setSurfaceType(QWindow::OpenGLSurface);
    setFormat(drawingFormat());
}

void DrawingWindow::resizeEvent(QResizeEvent* event) {
    QWindow::resizeEvent(event);
    double ratio = devicePixelRatio();
    windowEvents().resized(static_cast<int>(width() * ratio + 0.5), static_cast<int>(height() * ratio + 0.5));
}

MainWindow::MainWindow() {
    setWindowTitle(QString::fromUtf8(programTitle));
    // The status line is a permanent label: menu help texts stay until
    // replaced instead of vanishing like temporary messages.
    qt.statusLabel = new QLabel;
    qt.statusLabel->setTextFormat(Qt::PlainText);
    qt.statusLabel->setFixedHeight(qt.statusLabel->sizeHint().height());
    statusBar()->addWidget(qt.statusLabel, 1);
    statusBar()->setSizeGripEnabled(false);
    qt.drawingWindow = new DrawingWindow;
    QWidget* container = QWidget::createWindowContainer(qt.drawingWindow, this);
    container->setFocusPolicy(Qt::StrongFocus);
    container->setMinimumSize(1, 1);
    setCentralWidget(container);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    windowEvents().closeRequested();
    event->accept();
}

bool MainWindow::event(QEvent* event) {
    // Status tips would blank the status line; the menu help texts are shown
    // from the hover signals instead.
    if (event->type() == QEvent::StatusTip) return true;
    return QMainWindow::event(event);
}

double drawingPixelRatio() {
    return qt.drawingWindow != nullptr ? qt.drawingWindow->devicePixelRatio() : 1.0;
}

bool sys::createMainWindow(int argc, char** argv) {
    qt.argumentCount = argc;
    qt.application = new QApplication(qt.argumentCount, argv);
    // The desktop matches the window to its entry and icon by these names.
    QApplication::setApplicationName("kestrune");
    QApplication::setApplicationVersion(KESTRUNE_VERSION);
    QGuiApplication::setDesktopFileName("io.github.kestrune.Kestrune");
    QApplication::setWindowIcon(QIcon(":/kestrune.png"));
    loadFrenchTranslations(*qt.application);
    installKeyTracking();
    qt.mainWindow = new MainWindow;
    qt.mainWindow->resize(640, 640);
    windowEvents().created();
    return true;
}

void sys::showMainWindow() {
    qt.mainWindow->show();
    // Let the window reach the screen so that the drawing area has its size.
    QApplication::processEvents();
}

void sys::attachMenu() {
    QMenuBar* bar = qt.mainWindow->menuBar();
    for (int position = 0; position < menuPopupCount; ++position) addPopup(bar, position);
    // The mouse merely passing over the bar is not menu selection: only
    // while a popup is open or the bar holds the keyboard.
    QObject::connect(bar, &QMenuBar::hovered, [bar](QAction* action) {
        if (QApplication::activePopupWidget() == nullptr && !bar->hasFocus()) return;
        int position = bar->actions().indexOf(action);
        if (position >= 0) windowEvents().menuTitleHighlighted(position);
    });
}

void sys::runMessageLoop() {
    if (qt.quitPosted) return;
    QTimer timer;
    qt.frames.timer = &timer;
    QObject::connect(&timer, &QTimer::timeout, frameTimerTick);
    qt.frames.owed = framesAfterInput;
    qt.frames.log = std::getenv("KESTRUNE_FRAME_COUNT") != nullptr;
    timer.start(0);
    QApplication::exec();
    qt.frames.timer = nullptr;
    if (qt.frames.log) std::fprintf(stderr, "frames: %llu\n", qt.frames.drawn);
}

void sys::postQuit(int exitCode) {
    qt.quitPosted = true;
    qt.exitCode = exitCode;
    QCoreApplication::exit(exitCode);
}

void sys::closeMainWindow() {
    qt.mainWindow->close();
}

void sys::setWindowTitle(const std::string& title) {
    qt.mainWindow->setWindowTitle(QString::fromStdString(title));
}

// The longest help texts are wider than the status line in the desktop's
// font: such a text is shown in a smaller size rather than cut. The line
// keeps its height, so the drawing area never changes size.
void sys::setStatusBarText(const std::string& text) {
    QLabel* label = qt.statusLabel;
    if (label == nullptr) return;
    QString shown = QString::fromStdString(text);
    QFont font = QApplication::font(label);
    int room = label->contentsRect().width();
    if (room > 0 && font.pointSizeF() > 0) {
        while (QFontMetrics(font).horizontalAdvance(shown) > room && font.pointSizeF() > 6.0) {
            font.setPointSizeF(font.pointSizeF() - 0.5);
        }
    }
    if (label->font() != font) label->setFont(font);
    label->setText(shown);
}

void sys::sleepMilliseconds(int milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

std::string sys::executablePath() {
    return QCoreApplication::applicationFilePath().toStdString();
}

sys::ScreenRect sys::mainWindowRect() {
    QRect frame = qt.mainWindow->frameGeometry();
    return ScreenRect{frame.left(), frame.top(), frame.right() + 1, frame.bottom() + 1};
}

// --- GL surface ---

bool sys::createSurfaceContext() {
    releaseSurfaceContext();
    auto* context = new QOpenGLContext;
    context->setFormat(drawingFormat());
    if (!context->create() || !context->makeCurrent(qt.drawingWindow)) {
        delete context;
        return false;
    }
    qt.glContext = context;
    return true;
}

void sys::releaseSurfaceContext() {
    if (qt.glContext == nullptr) return;
    qt.glContext->doneCurrent();
    delete qt.glContext;
    qt.glContext = nullptr;
}

bool sys::surfaceContextExists() {
    return qt.glContext != nullptr;
}

void sys::swapSurfaceBuffers() {
    if (qt.glContext != nullptr && qt.drawingWindow->isExposed()) {
        qt.glContext->swapBuffers(qt.drawingWindow);
    }
}

int sys::surfaceWidth() {
    return static_cast<int>(qt.drawingWindow->width() * drawingPixelRatio() + 0.5);
}

int sys::surfaceHeight() {
    return static_cast<int>(qt.drawingWindow->height() * drawingPixelRatio() + 0.5);
}
