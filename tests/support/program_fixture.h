// Runs the real program against the scripted window-system layer and an
// offscreen GL context: each test starts from a fresh program state in a
// scratch working directory.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/scripted/scripted.h"
#include "resources/menu.h"

class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Start-up as the program does it, up to the frame loop, with the
    // starting model (the open dialog cancelled).
    void startProgram();
    // One frame followed by its presentation.
    void frame();
    void frames(int count);
    void command(int id);
    // Presses and releases a key or button across two frames.
    void tap(sys::Key key);

    std::filesystem::path scratch;
    std::filesystem::path previousDirectory;
    // Where the program believes its executable is.
    std::filesystem::path programFolder;
};

// Puts every record of the program and of the scripted desktop back as at
// process start.
void resetProgramAndDesktop();
