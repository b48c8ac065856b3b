#include "app/entry.h"

#include "app/model_files.h"
#include "platform/platform.h"
#include "render/gl_context.h"
#include "render/view.h"

bool startUp(int argc, char** argv) {
    view.clientWidth = 640;
    view.clientHeight = 640;
    if (!createMainWindow(argc, argv)) return false;
    showMainWindow();
    attachMenu();
    openModel();
    createGlContext();
    return true;
}

int kestruneMain(int argc, char** argv) {
    // The command line is ignored: a model is always chosen in the open dialog.
    if (!startUp(argc, argv)) return 0;
    runMessageLoop();
    releaseGlContext();
    return 0;
}
