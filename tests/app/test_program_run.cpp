// The whole program from entry to exit through the scripted message loop.
#include <GL/gl.h>

#include <cmath>
#include <fstream>

#include "kestrune_version.h"
#include "core/options.h"
#include "app/entry.h"
#include "state/view_state.h"
#include "app/program_files.h"
#include "app/window_proc.h"
#include "render/gl_context.h"
#include "support/program_fixture.h"

using ProgramRun = ProgramTest;

TEST_F(ProgramRun, StartsWithTheStartingModelAndEndsWithZero) {
    scripted::setFrameBudget(3);
    char name[] = "kestrune";
    char argument[] = "ignored.off";
    char* argv[] = {name, argument, nullptr};
    EXPECT_EQ(kestruneMain(2, argv), 0);
    EXPECT_TRUE(scripted::mainWindowShown());
    EXPECT_TRUE(scripted::menuIsAttached());
    EXPECT_EQ(scripted::windowTitle(), "Kestrune v " KESTRUNE_VERSION);
    EXPECT_EQ(scripted::lastStatusText(), " Il y a 1 sommet et 1 face | Vue actuelle : perspective");
    EXPECT_EQ(scripted::statusTexts().front(), "Ici votre guidage ...");
    EXPECT_FALSE(sys::surfaceContextExists());
}

TEST_F(ProgramRun, CloseBoxSavesOptionsAndEndsTheLoop) {
    std::string written = executableDirectory() + "/optionsKestrune.txt";
    std::remove(written.c_str());
    scripted::setFrameBudget(1000);
    sys::closeMainWindow();
    EXPECT_EQ(kestruneMain(0, nullptr), 0);
    EXPECT_TRUE(scripted::quitPosted());
    EXPECT_TRUE(std::ifstream(written).good());
    std::remove(written.c_str());
}

TEST_F(ProgramRun, OptionsAreReadFromTheWorkingDirectoryAtStart) {
    std::ofstream("optionsKestrune.txt") << "option 0 = 1\noption 1 = 64\n";
    startProgram();
    EXPECT_EQ(optionAt(0), 1);
    EXPECT_EQ(optionAt(1), 64);
    EXPECT_EQ(optionAt(2), 1);  // missing lines read 0, clamped to 1
}

TEST_F(ProgramRun, ZeroHeightDrawingAreaRecoversOnRestore) {
    startProgram();
    onResize(scripted::drawingWidth, 0);
    frames(2);
    command(ViewXOyCommand);
    frames(2);
    onResize(scripted::drawingWidth, scripted::drawingHeight);
    frame();
    float projection[16];
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    for (float element : projection) EXPECT_TRUE(std::isfinite(element));
    EXPECT_FLOAT_EQ(projection[5], static_cast<float>(scripted::drawingWidth) / scripted::drawingHeight);
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[3], scripted::drawingHeight);
    EXPECT_TRUE(scripted::shownBoxes().empty());
}
