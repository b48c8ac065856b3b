#include "support/program_fixture.h"

#include <unistd.h>

#include "app/app_state.h"
#include "app/commands.h"
#include "app/core/options.h"
#include "app/entry.h"
#include "app/frame.h"
#include "app/window_proc.h"
#include "edit/aim.h"
#include "edit/mesh_edits.h"
#include "edit/picking.h"
#include "mesh/mesh.h"
#include "render/gl_context.h"
#include "render/view.h"

void resetProgramState() {
    releaseGlContext();
    freeModel();
    mesh = Mesh{};
    options = Options{};
    input = InputState{};
    edit = EditState{};
    display = DisplayState{};
    view = ViewState{};
    aim = AimPoint{};
    faceUnderCursor = -1;
    forgetDeletionUndo();
    scripted::reset();
}

void ProgramTest::SetUp() {
    resetProgramState();
    previousDirectory = std::filesystem::current_path();
    char pattern[] = "/tmp/kestrune-test-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    scratch = pattern;
    std::filesystem::current_path(scratch);
}

void ProgramTest::TearDown() {
    resetProgramState();
    std::filesystem::current_path(previousDirectory);
    std::error_code ignored;
    std::filesystem::remove_all(scratch, ignored);
}

void ProgramTest::startProgram() {
    ASSERT_TRUE(startUp(0, nullptr));
    ASSERT_TRUE(surfaceContextExists());
}

void ProgramTest::frame() {
    renderFrame();
    presentFrame();
}

void ProgramTest::frames(int count) {
    for (int i = 0; i < count; ++i) frame();
}

void ProgramTest::command(int id) {
    mainWindowProc(WindowMessage::Command, id, 0);
}

void ProgramTest::tap(Key key) {
    scripted::setKey(key, true);
    frame();
    scripted::setKey(key, false);
    frame();
}
