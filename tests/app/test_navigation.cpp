// Mouse navigation of the base mode and the orthographic cameras.
#include <GL/gl.h>

#include "core/options.h"
#include "state/program_state.h"
#include "state/view_state.h"
#include "render/camera.h"
#include "support/program_fixture.h"

class Navigation : public ProgramTest {
protected:
    void SetUp() override {
        ProgramTest::SetUp();
        startProgram();
        scripted::setCursorScreen(400, 300);
        frame();
    }
    // Moves the cursor by dx, dy with a frame in between.
    void drag(int dx, int dy) {
        const ViewState& view = program.view;
        scripted::setCursorScreen(static_cast<int>(view.cursorX) + dx, static_cast<int>(view.cursorY) + dy);
        frame();
    }
};

TEST_F(Navigation, LeftDragTurnsOneDegreePerPixel) {
    scripted::setKey(sys::Key::LeftButton, true);
    drag(10, -4);
    EXPECT_FLOAT_EQ(program.view.angleY, 10.0f);
    EXPECT_FLOAT_EQ(program.view.angleX, -4.0f);
    scripted::setKey(sys::Key::LeftButton, false);
    scripted::setKey(sys::Key::Space, true);
    drag(7, 0);
    EXPECT_FLOAT_EQ(program.view.angleZ, 7.0f);
}

TEST_F(Navigation, RightDragStaysWithinBoundsAndComesBackAtOnce) {
    scripted::setKey(sys::Key::RightButton, true);
    scripted::setCursorScreen(scripted::windowRect.right, 300);
    frame();
    for (int i = 0; i < 5; ++i) drag(-200, 0);
    EXPECT_EQ(program.view.cameraDistance, 15.0f);
    EXPECT_EQ(program.view.orthoZoom, 6.0f);
    drag(10, 0);
    EXPECT_FLOAT_EQ(program.view.cameraDistance, 15.0f - 0.8f);
    EXPECT_FLOAT_EQ(program.view.orthoZoom, 6.0f - 0.2f);
    for (int i = 0; i < 5; ++i) drag(200, 0);
    EXPECT_EQ(program.view.cameraDistance, 1.7f);
    EXPECT_EQ(program.view.orthoZoom, 0.6f);
}

TEST_F(Navigation, ReturnFlipsTheSignOncePerPress) {
    scripted::setKey(sys::Key::Return, true);
    frames(4);
    EXPECT_EQ(program.view.viewSign, -1.0f);
    scripted::setKey(sys::Key::Return, false);
    frame();
    scripted::setKey(sys::Key::Return, true);
    frame();
    EXPECT_EQ(program.view.viewSign, 1.0f);
}

TEST_F(Navigation, NoNavigationInEditingModes) {
    command(MoveVerticesCommand);
    scripted::setKey(sys::Key::LeftButton, true);
    drag(50, 50);
    EXPECT_EQ(program.view.angleY, 0.0f);
}

TEST_F(Navigation, AnimationTurnsOnlyThePerspectiveView) {
    options.animation = 2;
    frames(10);
    EXPECT_NEAR(program.view.angleY, 1.3f, 1e-5);
    EXPECT_NEAR(program.view.angleX, 2.1f, 1e-5);
    EXPECT_NEAR(program.view.angleZ, 3.0f, 1e-5);
    command(ViewXOzCommand);
    float kept = program.view.angleY;
    frames(3);
    EXPECT_EQ(program.view.angleY, kept);
}

TEST_F(Navigation, EndStopsAnimationAndTransparency) {
    options.animation = 2;
    options.transparency = 2;
    scripted::setKey(sys::Key::End, true);
    frame();
    EXPECT_EQ(options.animation, 1);
    EXPECT_EQ(options.transparency, 1);
}

TEST_F(Navigation, OrthographicMatricesFollowSignAspectAndZoom) {
    command(ViewXOyCommand);
    program.view.viewSign = -1.0f;
    program.view.orthoZoom = 2.0f;
    frame();
    float projection[16];
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    float aspect = static_cast<float>(static_cast<double>(program.view.clientWidth) * -1.0 / program.view.clientHeight);
    EXPECT_EQ(projection[0], 1.0f);
    EXPECT_EQ(projection[5], aspect);
    EXPECT_EQ(projection[10], 1.0f);
    EXPECT_EQ(projection[15], 2.0f);
    command(ViewYOzCommand);
    frame();
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    EXPECT_EQ(projection[2], 1.0f);
    EXPECT_EQ(projection[4], 1.0f);
    EXPECT_EQ(projection[9], aspect);
}

TEST_F(Navigation, DragStepsAreSummedInDoubleAndStoredAsFloat) {
    scripted::setKey(sys::Key::RightButton, true);
    drag(-8, 0);
    EXPECT_EQ(program.view.cameraDistance, static_cast<float>(2.5f + 8.0f * 0.08));
    drag(-8, 0);
    EXPECT_EQ(program.view.orthoZoom, static_cast<float>(static_cast<float>(1.0f + 8.0f * 0.02) + 8.0f * 0.02));
    program.view.orthoZoom = 1.0f;
    drag(-16, 0);
    EXPECT_EQ(program.view.orthoZoom, static_cast<float>(1.0f + 16.0f * 0.02));
}
