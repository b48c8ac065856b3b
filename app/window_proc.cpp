#include "app/window_proc.h"

#include "app/commands.h"
#include "app/frame.h"
#include "app/pending_import.h"
#include "app/program_files.h"
#include "core/install_paths.h"
#include "core/options.h"
#include "state/messages.h"
#include "platform/platform.h"
#include "render/gl_context.h"
#include "resources/menu.h"

void onCreate() {
    setStatusText("Ici votre guidage ...");
    readOptions(optionsReadFallbackFolder(executableDirectory()));
}

void onResize(int width, int height) {
    resizeView(width, height);
}

void onCommand(int id) {
    runCommand(id);
}

void onMenuItemHighlight(int id) {
    const char* help = commandHelpText(id);
    if (help != nullptr) setStatusText(help);
}

void onMenuTitleHighlight(int position) {
    if (position >= 0 && position < menuPopupCount) setStatusText(menuBar[position].helpText);
}

void onMenuExit() {
    setStatusText("Ici votre guidage ...");
}

void onEscape() {
    // Escape first stops an import under way; the program goes on.
    if (importRunning()) {
        cancelPendingImport();
        return;
    }
    writeOptions();
    sys::postQuit(0);
}

void onClose() {
    cancelPendingImport();
    writeOptions();
    sys::postQuit(0);
}

void registerProgramEvents() {
    sys::WindowEvents events{};
    events.created = onCreate;
    events.resized = onResize;
    events.command = onCommand;
    events.menuItemHighlighted = onMenuItemHighlight;
    events.menuTitleHighlighted = onMenuTitleHighlight;
    events.menuClosed = onMenuExit;
    events.escapePressed = onEscape;
    events.closeRequested = onClose;
    events.frameDue = drawFrame;
    sys::registerWindowEvents(events);
}
