// Input polling: presses become one-shot events, the stop keys, pacing.
#include <GL/gl.h>

#include "core/options.h"
#include "app/frame.h"
#include "state/program_state.h"
#include "state/view_state.h"
#include "mesh/mesh.h"
#include "support/program_fixture.h"

class InputPolling : public ProgramTest {
protected:
    void SetUp() override {
        ProgramTest::SetUp();
        startProgram();
    }
};

TEST_F(InputPolling, HeldPressCountsOnceAndNeedsARelease) {
    scripted::setKey(sys::Key::LeftButton, true);
    scripted::setKey(sys::Key::Delete, true);
    frame();
    EXPECT_TRUE(program.input.clickPending);
    EXPECT_TRUE(program.input.deletePending);
    EXPECT_FALSE(program.input.leftArmed);
    // Nothing consumes the events in the base mode; consume them by hand to
    // see that holding the button does not raise them again.
    program.input.clickPending = program.input.deletePending = false;
    frames(3);
    EXPECT_FALSE(program.input.clickPending);
    EXPECT_FALSE(program.input.deletePending);
    scripted::setKey(sys::Key::LeftButton, false);
    frame();
    EXPECT_TRUE(program.input.leftArmed);
    scripted::setKey(sys::Key::LeftButton, true);
    frame();
    EXPECT_TRUE(program.input.clickPending);
}

TEST_F(InputPolling, ButtonHeldAtStartCountsAsOnePress) {
    scripted::setKey(sys::Key::LeftButton, true);
    frame();
    EXPECT_TRUE(program.input.clickPending);
}

TEST_F(InputPolling, ReturnWithoutSelectedFaceIsUsedUp) {
    scripted::setKey(sys::Key::Return, true);
    frame();
    EXPECT_FALSE(program.input.validatePending);
    program.edit.selectedFace = 0;  // a face becomes selected while Return is still held
    frames(2);
    EXPECT_FALSE(program.input.validatePending);
    scripted::setKey(sys::Key::Return, false);
    frame();
    scripted::setKey(sys::Key::Return, true);
    frame();
    EXPECT_TRUE(program.input.validatePending);
}

TEST_F(InputPolling, RightButtonAndEndStopAnyModeButOnlyWhileHeld) {
    for (sys::Key stopKey : {sys::Key::RightButton, sys::Key::End}) {
        command(DeleteVerticesCommand);
        ASSERT_EQ(program.edit.editMode, DeleteVertices);
        scripted::setKey(stopKey, true);
        frame();
        EXPECT_EQ(program.edit.editMode, Base);
        scripted::setKey(stopKey, false);
        frame();
    }
}

TEST_F(InputPolling, PendingEventsSurviveModeChanges) {
    scripted::setKey(sys::Key::Delete, true);
    frame();
    command(CreateVerticesCommand);
    EXPECT_TRUE(program.input.deletePending);
}

TEST_F(InputPolling, FramePacingSleepsTwiceInBaseModeOnceInEditingModes) {
    options.animation = 1;
    size_t before = scripted::sleeps().size();
    frame();
    EXPECT_EQ(scripted::sleeps().size() - before, 2u);
    EXPECT_EQ(scripted::sleeps().back(), 25);
    options.animation = 2;
    frame();
    EXPECT_EQ(scripted::sleeps().back(), 5);
    command(CreateVerticesCommand);
    before = scripted::sleeps().size();
    frame();
    EXPECT_EQ(scripted::sleeps().size() - before, 1u);
    EXPECT_EQ(scripted::sleeps().back(), 5);  // sampled before the mode forces 1
    frame();
    EXPECT_EQ(scripted::sleeps().back(), 25);
}

TEST_F(InputPolling, EditingModesForceAnimationAndTransparencyOff) {
    options.animation = 2;
    options.transparency = 2;
    command(DeleteFacesCommand);
    frame();
    EXPECT_EQ(options.animation, 1);
    EXPECT_EQ(options.transparency, 1);
}

TEST_F(InputPolling, BaseModeShowsCountsAndView) {
    frame();
    EXPECT_EQ(scripted::lastStatusText(), " Il y a 1 sommet et 1 face | Vue actuelle : perspective");
    command(ViewXOyCommand);
    program.view.viewSign = -1.0f;
    frame();
    EXPECT_EQ(scripted::lastStatusText(), " Il y a 1 sommet et 1 face | Vue actuelle : xOy retournée");
}

TEST_F(InputPolling, CursorSamplesAreClampedToTheWindow) {
    scripted::setCursorScreen(-500, 5000);
    frame();
    EXPECT_EQ(program.view.cursorX, static_cast<float>(scripted::windowRect.left));
    EXPECT_EQ(program.view.cursorY, static_cast<float>(scripted::windowRect.bottom));
    EXPECT_EQ(program.view.previousCursorX, program.view.cursorX);
}

TEST_F(InputPolling, GlErrorIsReportedOncePerFrame) {
    glEnable(0x7FFF);  // an invalid enum leaves GL_INVALID_ENUM pending
    frame();
    ASSERT_EQ(scripted::shownBoxes().size(), 1u);
    EXPECT_EQ(scripted::shownBoxes()[0].text, "ERREUR  !!!\n\nAttention erreur OpenGL : 1280 ");
    EXPECT_TRUE(scripted::shownBoxes()[0].informationIcon);
    frame();
    EXPECT_EQ(scripted::shownBoxes().size(), 1u);
}

// A press made and released between two frames counts once, at the next
// frame: a click creates its vertex, Return turns the views over, Delete
// takes the vertex back. Held across frames it still counts once.
TEST_F(InputPolling, PressReleasedBetweenTwoFramesCountsOnce) {
    command(ViewXOyCommand);
    frame();
    float sign = program.view.viewSign;
    scripted::pressAndRelease(sys::Key::Return);
    frames(3);
    EXPECT_EQ(program.view.viewSign, -sign);
    scripted::setKey(sys::Key::Return, true);
    frames(3);
    scripted::setKey(sys::Key::Return, false);
    frames(2);
    EXPECT_EQ(program.view.viewSign, sign);

    command(CreateVerticesCommand);
    scripted::setCursorClient(300, 300);
    frame();
    scripted::pressAndRelease(sys::Key::LeftButton);
    frames(3);
    EXPECT_EQ(mesh.vertexCount, 2);
    scripted::setKey(sys::Key::LeftButton, true);
    frames(3);
    scripted::setKey(sys::Key::LeftButton, false);
    frames(2);
    EXPECT_EQ(mesh.vertexCount, 3);
    scripted::pressAndRelease(sys::Key::Delete);
    frames(2);
    EXPECT_EQ(mesh.vertexCount, 2);
    EXPECT_FALSE(program.input.deletePending);
    // A quick right click or End leaves the mode.
    for (sys::Key stopKey : {sys::Key::RightButton, sys::Key::End}) {
        command(CreateVerticesCommand);
        scripted::pressAndRelease(stopKey);
        frame();
        EXPECT_EQ(program.edit.editMode, Base);
    }
}

// The message loop draws while something may change and then waits: an idle
// program draws no frame, and every kind of input gets its frames.
TEST_F(InputPolling, IdleLoopDrawsNoFrameAndEveryInputWakesIt) {
    auto framesOfLoop = [] {
        int before = scripted::framesDrawn();
        scripted::setFrameBudget(50);
        sys::runMessageLoop();
        return scripted::framesDrawn() - before;
    };
    EXPECT_EQ(framesOfLoop(), 2);  // the first picture, then one more
    EXPECT_EQ(framesOfLoop(), 0);
    scripted::setCursorClient(200, 200);
    EXPECT_EQ(framesOfLoop(), 2);
    // A press released between frames, a key held (a drag) and the turning
    // model keep the frames coming while they last.
    scripted::pressAndRelease(sys::Key::Return);
    EXPECT_EQ(framesOfLoop(), 2);
    scripted::setKey(sys::Key::LeftButton, true);
    EXPECT_EQ(framesOfLoop(), 50);
    scripted::setKey(sys::Key::LeftButton, false);
    EXPECT_GE(framesOfLoop(), 2);  // the click waits for an editing mode
    program.input.clickPending = false;
    options.animation = 2;
    scripted::setCursorClient(201, 200);
    float angle = program.view.angleY;
    EXPECT_EQ(framesOfLoop(), 50);
    EXPECT_NE(program.view.angleY, angle);
    options.animation = 1;
    EXPECT_EQ(framesOfLoop(), 2);
    EXPECT_EQ(framesOfLoop(), 0);
}
