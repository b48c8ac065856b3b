#include "support/program_fixture.h"

#include <unistd.h>

#include "app/commands.h"
#include "core/options.h"
#include "app/entry.h"
#include "app/frame.h"
#include "state/program_state.h"
#include "state/view_state.h"
#include "app/window_proc.h"
#include "edit/aim.h"
#include "edit/mesh_edits.h"
#include "edit/picking.h"
#include "mesh/mesh.h"
#include "render/gl_context.h"
#include "edit/editing_state.h"

void resetProgramAndDesktop() {
    resetProgramState();
    scripted::reset();
}

void ProgramTest::SetUp() {
    resetProgramAndDesktop();
    previousDirectory = std::filesystem::current_path();
    char pattern[] = "/tmp/kestrune-test-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    scratch = pattern;
    std::filesystem::current_path(scratch);
    // The options file is written beside the executable: each test has its own.
    char binPattern[] = "/tmp/kestrune-bin-XXXXXX";
    ASSERT_NE(mkdtemp(binPattern), nullptr);
    programFolder = binPattern;
    scripted::setExecutablePath((programFolder / "kestrune").string());
}

void ProgramTest::TearDown() {
    resetProgramAndDesktop();
    std::filesystem::current_path(previousDirectory);
    std::error_code ignored;
    std::filesystem::remove_all(scratch, ignored);
    std::filesystem::remove_all(programFolder, ignored);
}

void ProgramTest::startProgram() {
    ASSERT_TRUE(startUp(0, nullptr));
    ASSERT_TRUE(sys::surfaceContextExists());
}

void ProgramTest::frame() {
    renderFrame();
    presentFrame();
}

void ProgramTest::frames(int count) {
    for (int i = 0; i < count; ++i) frame();
}

void ProgramTest::command(int id) {
    onCommand(id);
}

void ProgramTest::tap(sys::Key key) {
    scripted::setKey(key, true);
    frame();
    scripted::setKey(key, false);
    frame();
}
