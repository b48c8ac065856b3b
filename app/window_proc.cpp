#include "app/window_proc.h"

#include "app/app_state.h"
#include "app/commands.h"
#include "app/core/options.h"
#include "app/core/paths.h"
#include "app/messages.h"
#include "platform/platform.h"
#include "render/gl_context.h"
#include "resources/menu.h"

namespace {

void showMenuHelp(long item, bool isMenuBar) {
    if (isMenuBar) {
        if (item >= 0 && item < menuPopupCount) setStatusText(menuBar[item].helpText);
        return;
    }
    const char* help = commandHelpText(static_cast<int>(item));
    if (help != nullptr) setStatusText(help);
}

}  // namespace

std::string executableDirectory() {
    return folderOf(executablePath());
}

void writeOptions() {
    writeOptionsTo(executableDirectory());
}

void enterMode(int mode) {
    edit.editMode = static_cast<EditMode>(mode);
}

void stopMode() {
    edit.editMode = Base;
}

void refuseModeChange() {
    showMessage("Pour entrer dans ce mode il faut revenir dans le mode de base");
}

void mainWindowProc(WindowMessage message, long wParam, long lParam) {
    switch (message) {
        case WindowMessage::Create:
            setStatusText("Ici votre guidage ...");
            readOptions();
            break;
        case WindowMessage::Size:
            resizeView(static_cast<int>(wParam), static_cast<int>(lParam));
            break;
        case WindowMessage::Command:
            runCommand(static_cast<int>(wParam));
            break;
        case WindowMessage::MenuSelect:
            showMenuHelp(wParam, lParam != 0);
            break;
        case WindowMessage::ExitMenuLoop:
            setStatusText("Ici votre guidage ...");
            break;
        case WindowMessage::KeyDown:
            if (wParam == 1) {
                writeOptions();
                postQuit(0);
            }
            break;
        case WindowMessage::Close:
            writeOptions();
            mainWindowProc(WindowMessage::Destroy, 0, 0);
            break;
        case WindowMessage::Destroy:
            postQuit(0);
            break;
    }
}
