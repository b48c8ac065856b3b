// Lit, textured face drawing seen through whole frames of the program on a
// real offscreen GL context.
#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <cmath>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <random>
#include <set>
#include <utility>
#include <vector>

#include "core/options.h"
#include "state/program_state.h"
#include "state/view_state.h"
#include "mesh/off_reader.h"
#include "render/camera.h"
#include "render/faces.h"
#include "render/gl_context.h"
#include "render/textures.h"
#include "support/program_fixture.h"
#include "test_faces_meshes.h"
#include "render/render_state.h"

namespace {

constexpr int width = scripted::drawingWidth;
constexpr int height = scripted::drawingHeight;

bool samePixel(scripted::Pixel a, scripted::Pixel b) {
    return a.r == b.r && a.g == b.g && a.b == b.b;
}

::testing::AssertionResult isColour(scripted::Pixel pixel, int r, int g, int b) {
    if (pixel.r == r && pixel.g == g && pixel.b == b) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "pixel is (" << int(pixel.r) << ", " << int(pixel.g) << ", "
                                         << int(pixel.b) << "), expected (" << r << ", " << g << ", " << b
                                         << ")";
}

std::vector<unsigned char> wholePicture() {
    std::vector<unsigned char> pixels(static_cast<size_t>(width) * height * 4);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

class FaceDrawing : public ProgramTest {
protected:
    void SetUp() override {
        ProgramTest::SetUp();
        startProgram();
        ASSERT_EQ(options.textureSize, 256);
        ASSERT_EQ(options.transparency, 1);
    }

    void TearDown() override {
        render.drawing.path = DrawingPath::VertexArrays;
        ProgramTest::TearDown();
    }

    // Faces show the uniform colour 0x00BBGGRR.
    void useUniformColour(long colour) {
        options.uniformColor = colour;
        rebuildUniformTexture();
        program.display.textureSlot = 0;
    }

    // Pixel under a model point, with the matrices of the last frame.
    scripted::Pixel pixelAt(Vec3 point) {
        double modelview[16];
        double projection[16];
        GLint viewport[4];
        glGetDoublev(GL_MODELVIEW_MATRIX, modelview);
        glGetDoublev(GL_PROJECTION_MATRIX, projection);
        glGetIntegerv(GL_VIEWPORT, viewport);
        double x = 0, y = 0, z = 0;
        gluProject(point.x, point.y, point.z, modelview, projection, viewport, &x, &y, &z);
        return scripted::readPixel(static_cast<int>(x), static_cast<int>(y));
    }

    scripted::Pixel centre() { return scripted::readPixel(width / 2, height / 2); }
};

// A face seen from either side is lit the same: its normal is turned toward
// the viewer; a red texture leaves only red in the lit colour.
TEST_F(FaceDrawing, RedFaceIsLitFromTheSideItIsSeenFrom) {
    useUniformColour(0x0000FF);
    std::vector<Vec3> vertices;
    std::vector<FaceCorners> faces;
    addSquare(vertices, faces, -0.5f, -0.5f, 1.0f, 0.0f);
    setMesh(vertices, faces);
    frame();
    EXPECT_TRUE(isColour(scripted::readPixel(0, 0), 102, 102, 102)) << "clear colour";
    scripted::Pixel facing = centre();
    EXPECT_GT(facing.r, 30);
    EXPECT_EQ(facing.g, 0);
    EXPECT_EQ(facing.b, 0);

    vertices.clear();
    faces.clear();
    addSquare(vertices, faces, -0.5f, -0.5f, 1.0f, 0.0f, true);
    setMesh(vertices, faces);
    frame();
    EXPECT_TRUE(samePixel(centre(), facing));
    EXPECT_TRUE(scripted::shownBoxes().empty());
}

// The light stays with the viewer: turning the model turns a face away from
// it and darkens it.
TEST_F(FaceDrawing, TurningTheModelChangesTheLighting) {
    useUniformColour(0xFFFFFF);
    std::vector<Vec3> vertices;
    std::vector<FaceCorners> faces;
    addSquare(vertices, faces, -0.5f, -0.5f, 1.0f, 0.0f);
    setMesh(vertices, faces);
    frame();
    scripted::Pixel straight = centre();
    // The light stands to the right, above and in front of the eye.
    program.view.angleY = 60.0f;
    frame();
    EXPECT_GT(centre().r, straight.r);
    program.view.angleY = -60.0f;
    frame();
    EXPECT_LT(centre().r, straight.r);
    // Model-space direction toward the eye: the third row of the rotation.
    EXPECT_NEAR(render.drawing.viewerDirection.x, std::sin(60.0 * M_PI / 180.0), 1e-5);
    EXPECT_NEAR(render.drawing.viewerDirection.y, 0.0, 1e-6);
    EXPECT_NEAR(render.drawing.viewerDirection.z, std::cos(60.0 * M_PI / 180.0), 1e-5);
}

TEST_F(FaceDrawing, FacesToggleHidesTheFacesWhileEdgesStay) {
    useUniformColour(0x0000FF);
    std::vector<Vec3> vertices;
    std::vector<FaceCorners> faces;
    addSquare(vertices, faces, -0.5f, -0.5f, 1.0f, 0.0f);
    setMesh(vertices, faces);
    command(ViewXOyCommand);
    command(ShowEdgesCommand);  // edges
    frame();
    scripted::Pixel edge = pixelAt({0.0f, -0.5f, 0.0f});
    EXPECT_TRUE(isColour(edge, 204, 204, 204));
    EXPECT_GT(centre().r, 30);
    EXPECT_EQ(centre().g, 0);

    command(ShowFacesCommand);  // faces off
    frame();
    EXPECT_TRUE(isColour(centre(), 102, 102, 102));
    EXPECT_TRUE(samePixel(pixelAt({0.0f, -0.5f, 0.0f}), edge));
    command(ShowFacesCommand);
    frame();
    EXPECT_EQ(centre().g, 0);
}

// With the depth test on, a face in front hides the grid; the hidden-parts
// toggle lets the grid show through.
TEST_F(FaceDrawing, HiddenPartsToggleShowsTheGridThroughFaces) {
    useUniformColour(0x0000FF);
    std::vector<Vec3> vertices;
    std::vector<FaceCorners> faces;
    addSquare(vertices, faces, -0.55f, -0.55f, 1.1f, 0.2f);
    setMesh(vertices, faces);
    command(ViewXOyCommand);
    command(ShowGridCommand);  // grid
    frame();
    Vec3 onGridLine{0.3f, 0.05f, 0.0f};
    Vec3 outside{0.8f, 0.05f, 0.0f};
    EXPECT_TRUE(isColour(pixelAt(outside), 153, 153, 153)) << "grid beside the face";
    EXPECT_EQ(pixelAt(onGridLine).g, 0) << "face hides the grid";
    command(ShowHiddenPartsCommand);
    frame();
    EXPECT_TRUE(isColour(pixelAt(onGridLine), 153, 153, 153));
    command(ShowHiddenPartsCommand);
    frame();
    EXPECT_EQ(pixelAt(onGridLine).g, 0);
}

// Each transparent face adds half of its lit colour; none hides another.
TEST_F(FaceDrawing, TransparentFacesAddTheirColours) {
    useUniformColour(0x000060);
    std::vector<Vec3> vertices;
    std::vector<FaceCorners> front;
    std::vector<FaceCorners> back;
    std::vector<FaceCorners> both;
    addSquare(vertices, front, -0.6f, -0.6f, 0.8f, 0.1f);
    addSquare(vertices, back, -0.2f, -0.2f, 0.8f, 0.0f);
    both = {front[0], back[0]};
    command(ViewXOyCommand);
    Vec3 overlap{0.0f, 0.0f, 0.0f};
    auto pixelWith = [&](const std::vector<FaceCorners>& faces) {
        setMesh(vertices, faces);
        frame();
        return pixelAt(overlap);
    };
    scripted::Pixel opaqueFront = pixelWith(front);
    EXPECT_TRUE(samePixel(pixelWith(both), opaqueFront));

    options.transparency = 2;
    scripted::Pixel frontOnly = pixelWith(front);
    scripted::Pixel backOnly = pixelWith(back);
    scripted::Pixel together = pixelWith(both);
    EXPECT_GT(frontOnly.r, 102);
    EXPECT_GT(backOnly.r, 102);
    EXPECT_EQ(frontOnly.g, 102);
    EXPECT_NEAR(together.r - 102, (frontOnly.r - 102) + (backOnly.r - 102), 1);
    EXPECT_EQ(together.b, 102);
}

// After the faces the overlays find lighting, texturing and blending off,
// depth writes on, the alpha function GL_ALWAYS and a white colour.
TEST_F(FaceDrawing, DrawingRestoresTheSharedState) {
    std::vector<Vec3> vertices;
    std::vector<FaceCorners> faces;
    addSquare(vertices, faces, -0.5f, -0.5f, 1.0f, 0.0f);
    setMesh(vertices, faces);
    for (int transparency : {1, 2}) {
        options.transparency = transparency;
        applyCamera();
        drawFaces();
        EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
        EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
        EXPECT_FALSE(glIsEnabled(GL_BLEND));
        GLboolean depthWrites = GL_FALSE;
        glGetBooleanv(GL_DEPTH_WRITEMASK, &depthWrites);
        EXPECT_TRUE(depthWrites);
        GLint alphaFunction = 0;
        glGetIntegerv(GL_ALPHA_TEST_FUNC, &alphaFunction);
        EXPECT_EQ(alphaFunction, GL_ALWAYS);
        float colour[4];
        glGetFloatv(GL_CURRENT_COLOR, colour);
        for (float component : colour) EXPECT_EQ(component, 1.0f);
        GLint arrayOn = 1;
        glGetIntegerv(GL_VERTEX_ARRAY, &arrayOn);
        EXPECT_EQ(arrayOn, 0);
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    }
}

TEST_F(FaceDrawing, DegenerateFacesLeaveTheOthersUntouched) {
    useUniformColour(0x20A0FF);
    std::vector<Vec3> vertices;
    std::vector<FaceCorners> faces;
    addSquare(vertices, faces, -0.5f, -0.5f, 1.0f, 0.0f);
    setMesh(vertices, faces);
    frame();
    std::vector<unsigned char> alone = wholePicture();

    // A = B, collinear corners, a single repeated vertex, a sliver.
    vertices.push_back({0.7f, 0.7f, 0.3f});
    vertices.push_back({0.9f, 0.7f, 0.3f});
    vertices.push_back({0.8f, 0.7f + 1e-7f, 0.3f});
    faces.insert(faces.begin(), {{4, 4, 5, 6}, {4, 5, 6, -1}, {5, 5, 5, 5}, {0, 0, 4, -1}});
    setMesh(vertices, faces);
    options.commonBase = 2;
    frame();
    EXPECT_TRUE(scripted::shownBoxes().empty());
    EXPECT_TRUE(samePixel(centre(), scripted::Pixel{alone[(height / 2 * width + width / 2) * 4],
                                                    alone[(height / 2 * width + width / 2) * 4 + 1],
                                                    alone[(height / 2 * width + width / 2) * 4 + 2], 0}));
}

// The vertex arrays must draw exactly the picture of one GL_POLYGON per face.
TEST_F(FaceDrawing, VertexArraysDrawTheSamePictureAsPolygons) {
    // A wavy, jittered sheet of quads and triangles under a noisy texture, so
    // that any change in how a face is split or interpolated shows.
    const int side = 24;
    std::vector<Vec3> vertices;
    std::vector<FaceCorners> faces;
    std::srand(3);
    auto jitter = [] { return static_cast<float>(std::rand() % 1000 - 500) / 500.0f * 0.3f / side; };
    for (int i = 0; i <= side; ++i) {
        for (int j = 0; j <= side; ++j) {
            float u = -0.9f + 1.8f * i / side;
            float v = -0.9f + 1.8f * j / side;
            vertices.push_back({u + jitter(), v + jitter(), 0.3f * std::sin(7.0f * u) * std::cos(5.0f * v)});
        }
    }
    for (int i = 0; i < side; ++i) {
        for (int j = 0; j < side; ++j) {
            int a = i * (side + 1) + j, b = a + side + 1, c = b + 1, d = a + 1;
            if ((i + j) % 2 != 0) {
                faces.push_back({a, b, c, d});
            } else {
                faces.push_back({a, b, c, -1});
                faces.push_back({c, d, a, -1});
            }
        }
    }
    setMesh(vertices, faces);
    for (auto& row : render.textures.loadedImage) {
        for (auto& pixel : row) {
            for (auto& byte : pixel) byte = static_cast<uint8_t>(std::rand());
        }
    }
    glBindTexture(GL_TEXTURE_2D, render.textures.names[1]);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 256, 256, 0, GL_RGB, GL_UNSIGNED_BYTE, render.textures.loadedImage);
    program.display.textureSlot = 1;
    frame();  // the first picture of a fresh context may differ in the last bit

    // The arrays are kept between frames: each setting changes what they
    // must hold, and the picture after it must be the polygons' own.
    struct Setting {
        int viewCommand;
        float angleY;
        int transparency;
    };
    for (int commonBase : {1, 2, 3}) {
        for (int textureSize : {1, 100, 256, 512, 1000}) {
            options.commonBase = commonBase;
            options.textureSize = textureSize;
            for (Setting setting : {Setting{PerspectiveCommand, 40, 1}, Setting{PerspectiveCommand, 170, 2},
                                    Setting{ViewXOyCommand, 0, 2}, Setting{ViewXOzCommand, 0, 1},
                                    Setting{ViewYOzCommand, 0, 1}}) {
                command(setting.viewCommand);
                program.view.angleY = setting.angleY;
                program.view.angleX = 30.0f;
                options.transparency = setting.transparency;
                render.drawing.path = DrawingPath::Immediate;
                frame();
                std::vector<unsigned char> polygons = wholePicture();
                render.drawing.path = DrawingPath::VertexArrays;
                frame();
                std::vector<unsigned char> arrays = wholePicture();
                size_t differing = 0;
                for (size_t i = 0; i < polygons.size(); ++i) differing += polygons[i] != arrays[i];
                EXPECT_EQ(differing, 0u) << "view " << setting.viewCommand << " angle " << setting.angleY
                                         << " base " << commonBase << " size " << textureSize;
                size_t drawn = 0;
                for (size_t i = 0; i < arrays.size(); i += 4) drawn += arrays[i] != 102 || arrays[i + 1] != 102;
                EXPECT_GT(drawn, arrays.size() / 4 / 10) << "the sheet shows in the picture";
            }
        }
    }
}

// The arrays kept between frames are remade only when a mesh function has
// numbered a change: after each kind of change they must hold what arrays
// made afresh hold.
TEST_F(FaceDrawing, EveryKindOfMeshChangeReachesTheKeptArrays) {
    struct Change {
        const char* name;
        void (*before)();  // before the frame that fills the arrays
        void (*change)();
    };
    auto none = [] {};
    static const char* const text = "OFF\n4 2\n0 0 0\n1 0 0\n1 1 0\n0 1 1\n3 0 1 2\n3 0 2 3\n";
    const Change changes[] = {
        {"setVertexPosition", none, [] { setVertexPosition(4, 0.1f, 0.2f, -0.3f); }},
        {"setFaceCorners", none, [] { setFaceCorners(1, 0, 4, 3, -1); }},
        {"addVertex", none, [] { ASSERT_TRUE(addVertex(0.5f, -0.5f, 0.2f)); }},
        {"addFace", none, [] { ASSERT_TRUE(addFace(0, 1, 4, -1)); }},
        {"dropLastFace", none, [] { dropLastFace(); }},
        {"flipFace", none, [] { flipFace(2); }},
        {"removeVertex", none, [] { removeVertex(1); }},
        {"removeFace", none, [] { removeFace(0); }},
        {"restoreEntriesPastCounts", [] { removeFace(0); }, [] { ASSERT_TRUE(restoreEntriesPastCounts(0, 1)); }},
        {"setMeshCounts", [] { setMeshCounts(5, 1); }, [] { setMeshCounts(5, 3); }},
        {"resizeVertexArrays", none, [] { ASSERT_TRUE(resizeVertexArrays(4)); }},
        {"resizeFaceArrays", none, [] { ASSERT_TRUE(resizeFaceArrays(2)); }},
        {"replaceMesh", none, [] { ASSERT_TRUE(readOffText(text, std::strlen(text), mesh)); }},
        {"newModel", none, [] { freeModel(); ASSERT_TRUE(newModel()); }},
        {"emptyMesh", none, [] { emptyMesh(mesh); }},
    };
    program.display.showEdges = true;
    for (const Change& change : changes) {
        setMesh({{-0.5f, -0.5f, 0}, {0.5f, -0.5f, 0}, {0.5f, 0.5f, 0.1f}, {-0.5f, 0.5f, 0}, {0, 0, 0.4f}},
                {{0, 1, 2, 3}, {0, 1, 4, -1}, {2, 3, 4, -1}});
        change.before();
        frame();
        change.change();
        frame();
        DrawingCaches kept = render.drawing;
        render.drawing = DrawingCaches{};
        frame();
        EXPECT_EQ(kept.facePositions, render.drawing.facePositions) << change.name;
        EXPECT_EQ(kept.faceTexturePoints, render.drawing.faceTexturePoints) << change.name;
        EXPECT_EQ(kept.faceIndices, render.drawing.faceIndices) << change.name;
        EXPECT_EQ(kept.faceNormals, render.drawing.faceNormals) << change.name;
        EXPECT_EQ(kept.edgeIndices, render.drawing.edgeIndices) << change.name;
        EXPECT_EQ(kept.edgePositions, render.drawing.edgePositions) << change.name;
        EXPECT_EQ(kept.longestBaseEdge, render.drawing.longestBaseEdge) << change.name;
    }
}

// Each edge is drawn once, in the direction of the first face outline that
// holds it. The polygon path draws an edge shared by two outlines twice, in
// both directions, and a smoothed line does not cover exactly the same pixels
// either way: every pixel where the two pictures differ must lie on one of
// those repeated segments.
TEST_F(FaceDrawing, EdgesDrawnOnceDifferOnlyOnTheSegmentsDrawnTwiceBefore) {
    std::mt19937 random(11);
    auto unit = [&] { return std::uniform_real_distribution<float>(-0.6f, 0.6f)(random); };
    for (int round = 0; round < 3; ++round) {
        // A jittered sheet: cells as quads or two triangles, some reversed,
        // so that shared edges run both ways and the same way.
        const int side = 6 + round * 5;
        std::vector<Vec3> vertices;
        std::vector<FaceCorners> faces;
        for (int i = 0; i <= side; ++i) {
            for (int j = 0; j <= side; ++j) {
                vertices.push_back({-0.8f + 1.6f * i / side + unit() * 0.2f / side,
                                    -0.8f + 1.6f * j / side + unit() * 0.2f / side, unit() * 0.3f});
            }
        }
        for (int i = 0; i < side; ++i) {
            for (int j = 0; j < side; ++j) {
                int a = i * (side + 1) + j, b = a + side + 1, c = b + 1, d = a + 1;
                bool reversed = random() % 3 == 0;
                if (random() % 2 == 0) {
                    faces.push_back(reversed ? FaceCorners{a, d, c, b} : FaceCorners{a, b, c, d});
                } else {
                    faces.push_back(reversed ? FaceCorners{a, c, b, -1} : FaceCorners{a, b, c, -1});
                    faces.push_back({c, d, a, -1});
                }
            }
        }
        setMesh(vertices, faces);
        // The repeated segments, found by a plain scan of the outlines.
        std::vector<std::pair<int, int>> repeats;
        std::set<std::pair<int, int>> seen;
        for (const FaceCorners& f : faces) {
            int corners[4] = {f.a, f.b, f.c, f.d};
            int count = f.d < 0 ? 3 : 4;
            for (int k = 0; k < count; ++k) {
                int from = corners[k], to = corners[(k + 1) % count];
                if (!seen.insert({std::min(from, to), std::max(from, to)}).second) repeats.push_back({from, to});
            }
        }
        program.display.showEdges = true;
        for (int viewCommand : {PerspectiveCommand, ViewXOyCommand, ViewXOzCommand, ViewYOzCommand}) {
            for (bool showFaces : {true, false}) {
                command(viewCommand);
                program.view.angleY = 35.0f;
                program.view.angleX = -20.0f;
                if (program.display.showFaces != showFaces) command(ShowFacesCommand);
                render.drawing.path = DrawingPath::Immediate;
                frame();
                std::vector<unsigned char> before = wholePicture();
                render.drawing.path = DrawingPath::VertexArrays;
                frame();
                std::vector<unsigned char> once = wholePicture();
                // The repeated segments alone, over the same view.
                glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
                glDisable(GL_DEPTH_TEST);
                glColor3f(1.0f, 1.0f, 1.0f);
                glLineWidth(0.6f);
                glBegin(GL_LINES);
                for (auto [from, to] : repeats) {
                    glVertex3f(mesh.vertexX[from], mesh.vertexY[from], mesh.vertexZ[from]);
                    glVertex3f(mesh.vertexX[to], mesh.vertexY[to], mesh.vertexZ[to]);
                }
                glEnd();
                glEnable(GL_DEPTH_TEST);
                std::vector<unsigned char> repeated = wholePicture();
                size_t differing = 0, unexplained = 0, edgePixels = 0;
                for (size_t i = 0; i < once.size(); i += 4) {
                    bool differs = before[i] != once[i] || before[i + 1] != once[i + 1] || before[i + 2] != once[i + 2];
                    differing += differs;
                    unexplained += differs && repeated[i] == 102 && repeated[i + 1] == 102;
                    edgePixels += once[i] == 204 && once[i + 1] == 204 && once[i + 2] == 204;
                }
                EXPECT_EQ(unexplained, 0u) << "view " << viewCommand << " faces " << showFaces << ", "
                                           << differing << " pixels differ";
                EXPECT_LT(differing, edgePixels / 10) << "view " << viewCommand;
                EXPECT_GT(edgePixels, 200u);
            }
        }
    }
}

}  // namespace
