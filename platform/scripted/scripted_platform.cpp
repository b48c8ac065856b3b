// The scripted twin of the window-system layer: state set by the tests,
// dialogs answered from queues, everything shown recorded.
#include <deque>
#include <filesystem>

#include "platform/scripted/scripted.h"

namespace {

struct Desktop {
    bool keys[7] = {};
    bool pressed[7] = {};
    ScreenPoint cursor{scripted::drawingOrigin.x, scripted::drawingOrigin.y};
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

Desktop desktop;

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
    desktop.filters.clear();
    for (const FileFilter& filter : filters) desktop.filters.push_back(filter.label + "|" + filter.pattern);
}

void enterFolderOf(const std::string& path) {
    std::error_code ignored;
    std::filesystem::path folder = std::filesystem::absolute(path, ignored).parent_path();
    std::filesystem::current_path(folder, ignored);
}

}  // namespace

namespace scripted {

void reset() {
    desktop = Desktop{};
    setDrawingSize(drawingWidth, drawingHeight);
    resetFrameLoop();
}
void setExecutablePath(const std::string& path) { desktop.executable = path; }
void setKey(Key key, bool down) {
    bool& held = desktop.keys[static_cast<int>(key)];
    if (down && !held) desktop.pressed[static_cast<int>(key)] = true;
    held = down;
    noteInput();
}
void pressAndRelease(Key key) {
    desktop.pressed[static_cast<int>(key)] = true;
    noteInput();
}
void setCursorScreen(int x, int y) {
    desktop.cursor = ScreenPoint{x, y};
    noteInput();
}
void setCursorClient(int x, int y) { setCursorScreen(drawingOrigin.x + x, drawingOrigin.y + y); }
void queueOpenAnswer(std::optional<std::string> path) { desktop.openAnswers.push_back(std::move(path)); }
void queueSaveAnswer(std::optional<std::string> path) { desktop.saveAnswers.push_back(std::move(path)); }
void queueColorAnswer(std::optional<uint32_t> color) { desktop.colorAnswers.push_back(color); }
void queueOptionDialogAnswer(const OptionDialogAnswer& answer) { desktop.optionAnswers.push_back(answer); }
void queueBrowserAnswer(bool opened) { desktop.browserAnswers.push_back(opened); }
const std::vector<std::string>& statusTexts() { return desktop.statusTexts; }
std::string lastStatusText() { return desktop.statusTexts.empty() ? "" : desktop.statusTexts.back(); }
const std::vector<ShownBox>& shownBoxes() { return desktop.boxes; }
std::string windowTitle() { return desktop.title; }
const std::vector<int>& sleeps() { return desktop.sleeps; }
const std::vector<std::string>& openedPages() { return desktop.pages; }
const std::vector<std::string>& dialogLog() { return desktop.dialogs; }
int colorDialogInitial() { return desktop.colorInitial; }
std::string openDialogInitialName() { return desktop.openInitial; }
const std::vector<std::string>& lastDialogFilters() { return desktop.filters; }
bool quitPosted() { return desktop.quitPosted; }
int quitCode() { return desktop.quitCode; }
bool closeRequested() { return desktop.closeRequested; }
bool busyCursorShown() { return desktop.busy; }

}  // namespace scripted

bool isKeyDown(Key key) { return desktop.keys[static_cast<int>(key)]; }
bool takeKeyPress(Key key) {
    bool pressed = desktop.pressed[static_cast<int>(key)];
    desktop.pressed[static_cast<int>(key)] = false;
    return pressed;
}
ScreenPoint cursorScreenPosition() { return desktop.cursor; }
ScreenRect mainWindowRect() { return scripted::windowRect; }

ScreenPoint cursorClientPosition() {
    return ScreenPoint{desktop.cursor.x - scripted::drawingOrigin.x, desktop.cursor.y - scripted::drawingOrigin.y};
}

void setWindowTitle(const std::string& title) { desktop.title = title; }
void setStatusBarText(const std::string& text) {
    // Frames rewrite the same line many times: keep only changes.
    if (desktop.statusTexts.empty() || desktop.statusTexts.back() != text) desktop.statusTexts.push_back(text);
}
void showMessageBox(const std::string& text, bool informationIcon) {
    desktop.boxes.push_back(scripted::ShownBox{text, informationIcon});
}
void setBusyCursor(bool busy) {
    if (busy) desktop.busy = true;
}
void sleepMilliseconds(int milliseconds) { desktop.sleeps.push_back(milliseconds); }
void postQuit(int exitCode) {
    desktop.quitPosted = true;
    desktop.quitCode = exitCode;
}
void closeMainWindow() { desktop.closeRequested = true; }

std::optional<std::string> chooseFileToOpen(const std::string& title, const std::vector<FileFilter>& filters,
                                            const std::string& initialName) {
    desktop.dialogs.push_back("open: " + title);
    noteFilters(filters);
    desktop.openInitial = initialName;
    std::optional<std::string> answer = takeAnswer(desktop.openAnswers);
    if (answer) enterFolderOf(*answer);
    return answer;
}

std::optional<std::string> chooseFileToSave(const std::vector<FileFilter>& filters,
                                            const std::string& defaultExtension) {
    desktop.dialogs.push_back("save");
    noteFilters(filters);
    std::optional<std::string> answer = takeAnswer(desktop.saveAnswers);
    if (!answer) return answer;
    if (std::filesystem::path(*answer).extension().empty()) *answer += "." + defaultExtension;
    enterFolderOf(*answer);
    return answer;
}

std::optional<uint32_t> chooseColor(uint32_t initial) {
    desktop.dialogs.push_back("color");
    desktop.colorInitial = static_cast<int>(initial);
    return takeAnswer(desktop.colorAnswers);
}

OptionDialogAnswer runOptionDialog(const OptionDialog&, int) {
    desktop.dialogs.push_back("option dialog");
    if (desktop.optionAnswers.empty()) return OptionDialogAnswer{};
    OptionDialogAnswer answer = desktop.optionAnswers.front();
    desktop.optionAnswers.pop_front();
    return answer;
}

bool openLocalPage(const std::string& path) {
    desktop.pages.push_back(path);
    if (desktop.browserAnswers.empty()) return true;
    bool opened = desktop.browserAnswers.front();
    desktop.browserAnswers.pop_front();
    return opened;
}

std::string executablePath() {
    if (!desktop.executable.empty()) return desktop.executable;
    std::error_code ignored;
    return std::filesystem::read_symlink("/proc/self/exe", ignored).string();
}
