// Mouse navigation of the base mode and the orthographic cameras.
#include <GL/gl.h>

#include "core/options.h"
#include "state/program_state.h"
#include "state/view_state.h"
#include "mesh/mesh.h"
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

// The mouse goes on moving while a frame paces itself (twice a frame in the
// base mode): every pixel of the drag counts, from the press to the last
// sample, whichever sample of the frame saw it.
TEST_F(Navigation, EveryPixelOfADragCountsWhileFramesPaceThemselves) {
    scripted::setKey(sys::Key::LeftButton, true);  // pressed at (400, 300)
    scripted::setCursorDrift(3, -2);
    frames(6);
    scripted::setCursorDrift(0, 0);
    frame();
    const sys::ScreenPoint cursor = sys::cursorScreenPosition();
    ASSERT_GT(cursor.x, 430);
    EXPECT_FLOAT_EQ(program.view.angleY, static_cast<float>(cursor.x - 400));
    EXPECT_FLOAT_EQ(program.view.angleX, static_cast<float>(cursor.y - 300));
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

// A press that went to a menu's popup (the click outside that closed it) is
// no drag, however the cursor moves afterwards; a press the drawing takes
// later drags from where it was made, not from where the cursor was at the
// last frame before the popup.
TEST_F(Navigation, APressThatClosedAPopupNeitherTurnsNorZooms) {
    const ViewState& view = program.view;
    for (sys::Key key : {sys::Key::LeftButton, sys::Key::RightButton, sys::Key::Space}) {
        SCOPED_TRACE(static_cast<int>(key));
        const float angles[3] = {view.angleY, view.angleX, view.angleZ};
        const float distance = view.cameraDistance, zoom = view.orthoZoom;
        scripted::setPopupOpen(true);
        scripted::setCursorScreen(730, 60);  // far from the last frame's cursor, over the popup
        scripted::setKey(key, true);
        scripted::setPopupOpen(false);
        frame();
        for (int move : {-60, 25, 200}) drag(move, -move / 2);
        EXPECT_EQ(view.angleY, angles[0]);
        EXPECT_EQ(view.angleX, angles[1]);
        EXPECT_EQ(view.angleZ, angles[2]);
        EXPECT_EQ(view.cameraDistance, distance);
        EXPECT_EQ(view.orthoZoom, zoom);
        scripted::setKey(key, false);
        frame();

        // The popup closed by a key, the cursor moved with no frame drawn:
        // the drag counts from its press.
        scripted::setPopupOpen(true);
        scripted::setCursorScreen(200, 500);
        scripted::setPopupOpen(false);
        scripted::setKey(key, true);
        const int dx = key == sys::Key::RightButton ? -10 : 10;  // zooming out, away from the bound
        scripted::setCursorScreen(200 + dx, 496);
        frame();
        if (key == sys::Key::LeftButton) {
            EXPECT_FLOAT_EQ(view.angleY, angles[0] + 10.0f);
            EXPECT_FLOAT_EQ(view.angleX, angles[1] - 4.0f);
        } else if (key == sys::Key::Space) {
            EXPECT_FLOAT_EQ(view.angleZ, angles[2] + 10.0f);
        } else {
            EXPECT_EQ(view.cameraDistance, static_cast<float>(distance + 10.0f * 0.08));
        }
        scripted::setKey(key, false);
        frame();
    }
}

// Nor is it a click of an editing mode: no vertex is made until the drawing
// takes a press of its own.
TEST_F(Navigation, APressThatClosedAPopupIsNoClickOfAnEditingMode) {
    command(CreateVerticesCommand);
    scripted::setCursorClient(300, 300);
    frame();
    int vertices = mesh.vertexCount;
    scripted::setPopupOpen(true);
    scripted::setKey(sys::Key::LeftButton, true);
    scripted::setPopupOpen(false);
    frames(3);
    scripted::setKey(sys::Key::LeftButton, false);
    frames(2);
    EXPECT_EQ(mesh.vertexCount, vertices);
    EXPECT_FALSE(program.input.clickPending);
    scripted::setKey(sys::Key::LeftButton, true);
    frames(2);
    EXPECT_EQ(mesh.vertexCount, vertices + 1);
}
