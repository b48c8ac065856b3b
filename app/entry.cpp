#include "app/entry.h"

#include <iostream>

#include "app/core/command_line.h"
#include "app/core/install_paths.h"
#include "app/model_files.h"
#include "app/window_proc.h"
#include "platform/platform.h"
#include "render/gl_context.h"
#include "render/view.h"

bool startUp(int argc, char** argv) {
    view.clientWidth = 640;
    view.clientHeight = 640;
    if (!createMainWindow(argc, argv)) return false;
    showMainWindow();
    attachMenu();
    openModel(examplesDir(executableDirectory()));
    createGlContext();
    return true;
}

int kestruneMain(int argc, char** argv) {
    // Apart from --help and --version the command line is left to the window
    // system: a model is always chosen in the open dialog.
    if (answerInfoOption(argc, argv, std::cout)) return 0;
    if (!startUp(argc, argv)) return 0;
    runMessageLoop();
    releaseGlContext();
    return 0;
}
