#include "app/entry.h"

#include <iostream>
#include <string>

#include "core/command_line.h"
#include "core/install_paths.h"
#include "core/options.h"
#include "app/model_files.h"
#include "app/pending_import.h"
#include "state/messages.h"
#include "state/program_state.h"
#include "app/program_files.h"
#include "app/window_proc.h"
#include "mesh/mesh.h"
#include "mesh/model_picture.h"
#include "platform/platform.h"
#include "render/gl_context.h"
#include "render/render_state.h"
#include "edit/editing_state.h"

void resetProgramState() {
    cancelPendingImport();
    releaseGlContext();
    emptyMesh(mesh);
    modelPicture = ModelPicture();
    options = Options{};
    program = ProgramState{};
    editing = EditingState{};
    render = RenderState{};
}

bool startUp(int argc, char** argv) {
    // Read before the window system takes its own options out of argv.
    std::string modelFile = modelArgument(argc, argv);
    registerProgramEvents();
    registerFatalCleanup(releaseGlContext);
    program.view.clientWidth = 640;
    program.view.clientHeight = 640;
    if (!sys::createMainWindow(argc, argv)) return false;
    sys::showMainWindow();
    sys::attachMenu();
    openModel(examplesDir(executableDirectory()), modelFile);
    createGlContext();
    return true;
}

int kestruneMain(int argc, char** argv) {
    // Apart from --help, --version and a model file the command line is left
    // to the window system: a model is always chosen in the open dialog,
    // which starts on the file named.
    if (answerInfoOption(argc, argv, std::cout)) return 0;
    if (!startUp(argc, argv)) return 0;
    sys::runMessageLoop();
    releaseGlContext();
    return 0;
}
