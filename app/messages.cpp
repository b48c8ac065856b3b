#include "app/messages.h"

#include <cstdlib>

#include "app/core/status_text.h"
#include "mesh/mesh.h"
#include "platform/platform.h"
#include "render/gl_context.h"
#include "render/view.h"

void setStatusText(const std::string& text) {
    setStatusBarText(text);
}

void showBaseStatus() {
    setStatusText(baseStatusText(mesh.vertexCount, mesh.faceCount, view.viewKind, view.viewSign));
}

void showMessage(const std::string& text) {
    showMessageBox(text, false);
}

void reportError(const std::string& text) {
    showMessageBox(reportErrorText(text), true);
}

void fatalError(const std::string& text) {
    showMessageBox(fatalErrorText(text), true);
    freeModel();
    releaseGlContext();
    std::exit(1);
}
