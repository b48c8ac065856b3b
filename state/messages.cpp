#include "state/messages.h"

#include <cstdlib>

#include "core/status_text.h"
#include "state/view_state.h"
#include "mesh/mesh.h"
#include "platform/platform.h"
#include "state/program_state.h"

namespace {
void (*fatalCleanup)() = nullptr;
}  // namespace

void setStatusText(const std::string& text) {
    sys::setStatusBarText(text);
}

void showBaseStatus() {
    setStatusText(baseStatusText(mesh.vertexCount, mesh.faceCount, program.view.viewKind, program.view.viewSign));
}

void showMessage(const std::string& text) {
    sys::showMessageBox(text, false);
}

void reportError(const std::string& text) {
    sys::showMessageBox(reportErrorText(text), true);
}

void registerFatalCleanup(void (*cleanup)()) {
    fatalCleanup = cleanup;
}

void fatalError(const std::string& text) {
    sys::showMessageBox(fatalErrorText(text), true);
    freeModel();
    if (fatalCleanup != nullptr) fatalCleanup();
    std::exit(1);
}
