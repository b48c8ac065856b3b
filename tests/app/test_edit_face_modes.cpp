// Building, deleting, flipping and moving faces with the mouse, through real
// frames.
#include "app/frame.h"
#include "test_edit_fixture.h"
#include "state/program_state.h"
#include "edit/editing_state.h"

namespace {

// A 4 x 3 grid of vertices in the plane z = 0, 0.2 apart.
std::vector<Vec3> gridVertices() {
    std::vector<Vec3> vertices;
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 4; ++column) {
            vertices.push_back(Vec3{-0.3f + 0.2f * column, -0.2f + 0.2f * row, 0.0f});
        }
    }
    return vertices;
}

// Six unit squares side by side along x at z = 0, one face each.
void sixSquares(std::vector<Vec3>& vertices, std::vector<Corners>& faces) {
    for (int f = 0; f < 6; ++f) {
        float x = -0.6f + 0.2f * f;
        int first = static_cast<int>(vertices.size());
        vertices.push_back({x, 0.0f, 0.0f});
        vertices.push_back({x + 0.2f, 0.0f, 0.0f});
        vertices.push_back({x + 0.2f, 0.2f, 0.0f});
        vertices.push_back({x, 0.2f, 0.0f});
        faces.push_back({first, first + 1, first + 2, first + 3});
    }
}

// A point inside the ABC half of a quad (its centre would lie on the
// diagonal shared by both halves, which picks neither).
Vec3 insideOf(const std::vector<Vec3>& v, Corners c) {
    Vec3 a = v[c.a];
    Vec3 across = v[c.c] - a;
    return Vec3{a.x + 0.7f * across.x, a.y + 0.3f * across.y, a.z + 0.5f * across.z};
}

}  // namespace

TEST_F(EditTest, FourClicksMakeAQuadAndAFourthClickOnTheFirstATriangle) {
    const std::vector<Vec3> vertices = gridVertices();
    setMesh(vertices, {{0, 1, 5, 4}});
    command(ViewXOyCommand);
    command(CreateFacesCommand);
    for (int v : {4, 7, 9, 2}) clickAt(vertices[v]);
    ASSERT_EQ(mesh.faceCount, 2);
    EXPECT_EQ(face(1), (Corners{4, 7, 9, 2}));
    EXPECT_EQ(program.edit.faceClickCount, 0);

    // A second click on the only vertex listed is used up without adding it.
    clickAt(vertices[4]);
    clickAt(vertices[4]);
    EXPECT_EQ(program.edit.faceClickCount, 1);
    EXPECT_FALSE(program.input.clickPending);
    for (int v : {7, 9, 4}) clickAt(vertices[v]);
    ASSERT_EQ(mesh.faceCount, 3);
    EXPECT_EQ(face(2), (Corners{4, 7, 9, -1}));

    // A click over nothing waits for a vertex under the cursor.
    scripted::setCursorClient(5, 5);
    tap(sys::Key::LeftButton);
    EXPECT_TRUE(program.input.clickPending);
    cursorOver(vertices[11]);
    frame();
    EXPECT_EQ(program.edit.faceClickCount, 1);
    EXPECT_EQ(editing.records.clickedVertices[0], 11);
    EXPECT_TRUE(meshIsConsistent(mesh));
}

TEST_F(EditTest, FaceBeingBuiltIsDrawnInRed) {
    const std::vector<Vec3> vertices = gridVertices();
    setMesh(vertices, {});
    command(ViewXOyCommand);
    command(CreateFacesCommand);
    clickAt(vertices[0]);
    clickAt(vertices[3]);
    Vec3 middle = windowOf(Vec3{0.0f, -0.2f, 0.0f});
    Vec3 elsewhere = windowOf(Vec3{0.0f, 0.0f, 0.0f});
    scripted::setCursorClient(5, 5);
    frame();
    scripted::Pixel onSegment = scripted::readPixel(static_cast<int>(middle.x), static_cast<int>(middle.y));
    scripted::Pixel offSegment = scripted::readPixel(static_cast<int>(elsewhere.x), static_cast<int>(elsewhere.y));
    EXPECT_GT(onSegment.r, 150);
    EXPECT_LT(onSegment.g, 60);
    EXPECT_LT(offSegment.r, 150);
}

TEST_F(EditTest, DeleteRemovesOnlyTheFacesMadeInThisMode) {
    const std::vector<Vec3> vertices = gridVertices();
    setMesh(vertices, {{0, 1, 5, 4}});
    command(ViewXOyCommand);
    command(CreateFacesCommand);
    for (int v : {1, 2, 6, 5}) clickAt(vertices[v]);
    for (int v : {2, 3, 7, 2}) clickAt(vertices[v]);
    ASSERT_EQ(mesh.faceCount, 3);
    // Clicks in progress are left alone by Delete.
    clickAt(vertices[8]);
    tap(sys::Key::Delete);
    EXPECT_EQ(mesh.faceCount, 2);
    EXPECT_EQ(face(1), (Corners{1, 2, 6, 5}));
    tap(sys::Key::Delete);
    EXPECT_EQ(mesh.faceCount, 1);
    tap(sys::Key::Delete);
    EXPECT_EQ(mesh.faceCount, 1);
    EXPECT_TRUE(program.input.deletePending);
    EXPECT_EQ(program.edit.faceClickCount, 1);
    // The waiting Delete removes the next face in the frame that completes it.
    for (int v : {9, 10, 8}) clickAt(vertices[v]);
    EXPECT_EQ(mesh.faceCount, 1);
    EXPECT_FALSE(program.input.deletePending);
    EXPECT_EQ(face(0), (Corners{0, 1, 5, 4}));
}

TEST_F(EditTest, RepeatedCornersMakeADegenerateFaceThatNothingTripsOver) {
    const std::vector<Vec3> vertices = gridVertices();
    setMesh(vertices, {{0, 1, 5, 4}});
    command(ViewXOyCommand);
    command(CreateFacesCommand);
    for (int v : {6, 7, 6, 6}) clickAt(vertices[v]);
    ASSERT_EQ(mesh.faceCount, 2);
    EXPECT_EQ(face(1), (Corners{6, 7, 6, -1}));
    command(CreateStopCommand);
    command(DeleteFacesCommand);
    // Over the degenerate face only the real one can be picked.
    for (int v : {6, 7}) {
        cursorOver(vertices[v]);
        frame();
        EXPECT_EQ(editing.records.faceUnderCursor, -1);
    }
    cursorOver(insideOf(vertices, {0, 1, 5, 4}));
    frame();
    EXPECT_EQ(editing.records.faceUnderCursor, 0);
}

TEST_F(EditTest, DeletingAFaceSwapsWithTheLastAndDeleteBringsItBackAtTheEnd) {
    std::vector<Vec3> vertices;
    std::vector<Corners> faces;
    sixSquares(vertices, faces);
    setMesh(vertices, faces);
    command(ViewXOyCommand);
    command(DeleteFacesCommand);
    // A click over no face is dropped.
    scripted::setCursorClient(5, 5);
    tap(sys::Key::LeftButton);
    EXPECT_FALSE(program.input.clickPending);
    cursorOver(insideOf(vertices, faces[2]));
    frame();
    EXPECT_EQ(program.edit.selectedFace, 2);
    // Press over face 2, release elsewhere: face 2 goes.
    scripted::setKey(sys::Key::LeftButton, true);
    frame();
    scripted::setCursorClient(5, 5);
    scripted::setKey(sys::Key::LeftButton, false);
    frame();
    ASSERT_EQ(mesh.faceCount, 5);
    EXPECT_EQ(face(2), faces[5]);
    EXPECT_EQ(program.edit.selectedFace, -1);
    tap(sys::Key::Delete);
    ASSERT_EQ(mesh.faceCount, 6);
    EXPECT_EQ(face(5), faces[2]);
    tap(sys::Key::Delete);
    EXPECT_EQ(mesh.faceCount, 6);
}

TEST_F(EditTest, NearestFaceIsPickedAlsoInTheReversedView) {
    setMesh({{-0.5f, -0.5f, 0.1f}, {0.5f, -0.5f, 0.1f}, {0.5f, 0.5f, 0.1f}, {-0.5f, 0.5f, 0.1f},
             {-0.5f, -0.5f, 0.3f}, {0.5f, -0.5f, 0.3f}, {0.5f, 0.5f, 0.3f}, {-0.5f, 0.5f, 0.3f}},
            {{0, 1, 2, 3}, {4, 5, 6, 7}});
    command(ViewXOyCommand);
    command(DeleteFacesCommand);
    cursorOver(Vec3{0.2f, -0.1f, 0.2f});
    frame();
    EXPECT_EQ(program.edit.selectedFace, 1);
    // Seen from the other side the sight line still comes from z = +10.
    program.view.viewSign = -1.0f;
    cursorOver(Vec3{0.2f, -0.1f, 0.2f});
    frame();
    EXPECT_EQ(program.edit.selectedFace, 1);
    tap(sys::Key::LeftButton);
    ASSERT_EQ(mesh.faceCount, 1);
    EXPECT_EQ(face(0), (Corners{0, 1, 2, 3}));
}

TEST_F(EditTest, ReturnFlipsTheFaceUnderTheCursor) {
    std::vector<Vec3> vertices;
    std::vector<Corners> faces;
    sixSquares(vertices, faces);
    faces[4].d = -1;
    setMesh(vertices, faces);
    command(ViewXOyCommand);
    command(ModifyFacesCommand);
    cursorOver(insideOf(vertices, faces[1]));
    frame();
    ASSERT_EQ(program.edit.selectedFace, 1);
    tap(sys::Key::Return);
    EXPECT_EQ(face(1), (Corners{5, 4, 7, 6}));
    EXPECT_FALSE(program.input.validatePending);
    // Pressed with a face selected but consumed over whichever face is next
    // under the cursor: the triangle (A, B, C) becomes (B, A, C).
    scripted::setCursorClient(5, 5);
    scripted::setKey(sys::Key::Return, true);
    frame();
    EXPECT_TRUE(program.input.validatePending);
    scripted::setKey(sys::Key::Return, false);
    cursorOver(Vec3{0.35f, 0.05f, 0.0f});
    frame();
    EXPECT_EQ(face(4), (Corners{17, 16, 18, -1}));
    EXPECT_EQ(face(1), (Corners{5, 4, 7, 6}));
}

TEST_F(EditTest, DraggingAlongTheNormalMovesOnlyAcrossTheFace) {
    options.faceModification = 1;
    // Face 0 lies in the plane z = 0.2; face 1 is tilted by 45 degrees about x.
    setMesh({{-0.6f, -0.2f, 0.2f}, {-0.2f, -0.2f, 0.2f}, {-0.2f, 0.2f, 0.2f}, {-0.6f, 0.2f, 0.2f},
             {0.2f, -0.2f, -0.2f}, {0.6f, -0.2f, -0.2f}, {0.6f, 0.2f, 0.2f}, {0.2f, 0.2f, 0.2f}},
            {{0, 1, 2, 3}, {4, 5, 6, 7}});
    command(ViewXOyCommand);
    command(ModifyFacesCommand);
    const Vec3 flatCorner = position(2);
    cursorOver(Vec3{-0.4f, 0.0f, 0.2f});
    frame();
    ASSERT_EQ(program.edit.selectedFace, 0);
    scripted::setKey(sys::Key::LeftButton, true);
    frame();
    cursorOver(Vec3{-0.3f, 0.1f, 0.0f});
    frame();
    EXPECT_EQ(position(2).x, flatCorner.x);
    EXPECT_EQ(position(2).y, flatCorner.y);
    EXPECT_EQ(position(2).z, flatCorner.z);
    scripted::setKey(sys::Key::LeftButton, false);

    cursorOver(Vec3{0.4f, 0.0f, 0.0f});
    frame();
    ASSERT_EQ(program.edit.selectedFace, 1);
    const Vec3 grabbed = editing.aim.aimed;
    const Vec3 tiltedCorner = position(5);
    scripted::setKey(sys::Key::LeftButton, true);
    frame();
    cursorOver(Vec3{0.5f, 0.1f, 0.0f});
    frame();
    const float dy = editing.aim.aimed.y - grabbed.y;
    ASSERT_GT(dy, 0.05f);
    // The normal is (0, -1, 1) / sqrt 2: x stays, y and z share the travel.
    EXPECT_EQ(position(5).x, tiltedCorner.x);
    EXPECT_NEAR(position(5).y - tiltedCorner.y, dy / 2, 1e-5f);
    EXPECT_NEAR(position(5).z - tiltedCorner.z, -dy / 2, 1e-5f);
    EXPECT_EQ(position(0).x, -0.6f);
}

TEST_F(EditTest, DraggedFaceDeformsItsNeighboursAndDeleteRestoresTheFirstPlace) {
    std::vector<Vec3> vertices;
    std::vector<Corners> faces;
    sixSquares(vertices, faces);
    // Face 1 shares corners with face 6, built between it and face 3.
    faces.push_back({5, 14, 15, 6});
    setMesh(vertices, faces);
    command(ViewXOyCommand);
    command(ModifyFacesCommand);
    cursorOver(insideOf(vertices, faces[1]));
    frame();
    ASSERT_EQ(program.edit.selectedFace, 1);
    for (int drag = 0; drag < 2; ++drag) {
        // The face is placed at its grabbed corners plus the aimed point's travel.
        Vec3 grabbed[4];
        for (int v = 4; v < 8; ++v) grabbed[v - 4] = position(v);
        const Vec3 grabbedAim = editing.records.grabAim;
        scripted::setKey(sys::Key::LeftButton, true);
        frame();
        sys::ScreenPoint from = pixelOf(editing.aim.aimed);
        scripted::setCursorClient(from.x + 20, from.y - 12);
        frame();
        const Vec3 shift = editing.aim.aimed - grabbedAim;
        ASSERT_GT(shift.x, 0.03f);
        for (int v = 4; v < 8; ++v) {
            Vec3 expected = grabbed[v - 4] + shift;
            EXPECT_EQ(position(v).x, expected.x) << "vertex " << v;
            EXPECT_EQ(position(v).y, expected.y) << "vertex " << v;
            EXPECT_EQ(position(v).z, expected.z) << "vertex " << v;
        }
        scripted::setKey(sys::Key::LeftButton, false);
        frame();
        EXPECT_EQ(program.edit.selectedFace, 1);
    }
    // Faces sharing no corner stay; the neighbour sharing two is deformed.
    EXPECT_EQ(position(8).x, vertices[8].x);
    EXPECT_NE(position(5).x, vertices[5].x);
    EXPECT_EQ(position(14).x, vertices[14].x);
    tap(sys::Key::Delete);
    for (int v : {4, 5, 6, 7}) {
        EXPECT_EQ(position(v).x, vertices[v].x);
        EXPECT_EQ(position(v).y, vertices[v].y);
        EXPECT_EQ(position(v).z, vertices[v].z);
    }
}

TEST_F(EditTest, DeleteRestoresTheCornersBitForBit) {
    // Corners on the axes with negative zeros, as a dragged or created vertex
    // may hold them: the restore gives back exactly the recorded values.
    const std::vector<Vec3> vertices{{-0.0f, -0.0f, -0.0f}, {0.4f, -0.0f, 0.0f}, {-0.0f, 0.4f, -0.0f}};
    setMesh(vertices, {{0, 1, 2, -1}});
    command(ViewXOyCommand);
    command(ModifyFacesCommand);
    cursorOver(Vec3{0.1f, 0.1f, 0.0f});
    frame();
    ASSERT_EQ(program.edit.selectedFace, 0);
    scripted::setKey(sys::Key::LeftButton, true);
    frame();
    cursorOver(Vec3{0.2f, 0.15f, 0.0f});
    frame();
    ASSERT_NE(position(0).x, 0.0f);
    scripted::setKey(sys::Key::LeftButton, false);
    tap(sys::Key::Delete);
    for (int v = 0; v < 3; ++v) {
        const Vec3 p = position(v);
        EXPECT_EQ(p.x, vertices[v].x) << "vertex " << v;
        EXPECT_EQ(p.y, vertices[v].y) << "vertex " << v;
        EXPECT_EQ(std::signbit(p.x), std::signbit(vertices[v].x)) << "vertex " << v;
        EXPECT_EQ(std::signbit(p.y), std::signbit(vertices[v].y)) << "vertex " << v;
        EXPECT_EQ(std::signbit(p.z), std::signbit(vertices[v].z)) << "vertex " << v;
    }
}

TEST_F(EditTest, DeleteWithNoFaceSelectedWaitsForTheNextSelection) {
    std::vector<Vec3> vertices;
    std::vector<Corners> faces;
    sixSquares(vertices, faces);
    setMesh(vertices, faces);
    command(ViewXOyCommand);
    command(ModifyFacesCommand);
    scripted::setCursorClient(5, 5);
    tap(sys::Key::Delete);
    EXPECT_TRUE(program.input.deletePending);
    scripted::setKey(sys::Key::LeftButton, true);
    frame();
    EXPECT_EQ(position(0).x, vertices[0].x);
    scripted::setKey(sys::Key::LeftButton, false);
    cursorOver(insideOf(vertices, faces[3]));
    frame();
    EXPECT_FALSE(program.input.deletePending);
    EXPECT_EQ(program.edit.selectedFace, -1);
    frame();
    EXPECT_EQ(program.edit.selectedFace, 3);
    EXPECT_EQ(position(12).x, vertices[12].x);
}

TEST_F(EditTest, DeleteInTheFaceModeAfterAVertexDeletionBringsBothBack) {
    std::vector<Vec3> vertices;
    std::vector<Corners> faces;
    sixSquares(vertices, faces);
    setMesh(vertices, faces);
    command(ViewXOyCommand);
    command(DeleteVerticesCommand);
    // Vertex 0 is used by face 0 only; the last vertex takes its index.
    clickAt(vertices[0]);
    ASSERT_EQ(mesh.vertexCount, 23);
    ASSERT_EQ(mesh.faceCount, 5);
    command(CreateStopCommand);
    command(DeleteFacesCommand);
    scripted::setCursorClient(5, 5);
    tap(sys::Key::Delete);
    EXPECT_EQ(mesh.vertexCount, 24);
    EXPECT_EQ(mesh.faceCount, 6);
    EXPECT_TRUE(meshIsConsistent(mesh));
    EXPECT_EQ(position(23).x, vertices[0].x);
    EXPECT_EQ(face(5), (Corners{23, 1, 2, 3}));
}
