// Overlays read back through GL feedback mode (every segment and point with
// its colour, in emission order) and, for the axes, from the picture.
#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <vector>

#include "state/program_state.h"
#include "state/view_state.h"
#include "render/faces.h"
#include "render/overlays.h"
#include "support/program_fixture.h"
#include "test_faces_meshes.h"
#include "render/render_state.h"

namespace {

struct FedVertex {
    float x, y, z;  // model coordinates
    float r, g, b;
};

struct Primitive {
    bool line = false;
    std::vector<FedVertex> corners;
};

constexpr float halfExtent = 2.0f;  // the feedback projection spans [-2, 2]

class Overlays : public ProgramTest {
protected:
    void SetUp() override {
        ProgramTest::SetUp();
        startProgram();
    }

    void TearDown() override {
        render.drawing.path = DrawingPath::VertexArrays;
        ProgramTest::TearDown();
    }

    // Runs `draw` in feedback mode under an orthographic box of +-2 units and
    // turns the window coordinates back into model coordinates.
    std::vector<Primitive> feedback(const std::function<void()>& draw) {
        GLint viewport[4];
        glGetIntegerv(GL_VIEWPORT, viewport);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(-halfExtent, halfExtent, -halfExtent, halfExtent, -halfExtent, halfExtent);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        std::vector<GLfloat> buffer(1 << 20);
        glFeedbackBuffer(static_cast<GLsizei>(buffer.size()), GL_3D_COLOR, buffer.data());
        glRenderMode(GL_FEEDBACK);
        draw();
        GLint count = glRenderMode(GL_RENDER);
        EXPECT_GE(count, 0) << "feedback buffer overflow";
        std::vector<Primitive> primitives;
        auto vertexAt = [&](GLint& i) {
            FedVertex v;
            v.x = (buffer[i] / viewport[2] * 2.0f - 1.0f) * halfExtent;
            v.y = (buffer[i + 1] / viewport[3] * 2.0f - 1.0f) * halfExtent;
            v.z = -(buffer[i + 2] * 2.0f - 1.0f) * halfExtent;
            v.r = buffer[i + 3];
            v.g = buffer[i + 4];
            v.b = buffer[i + 5];
            i += 7;
            return v;
        };
        for (GLint i = 0; i < count;) {
            auto token = static_cast<GLint>(buffer[i++]);
            Primitive primitive;
            if (token == GL_LINE_TOKEN || token == GL_LINE_RESET_TOKEN) {
                primitive.line = true;
                primitive.corners.push_back(vertexAt(i));
                primitive.corners.push_back(vertexAt(i));
            } else if (token == GL_POINT_TOKEN) {
                primitive.corners.push_back(vertexAt(i));
            } else {
                ADD_FAILURE() << "unexpected feedback token " << token;
                break;
            }
            primitives.push_back(primitive);
        }
        return primitives;
    }

    static float currentFloat(GLenum which) {
        float value = 0.0f;
        glGetFloatv(which, &value);
        return value;
    }

    static void expectWhiteColour() {
        float colour[4];
        glGetFloatv(GL_CURRENT_COLOR, colour);
        EXPECT_EQ(colour[0], 1.0f);
        EXPECT_EQ(colour[1], 1.0f);
        EXPECT_EQ(colour[2], 1.0f);
    }
};

::testing::AssertionResult isAt(const FedVertex& v, float x, float y, float z) {
    const float tolerance = 1e-4f;
    if (std::fabs(v.x - x) < tolerance && std::fabs(v.y - y) < tolerance && std::fabs(v.z - z) < tolerance) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << "vertex at (" << v.x << ", " << v.y << ", " << v.z << "), expected ("
                                         << x << ", " << y << ", " << z << ")";
}

::testing::AssertionResult hasColour(const Primitive& p, float r, float g, float b) {
    for (const FedVertex& v : p.corners) {
        if (std::fabs(v.r - r) > 1e-3f || std::fabs(v.g - g) > 1e-3f || std::fabs(v.b - b) > 1e-3f) {
            return ::testing::AssertionFailure() << "colour (" << v.r << ", " << v.g << ", " << v.b << ")";
        }
    }
    return ::testing::AssertionSuccess();
}

TEST_F(Overlays, AxesAreThreeColouredSegmentsFromTheOrigin) {
    std::vector<Primitive> lines = feedback(drawAxes);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_TRUE(hasColour(lines[0], 1, 0, 0));
    EXPECT_TRUE(isAt(lines[0].corners[0], 0, 0, 0));
    EXPECT_TRUE(isAt(lines[0].corners[1], 0.5f, 0, 0));
    EXPECT_TRUE(hasColour(lines[1], 0, 1, 0));
    EXPECT_TRUE(isAt(lines[1].corners[1], 0, 0.5f, 0));
    EXPECT_TRUE(hasColour(lines[2], 0, 0, 1));
    EXPECT_TRUE(isAt(lines[2].corners[1], 0, 0, 0.5f));
    EXPECT_EQ(currentFloat(GL_LINE_WIDTH), 2.0f);
    expectWhiteColour();
}

TEST_F(Overlays, GridOutlinesEveryCellInThePlaneOfTheView) {
    struct Case {
        ViewKind kind;
        int fixedAxis;  // 0 x, 1 y, 2 z: the coordinate that stays 0
    };
    for (Case item : {Case{Perspective, 2}, Case{ViewXOy, 2}, Case{ViewXOz, 1}, Case{ViewYOz, 0}}) {
        program.view.viewKind = item.kind;
        std::vector<Primitive> lines = feedback(drawGridForView);
        ASSERT_EQ(lines.size(), 1600u);
        for (const Primitive& line : lines) {
            ASSERT_TRUE(line.line);
            ASSERT_TRUE(hasColour(line, 0.6f, 0.6f, 0.6f));
            for (const FedVertex& v : line.corners) {
                float fixed = item.fixedAxis == 0 ? v.x : item.fixedAxis == 1 ? v.y : v.z;
                ASSERT_NEAR(fixed, 0.0f, 1e-4f);
            }
        }
        // The first cell, (-1, -1) to (-0.9, -0.9), outlined in order.
        auto model = [&](float u, float v) {
            if (item.fixedAxis == 2) return FedVertex{u, v, 0, 0, 0, 0};
            if (item.fixedAxis == 1) return FedVertex{u, 0, v, 0, 0, 0};
            return FedVertex{0, u, v, 0, 0, 0};
        };
        const float cell[5][2] = {{-1, -1}, {-1, -0.9f}, {-0.9f, -0.9f}, {-0.9f, -1}, {-1, -1}};
        for (int k = 0; k < 4; ++k) {
            FedVertex from = model(cell[k][0], cell[k][1]);
            FedVertex to = model(cell[k + 1][0], cell[k + 1][1]);
            EXPECT_TRUE(isAt(lines[k].corners[0], from.x, from.y, from.z)) << "segment " << k;
            EXPECT_TRUE(isAt(lines[k].corners[1], to.x, to.y, to.z)) << "segment " << k;
        }
        // The last cell ends at (0.9, 0.9).
        FedVertex last = model(0.9f, 0.9f);
        EXPECT_TRUE(isAt(lines.back().corners[1], last.x, last.y, last.z));
    }
    EXPECT_NEAR(currentFloat(GL_LINE_WIDTH), 0.3f, 1e-6f);
    expectWhiteColour();
}

class OverlaysOnMesh : public Overlays {
protected:
    void SetUp() override {
        Overlays::SetUp();
        // A triangle, a quad, and a triangle marked by another negative D.
        setMesh({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0.5f}, {-1, -1, -1}},
                {{0, 1, 2, -1}, {0, 1, 2, 3}, {4, 0, 3, -1}});
        setFaceCorners(2, 4, 0, 3, -7);
    }
};

// Polygons outline every face; the arrays draw each edge once, in the
// direction of the first outline that holds it.
TEST_F(OverlaysOnMesh, EdgesOutlineEveryFaceInCornerOrder) {
    const int expected[][2] = {{0, 1}, {1, 2}, {2, 0}, {0, 1}, {1, 2}, {2, 3}, {3, 0}, {4, 0}, {0, 3}, {3, 4}};
    const int once[] = {0, 1, 2, 5, 6, 7, 9};
    for (DrawingPath path : {DrawingPath::Immediate, DrawingPath::VertexArrays}) {
        render.drawing.path = path;
        std::vector<Primitive> lines = feedback(drawEdges);
        size_t count = path == DrawingPath::Immediate ? 10 : 7;
        ASSERT_EQ(lines.size(), count);
        for (size_t line = 0; line < count; ++line) {
            int k = path == DrawingPath::Immediate ? static_cast<int>(line) : once[line];
            int from = expected[k][0];
            int to = expected[k][1];
            EXPECT_TRUE(hasColour(lines[line], 0.8f, 0.8f, 0.8f));
            EXPECT_TRUE(isAt(lines[line].corners[0], mesh.vertexX[from], mesh.vertexY[from], mesh.vertexZ[from]))
                << "segment " << k;
            EXPECT_TRUE(isAt(lines[line].corners[1], mesh.vertexX[to], mesh.vertexY[to], mesh.vertexZ[to]))
                << "segment " << k;
        }
        EXPECT_NEAR(currentFloat(GL_LINE_WIDTH), 0.6f, 1e-6f);
        expectWhiteColour();
    }
}

TEST_F(OverlaysOnMesh, PointsAndHighlightsSetTheirOwnSizesAndColours) {
    std::vector<Primitive> points = feedback(drawVertexPoints);
    ASSERT_EQ(points.size(), 5u);
    for (int v = 0; v < 5; ++v) {
        EXPECT_FALSE(points[v].line);
        EXPECT_TRUE(hasColour(points[v], 1, 1, 1));
        EXPECT_TRUE(isAt(points[v].corners[0], mesh.vertexX[v], mesh.vertexY[v], mesh.vertexZ[v]));
    }
    EXPECT_EQ(currentFloat(GL_POINT_SIZE), 4.0f);

    std::vector<Primitive> highlight = feedback([] { highlightVertex(3); });
    ASSERT_EQ(highlight.size(), 1u);
    EXPECT_TRUE(hasColour(highlight[0], 1, 0, 0));
    EXPECT_TRUE(isAt(highlight[0].corners[0], 0, 1, 0.5f));
    EXPECT_EQ(currentFloat(GL_POINT_SIZE), 6.0f);
    expectWhiteColour();
    feedback(drawVertexPoints);
    EXPECT_EQ(currentFloat(GL_POINT_SIZE), 4.0f);

    std::vector<Primitive> outline = feedback([] { highlightFace(1); });
    ASSERT_EQ(outline.size(), 4u);
    for (const Primitive& line : outline) EXPECT_TRUE(hasColour(line, 1, 0, 0));
    EXPECT_TRUE(isAt(outline[2].corners[0], 1, 1, 0));
    EXPECT_TRUE(isAt(outline[2].corners[1], 0, 1, 0.5f));
    EXPECT_NEAR(currentFloat(GL_LINE_WIDTH), 0.6f, 1e-6f);
    expectWhiteColour();
}

// An entry kept behind the count for the undo can still be highlighted; an
// index outside the arrays draws nothing instead of reading past them.
TEST_F(OverlaysOnMesh, HighlightsNeverReadOutsideTheArrays) {
    setMeshCounts(4, 2);
    EXPECT_EQ(feedback([] { highlightVertex(4); }).size(), 1u);
    EXPECT_EQ(feedback([] { highlightFace(2); }).size(), 3u);
    for (int index : {-1, 5, 1 << 30}) {
        EXPECT_TRUE(feedback([index] { highlightVertex(index); }).empty()) << index;
    }
    for (int index : {-1, 3, 1 << 30}) {
        EXPECT_TRUE(feedback([index] { highlightFace(index); }).empty()) << index;
    }
    setFaceCorners(1, 0, 1, 99, 3);
    EXPECT_TRUE(feedback([] { highlightFace(1); }).empty());
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

// The axes in the picture, unlit, over the hidden faces' places.
TEST_F(Overlays, AxesShowTheirColoursInTheOrthographicViews) {
    setMesh({{0, 0, 0}}, {});
    command(ShowAxesCommand);
    auto pixelAt = [](Vec3 p) {
        double modelview[16];
        double projection[16];
        GLint viewport[4];
        glGetDoublev(GL_MODELVIEW_MATRIX, modelview);
        glGetDoublev(GL_PROJECTION_MATRIX, projection);
        glGetIntegerv(GL_VIEWPORT, viewport);
        double x = 0, y = 0, z = 0;
        gluProject(p.x, p.y, p.z, modelview, projection, viewport, &x, &y, &z);
        return scripted::readPixel(static_cast<int>(std::lround(x)), static_cast<int>(std::lround(y)));
    };
    command(ViewXOyCommand);
    frame();
    scripted::Pixel red = pixelAt({0.3f, 0, 0});
    scripted::Pixel green = pixelAt({0, 0.3f, 0});
    EXPECT_TRUE(red.r == 255 && red.g == 0 && red.b == 0);
    EXPECT_TRUE(green.r == 0 && green.g == 255 && green.b == 0);
    command(ViewXOzCommand);
    frame();
    scripted::Pixel blue = pixelAt({0, 0, 0.3f});
    EXPECT_TRUE(blue.r == 0 && blue.g == 0 && blue.b == 255);
}

}  // namespace
