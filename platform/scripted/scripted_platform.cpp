// The scripted twin of the window-system layer: state set by the tests,
// dialogs answered from queues, everything shown recorded.
#include <deque>
#include <filesystem>

#include "platform/scripted/scripted.h"
#include "platform/scripted/scripted_state.h"

using namespace sys;

ScriptedPlatform twin;

namespace {

template <typename T>
std::optional<T> takeAnswer(std::deque<std::optional<T>>& answers) {
    if (answers.empty()) return std::nullopt;
    std::optional<T> answer = answers.front();
    answers.pop_front();
    return answer;
}

// The chosen file's folder becomes the current directory, as the desktop's
// file dialogs do.
void noteFilters(const std::vector<FileFilter>& filters) {
    twin.desktop.filters.clear();
    for (const FileFilter& filter : filters) twin.desktop.filters.push_back(filter.label + "|" + filter.pattern);
}

void enterFolderOf(const std::string& path) {
    std::error_code ignored;
    std::filesystem::path folder = std::filesystem::absolute(path, ignored).parent_path();
    std::filesystem::current_path(folder, ignored);
}

}  // namespace

namespace scripted {

void reset() {
    twin.desktop = ScriptedDesktop{};
    setDrawingSize(drawingWidth, drawingHeight);
    resetFrameLoop();
}
void setExecutablePath(const std::string& path) { twin.desktop.executable = path; }
// A press the drawing takes, where the cursor is, unless a popup takes it.
void takePress(Key key) {
    int index = static_cast<int>(key);
    twin.desktop.pressTaken[index] = !twin.desktop.popupOpen;
    if (twin.desktop.popupOpen) return;
    twin.desktop.pressed[index] = true;
    twin.desktop.pressPosition[index] = twin.desktop.cursor;
}
void setKey(Key key, bool down) {
    bool& held = twin.desktop.keys[static_cast<int>(key)];
    if (down && !held) takePress(key);
    held = down;
    noteInput();
}
void pressAndRelease(Key key) {
    takePress(key);
    noteInput();
}
void setPopupOpen(bool open) {
    twin.desktop.popupOpen = open;
    noteInput();
}
void setCursorScreen(int x, int y) {
    twin.desktop.cursor = ScreenPoint{x, y};
    noteInput();
}
void setCursorDrift(int dx, int dy) { twin.desktop.cursorDrift = ScreenPoint{dx, dy}; }
void setCursorClient(int x, int y) { setCursorScreen(drawingOrigin.x + x, drawingOrigin.y + y); }
void queueOpenAnswer(std::optional<std::string> path) { twin.desktop.openAnswers.push_back(std::move(path)); }
void queueSaveAnswer(std::optional<std::string> path) { twin.desktop.saveAnswers.push_back(std::move(path)); }
void queueColorAnswer(std::optional<uint32_t> color) { twin.desktop.colorAnswers.push_back(color); }
void queueOptionDialogAnswer(const OptionDialogAnswer& answer) { twin.desktop.optionAnswers.push_back(answer); }
void queueBrowserAnswer(bool opened) { twin.desktop.browserAnswers.push_back(opened); }
const std::vector<std::string>& statusTexts() { return twin.desktop.statusTexts; }
std::string lastStatusText() { return twin.desktop.statusTexts.empty() ? "" : twin.desktop.statusTexts.back(); }
const std::vector<ShownBox>& shownBoxes() { return twin.desktop.boxes; }
std::string windowTitle() { return twin.desktop.title; }
const std::vector<int>& sleeps() { return twin.desktop.sleeps; }
const std::vector<std::string>& openedPages() { return twin.desktop.pages; }
const std::vector<std::string>& dialogLog() { return twin.desktop.dialogs; }
int colorDialogInitial() { return twin.desktop.colorInitial; }
std::string openDialogInitialName() { return twin.desktop.openInitial; }
const std::vector<std::string>& lastDialogFilters() { return twin.desktop.filters; }
bool quitPosted() { return twin.desktop.quitPosted; }
int quitCode() { return twin.desktop.quitCode; }
bool closeRequested() { return twin.desktop.closeRequested; }
bool busyCursorShown() { return twin.desktop.busy; }

}  // namespace scripted

bool sys::isKeyDown(Key key) {
    return twin.desktop.keys[static_cast<int>(key)] && twin.desktop.pressTaken[static_cast<int>(key)];
}
sys::ScreenPoint sys::keyPressPosition(Key key) { return twin.desktop.pressPosition[static_cast<int>(key)]; }
bool sys::takeKeyPress(Key key) {
    bool pressed = twin.desktop.pressed[static_cast<int>(key)];
    twin.desktop.pressed[static_cast<int>(key)] = false;
    return pressed;
}
sys::ScreenPoint sys::cursorScreenPosition() { return twin.desktop.cursor; }
sys::ScreenRect sys::mainWindowRect() { return scripted::windowRect; }

sys::ScreenPoint sys::cursorClientPosition() {
    const ScreenPoint& cursor = twin.desktop.cursor;
    return ScreenPoint{cursor.x - scripted::drawingOrigin.x, cursor.y - scripted::drawingOrigin.y};
}

void sys::setWindowTitle(const std::string& title) { twin.desktop.title = title; }
void sys::setStatusBarText(const std::string& text) {
    // Frames rewrite the same line many times: keep only changes.
    std::vector<std::string>& shown = twin.desktop.statusTexts;
    if (shown.empty() || shown.back() != text) shown.push_back(text);
}
void sys::showMessageBox(const std::string& text, bool informationIcon) {
    twin.desktop.boxes.push_back(scripted::ShownBox{text, informationIcon});
}
void sys::setBusyCursor(bool busy) {
    if (busy) twin.desktop.busy = true;
}
void sys::sleepMilliseconds(int milliseconds) {
    twin.desktop.sleeps.push_back(milliseconds);
    twin.desktop.cursor.x += twin.desktop.cursorDrift.x;
    twin.desktop.cursor.y += twin.desktop.cursorDrift.y;
}
void sys::postQuit(int exitCode) {
    twin.desktop.quitPosted = true;
    twin.desktop.quitCode = exitCode;
}
void sys::closeMainWindow() { twin.desktop.closeRequested = true; }

std::optional<std::string> sys::chooseFileToOpen(const std::string& title, const std::vector<FileFilter>& filters,
                                            const std::string& initialName) {
    twin.desktop.dialogs.push_back("open: " + title);
    noteFilters(filters);
    twin.desktop.openInitial = initialName;
    std::optional<std::string> answer = takeAnswer(twin.desktop.openAnswers);
    if (answer) enterFolderOf(*answer);
    return answer;
}

std::optional<std::string> sys::chooseFileToSave(const std::vector<FileFilter>& filters,
                                            const std::string& defaultExtension) {
    twin.desktop.dialogs.push_back("save");
    noteFilters(filters);
    std::optional<std::string> answer = takeAnswer(twin.desktop.saveAnswers);
    if (!answer) return answer;
    if (std::filesystem::path(*answer).extension().empty()) *answer += "." + defaultExtension;
    enterFolderOf(*answer);
    return answer;
}

std::optional<uint32_t> sys::chooseColor(uint32_t initial) {
    twin.desktop.dialogs.push_back("color");
    twin.desktop.colorInitial = static_cast<int>(initial);
    return takeAnswer(twin.desktop.colorAnswers);
}

OptionDialogAnswer sys::runOptionDialog(const OptionDialog&, int) {
    twin.desktop.dialogs.push_back("option dialog");
    if (twin.desktop.optionAnswers.empty()) return OptionDialogAnswer{};
    OptionDialogAnswer answer = twin.desktop.optionAnswers.front();
    twin.desktop.optionAnswers.pop_front();
    return answer;
}

bool sys::openLocalPage(const std::string& path) {
    twin.desktop.pages.push_back(path);
    if (twin.desktop.browserAnswers.empty()) return true;
    bool opened = twin.desktop.browserAnswers.front();
    twin.desktop.browserAnswers.pop_front();
    return opened;
}

std::string sys::executablePath() {
    if (!twin.desktop.executable.empty()) return twin.desktop.executable;
    std::error_code ignored;
    return std::filesystem::read_symlink("/proc/self/exe", ignored).string();
}
