// Creating, deleting and moving vertices with the mouse, through real frames.
#include <sys/resource.h>

#include "app/frame.h"
#include "test_edit_fixture.h"
#include "state/program_state.h"
#include "edit/editing_state.h"

namespace {

// Ten vertices spread in the xOy plane (z = i / 10), faces using vertex 3
// twice and vertex 9 once.
std::vector<Vec3> tenVertices() {
    std::vector<Vec3> vertices;
    for (int i = 0; i < 10; ++i) {
        vertices.push_back(Vec3{-0.45f + 0.1f * i, (i % 2 == 0) ? 0.2f : -0.2f, 0.1f * i});
    }
    return vertices;
}

}  // namespace

TEST_F(EditTest, AimedPointAndStatusLineInTheOrthographicViews) {
    command(ViewXOyCommand);
    command(CreateVerticesCommand);
    // Drawing area 632 x 572: column 395 is x = 0.25, row 444 is y = -0.5.
    scripted::setCursorClient(395, 444);
    frame();
    EXPECT_EQ(scripted::lastStatusText(),
              "En création de sommets, dans la vue xOy on est à :  x =         0.25   y =         -0.5   "
              "z =            0 ");
    EXPECT_FLOAT_EQ(editing.aim.sightOrigin.z, 10.0f);
    EXPECT_EQ(editing.aim.sightDirection.z, -1.0f);

    // Over a face with the aimed point "on the object": its depth is taken.
    setMesh({{-0.5f, -0.8f, 0.3f}, {0.5f, -0.8f, 0.3f}, {0.5f, 0.0f, 0.3f}, {-0.5f, 0.0f, 0.3f}}, {{0, 1, 2, 3}});
    options.vertexCreation = 1;
    frame();
    EXPECT_NEAR(editing.aim.aimed.z, 0.3f, 1e-3f);
    EXPECT_NEAR(editing.aim.aimed.x, 0.25f, 1e-6f);
    // Over the background it stays in the plane of the view.
    scripted::setCursorClient(395, 100);
    frame();
    EXPECT_EQ(editing.aim.aimed.z, 0.0f);

    // xOz and yOz: the sight line runs along y and x, and the depth taken
    // over a face is its y or its x.
    setMesh({{-0.5f, 0.25f, -0.5f}, {0.5f, 0.25f, -0.5f}, {0.5f, 0.25f, 0.5f}, {-0.5f, 0.25f, 0.5f},
             {-0.25f, -0.5f, -0.5f}, {-0.25f, 0.5f, -0.5f}, {-0.25f, 0.5f, 0.5f}, {-0.25f, -0.5f, 0.5f}},
            {{0, 1, 2, 3}, {4, 5, 6, 7}});
    command(CreateStopCommand);
    command(ViewXOzCommand);
    command(CreateVerticesCommand);
    cursorOver(Vec3{0.2f, 0.0f, 0.1f});
    frame();
    EXPECT_NEAR(editing.aim.aimed.y, 0.25f, 1e-3f);
    EXPECT_NEAR(editing.aim.aimed.x, 0.2f, 4e-3f);
    EXPECT_EQ(editing.aim.sightOrigin.y, -10.0f);
    EXPECT_EQ(editing.aim.sightDirection.y, 1.0f);
    EXPECT_NE(scripted::lastStatusText().find("dans la vue xOz on est à :  x ="), std::string::npos);
    options.vertexCreation = 2;
    frame();
    EXPECT_EQ(editing.aim.aimed.y, 0.0f);
    options.vertexCreation = 1;
    command(CreateStopCommand);
    command(ViewYOzCommand);
    command(CreateVerticesCommand);
    cursorOver(Vec3{0.0f, 0.2f, 0.1f});
    frame();
    EXPECT_NEAR(editing.aim.aimed.x, -0.25f, 1e-3f);
    EXPECT_EQ(editing.aim.sightOrigin.x, 10.0f);
    EXPECT_EQ(editing.aim.sightDirection.x, -1.0f);
    scripted::setCursorClient(3, 3);
    frame();
    EXPECT_EQ(editing.aim.aimed.x, 0.0f);
}

TEST_F(EditTest, AimedPointInThePerspectiveView) {
    setMesh({{-1, -1, 0.3f}, {1, -1, 0.3f}, {1, 1, 0.3f}, {-1, 1, 0.3f}}, {{0, 1, 2, 3}});
    command(CreateVerticesCommand);
    scripted::setCursorClient(340, 250);
    frame();
    // In the sight plane: through the origin, facing the eye on the z axis.
    EXPECT_NEAR(editing.aim.aimed.z, 0.0f, 1e-6f);
    EXPECT_NEAR(editing.aim.sightOrigin.z, 2.5f, 1e-6f);
    EXPECT_NEAR(distanceToSightLine(editing.aim.aimed), 0.0f, 1e-6f);
    EXPECT_NE(scripted::lastStatusText().find("En création de sommets, dans la vue en perspective on est à :"),
              std::string::npos);
    options.vertexCreation = 1;
    frame();
    EXPECT_NEAR(editing.aim.aimed.z, 0.3f, 1e-3f);
    EXPECT_NEAR(distanceToSightLine(editing.aim.aimed), 0.0f, 1e-5f);
    // Far from the origin a surface no longer attracts the aimed point.
    program.view.cameraDistance = 15.0f;
    setMesh({{-4, -4, -3}, {4, -4, -3}, {4, 4, -3}, {-4, 4, -3}}, {{0, 1, 2, 3}});
    frame();
    EXPECT_NEAR(editing.aim.aimed.z, 0.0f, 1e-5f);
}

TEST_F(EditTest, ClickPendingFromTheBaseModeCreatesAVertexAtOnce) {
    command(ViewXOyCommand);
    scripted::setCursorClient(395, 444);
    tap(sys::Key::LeftButton);
    ASSERT_TRUE(program.input.clickPending);  // the base mode leaves it pending
    command(CreateVerticesCommand);
    frame();
    ASSERT_EQ(mesh.vertexCount, 2);
    EXPECT_FALSE(program.input.clickPending);
    EXPECT_EQ(mesh.vertexX[1], 0.25f);
    EXPECT_EQ(mesh.vertexY[1], -0.5f);
    EXPECT_EQ(mesh.vertexZ[1], 0.0f);

    scripted::setCursorClient(100, 100);
    tap(sys::Key::LeftButton);
    tap(sys::Key::LeftButton);
    ASSERT_EQ(mesh.vertexCount, 4);
    EXPECT_EQ(mesh.vertexCapacity, 4);
    // Delete takes back the vertices of this mode only, last first.
    tap(sys::Key::Delete);
    EXPECT_EQ(mesh.vertexCount, 3);
    tap(sys::Key::Delete);
    tap(sys::Key::Delete);
    EXPECT_EQ(mesh.vertexCount, 1);
    EXPECT_FALSE(program.input.deletePending);
    tap(sys::Key::Delete);
    EXPECT_EQ(mesh.vertexCount, 1);
    EXPECT_TRUE(program.input.deletePending);
    // The waiting Delete takes back the next vertex in the frame that makes it.
    tap(sys::Key::LeftButton);
    EXPECT_EQ(mesh.vertexCount, 1);
    EXPECT_FALSE(program.input.deletePending);
    EXPECT_TRUE(meshIsConsistent(mesh));
}

TEST_F(EditTest, DeletingAVertexRenumbersAndDeleteBringsItBackAtTheEnd) {
    setMesh(tenVertices(), {{0, 1, 2, -1}, {3, 4, 5, -1}, {9, 8, 7, 6}, {1, 3, 9, -1}, {2, 5, 6, 8}});
    const Vec3 deleted = position(3);
    const Vec3 last = position(9);
    command(ViewXOyCommand);
    command(DeleteVerticesCommand);
    // A click over nothing is dropped and does not act later.
    scripted::setCursorClient(10, 10);
    tap(sys::Key::LeftButton);
    cursorOver(deleted);
    frame();
    EXPECT_EQ(mesh.vertexCount, 10);
    EXPECT_EQ(program.edit.selectedVertex, 3);

    tap(sys::Key::LeftButton);
    ASSERT_EQ(mesh.vertexCount, 9);
    EXPECT_EQ(position(3).z, last.z);
    ASSERT_EQ(mesh.faceCount, 3);
    EXPECT_EQ(face(0), (Corners{0, 1, 2, -1}));
    EXPECT_EQ(face(1), (Corners{2, 5, 6, 8}));
    EXPECT_EQ(face(2), (Corners{3, 8, 7, 6}));
    EXPECT_TRUE(meshIsConsistent(mesh));

    tap(sys::Key::Delete);
    ASSERT_EQ(mesh.vertexCount, 10);
    EXPECT_EQ(position(9).z, deleted.z);
    ASSERT_EQ(mesh.faceCount, 5);
    EXPECT_EQ(face(3), (Corners{1, 9, 3, -1}));
    EXPECT_EQ(face(4), (Corners{9, 4, 5, -1}));
    EXPECT_TRUE(meshIsConsistent(mesh));
    // One level of undo only.
    tap(sys::Key::Delete);
    EXPECT_EQ(mesh.vertexCount, 10);
    EXPECT_EQ(mesh.faceCount, 5);
}

TEST_F(EditTest, OfTwoVerticesUnderTheCursorTheHigherIndexGoesBothHighlighted) {
    // No face: the points are not hidden behind one at their own depth.
    setMesh({{0.2f, 0.2f, 0.0f}, {0.204f, 0.2f, 0.0f}, {-0.3f, -0.3f, 0.0f}}, {});
    command(ViewXOyCommand);
    command(DeleteVerticesCommand);
    sys::ScreenPoint first = pixelOf(position(0));
    Vec3 windows[3] = {windowOf(position(0)), windowOf(position(1)), windowOf(position(2))};
    scripted::setCursorClient(first.x, first.y);
    frame();
    EXPECT_EQ(program.edit.selectedVertex, 1);
    // The red points (size 6) show around the white ones (size 4) drawn
    // before them at the same depth: look just beside each, on the side
    // away from the other.
    auto colourBeside = [&](int v) {
        float side = v == 0 ? -2.5f : 2.5f;
        return scripted::readPixel(static_cast<int>(windows[v].x + side), static_cast<int>(windows[v].y));
    };
    auto isRed = [](scripted::Pixel p) { return p.r > 200 && p.g < 60 && p.b < 60; };
    EXPECT_TRUE(isRed(colourBeside(0)));
    EXPECT_TRUE(isRed(colourBeside(1)));
    EXPECT_FALSE(isRed(colourBeside(2)));

    tap(sys::Key::LeftButton);
    ASSERT_EQ(mesh.vertexCount, 2);
    EXPECT_EQ(position(0).x, 0.2f);
    EXPECT_EQ(position(1).x, -0.3f);  // the former last vertex took index 1
}

TEST_F(EditTest, MovingAVertexDragsFromItsRecordedPositionAndDeleteHoldsItBack) {
    setMesh({{0.1f, 0.1f, 0.25f}, {0.4f, 0.1f, 0.0f}, {0.1f, 0.4f, 0.0f}}, {{0, 1, 2, -1}});
    const Vec3 start = position(0);
    command(ViewXOyCommand);
    command(MoveVerticesCommand);
    cursorOver(start);
    frame();
    ASSERT_EQ(program.edit.selectedVertex, 0);

    // First drag: only x and y follow the cursor.
    scripted::setKey(sys::Key::LeftButton, true);
    frame();
    scripted::setCursorClient(395, 444);
    frame();
    EXPECT_EQ(position(0).x, 0.25f);
    EXPECT_EQ(position(0).y, -0.5f);
    EXPECT_EQ(position(0).z, 0.25f);
    // Delete held: back where the vertex was selected; released: dragged again.
    scripted::setKey(sys::Key::Delete, true);
    frame();
    EXPECT_EQ(position(0).x, start.x);
    EXPECT_EQ(position(0).y, start.y);
    scripted::setKey(sys::Key::Delete, false);
    frame();
    EXPECT_EQ(position(0).x, 0.25f);
    scripted::setKey(sys::Key::LeftButton, false);
    frame();
    EXPECT_EQ(program.edit.selectedVertex, 0);

    // Second drag from the new place; Delete still returns to the first one.
    scripted::setKey(sys::Key::LeftButton, true);
    scripted::setCursorClient(300, 200);
    frame();
    EXPECT_NE(position(0).x, 0.25f);
    scripted::setKey(sys::Key::LeftButton, false);
    scripted::setKey(sys::Key::Delete, true);
    frame();
    EXPECT_EQ(position(0).x, start.x);
    EXPECT_EQ(position(0).y, start.y);
    EXPECT_EQ(position(0).z, start.z);
    EXPECT_TRUE(program.input.deletePending);  // this mode leaves the event alone
}

TEST_F(EditTest, CreatingAfterADeletionForgetsItsUndo) {
    setMesh(tenVertices(), {{0, 1, 9, -1}, {3, 4, 5, -1}});
    command(ViewXOyCommand);
    command(DeleteVerticesCommand);
    clickAt(position(4));
    ASSERT_EQ(mesh.vertexCount, 9);
    ASSERT_EQ(mesh.faceCount, 1);
    command(CreateStopCommand);
    // A new vertex overwrites the entry the deleted vertex had kept.
    command(CreateVerticesCommand);
    scripted::setCursorClient(20, 20);
    tap(sys::Key::LeftButton);
    ASSERT_EQ(mesh.vertexCount, 10);
    command(CreateStopCommand);
    command(DeleteVerticesCommand);
    scripted::setCursorClient(20, 500);
    tap(sys::Key::Delete);
    EXPECT_EQ(mesh.vertexCount, 10);
    EXPECT_EQ(mesh.faceCount, 1);
    EXPECT_TRUE(meshIsConsistent(mesh));
}

TEST_F(EditTest, NewModelForgetsTheDeletionUndo) {
    setMesh(tenVertices(), {{0, 1, 9, -1}, {3, 4, 5, -1}, {5, 6, 7, 8}});
    command(ViewXOyCommand);
    command(DeleteVerticesCommand);
    clickAt(position(5));
    ASSERT_EQ(mesh.faceCount, 1);
    command(NewModelCommand);
    tap(sys::Key::Delete);
    EXPECT_EQ(mesh.vertexCount, 1);
    EXPECT_EQ(mesh.faceCount, 1);
    EXPECT_TRUE(meshIsConsistent(mesh));
}

#if !defined(__SANITIZE_ADDRESS__)
namespace {

// Room for the program as it is, not for a vertex array of a billion entries.
void createVertexWithoutMemory() {
    rlimit limit{};
    limit.rlim_cur = limit.rlim_max = 512L << 20;
    setrlimit(RLIMIT_AS, &limit);
    mesh.vertexCount = 1 << 30;
    program.input.clickPending = true;
    createVerticesStep();
}

}  // namespace

TEST_F(EditTest, ExhaustedMemoryWhileCreatingIsFatal) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    command(CreateVerticesCommand);
    frame();
    EXPECT_EXIT(createVertexWithoutMemory(), ::testing::ExitedWithCode(1), "");
}
#endif
